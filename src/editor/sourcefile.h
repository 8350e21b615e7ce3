// .tvr source files: the system code page on disk, CR LF line ends on write, CR LF, LF or CR on read,
// every write atomic; where TMP.tvr lives.
// Layer: editor (plain C++, no Qt).
//
// In the program a source is UTF-8 with "\n" between lines.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore::editor {

std::string encodeSource(std::string_view text);   // UTF-8, "\n" lines -> code page, CR LF lines
std::string decodeSource(std::string_view bytes);  // code page, any line ends -> UTF-8, "\n" lines

// A source the compiler takes (32768 lines at most) is far smaller; a larger file is refused, not loaded.
inline constexpr std::size_t kMaxSourceBytes = 16 * 1024 * 1024;

struct SourceRead {
  bool ok = false;
  std::string text;   // when ok
  std::string error;  // when not: what failed, for the user
};
SourceRead readSourceFile(const std::filesystem::path& path);

struct SourceWrite {
  bool ok = false;
  std::string error;
};
SourceWrite writeSourceFile(const std::filesystem::path& path, std::string_view text);

// The working copy written at shutdown: TMP.tvr in the data folder.
std::filesystem::path tmpSourcePath();

// True when the last four characters are ".tvr" in any case.
bool hasTvrExtension(std::string_view name);

// `name` with ".tvr" added when its file name has no ending at all; any other name as it is.
std::string withTvrExtension(std::string_view name);

// A character of a source that the code page lacks, which a save writes as "?".
struct LostCharacter {
  int line;               // 1-based
  std::string character;  // UTF-8
};
// Every such character of `text` in order; throws when the code page in force cannot be converted at all.
std::vector<LostCharacter> unencodableCharacters(std::string_view text);

}  // namespace kelmore::editor
