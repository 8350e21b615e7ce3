// .tvr source files.
// Layer: editor (plain C++, no Qt).
#include "editor/sourcefile.h"

#include <exception>

#include "common/text.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::editor {

std::string encodeSource(std::string_view text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return platform::toCodePage(crlf);
}

std::string decodeSource(std::string_view bytes) {
  const std::string utf8 = platform::fromCodePage(bytes);
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r') {
      text += utf8[i];
      continue;
    }
    text += '\n';
    if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
  }
  return text;
}

SourceRead readSourceFile(const std::filesystem::path& path) {
  SourceRead result;
  const platform::FileRead file = platform::readRegularFile(path, kMaxSourceBytes);
  if (!file.ok()) {
    result.error = file.message;
    return result;
  }
  try {
    result.text = decodeSource(file.bytes);
  } catch (const std::exception& e) {
    // A code page the system cannot convert (a bad $KELMORE_CODEPAGE) is a failed read, no crash.
    result.error = path.string() + ": " + e.what();
    return result;
  }
  result.ok = true;
  return result;
}

SourceWrite writeSourceFile(const std::filesystem::path& path, std::string_view text) {
  std::string bytes;
  try {
    bytes = encodeSource(text);
  } catch (const std::exception& e) {
    return {false, path.string() + ": " + e.what()};
  }
  const platform::WriteResult written = platform::writeFileAtomic(path, bytes);
  return {written.ok, written.error};
}

std::filesystem::path tmpSourcePath() {
  return platform::dataDir() / "TMP.tvr";
}

bool hasTvrExtension(std::string_view name) {
  return endsWithIgnoringCase(name, ".tvr");
}

std::string withTvrExtension(std::string_view name) {
  const std::size_t slash = name.find_last_of('/');
  const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
  std::string named(name);
  if (!file.empty() && file.find('.') == std::string_view::npos) named += ".tvr";
  return named;
}

std::vector<LostCharacter> unencodableCharacters(std::string_view text) {
  std::vector<LostCharacter> lost;
  int line = 1;
  std::size_t counted = 0;  // text before this offset is in `line`'s count
  for (const std::size_t offset : platform::encodeToCodePage(text).lost) {
    for (; counted < offset; ++counted)
      if (text[counted] == '\n') ++line;
    std::size_t length = 1;
    while (offset + length < text.size() &&
           (static_cast<unsigned char>(text[offset + length]) & 0xC0) == 0x80)
      ++length;
    lost.push_back({line, std::string(text.substr(offset, length))});
  }
  return lost;
}

}  // namespace kelmore::editor
