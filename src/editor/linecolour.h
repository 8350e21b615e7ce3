// Line colourer: one source line in, colour-class spans out; keyword respelling from the same spans.
// Layer: editor (plain C++, no Qt).
//
// Lines are independent: a comment ends with its line and a string never spans lines, so no state is
// carried from one line to the next. Offsets are byte offsets into the UTF-8 line, which holds no line
// break. Keywords are matched ignoring ASCII case, so a canonical spelling always has the length of the
// text it replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/rgb.h"

namespace kelmore::editor {

enum class ColourClass : std::uint8_t {
  Plain,
  Comment,    // from a "'" outside a string to the end of the line
  String,     // a pair of double quotes and the text between them
  Operator,   // a word of the operator list
  Statement,  // a word of the statement list
  Function,   // a word of the function and command list
};

// The colour the pane shows for a class; operators and statements share one.
Rgb colourOf(ColourClass cls);

struct ColourSpan {
  std::size_t start = 0;
  std::size_t length = 0;
  ColourClass cls = ColourClass::Plain;
  int word = -1;  // index into the class's keyword table; -1 for a comment or a string
  friend bool operator==(const ColourSpan&, const ColourSpan&) = default;
};

// The coloured spans of a line, in order and never overlapping; text outside them is plain.
std::vector<ColourSpan> colourLine(std::string_view line);

// The class of the character at `offset` (Plain past the end).
ColourClass classAt(const std::vector<ColourSpan>& spans, std::size_t offset);

// True for a character outside strings and comments.
inline bool inCode(ColourClass cls) {
  return cls != ColourClass::String && cls != ColourClass::Comment;
}

// The line with every keyword span overwritten by its table's spelling ("print" becomes "Print").
std::string respell(std::string_view line, const std::vector<ColourSpan>& spans);

// Where the comment of a line begins (the line's length when it has none).
std::size_t commentStart(std::string_view line);

}  // namespace kelmore::editor
