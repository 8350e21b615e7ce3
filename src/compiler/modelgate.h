// Model gates: which statements and arguments the selected module model accepts.
// Layer: compiler (plain C++, no Qt).
//
// What each model takes is a column of its ModelInfo row (common/models.h); a model name outside the table
// reads as kOtherModel. The gates are tested before a statement emits anything (the memory areas of
// TargetMem after its SG).
#pragma once

#include <string_view>

namespace kelmore {

class MacroCompiler;

enum class ModelGate {
  WidthAndMemory,  // Sel16, Sel32, TargetMem
  GPFRomArea,      // TargetMem GPFRom
  GPFRom2Area,     // TargetMem GPFRom2
  Poke,            // Poke
  Drawing,         // Random, Spring, Curtain, Line, Pset
  Stack,           // Push, Pop
  UpperPorts,      // PortDirection ports 2 and 3
};

// Whether the host's current model passes the gate.
bool modelPasses(MacroCompiler& mc, ModelGate gate);

// Ends the compilation when the model fails the gate: the not-ready box for `keyword` and the
// unexpected-error exit for Drawing and Stack, the bare unexpected-error exit for the others.
void requireModel(MacroCompiler& mc, ModelGate gate, std::string_view keyword);

}  // namespace kelmore
