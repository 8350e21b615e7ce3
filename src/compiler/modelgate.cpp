// Model gates: which statements and arguments the selected module model accepts.
// Layer: compiler (plain C++, no Qt).
#include "compiler/modelgate.h"

#include "common/models.h"
#include "compiler/compiler.h"

namespace kelmore {
namespace {

// How a refused statement ends: the users see the drawing and stack statements as "not ready".
enum class Refusal { Unexpected, NotReady };

struct GateRow {
  ModelGate gate;
  bool ModelInfo::*accepts;
  Refusal refusal;
};

constexpr GateRow kGateRows[] = {
    {ModelGate::WidthAndMemory, &ModelInfo::widthAndTargetMemory, Refusal::Unexpected},
    {ModelGate::GPFRomArea, &ModelInfo::gpfRomArea, Refusal::Unexpected},
    {ModelGate::GPFRom2Area, &ModelInfo::gpfRom2Area, Refusal::Unexpected},
    {ModelGate::Poke, &ModelInfo::poke, Refusal::Unexpected},
    {ModelGate::Drawing, &ModelInfo::drawing, Refusal::NotReady},
    {ModelGate::Stack, &ModelInfo::registerStack, Refusal::NotReady},
    {ModelGate::UpperPorts, &ModelInfo::upperPorts, Refusal::Unexpected},
};

const GateRow& rowOf(ModelGate gate) {
  for (const GateRow& row : kGateRows)
    if (row.gate == gate) return row;
  throw CompileFault("model gate without a row");
}

}  // namespace

bool modelPasses(MacroCompiler& mc, ModelGate gate) {
  return modelInfo(mc.host.modelName()).*rowOf(gate).accepts;
}

void requireModel(MacroCompiler& mc, ModelGate gate, std::string_view keyword) {
  const GateRow& row = rowOf(gate);
  if (modelInfo(mc.host.modelName()).*row.accepts) return;
  if (row.refusal == Refusal::NotReady) mc.notReadyExit(keyword);
  mc.unexpectedExit();
}

}  // namespace kelmore
