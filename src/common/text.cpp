// Text helpers: trimming, splitting, ASCII case folding.
// Layer: common (plain C++, no Qt).
#include "common/text.h"

#include <algorithm>

namespace kelmore {

std::string_view trimLeft(std::string_view text, std::string_view chars) {
  const std::size_t first = text.find_first_not_of(chars);
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trimRight(std::string_view text, std::string_view chars) {
  const std::size_t last = text.find_last_not_of(chars);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view trim(std::string_view text, std::string_view chars) {
  return trimLeft(trimRight(text, chars), chars);
}

std::string_view trimBlanks(std::string_view text) {
  return trim(text, kBlank);
}

std::string_view trimWhitespace(std::string_view text) {
  return trim(text, kWhitespace);
}

std::vector<std::string_view> splitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t from = 0;
  for (std::size_t p = text.find(separator); p != std::string_view::npos; p = text.find(separator, from)) {
    pieces.push_back(text.substr(from, p - from));
    from = p + 1;
  }
  pieces.push_back(text.substr(from));
  return pieces;
}

std::vector<std::string_view> splitWords(std::string_view line) {
  return splitAt(line, ' ');
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

std::string toLowerAscii(std::string_view text) {
  std::string lower;
  lower.reserve(text.size());
  appendLowerAscii(lower, text);
  return lower;
}

void appendLowerAscii(std::string& out, std::string_view text) {
  for (char c : text) out.push_back(lowerAscii(c));
}

bool matchesIgnoringCaseAt(std::string_view text, std::size_t at, std::string_view word) {
  if (at > text.size() || word.size() > text.size() - at) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (lowerAscii(text[at + i]) != lowerAscii(word[i])) return false;
  return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && matchesIgnoringCaseAt(a, 0, b);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && matchesIgnoringCaseAt(text, text.size() - suffix.size(), suffix);
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
  const auto folded = [](char c) { return static_cast<unsigned char>(lowerAscii(c)); };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return folded(x) < folded(y); });
}

}  // namespace kelmore
