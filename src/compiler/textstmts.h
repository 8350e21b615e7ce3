// Statement compilers that send text and bytes: Data, Print, Cls, Cursor, the double-byte mode, SetFont.
// Layer: compiler (plain C++, no Qt).
//
// Each is a row of the statement table (dispatch.h). Items of Data and Print are separated by "," outside
// double quotes; a text item is one quoted text, its characters sent in the code page in force (see
// platform/codepage.h), every character exactly or the compilation fails. Display commands go out as P#
// (literal bytes) or PR (register values); Data bytes are planted in the code with "." separators. Errors
// leave only through the compiler's error exits or a CompileFault.
#pragma once

#include "compiler/compiler.h"

namespace kelmore {

// Data item[, item ...]: quoted texts and constant expressions as bytes in the code.
void compileData(MacroCompiler& mc, const SourceLine& line);
// Print item[, item ...]: quoted texts, constants and expressions to the display.
void compilePrint(MacroCompiler& mc, const SourceLine& line);
// Cls: clears the display.
void compileCls(MacroCompiler& mc, const SourceLine& line);
// Cursor x, y: moves the text cursor.
void compileCursor(MacroCompiler& mc, const SourceLine& line);
// KanjiOn / CjkOn [language]: double-byte characters on, in a language's character set.
void compileKanjiOn(MacroCompiler& mc, const SourceLine& line);
// KanjiOff / CjkOff: double-byte characters off.
void compileKanjiOff(MacroCompiler& mc, const SourceLine& line);
// SetFont size: one of the font sizes of the model.
void compileSetFont(MacroCompiler& mc, const SourceLine& line);

}  // namespace kelmore
