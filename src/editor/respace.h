// Line checking: keyword respelling and one canonical spacing of operators and statement words, for one
// line, for a whole source (the grammar check) and for a freshly loaded text; the open-string repair.
// Layer: editor (plain C++, no Qt).
//
// Texts are UTF-8 with "\n" between lines. Nothing inside a string or a comment is ever changed.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelmore::editor {

// One line respelled and re-spaced: every operator in code gets one blank on each side ("<>", ">=", "<="
// stay joined, a unary minus stays on its number), each statement word followed by a blank is set off by
// single blanks, trailing blanks go. A comment line (first non-blank an apostrophe) is only respelled.
std::string respaceLine(std::string_view line);

// The grammar check: every line of `text` through respaceLine. `cancelled` is asked after each line; when
// it answers true the check stops and gives nothing, so the caller's text stays as it was.
std::optional<std::string> checkSourceText(std::string_view text, const std::function<bool()>& cancelled);

struct ColouredText {
  std::string text;       // every line respelled; spacing untouched
  std::size_t lines = 0;  // lines walked; a final line break starts no further line
};

// The load-time pass over a whole text: keywords respelled, nothing re-spaced.
ColouredText colourSourceText(std::string_view text);

// The offset at which a closing quote belongs when the line holds an odd number of quotes outside its
// comment, else nothing.
std::optional<std::size_t> closingQuoteAt(std::string_view line);

}  // namespace kelmore::editor
