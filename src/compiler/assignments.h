// Statement compilers for the lines that start with no keyword: routine calls and assignments.
// Layer: compiler (plain C++, no Qt).
//
// A call writes its arguments into the routine's parameter registers, in order, and then calls the
// routine's entry label (JS). An assignment takes the first form that fits: the one-instruction shortcut
// T = T op number, a label's address, Peek(address), VPeek(address), or the general expression form.
#pragma once

#include "compiler/compiler.h"

namespace kelmore {

// Word 0 names a routine: "Name arg1, arg2, ..." (no parentheses).
void compileRoutineCall(MacroCompiler& mc, const SourceLine& line);
// "Target = right side".
void compileAssignment(MacroCompiler& mc, const SourceLine& line);

}  // namespace kelmore
