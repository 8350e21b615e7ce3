// Statement compilers for the module's events: the touch, port and timer set-ups and the event switches.
// Layer: compiler (plain C++, no Qt).
#include "compiler/eventstmts.h"

#include <cstdint>
#include <string>

#include "common/codetext.h"
#include "common/strings.h"
#include "compiler/instructions.h"
#include "compiler/stmt_support.h"

namespace kelmore {

using stmt::evaluate;
using stmt::textFrom;

namespace {

constexpr int kNotReady = 1011;
constexpr int kTimerRoutineMissing = 1024;
constexpr std::string_view kCommaMissing = "',' is missing.";
constexpr std::string_view kTimerInterval = "global::TimerInterval";

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

// Appends the flag and the label field of an event routine that is switched on: the field stays a relative
// token of the routine's entry label until the fix-up.
void appendRoutineField(MacroCompiler& mc, std::string_view routine) {
  std::string& code = mc.codeout.codeText;
  appendCodeByte(code, kEventOn);
  code += mc.hensuulabel.getLabelToken(routine);
  code += kCodeSeparator;
}

// An event routine the set-up binds to; the source must define it, or the event set-up would be lost.
std::string_view eventRoutine(MacroCompiler& mc, RoutineKind kind, std::string_view missingText) {
  const std::string_view routine = routineName(kind);
  if (mc.hensuulabel.getRoutineName(routine) == kNo) mc.errorExit(missingText, MacroCompiler::Mark::After);
  return routine;
}

}  // namespace

void compileEventTimerSet(MacroCompiler& mc, const SourceLine& line) {
  const ModeAndRest parts = splitMode(line);
  if (!parts.hasComma) mc.errorExit(kCommaMissing, MacroCompiler::Mark::After);
  // A model without the interval register has no timer to set.
  if (mc.hensuulabel.getVarReg(kTimerInterval) == kNo)
    mc.errorExit("'" + std::string(line.words.front()) + "'" + std::string(resString(kNotReady)),
                 MacroCompiler::Mark::After);
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
    appendCodeByte(code, kEventOff);
    appendCodeByte(code, 0);
    appendCodeByte(code, 0);
  }
}

void compileEventEnable(MacroCompiler& mc, const SourceLine&) {
  mc.codeout.codeText += opcodeText(Opcode::EventEnable);
}

void compileEventDisable(MacroCompiler& mc, const SourceLine&) {
  mc.codeout.codeText += opcodeText(Opcode::EventDisable);
}

}  // namespace kelmore
