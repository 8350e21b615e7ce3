// Line checking: respelling, operator and statement-word spacing, the grammar check, the load pass.
// Layer: editor (plain C++, no Qt).
#include "editor/respace.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "editor/keywords.h"
#include "editor/linecolour.h"

namespace kelmore::editor {
namespace {

bool containsIgnoringCase(std::string_view line, std::string_view word) {
  for (std::size_t at = 0; at + word.size() <= line.size(); ++at)
    if (matchesIgnoringCaseAt(line, at, word)) return true;
  return false;
}

bool isCommentLine(std::string_view line) {
  const std::string_view rest = trimLeft(line);
  return !rest.empty() && rest.front() == '\'';
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// A minus with no operand before it belongs to its number and is not spaced apart from it: at the line's
// start, after an operator, "(", "," or ":", after a statement word (Step, To, Print, ...), or after a
// command word that opens the statement (Cursor -1, 0). After any other name or a value it subtracts.
bool unaryMinusAt(std::string_view line, const std::vector<ColourSpan>& spans, std::size_t at) {
  std::size_t j = at;
  while (j > 0 && isBlank(line[j - 1])) --j;
  if (j == 0) return true;
  const char before = line[j - 1];
  if (std::string_view("=+-*/<>(,:").find(before) != std::string_view::npos) return true;
  const ColourClass cls = classAt(spans, j - 1);
  if (cls == ColourClass::Statement) return true;
  if (cls != ColourClass::Function) return false;
  std::size_t word = j - 1;
  while (word > 0 && classAt(spans, word - 1) == ColourClass::Function) --word;
  while (word > 0 && isBlank(line[word - 1])) --word;
  return word == 0 || line[word - 1] == ':';
}

// One operator: each occurrence in code gets one blank on each side. The text between occurrences loses
// its blanks only next to an occurrence that is spaced; blanks inside a string or a comment are its own.
std::string spaceOperator(std::string_view line, std::string_view op, const std::vector<ColourSpan>& spans) {
  std::vector<std::size_t> at;
  for (std::size_t p = line.find(op); p != std::string_view::npos; p = line.find(op, p + op.size()))
    at.push_back(p);
  if (at.empty()) return std::string(line);

  const std::size_t n = at.size();
  std::vector<bool> spaced(n);
  for (std::size_t k = 0; k < n; ++k)
    spaced[k] = inCode(classAt(spans, at[k])) && !(op == "-" && unaryMinusAt(line, spans, at[k]));
  auto partAfter = [&](std::size_t k) {
    const std::size_t from = at[k] + op.size();
    const std::size_t to = k + 1 < n ? at[k + 1] : line.size();
    return line.substr(from, to - from);
  };

  const std::string_view first = line.substr(0, at[0]);
  std::string out(spaced[0] ? trimRight(first) : first);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t p = at[k];
    if (!spaced[k]) {
      // Blanks right before a spaced occurrence are code whatever stands before them (a string, a unary
      // minus): they become its one blank, so checking a line again never widens it.
      out += op;
      out += k + 1 < n && spaced[k + 1] ? trimRight(partAfter(k)) : partAfter(k);
      continue;
    }
    if (p > 0 && line[p - 1] != '<' && line[p - 1] != '>') out += ' ';
    out += op;
    const bool joined = (op == "<" || op == ">") && p + 1 < line.size() &&
                        std::string_view("=><").find(line[p + 1]) != std::string_view::npos;
    if (!joined) out += ' ';
    std::string_view following = trimLeft(partAfter(k));
    if (k + 1 == n || spaced[k + 1]) following = trimRight(following);
    out += following;
  }
  return out;
}

// True when [start, start + length) is exactly the text of statement word `word` as the colourer found it.
bool isStatementWord(const std::vector<ColourSpan>& spans, std::size_t start, std::size_t length, int word) {
  const std::string_view entry = kStmtWords[static_cast<std::size_t>(word)].word;
  const std::size_t lead = entry.find_first_not_of(' ');
  if (start < lead || trimBlanks(entry).size() != length) return false;
  const auto it = std::lower_bound(spans.begin(), spans.end(), start - lead,
                                   [](const ColourSpan& s, std::size_t at) { return s.start < at; });
  return it != spans.end() && it->start == start - lead && it->cls == ColourClass::Statement &&
         it->word == word;
}

// One statement word: where its padded form stands in code, the word is set off by single blanks (none
// after "("). A keyword-like part of a longer name is no statement word and stays as it is; indentation
// before a word that opens the line is kept.
//
// One walk over the line, built as it goes: a rewrite changes only blanks beside the word, so the
// colours found at the start still hold for the rest, and a long line costs no more than its length.
std::string spaceStatementWord(std::string line, int word) {
  const StmtWord& entry = kStmtWords[static_cast<std::size_t>(word)];
  const std::string_view canon = trimBlanks(entry.word);
  const std::string_view core = trimBlanks(entry.padded);
  const std::size_t lead = entry.padded.find_first_not_of(' ');
  if (!containsIgnoringCase(line, entry.padded)) return line;

  const std::vector<ColourSpan> spans = colourLine(line);
  std::string_view view(line);  // the line as it stands: a rewrite drops its trailing blanks
  std::string out;
  std::size_t copied = 0;  // view[0, copied) is in out, rewritten
  bool rewritten = false;
  for (std::size_t m = 0; m < view.size();) {
    if (!matchesIgnoringCaseAt(view, m, entry.padded) ||
        !isStatementWord(spans, m + lead, core.size(), word)) {
      ++m;
      continue;
    }
    out.append(view.substr(copied, m - copied));
    if (out.find_first_not_of(" \t") == std::string::npos &&
        view.substr(m, lead).find_first_not_of(" \t") == std::string_view::npos) {
      // The blank a padded entry (" Poke ") begins with is the indentation's own, so it stays.
      out.append(view.substr(m, lead));
    } else {
      // After a Tab no blank is added, except the one an entry such as " Or" is only found with. A padded
      // entry (" Poke ") takes its own blank from the text before it, so for it the blanks between the
      // Tab and the match go as well: a second check then finds the line as the first one left it.
      const bool tabBefore = out.back() == '\t';
      out.resize(trimRight(out).size());
      const bool afterTab = tabBefore || (lead > 0 && out.back() == '\t');
      if (!afterTab || entry.word.front() == ' ') out += ' ';
    }
    out += canon;
    if (canon.back() != '(') out += ' ';
    if (!rewritten) {
      view = trimRight(view);
      rewritten = true;
    }
    std::size_t next = std::min(m + entry.padded.size(), view.size());
    while (next < view.size() && view[next] == ' ') ++next;
    copied = next;
    m = next;
  }
  if (!rewritten) return line;
  out.append(view.substr(copied));
  return out;
}

}  // namespace

std::string respaceLine(std::string_view input) {
  std::string line = respell(input, colourLine(input));
  if (isCommentLine(line)) return line;

  for (const OpWord& op : kOpWords) {
    if (line.find(op.word) == std::string::npos) continue;
    line = spaceOperator(line, op.word, colourLine(line));
  }
  for (std::size_t i = 0; i < kStmtWords.size(); ++i)
    line = spaceStatementWord(std::move(line), static_cast<int>(i));

  line.resize(trimRight(line).size());
  return respell(line, colourLine(line));
}

std::optional<std::string> checkSourceText(std::string_view text, const std::function<bool()>& cancelled) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  const auto lines = splitAt(text, '\n');
  for (std::size_t k = 0; k < lines.size(); ++k) {
    out += respaceLine(lines[k]);
    if (cancelled && cancelled()) return std::nullopt;
    if (k + 1 < lines.size()) out += '\n';
  }
  return out;
}

ColouredText colourSourceText(std::string_view text) {
  ColouredText result;
  result.text.reserve(text.size());
  const auto lines = splitAt(text, '\n');
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string_view line = lines[k];
    result.text += respell(line, colourLine(line));
    if (k + 1 == lines.size()) {
      if (!line.empty()) ++result.lines;  // a last line without its line end
    } else {
      ++result.lines;
      result.text += '\n';
    }
  }
  return result;
}

std::optional<std::size_t> closingQuoteAt(std::string_view line) {
  // Only quotes before the comment count; an odd count means the line has no comment, so the quote goes
  // at the very end.
  const std::size_t comment = commentStart(line);
  std::size_t quotes = 0;
  for (std::size_t i = 0; i < comment; ++i)
    if (line[i] == '"') ++quotes;
  if (quotes % 2 == 0) return std::nullopt;
  return line.size();
}

}  // namespace kelmore::editor
