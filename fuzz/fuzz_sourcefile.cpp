// Fuzz target of the source code pages: a file's bytes decoded as the editor opens them and encoded again as
// a save writes them, under a code page taken from the input; the same bytes also as editor text. Decoding
// gives UTF-8 with "\n" lines; an encode says where it lost characters, and an exact encode agrees with it.
// Layer: fuzz (plain C++, no Qt).
//
// Input: byte 0 picks the code page, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/sourcefile.h"
#include "platform/codepage.h"

namespace {

using namespace kelmore;

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// Code pages a user may name in $KELMORE_CODEPAGE: the default, single-byte, other double-byte ones and a
// stateful one.
constexpr const char* kCodePages[] = {"CP932", "CP1252", "CP936", "CP949", "ISO-2022-JP", "EUC-JP"};

bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t n = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// The encoders on `text`: the places lost are in order and inside the text (at the start of a character
// when the text is UTF-8); an exact encode succeeds only when nothing is lost, and then gives the same bytes.
void checkEncode(std::string_view text) {
  const bool utf8 = isUtf8(text);
  const platform::Encoded encoded = platform::encodeToCodePage(text);
  std::size_t previous = 0;
  bool first = true;
  for (std::size_t offset : encoded.lost) {
    require(offset < text.size() && (first || offset > previous));
    if (utf8) require((static_cast<unsigned char>(text[offset]) & 0xC0) != 0x80);
    previous = offset;
    first = false;
  }
  const auto exact = platform::toCodePageExact(text);
  if (exact) require(encoded.lost.empty() && *exact == encoded.bytes);

  const auto lost = editor::unencodableCharacters(text);
  require(lost.size() == encoded.lost.size());
  int lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  int line = 1;
  for (const auto& character : lost) {
    require(character.line >= line && character.line <= lines && !character.character.empty());
    line = character.line;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  setenv("KELMORE_CODEPAGE", kCodePages[data[0] % std::size(kCodePages)], 1);
  const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string text = editor::decodeSource(file);
  require(isUtf8(text) && text.find('\r') == std::string::npos);
  checkEncode(text);
  const std::string saved = editor::encodeSource(text);
  // Every line end is written as CR LF.
  for (std::size_t i = 0; i < saved.size(); ++i)
    if (saved[i] == '\n') require(i > 0 && saved[i - 1] == '\r');

  // The same bytes as editor text, valid UTF-8 or not.
  checkEncode(file);
  editor::encodeSource(file);
  return 0;
}
