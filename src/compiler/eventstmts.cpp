// Statement compilers for the module's events: the touch, port and timer set-ups and the event switches.
// Layer: compiler (plain C++, no Qt).
#include "compiler/eventstmts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "common/codetext.h"
#include "common/models.h"
#include "common/numbers.h"
#include "common/strings.h"
#include "common/text.h"
#include "compiler/instructions.h"
#include "compiler/stmt_support.h"

namespace kelmore {

using stmt::evaluate;
using stmt::isVariable;
using stmt::textFrom;

namespace {

constexpr int kVariableAsData = 1022;
constexpr int kVariableAsMask = 1023;
constexpr int kTimerRoutineMissing = 1024;
constexpr std::string_view kTouchRoutineMissing = "Event touch routine is not defined.";
constexpr std::string_view kPortRoutineMissing = "Event port routine is not defined.";
constexpr std::string_view kCommaMissing = "',' is missing.";
constexpr std::string_view kTimerInterval = "global::TimerInterval";

// The touch set-up command sent ahead of the touch mode byte.
constexpr std::array<std::uint8_t, 3> kTouchSetUp = {0x1F, 0x50, 0x01};
// The comparison byte of EP.
constexpr std::uint8_t kPortEqual = 0x00;
constexpr std::uint8_t kPortNotEqual = 0x01;

// The flag byte of ES, ET and EP.
constexpr std::uint8_t kEventOn = 0x01;
constexpr std::uint8_t kEventOff = 0x00;

// "enable" in any letter case switches an event on; every other word switches it off.
bool isEnable(std::string_view mode) {
  return toLowerAscii(mode) == "enable";
}

// The text after the keyword and its blank, split at its first ",": the mode before it, the rest after.
struct ModeAndRest {
  std::string_view mode;
  std::string_view rest;
  bool hasComma;
};
ModeAndRest splitMode(const SourceLine& line) {
  const std::string_view text = textFrom(line.text, line.words.front().size() + 1);
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return {trimBlanks(text), {}, false};
  return {trimBlanks(text.substr(0, comma)), trimBlanks(text.substr(comma + 1)), true};
}

// Appends the relative label token of a routine the source defines.
void appendRoutineToken(MacroCompiler& mc, std::string_view routine) {
  mc.codeout.codeText += labelToken(mc.hensuulabel.labelSlot(routine), false);
}

// Appends the flag and the label field of an event routine that is switched on: the field stays a relative
// token of the routine's entry label until the fix-up.
void appendRoutineField(MacroCompiler& mc, std::string_view routine) {
  std::string& code = mc.codeout.codeText;
  appendCodeByte(code, kEventOn);
  appendRoutineToken(mc, routine);
}

// An event routine the set-up binds to; the source must define it, or the event set-up would be lost.
std::string_view eventRoutine(MacroCompiler& mc, RoutineKind kind, std::string_view missingText) {
  const std::string_view routine = routineName(kind);
  if (mc.hensuulabel.getRoutineName(routine) == kNo) mc.errorExit(missingText, MacroCompiler::Mark::After);
  return routine;
}

// Appends the flag and field of an event that is switched off.
void appendEventOff(std::string& code) {
  appendCodeByte(code, kEventOff);
  appendField16(code, 0);
}

// "port0" in any letter case gives "0": the port character of EP, when the model's port event watches it.
std::uint8_t portCharacter(MacroCompiler& mc, std::string_view port, const ModelInfo& model) {
  constexpr std::string_view kPortWord = "port";
  const std::string lower = toLowerAscii(port);
  const bool named = lower.size() == kPortWord.size() + 1 && lower.starts_with(kPortWord);
  // Any other text would silently watch a port the source never named.
  if (!named) mc.expressionExit();
  const char character = lower.back();
  if (model.eventPorts.find(character) == std::string_view::npos) {
    const bool otherModelsPort = std::ranges::any_of(kModels, [character](const ModelInfo& m) {
      return m.eventPorts.find(character) != std::string_view::npos;
    });
    if (!otherModelsPort) mc.expressionExit();
    mc.errorExit(stmt::notReady(port), MacroCompiler::Mark::After);
  }
  return static_cast<std::uint8_t>(character);
}

// A data or mask value of EP: a constant that fits 16 bits, rounded half to even, low byte first.
std::uint16_t portValue(MacroCompiler& mc, std::string_view text, int variableMessage) {
  if (text.empty()) mc.expressionExit();
  const std::string r = evaluate(mc, text);
  if (isVariable(mc, r)) mc.errorExit(resString(variableMessage), MacroCompiler::Mark::After);
  const auto value = nearestInRange(HensuuLabel::hexVal(r), kField16Low, kField16High);
  if (!value) throw CompileFault("port event value does not fit 16 bits");
  return static_cast<std::uint16_t>(*value & 0xFFFF);
}

}  // namespace

void compileEventTouchSet(MacroCompiler& mc, const SourceLine& line) {
  if (!modelInfo(mc.host.modelName()).touchEvents) throw CompileFault("the model has no touch event");
  const ModeAndRest parts = splitMode(line);
  if (!parts.hasComma) throw CompileFault("EventTouchSet without ','");
  CodeOut& out = mc.codeout;
  if (!isEnable(parts.mode)) {
    out.codeText += opcodeText(Opcode::EventTouch);
    appendEventOff(out.codeText);
    return;
  }
  const std::string_view routine = eventRoutine(mc, RoutineKind::TouchEvent, kTouchRoutineMissing);
  out.code_print(kTouchSetUp);
  if (parts.rest.empty()) mc.expressionExit();
  const std::string r = evaluate(mc, parts.rest);
  if (isVariable(mc, r)) {
    const std::array<std::uint8_t, 1> reg = {stmt::registerByte(mc, r)};
    out.code_printReg(reg);
  } else {
    const std::array<std::uint8_t, 1> byte = {stmt::constantByte(r)};
    out.code_print(byte);
  }
  out.codeText += opcodeText(Opcode::EventTouch);
  appendRoutineField(mc, routine);
}

void compileEventPortSet(MacroCompiler& mc, const SourceLine& line) {
  const ModelInfo& model = modelInfo(mc.host.modelName());
  if (!model.portEvents) throw CompileFault("the model has no port event");
  const std::string_view routine = eventRoutine(mc, RoutineKind::PortEvent, kPortRoutineMissing);
  const ModeAndRest parts = splitMode(line);
  if (!parts.hasComma) throw CompileFault("EventPortSet without ','");
  // port * mask = data, or port * mask <> data.
  const std::string_view rest = parts.rest;
  const bool equal = rest.find('=') != std::string_view::npos;
  const std::string_view comparison = equal ? "=" : "<>";
  const std::size_t star = rest.find('*');
  const std::size_t compare = rest.find(comparison);
  if (star == std::string_view::npos || compare == std::string_view::npos || compare < star)
    throw CompileFault("EventPortSet without 'port * mask = data'");
  const std::uint8_t port = portCharacter(mc, trimBlanks(rest.substr(0, star)), model);
  const std::uint16_t data =
      portValue(mc, trimBlanks(rest.substr(compare + comparison.size())), kVariableAsData);
  const std::uint16_t mask =
      portValue(mc, trimBlanks(rest.substr(star + 1, compare - star - 1)), kVariableAsMask);

  std::string& code = mc.codeout.codeText;
  code += opcodeText(Opcode::EventPort);
  appendCodeByte(code, isEnable(parts.mode) ? kEventOn : kEventOff);
  appendCodeByte(code, equal ? kPortEqual : kPortNotEqual);
  appendCodeByte(code, port);
  appendField16(code, data);
  appendField16(code, mask);
  appendRoutineToken(mc, routine);
}

void compileEventTimerSet(MacroCompiler& mc, const SourceLine& line) {
  const ModeAndRest parts = splitMode(line);
  if (!parts.hasComma) mc.errorExit(kCommaMissing, MacroCompiler::Mark::After);
  // A model without the interval register has no timer to set.
  if (mc.hensuulabel.getVarReg(kTimerInterval) == kNo)
    mc.errorExit(stmt::notReady(line.words.front()), MacroCompiler::Mark::After);
  if (parts.rest.empty()) mc.expressionExit();
  stmt::assign(mc, kTimerInterval, evaluate(mc, parts.rest));

  const std::string_view routine =
      isEnable(parts.mode) ? eventRoutine(mc, RoutineKind::TimerEvent, resString(kTimerRoutineMissing))
                           : std::string_view();
  std::string& code = mc.codeout.codeText;
  code += opcodeText(Opcode::EventTimer);
  if (!routine.empty()) {
    appendRoutineField(mc, routine);
  } else {
    appendEventOff(code);
  }
}

void compileEventEnable(MacroCompiler& mc, const SourceLine&) {
  mc.codeout.codeText += opcodeText(Opcode::EventEnable);
}

void compileEventDisable(MacroCompiler& mc, const SourceLine&) {
  mc.codeout.codeText += opcodeText(Opcode::EventDisable);
}

}  // namespace kelmore
