// Text in the system code page: CP932 unless $KELMORE_CODEPAGE names another iconv code page.
// Layer: platform (plain C++, no Qt).
//
// Program text is UTF-8. Text for a module and .tvr files is in the code page; a character the code page
// lacks becomes one "?". Bytes that are not valid in the code page (a lone lead byte, say) become U+FFFD
// on the way back; nothing here throws for bad input.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore::platform {

// The iconv name of the code page in force.
std::string codePageName();

std::string toCodePage(std::string_view utf8);

// toCodePage, telling where it lost something: `lost` holds the UTF-8 byte offset of every character the
// code page lacks (each became one "?" in `bytes`), in order.
struct Encoded {
  std::string bytes;
  std::vector<std::size_t> lost;
};
Encoded encodeToCodePage(std::string_view utf8);
std::string fromCodePage(std::string_view bytes);

// The bytes of `utf8` in the code page, or nothing when a character is not in the code page or the text is
// not UTF-8: for text that must reach a module as written. A double-byte character converts whole.
// std::runtime_error for a code page iconv does not know.
std::optional<std::string> toCodePageExact(std::string_view utf8);

}  // namespace kelmore::platform
