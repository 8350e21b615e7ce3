// Pop-up keyword hints: the hint of the word at the caret and its help context.
// Layer: editor (plain C++, no Qt).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kelmore::editor {

struct Hint {
  int helpContext = 0;
  std::string text;  // what the tip shows
  friend bool operator==(const Hint&, const Hint&) = default;
};

// "NNN:xx:text" gives help context NNN and the text from the 8th character on; any other hint gives
// context 0 and is shown whole.
Hint parseHint(std::string_view hint);

// A keyword table entry as a word: without its blanks and a closing "(" (" Or" gives "Or").
std::string_view bareKeyword(std::string_view entry);

// Whether `word` names the keyword table entry `entry`, ignoring case and the entry's blanks and "("
// ("or" names " Or", "vpeek" names "VPeek(").
bool namesKeyword(std::string_view entry, std::string_view word);

// The hint of a word, looked up in the statement words and then the function words, ignoring case and a
// keyword's blanks and "(" ("or" finds " Or", "vpeek" finds "VPeek("). Nothing for an unknown word.
std::optional<Hint> hintForWord(std::string_view word);

// The extent of the word around `offset` in `line` (letters, digits, "_"), as [begin, end).
std::pair<std::size_t, std::size_t> wordAt(std::string_view line, std::size_t offset);

}  // namespace kelmore::editor
