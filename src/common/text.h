// Text helpers: trimming, splitting at blanks, separators and line ends, ASCII case folding.
// Layer: common (plain C++, no Qt).
//
// Locale-free: only the ASCII letters A-Z and a-z fold; every other byte, UTF-8 included, stays as it is.
// The views returned point into the text given, which must outlive them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore {

inline constexpr std::string_view kBlank = " ";
// Blanks, tabs and line-end characters.
inline constexpr std::string_view kWhitespace = " \t\r\n";

// The text without the characters of `chars` at its start, at its end, or at both ends.
std::string_view trimLeft(std::string_view text, std::string_view chars = kBlank);
std::string_view trimRight(std::string_view text, std::string_view chars = kBlank);
std::string_view trim(std::string_view text, std::string_view chars);
// Blanks at both ends removed (tabs stay).
std::string_view trimBlanks(std::string_view text);
// Blanks, tabs and line ends at both ends removed.
std::string_view trimWhitespace(std::string_view text);

// The pieces between every `separator`: n separators give n + 1 pieces, empty ones included ("" gives one
// empty piece).
std::vector<std::string_view> splitAt(std::string_view text, char separator);
// Split at every single blank: two blanks give an empty word between them.
std::vector<std::string_view> splitWords(std::string_view line);
// The lines of a text, each without its line end; CR LF, a lone CR and a lone LF each end a line. n line
// ends give n + 1 lines, so a final line end is followed by an empty line ("" gives one empty line).
std::vector<std::string_view> splitLines(std::string_view text);

constexpr char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// A lower-case copy.
std::string toLowerAscii(std::string_view text);
// Appends the lower-case form of `text` to `out`.
void appendLowerAscii(std::string& out, std::string_view text);

// Whether `word` stands at byte `at` of `text`, ASCII case ignored; false when it would run past the end.
bool matchesIgnoringCaseAt(std::string_view text, std::size_t at, std::string_view word);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool endsWithIgnoringCase(std::string_view text, std::string_view suffix);
// Byte order of the lower-case forms, bytes taken as unsigned: for sorting names without regard to case.
bool lessIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kelmore
