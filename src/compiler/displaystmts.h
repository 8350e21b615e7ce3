// Statement compilers for display-module commands: windows, effects, drawing, CopyBmp and PortDirection.
// Layer: compiler (plain C++, no Qt).
//
// Each sends its command head as a P# and its arguments in the command's wire order through the argument
// emitters of codeout (a constant as literal bytes, a value in a register as a PR); the optimiser joins the
// literal runs later. Arguments are the text after the keyword and one blank, split at ","; surplus
// arguments are ignored. Model gates (modelgate.h) are tested before anything is emitted. Errors leave
// only through the compiler's error exits or a CompileFault.
#pragma once

#include "compiler/compiler.h"

namespace kelmore {

// SetFocusWin, SetUsrWin, Scroll, Blink, Curtain, Spring, Random, Line and Pset: one row each of the
// command table, found by word 0.
void compileDisplayCommand(MacroCompiler& mc, const SourceLine& line);
// CopyBmp label, or CopyBmp memory,segment,offset,width,height,[y].
void compileCopyBmp(MacroCompiler& mc, const SourceLine& line);
// PortDirection [port,]io: io a quoted pattern of eight "i" / "o", or an expression.
void compilePortDirection(MacroCompiler& mc, const SourceLine& line);

}  // namespace kelmore
