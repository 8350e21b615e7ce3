// Line colourer: comments, strings, then the three keyword lists in priority order.
// Layer: editor (plain C++, no Qt).
#include "editor/linecolour.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "editor/keywords.h"

namespace kelmore::editor {
namespace {

// Letters, digits, "_" and every byte of a non-ASCII character: a keyword glued to any of them is part of
// a longer name.
bool isWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

struct Keyword {
  std::string_view word;
  ColourClass cls;
  int index;
  int priority;  // list order, then table order: an earlier word claims its text first
};

// Keywords by the lower-cased first byte, so a line is scanned once however long the lists are.
using KeywordIndex = std::array<std::vector<Keyword>, 256>;

const KeywordIndex& keywordIndex() {
  static const KeywordIndex index = [] {
    KeywordIndex built;
    int priority = 0;
    auto add = [&](std::string_view word, ColourClass cls, int i) {
      built[static_cast<unsigned char>(lowerAscii(word.front()))].push_back({word, cls, i, priority++});
    };
    for (std::size_t i = 0; i < kOpWords.size(); ++i)
      add(kOpWords[i].word, ColourClass::Operator, static_cast<int>(i));
    for (std::size_t i = 0; i < kStmtWords.size(); ++i)
      add(kStmtWords[i].word, ColourClass::Statement, static_cast<int>(i));
    for (std::size_t i = 0; i < kFuncWords.size(); ++i)
      add(kFuncWords[i].word, ColourClass::Function, static_cast<int>(i));
    return built;
  }();
  return index;
}

// Whole word: a keyword that begins (ends) with a word character must not touch another one there.
// Entries such as " Or" or "VPeek(" thus match as they stand.
bool wholeWordAt(std::string_view line, std::size_t at, std::string_view word) {
  const auto first = static_cast<unsigned char>(word.front());
  const auto last = static_cast<unsigned char>(word.back());
  if (isWordByte(first) && at > 0 && isWordByte(static_cast<unsigned char>(line[at - 1]))) return false;
  const std::size_t end = at + word.size();
  if (isWordByte(last) && end < line.size() && isWordByte(static_cast<unsigned char>(line[end])))
    return false;
  return true;
}

std::string_view canonicalWord(ColourClass cls, int index) {
  switch (cls) {
    case ColourClass::Operator:
      return kOpWords[static_cast<std::size_t>(index)].word;
    case ColourClass::Statement:
      return kStmtWords[static_cast<std::size_t>(index)].word;
    case ColourClass::Function:
      return kFuncWords[static_cast<std::size_t>(index)].word;
    default:
      return {};
  }
}

}  // namespace

Rgb colourOf(ColourClass cls) {
  switch (cls) {
    case ColourClass::Comment:
      return {0, 130, 0};
    case ColourClass::String:
      return {255, 130, 0};
    case ColourClass::Operator:
    case ColourClass::Statement:
      return {0, 0, 132};
    case ColourClass::Function:
      return {192, 64, 0};
    case ColourClass::Plain:
      break;
  }
  return {0, 0, 0};
}

std::size_t commentStart(std::string_view line) {
  // An apostrophe starts a comment when an even number of quotes stands before it on the line.
  std::size_t quotes = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') ++quotes;
    if (line[i] == '\'' && quotes % 2 == 0) return i;
  }
  return line.size();
}

std::vector<ColourSpan> colourLine(std::string_view line) {
  std::vector<ColourSpan> spans;
  const std::size_t comment = commentStart(line);

  // Strings pair the quotes before the comment from the line's first character, one pair after the
  // other, the same pairing the comment rule counts; a quote without a partner stays plain.
  std::vector<bool> claimed(line.size(), false);
  for (std::size_t open = line.find('"'); open < comment;) {
    const std::size_t close = line.find('"', open + 1);
    if (close >= comment) break;
    spans.push_back({open, close - open + 1, ColourClass::String, -1});
    std::fill(claimed.begin() + static_cast<std::ptrdiff_t>(open),
              claimed.begin() + static_cast<std::ptrdiff_t>(close + 1), true);
    open = line.find('"', close + 1);
  }
  std::fill(claimed.begin() + static_cast<std::ptrdiff_t>(comment), claimed.end(), true);

  // Every whole-word occurrence of every keyword, then claimed in priority order where all of its text
  // is still plain: the first list that names a word gives its colour.
  struct Candidate {
    std::size_t at;
    const Keyword* keyword;
  };
  std::vector<Candidate> candidates;
  const KeywordIndex& index = keywordIndex();
  for (std::size_t at = 0; at < comment; ++at) {
    if (claimed[at]) continue;
    for (const Keyword& k : index[static_cast<unsigned char>(lowerAscii(line[at]))])
      if (matchesIgnoringCaseAt(line, at, k.word) && wholeWordAt(line, at, k.word))
        candidates.push_back({at, &k});
  }
  std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.keyword->priority < b.keyword->priority;
  });
  for (const Candidate& c : candidates) {
    const std::size_t end = c.at + c.keyword->word.size();
    if (std::any_of(claimed.begin() + static_cast<std::ptrdiff_t>(c.at),
                    claimed.begin() + static_cast<std::ptrdiff_t>(end), [](bool b) { return b; }))
      continue;
    std::fill(claimed.begin() + static_cast<std::ptrdiff_t>(c.at),
              claimed.begin() + static_cast<std::ptrdiff_t>(end), true);
    spans.push_back({c.at, c.keyword->word.size(), c.keyword->cls, c.keyword->index});
  }

  if (comment < line.size()) spans.push_back({comment, line.size() - comment, ColourClass::Comment, -1});
  std::sort(spans.begin(), spans.end(),
            [](const ColourSpan& a, const ColourSpan& b) { return a.start < b.start; });
  return spans;
}

ColourClass classAt(const std::vector<ColourSpan>& spans, std::size_t offset) {
  auto it = std::upper_bound(spans.begin(), spans.end(), offset,
                             [](std::size_t o, const ColourSpan& s) { return o < s.start; });
  if (it == spans.begin()) return ColourClass::Plain;
  --it;
  return offset < it->start + it->length ? it->cls : ColourClass::Plain;
}

std::string respell(std::string_view line, const std::vector<ColourSpan>& spans) {
  std::string out(line);
  for (const ColourSpan& s : spans) {
    const std::string_view word = canonicalWord(s.cls, s.word);
    if (word.size() == s.length) out.replace(s.start, s.length, word);
  }
  return out;
}

}  // namespace kelmore::editor
