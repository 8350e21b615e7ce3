// Statement dispatch: which statement compiler gets a line of the code pass.
// Layer: compiler (plain C++, no Qt).
//
// One table, in the required order; the first row that matches a line wins and no statement falls through
// to a later one. Keywords are compared with word 0 exactly, letter case included. A line that no row
// matches ends the compilation as the unexpected error of its line.
#pragma once

#include <span>
#include <string_view>

#include "compiler/compiler.h"

namespace kelmore {

using StatementCompiler = void (*)(MacroCompiler& mc, const SourceLine& line);

enum class LineForm {
  Label,        // word 0 ends in ":"
  Keyword,      // word 0 equals the keyword
  RoutineCall,  // word 0, trimmed, names a routine (any letter case)
  Other,        // anything else
};

struct StatementRow {
  LineForm form;
  std::string_view keyword;  // Keyword rows only
  StatementCompiler compile;
};

// True when the row takes the line.
bool rowMatches(const StatementRow& row, const SourceLine& line, const MacroCompiler& mc);

// The statement table of the language.
std::span<const StatementRow> statementTable();

}  // namespace kelmore
