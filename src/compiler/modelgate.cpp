// Model gates: which statements and arguments the selected module model accepts.
// Layer: compiler (plain C++, no Qt).
#include "compiler/modelgate.h"

#include <array>

#include "compiler/compiler.h"

namespace kelmore {
namespace {

struct StatementGates {
  std::string_view model;
  bool widthAndMemory;
  bool gpfRomArea;
  bool gpfRom2Area;
  bool poke;
  bool drawing;
  bool stack;
  bool upperPorts;
};

// clang-format off
constexpr std::array<StatementGates, 10> kGates{{
    // model       width  GPFRom GPFRom2 Poke  draw   stack  ports 2,3
    {"PX-5100",    false, false, false,  false, true,  false, false},
    {"PX-5200",    false, false, false,  false, true,  false, false},
    {"PX-5200B",   true,  true,  false,  true,  true,  true,  false},
    {"PX-6203",    true,  false, false,  true,  true,  true,  false},
    {"PX-B",       false, false, false,  false, false, false, false},
    {"PX-D",       false, false, false,  false, false, true,  false},
    {"QT-R500",    true,  false, true,   true,  true,  true,  false},
    {"QT-R5xxP",   true,  false, true,   true,  true,  true,  true},
    {"PX-*",       true,  true,  true,   true,  true,  true,  false},
    {"WMR-STD",    false, false, false,  false, true,  true,  false},
}};
// clang-format on
constexpr StatementGates kOtherModel{"", false, false, false, false, true, true, false};

const StatementGates& gatesOf(std::string_view model) {
  for (const auto& row : kGates)
    if (row.model == model) return row;
  return kOtherModel;
}

}  // namespace

bool modelPasses(MacroCompiler& mc, ModelGate gate) {
  const StatementGates& g = gatesOf(mc.host.modelName());
  switch (gate) {
    case ModelGate::WidthAndMemory:
      return g.widthAndMemory;
    case ModelGate::GPFRomArea:
      return g.gpfRomArea;
    case ModelGate::GPFRom2Area:
      return g.gpfRom2Area;
    case ModelGate::Poke:
      return g.poke;
    case ModelGate::Drawing:
      return g.drawing;
    case ModelGate::Stack:
      return g.stack;
    case ModelGate::UpperPorts:
      return g.upperPorts;
  }
  return false;
}

void requireModel(MacroCompiler& mc, ModelGate gate, std::string_view keyword) {
  if (modelPasses(mc, gate)) return;
  if (gate == ModelGate::Drawing || gate == ModelGate::Stack) mc.notReadyExit(keyword);
  mc.unexpectedExit();
}

}  // namespace kelmore
