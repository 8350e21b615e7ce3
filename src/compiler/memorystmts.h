// Statement compilers for widths, memory and the register stack: Mem8/16/32, Sel16/32, TargetMem, VPoke,
// Poke, Push, Pop.
// Layer: compiler (plain C++, no Qt).
//
// Each is a row of the statement table (dispatch.h). Sel16/Sel32 set the wide flag from their line on, in
// source order. Model gates (modelgate.h) are tested before anything is emitted, the TargetMem areas after
// the SG. Errors leave only through the compiler's error exits or a CompileFault.
#pragma once

#include "compiler/compiler.h"

namespace kelmore {

void compileMem8(MacroCompiler& mc, const SourceLine& line);
void compileMem16(MacroCompiler& mc, const SourceLine& line);
void compileMem32(MacroCompiler& mc, const SourceLine& line);
void compileSel16(MacroCompiler& mc, const SourceLine& line);
void compileSel32(MacroCompiler& mc, const SourceLine& line);
// TargetMem area: SG with the code of the memory-area name (compared exactly).
void compileTargetMem(MacroCompiler& mc, const SourceLine& line);
// VPoke address,data: vram(address) = data.
void compileVPoke(MacroCompiler& mc, const SourceLine& line);
// Poke address,data: memory(address) = data, through a letter register holding the address.
void compilePoke(MacroCompiler& mc, const SourceLine& line);
// Push variable / Pop variable.
void compilePush(MacroCompiler& mc, const SourceLine& line);
void compilePop(MacroCompiler& mc, const SourceLine& line);

}  // namespace kelmore
