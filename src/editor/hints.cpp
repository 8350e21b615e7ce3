// Pop-up keyword hints.
// Layer: editor (plain C++, no Qt).
#include "editor/hints.h"

#include "common/text.h"
#include "editor/keywords.h"
#include "editor/linecolour.h"

namespace kelmore::editor {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_';
}

}  // namespace

std::string_view bareKeyword(std::string_view entry) {
  return trimRight(trimLeft(entry), " (");
}

bool namesKeyword(std::string_view entry, std::string_view word) {
  return !word.empty() && equalsIgnoringCase(bareKeyword(entry), word);
}

Hint parseHint(std::string_view hint) {
  const bool prefixed = hint.size() >= 7 && isDigit(hint[0]) && isDigit(hint[1]) && isDigit(hint[2]) &&
                        hint[3] == ':' && hint[6] == ':';
  if (!prefixed) return {0, std::string(hint)};
  const int context = (hint[0] - '0') * 100 + (hint[1] - '0') * 10 + (hint[2] - '0');
  return {context, std::string(hint.substr(7))};
}

std::optional<Hint> hintForWord(std::string_view word) {
  if (word.empty()) return std::nullopt;
  for (std::size_t i = 0; i < kStmtWords.size(); ++i) {
    if (!namesKeyword(kStmtWords[i].word, word)) continue;
    return parseHint(kStmtWords[i].hint);
  }
  for (std::size_t i = 0; i < kFuncWords.size(); ++i) {
    if (namesKeyword(kFuncWords[i].word, word)) return parseHint(kFuncWords[i].hint);
  }
  return std::nullopt;
}

std::pair<std::size_t, std::size_t> wordAt(std::string_view line, std::size_t offset) {
  if (offset > line.size()) offset = line.size();
  std::size_t begin = offset;
  while (begin > 0 && isWordChar(line[begin - 1])) --begin;
  std::size_t end = offset;
  while (end < line.size() && isWordChar(line[end])) ++end;
  return {begin, end};
}

}  // namespace kelmore::editor
