// Small helpers shared by the statement compilers.
// Layer: compiler (plain C++, no Qt).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compiler.h"

namespace kelmore::stmt {

// The text from 0-based position `pos` on; empty when the text is shorter.
std::string_view textFrom(std::string_view text, std::size_t pos);

// code_siki(expression, 0). An unrecognised operand (already reported) ends the compilation as the
// unexpected error of the line; an empty expression is the expression compiler's own expression exit.
std::string evaluate(MacroCompiler& mc, std::string_view expression);

// True when the operand names a variable or temporary; false for a constant text.
bool isVariable(const MacroCompiler& mc, std::string_view operand);

// The compiler's own names (temporaries, generated labels) begin with "_".
inline bool isTemporary(std::string_view name) {
  return !name.empty() && name.front() == '_';
}

// target = value: L# "=" with the constant's value, or LR "=" from the variable or temporary.
void assign(MacroCompiler& mc, std::string_view target, std::string_view value);

// A name a program may assign to: a letter, then letters, digits and "_", optionally behind "global::".
bool isIdentifier(std::string_view name);

// The register code of a variable or temporary as one byte; CompileFault when it has none.
std::uint8_t registerByte(const MacroCompiler& mc, std::string_view variable);

// A constant text (hexVal) as one byte: the nearest integer, halves to even; CompileFault outside 0..255.
std::uint8_t constantByte(std::string_view constant);

// "'<word>' is not ready.": what a statement or word the model lacks reports.
std::string notReady(std::string_view word);

// "<prefix><level>_<count>", the generated block label names.
std::string blockLabel(std::string_view prefix, int level, int count);

}  // namespace kelmore::stmt
