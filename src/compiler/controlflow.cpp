// Statement compilers that shape a macro: label lines, routines and their ends, If, For, Select, GoTo, Sleep.
// Layer: compiler (plain C++, no Qt).
#include "compiler/controlflow.h"

#include <cstdint>
#include <limits>
#include <string>

#include "common/codetext.h"
#include "common/models.h"
#include "common/numbers.h"
#include "common/strings.h"
#include "compiler/instructions.h"
#include "compiler/stmt_support.h"

namespace kelmore {

using stmt::assign;
using stmt::blockLabel;
using stmt::evaluate;
using stmt::isTemporary;
using stmt::isVariable;
using stmt::textFrom;

namespace {

constexpr int kToMissing = 1025;
constexpr int kIfMissing = 1026;
constexpr int kLabelUnderscore = 1019;

// ED, BK: where the macro ends.
const std::string kMacroEnd =
    std::string(opcodeText(Opcode::EventDisable)) + std::string(opcodeText(Opcode::End));

// A block of one kind: its level and its number at that level.
struct Block {
  int level;
  int count;
};

// Opens a block one level deeper.
Block openBlock(std::int16_t& depth, CompilerState::LevelArray& counts) {
  const int level = depth + 1;
  CompilerState::checkLevel(level);
  std::int16_t& count = CompilerState::at(counts, level);
  if (count == std::numeric_limits<std::int16_t>::max()) throw CompileFault("too many blocks at one level");
  ++count;
  depth = static_cast<std::int16_t>(level);
  return {level, count};
}

// The innermost open block of a kind; CompileFault when none is open.
Block innermost(std::int16_t depth, CompilerState::LevelArray& counts) {
  return {depth, CompilerState::at(counts, depth)};
}

// What a routine's End Sub (and Exit Sub) appends. Touch_Event returns with RE on both paths: an RT would
// leave the module in its event state.
std::string routineEndCode(std::string_view scope) {
  switch (routineKind(scope)) {
    case RoutineKind::Start:
      return kMacroEnd;
    case RoutineKind::TimerEvent:
    case RoutineKind::PortEvent:
    case RoutineKind::TouchEvent:
      return std::string(opcodeText(Opcode::EventReturn));
    case RoutineKind::Other:
      break;
  }
  return std::string(opcodeText(Opcode::Return));
}

// The loop a user label opens in its routine: any later GoTo may jump back to it, so what runs after the
// label may run again until the routine ends. "::" keeps the name apart from every label.
std::string labelLoop(const MacroCompiler& mc) {
  return "::" + mc.compiler.currentScope;
}

void endSub(MacroCompiler& mc) {
  mc.codeout.codeText += routineEndCode(mc.compiler.currentScope);
  mc.hensuulabel.clearTempVars();
  mc.hensuulabel.releaseHolds(labelLoop(mc));
  mc.compiler.currentScope = "global";
}

void endIf(MacroCompiler& mc) {
  CompilerState& st = mc.compiler;
  if (st.ifDepth < 0) mc.errorExit(resString(kIfMissing), MacroCompiler::Mark::None);
  const Block b = innermost(st.ifDepth, st.ifCount);
  const std::string elseLabel = blockLabel("_else", b.level, b.count);
  const std::string address = mc.codeout.addressText();
  if (mc.hensuulabel.getLabelValue(elseLabel).empty()) mc.hensuulabel.setLabel(elseLabel, address);
  mc.hensuulabel.setLabel(blockLabel("_ifend", b.level, b.count), address);
  --st.ifDepth;
}

std::string caseLabel(const Block& select, int caseNumber) {
  return blockLabel("_case", select.level, select.count) + "_" + std::to_string(caseNumber);
}

void endSelect(MacroCompiler& mc) {
  CompilerState& st = mc.compiler;
  if (st.selectDepth < 0) mc.errorExit(kEndSelectWithoutSelect, MacroCompiler::Mark::None);
  const Block b = innermost(st.selectDepth, st.selectCount);
  std::int16_t& cases = CompilerState::at(st.caseCount, b.level);
  const std::string address = mc.codeout.addressText();
  // The test of the last Case jumps here when it fails; a Case Else (or no Case) leaves nothing pending.
  const std::string pending = caseLabel(b, cases + 1);
  if (mc.hensuulabel.getLabelValue(pending).empty()) mc.hensuulabel.setLabel(pending, address);
  mc.hensuulabel.setLabel(blockLabel("_selend", b.level, b.count), address);
  cases = -1;
  --st.selectDepth;
}

// The value a constant has once it is an immediate of the current width, so compile-time comparisons
// agree with the module's (&HFFFF and -1 are one value in 16-bit code).
std::int64_t immediateValue(const MacroCompiler& mc, std::string_view constant) {
  const double rounded = roundHalfEven(HensuuLabel::hexVal(constant));
  if (!(rounded > -9.2e18 && rounded < 9.2e18)) throw CompileFault("constant out of range");
  const auto value = static_cast<std::int64_t>(rounded);
  return mc.compiler.wideMode != 0 ? value & 0xFFFFFFFF : value & 0xFFFF;
}

// Holds, for the loop whose step label is `owner`, every register that the code in [from, to) writes: the
// step and final code of a loop head run again on every pass and would overwrite a variable sharing them.
void holdHeadRegisters(MacroCompiler& mc, std::string_view owner, std::size_t from, std::size_t to) {
  const std::string& code = mc.codeout.codeText;
  const bool wide = mc.compiler.wideMode != 0;
  for (std::size_t offset = from; offset < to;) {
    const CodeItem item = decodeAt(code, offset, wide);
    if (item.is(Opcode::LoadImm) || item.is(Opcode::LoadReg))
      mc.hensuulabel.holdRegister(static_cast<char>(itemByte(code, offset, 2)), owner);
    offset = item.end;
  }
}

}  // namespace

std::size_t findWord(std::string_view text, std::string_view word, std::size_t from) {
  for (std::size_t p = text.find(word, from); p != std::string_view::npos; p = text.find(word, p + 1)) {
    const bool startsWord = p == 0 || text[p - 1] == ' ';
    const std::size_t end = p + word.size();
    const bool endsWord = end == text.size() || text[end] == ' ';
    if (startsWord && endsWord) return p;
  }
  return std::string_view::npos;
}

void compileLabelLine(MacroCompiler& mc, const SourceLine& line) {
  const std::string_view label = line.word(0);
  if (label.front() == '_') mc.errorExit(resString(kLabelUnderscore), MacroCompiler::Mark::None);
  // A label stands alone on its line: a statement after it would otherwise vanish without a word.
  if (line.text.size() > label.size()) mc.expressionExit();
  mc.hensuulabel.setLabel(label.substr(0, label.size() - 1), mc.codeout.addressText());
  if (mc.hensuulabel.loopOwner() != toLowerAscii(labelLoop(mc))) mc.hensuulabel.widenLoop(labelLoop(mc));
}

void compileSub(MacroCompiler& mc, const SourceLine& line) {
  const std::size_t open = line.text.find('(');
  if (open == std::string_view::npos || open < 4) throw CompileFault("routine head without '('");
  // The head ends at its ")": a statement after it would otherwise vanish without a word.
  const std::size_t close = line.text.find(')', open);
  if (close == std::string_view::npos) throw CompileFault("routine head without ')'");
  if (!trimBlanks(textFrom(line.text, close + 1)).empty()) mc.expressionExit();
  const std::string name(trimBlanks(line.text.substr(4, open - 4)));
  // Code outside the routines does not run again from inside one.
  mc.hensuulabel.releaseHolds(labelLoop(mc));
  mc.compiler.currentScope = name;
  mc.hensuulabel.setLabel(name, mc.codeout.addressText());
}

void compileEnd(MacroCompiler& mc, const SourceLine& line) {
  if (line.words.size() == 1) {
    mc.codeout.codeText += kMacroEnd;
    return;
  }
  const std::string_view what = line.words[1];
  if (what == "Select")
    endSelect(mc);
  else if (what == "If")
    endIf(mc);
  else if (what == "Sub")
    endSub(mc);
}

void compileExit(MacroCompiler& mc, const SourceLine& line) {
  const std::string_view what = line.word(1);
  if (what == "For") {
    const Block b = innermost(mc.compiler.forDepth, mc.compiler.forCount);
    mc.codeout.code_jmpLabel(blockLabel("_next", b.level, b.count));
  } else if (what == "Sub") {
    mc.codeout.codeText += routineEndCode(mc.compiler.currentScope);
  }
}

void compileIf(MacroCompiler& mc, const SourceLine& line) {
  CompilerState& st = mc.compiler;
  const Block b = openBlock(st.ifDepth, st.ifCount);
  const std::string elseLabel = blockLabel("_else", b.level, b.count);
  mc.hensuulabel.addLabel(elseLabel);
  mc.hensuulabel.addLabel(blockLabel("_ifend", b.level, b.count));

  const std::size_t then = findWord(line.text, "Then", 3);
  if (then == std::string_view::npos) throw CompileFault("'Then' is missing");
  const std::string_view after = trimBlanks(textFrom(line.text, then + 4));
  if (toLowerAscii(after).starts_with("goto")) throw CompileFault("If ... Then GoTo");
  // Only the block form exists: a statement after Then would otherwise be dropped without a word.
  if (!after.empty()) mc.expressionExit();

  const std::string r = evaluate(mc, line.text.substr(3, then - 3));
  if (isVariable(mc, r))
    mc.codeout.code_jmpcImm(r, 1, "=", 4);  // only exactly 1 counts as true
  else if (HensuuLabel::hexVal(r) != 0)
    mc.codeout.code_jmp(4);
  else
    mc.codeout.code_jmpLabel(elseLabel);
  mc.codeout.code_jmpLabel(elseLabel);
  if (r == "_sp0") mc.hensuulabel.delVar(r);
}

void compileElse(MacroCompiler& mc, const SourceLine& line) {
  CompilerState& st = mc.compiler;
  const Block b = innermost(st.ifDepth, st.ifCount);
  if (line.text.size() > line.words[0].size()) mc.expressionExit();
  const std::string elseLabel = blockLabel("_else", b.level, b.count);
  // A second Else would move the else part's label and leave the first else part unreachable.
  if (!mc.hensuulabel.getLabelValue(elseLabel).empty()) throw CompileFault("a second 'Else' in one If");
  mc.codeout.code_jmpLabel(blockLabel("_ifend", b.level, b.count));
  mc.hensuulabel.setLabel(elseLabel, mc.codeout.addressText());
}

void compileFor(MacroCompiler& mc, const SourceLine& line) {
  CompilerState& st = mc.compiler;
  CodeOut& out = mc.codeout;
  const Block b = openBlock(st.forDepth, st.forCount);
  const std::string stepLabel = blockLabel("_for", b.level, b.count);
  const std::string nextLabel = blockLabel("_next", b.level, b.count);
  mc.hensuulabel.addLabel(stepLabel);
  mc.hensuulabel.addLabel(nextLabel);

  // To and Step are keywords only as words of their own ("For Total = 1 To nStep" is a valid head).
  const std::string_view head = trimBlanks(textFrom(line.text, 4));
  const std::size_t to = findWord(head, "To");
  if (to == std::string_view::npos) mc.errorExit(resString(kToMissing), MacroCompiler::Mark::None);
  const std::size_t step = findWord(head, "Step", to + 2);
  const std::string_view assignment = trimBlanks(head.substr(0, to));
  const std::string_view finalText = step == std::string_view::npos
                                         ? trimBlanks(head.substr(to + 2))
                                         : trimBlanks(head.substr(to + 2, step - (to + 2)));
  const std::string_view stepText = step == std::string_view::npos ? "1" : trimBlanks(head.substr(step + 4));
  const std::size_t eq = assignment.find('=');
  if (eq == std::string_view::npos) throw CompileFault("For without '='");
  const std::string var(trimBlanks(assignment.substr(0, eq)));
  if (!stmt::isIdentifier(var)) mc.expressionExit();

  const std::string start = evaluate(mc, trimBlanks(assignment.substr(eq + 1)));
  if (!isVariable(mc, var)) mc.hensuulabel.addVar(var);
  assign(mc, var, start);
  if (isTemporary(start)) mc.hensuulabel.delVar(start);

  // The first pass jumps over the step code and the increment; the skip is written once it is known.
  out.code_jmp(0);
  const std::size_t skipField = out.codeText.size() - kField16Chars;
  const std::size_t skipFrom = out.currentAddress();
  mc.hensuulabel.setLabel(stepLabel, out.addressText());

  // From here on the code runs on every pass: a temporary it frees keeps its register from the variables.
  if (mc.hensuulabel.loopOwner().empty()) mc.hensuulabel.setLoopOwner(stepLabel);
  const std::string owner = mc.hensuulabel.loopOwner();
  const std::size_t stepCode = out.codeText.size();
  const std::string stepValue = evaluate(mc, stepText);
  holdHeadRegisters(mc, owner, stepCode, out.codeText.size());
  const bool stepConstant = !isVariable(mc, stepValue);
  if (stepConstant) {
    const IncrementForm stepOne = modelInfo(mc.host.modelName()).stepOne;
    if (HensuuLabel::hexVal(stepValue) == 1 && stepOne == IncrementForm::Increment)
      out.code_inc(var);
    else
      out.code_calcImm(var, HensuuLabel::hexVal(stepValue), "+");
  } else {
    out.code_calcReg(var, stepValue, "+");
  }
  const std::size_t skip = out.currentAddress() - skipFrom;
  if (skip > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
    throw CompileFault("loop step code too long");
  writeField16(out.codeText, skipField, static_cast<std::uint16_t>(skip));

  const std::size_t finalCode = out.codeText.size();
  const std::string finalValue = evaluate(mc, finalText);
  holdHeadRegisters(mc, owner, finalCode, out.codeText.size());
  // A loop counting down leaves once it passes below its final value.
  const char* exitTest = stepConstant && HensuuLabel::hexVal(stepValue) < 0 ? "<" : ">";
  if (isVariable(mc, finalValue))
    out.code_jmpcRegLabel(var, finalValue, exitTest, nextLabel);
  else
    out.code_jmpcImmLabel(var, HensuuLabel::hexVal(finalValue), exitTest, nextLabel);
}

void compileNext(MacroCompiler& mc, const SourceLine&) {
  CompilerState& st = mc.compiler;
  const Block b = innermost(st.forDepth, st.forCount);
  const std::string stepLabel = blockLabel("_for", b.level, b.count);
  mc.codeout.code_jmpLabel(stepLabel);
  mc.hensuulabel.setLabel(blockLabel("_next", b.level, b.count), mc.codeout.addressText());
  // Only the outermost loop owns holds: an inner loop's code runs again on every pass of the outer one.
  mc.hensuulabel.releaseHolds(stepLabel);
  --st.forDepth;
}

void compileContinue(MacroCompiler& mc, const SourceLine&) {
  const Block b = innermost(mc.compiler.forDepth, mc.compiler.forCount);
  mc.codeout.code_jmpLabel(blockLabel("_for", b.level, b.count));
}

void compileSelect(MacroCompiler& mc, const SourceLine& line) {
  CompilerState& st = mc.compiler;
  const Block b = openBlock(st.selectDepth, st.selectCount);
  mc.hensuulabel.addLabel(blockLabel("_selend", b.level, b.count));

  // The selector is what follows "Select Case " (Case in any letter case); without the word Case it would
  // be read from the wrong place.
  if (line.words.size() < 2 || toLowerAscii(line.words[1]) != "case") mc.expressionExit();
  const std::string r = evaluate(mc, trimBlanks(textFrom(line.text, 12)));
  std::string& selector = st.selector[static_cast<std::size_t>(b.level)];
  if (r == "_sp0") {
    // The Case values reuse _sp0, so a computed selector gets a temporary of its level.
    selector = "_sel" + std::to_string(b.level);
    mc.hensuulabel.addVar(selector);
    mc.codeout.code_calcReg(selector, r, "=");
  } else {
    selector = r;
  }
}

void compileCase(MacroCompiler& mc, const SourceLine& line) {
  if (line.words.size() == 1) return;
  CompilerState& st = mc.compiler;
  const Block b = innermost(st.selectDepth, st.selectCount);
  std::int16_t& cases = CompilerState::at(st.caseCount, b.level);
  if (cases == std::numeric_limits<std::int16_t>::max()) throw CompileFault("too many Case lines");
  const int c = ++cases;
  if (c != 0) mc.codeout.code_jmpLabel(blockLabel("_selend", b.level, b.count));
  mc.hensuulabel.setLabel(caseLabel(b, c), mc.codeout.addressText());
  if (line.words[1] == "Else") {
    // Case Else stands alone: a statement after it would otherwise vanish without a word.
    if (line.words.size() > 2) mc.expressionExit();
    return;
  }

  const std::string nextCase = caseLabel(b, c + 1);
  mc.hensuulabel.addLabel(nextCase);
  const std::string r = evaluate(mc, trimBlanks(textFrom(line.text, 5)));
  const std::string& s = st.selector[static_cast<std::size_t>(b.level)];
  const bool rConstant = !isVariable(mc, r);
  const bool sConstant = !isVariable(mc, s);
  if (rConstant && sConstant) {
    if (immediateValue(mc, r) != immediateValue(mc, s)) mc.codeout.code_jmpLabel(nextCase);
  } else if (rConstant) {
    mc.codeout.code_jmpcImmLabel(s, HensuuLabel::hexVal(r), "<>", nextCase);
  } else if (sConstant) {
    mc.codeout.code_jmpcImmLabel(r, HensuuLabel::hexVal(s), "<>", nextCase);
  } else {
    mc.codeout.code_jmpcRegLabel(s, r, "<>", nextCase);
  }
}

void compileGoTo(MacroCompiler& mc, const SourceLine& line) {
  const std::string_view label = trimBlanks(line.word(1));
  if (label.empty()) throw CompileFault("GoTo without a label");
  if (mc.hensuulabel.getLabelToken(label) == kNo) mc.hensuulabel.addLabel(label);
  mc.codeout.code_jmpLabel(label);
}

void compileSleep(MacroCompiler& mc, const SourceLine& line) {
  constexpr std::string_view kCounter = "_sleep";
  CodeOut& out = mc.codeout;
  mc.hensuulabel.addVar(kCounter);
  const std::string r = evaluate(mc, trimBlanks(textFrom(line.text, 6)));
  // The counter is decremented before its first test, so a count of 0 would wait 65536 rounds.
  if (!isVariable(mc, r) && roundHalfEven(HensuuLabel::hexVal(r)) == 0) {
    mc.hensuulabel.delVar(kCounter);
    return;
  }
  assign(mc, kCounter, r);
  const std::size_t loopStart = out.codeText.size();
  out.codeText += opcodeText(Opcode::Wait);
  out.code_calcImm(kCounter, 1, "-");
  // The skip leads back over WT, the decrement and the compare itself: -16, or -20 with wide immediates.
  const OpcodeInfo& compare = opcodeInfo(Opcode::CompareImm);
  const std::size_t compareBytes = mc.compiler.wideMode != 0 ? compare.wideLength : compare.length;
  const auto back = static_cast<std::int16_t>(
      -static_cast<int>((out.codeText.size() - loopStart) / kCellChars + compareBytes));
  out.code_jmpcImm(kCounter, 0, "<>", back);
  mc.hensuulabel.delVar(kCounter);
}

}  // namespace kelmore
