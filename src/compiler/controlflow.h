// Statement compilers that shape a macro: label lines, routines and their ends, If, For, Select, GoTo, Sleep.
// Layer: compiler (plain C++, no Qt).
//
// Each is a row of the statement table (dispatch.h): it appends to the code text, declares and places
// generated labels ("_else"/"_ifend", "_for"/"_next", "_selend"/"_case", level and count in decimal) and
// leaves the block stacks of MacroCompiler::compiler as the block's nesting requires. Errors leave only
// through the compiler's error exits or a CompileFault.
#pragma once

#include <string_view>

#include "compiler/compiler.h"

namespace kelmore {

// The End Select failure text, as the system writes it.
inline constexpr std::string_view kEndSelectWithoutSelect =
    "End Select に対応する Select Case が見つかりません。";

// Word 0 ends in ":": places a user label. Nothing may follow it on the line.
void compileLabelLine(MacroCompiler& mc, const SourceLine& line);
// Sub name(params): opens the routine's scope at its entry label.
void compileSub(MacroCompiler& mc, const SourceLine& line);
// End, End Sub, End If, End Select.
void compileEnd(MacroCompiler& mc, const SourceLine& line);
// Exit For, Exit Sub.
void compileExit(MacroCompiler& mc, const SourceLine& line);
// If condition Then (block form only).
void compileIf(MacroCompiler& mc, const SourceLine& line);
void compileElse(MacroCompiler& mc, const SourceLine& line);
// For var = start To final [Step step].
void compileFor(MacroCompiler& mc, const SourceLine& line);
void compileNext(MacroCompiler& mc, const SourceLine& line);
void compileContinue(MacroCompiler& mc, const SourceLine& line);
// Select Case expression / Case value / Case Else.
void compileSelect(MacroCompiler& mc, const SourceLine& line);
void compileCase(MacroCompiler& mc, const SourceLine& line);
void compileGoTo(MacroCompiler& mc, const SourceLine& line);
void compileSleep(MacroCompiler& mc, const SourceLine& line);

// The first blank-separated occurrence of `word` in `text` at or after `from`: a start at 0 or after a
// blank, an end at the text's end or before a blank. npos when there is none.
std::size_t findWord(std::string_view text, std::string_view word, std::size_t from = 0);

}  // namespace kelmore
