// Peephole optimiser: joins runs of print instructions and folds the compare sequences of conditions.
// Layer: compiler (plain C++, no Qt).
//
// The driver calls the three passes after the code pass and before the label fix-up, always and in this
// order, while branch fields still hold label tokens:
//   optimizer::optimizePrintConst(mc); optimizer::optimizePrintReg(mc); optimizer::optimizeIf(mc);
// Each pass rewrites mc.codeout.codeText, moves the label addresses that lie behind removed code, keeps
// mc.compiler.markStart / markEnd (character counts bounding the caret line's code) on the same code,
// logs its line ("Complete Optimize 'Print'" twice, then "Complete Optimize 'If'") and sets the progress
// bar to its maximum. No pass reports an error; only std::bad_alloc can leave one.
//
// The plain forms take the same things explicitly: the code text, one byte address per label slot
// (kNoAddress for a free slot or a label without address; such slots never move), the two marks, and the
// host for the log line and the progress bar. The rewrite functions below them do no logging at all.
//
// Each rewrite builds the new text in one walk of the instructions (the decoder of instructions.h) and
// then moves labels and marks once through the sorted list of removed spans, with the result of the
// step-by-step in-place rewrite: a position behind a removed span's start moves back by its length.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "compiler/host.h"
#include "compiler/instructions.h"

namespace kelmore {

class MacroCompiler;

namespace optimizer {

inline constexpr std::int32_t kNoAddress = -1;
// The most bytes one P# or PR carries (its count field is 16 bits).
inline constexpr std::uint32_t kMaxPrintCount = 0xFFFF;

// Joins each P# (target PrintConst) or PR (target PrintReg) to the run of the same opcode directly before
// it: the header goes, its bytes follow the run's bytes, the run's count grows. An instruction whose first
// byte is a label's address starts a new run, and so does one that would take the count past 65535. When
// the caret line's code starts with a joined instruction, markStart moves to the head of its run.
void joinPrints(Opcode target, std::string& codeText, std::span<std::int32_t> labelAddresses,
                std::int32_t& markStart, std::int32_t& markEnd);

// The three folds of conditions, in order over the whole text:
//  1. a compare with skip 10 followed by the 16-bit boolean load sequence (temp = 0, jump 6, temp = 1,
//     if temp = 1 skip 4, jump) keeps only its jump: the compare now skips 4 (24 bytes fewer);
//  2. a CR that skips 4 over a JP becomes a CR with the inverted condition and the JP's field;
//  3. a 16-bit C# that skips 4 over a JP likewise (a 32-bit C# stays as written).
// Only instructions found by the walk match, never bytes inside a P#, PR or Data run.
void foldIf(std::string& codeText, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
            std::int32_t& markEnd);

// The passes as the driver runs them: the rewrite, then the log line and the full progress bar.
void optimizePrintConst(std::string& codeText, std::span<std::int32_t> labelAddresses,
                        std::int32_t& markStart, std::int32_t& markEnd, CompilerHost& host);
void optimizePrintReg(std::string& codeText, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
                      std::int32_t& markEnd, CompilerHost& host);
void optimizeIf(std::string& codeText, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
                std::int32_t& markEnd, CompilerHost& host);

// The same on one compilation's state: its code text, its label table and its marks, logging to its host.
void optimizePrintConst(MacroCompiler& mc);
void optimizePrintReg(MacroCompiler& mc);
void optimizeIf(MacroCompiler& mc);

}  // namespace optimizer
}  // namespace kelmore
