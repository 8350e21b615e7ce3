// Statement compilers for the lines that start with no keyword: routine calls and assignments.
// Layer: compiler (plain C++, no Qt).
#include "compiler/assignments.h"

#include <array>
#include <string>
#include <vector>

#include "common/text.h"
#include "compiler/stmt_support.h"

namespace kelmore {

using stmt::evaluate;
using stmt::isTemporary;
using stmt::isVariable;
using stmt::textFrom;

namespace {

// The operators of the one-instruction form T = T op k.
constexpr std::array<std::string_view, 8> kShortcutOperators = {"+",   "-",  "*",   "/",
                                                                "Mod", "Or", "And", "Xor"};

bool isShortcutOperator(std::string_view op) {
  for (std::string_view candidate : kShortcutOperators)
    if (op == candidate) return true;
  return false;
}

void declare(MacroCompiler& mc, std::string_view name) {
  if (!isVariable(mc, name)) mc.hensuulabel.addVar(name);
}

// The address text of Peek( / VPeek(: the text between the opening parenthesis and the closing one,
// which must end the right side (else text after it would be dropped).
std::string_view addressInside(MacroCompiler& mc, std::string_view rightSide, std::size_t open) {
  if (rightSide.size() <= open || rightSide.back() != ')') mc.expressionExit();
  return rightSide.substr(open, rightSide.size() - open - 1);
}

bool isLetterRegister(std::string_view code) {
  return code.size() == 1 && code.front() >= 'A' && code.front() <= 'Z';
}

void compilePeek(MacroCompiler& mc, std::string_view target, std::string_view rightSide) {
  constexpr std::string_view kAddress = "_sansyou";
  declare(mc, target);
  const std::string r = evaluate(mc, addressInside(mc, rightSide, 5));
  const std::string reg = mc.hensuulabel.getVarReg(r);
  if (isLetterRegister(reg)) {
    mc.codeout.code_calcPeek(target, r, "=");
    return;
  }
  // A system register or a constant has no indirect form: the address goes through a letter register.
  mc.hensuulabel.addVar(kAddress);
  stmt::assign(mc, kAddress, r);
  mc.codeout.code_calcPeek(target, kAddress, "=");
}

void compileVPeek(MacroCompiler& mc, std::string_view target, std::string_view rightSide) {
  constexpr std::string_view kAddress = "_vpeek";
  declare(mc, target);
  const std::string r = evaluate(mc, addressInside(mc, rightSide, 6));
  if (isVariable(mc, r)) {
    mc.codeout.code_vpeek(target, r);
    return;
  }
  mc.hensuulabel.addVar(kAddress);
  mc.codeout.code_calcImm(kAddress, HensuuLabel::hexVal(r), "=");
  mc.codeout.code_vpeek(target, kAddress);
}

}  // namespace

void compileRoutineCall(MacroCompiler& mc, const SourceLine& line) {
  const std::string_view called = trimBlanks(line.word(0));
  const std::string routine = mc.hensuulabel.getRoutineName(called);
  const std::string_view argumentText = trimBlanks(textFrom(line.text, line.words[0].size() + 1));
  // "Name = value" uses a routine's name as a variable.
  if (!argumentText.empty() && argumentText.front() == '=') mc.expressionExit();
  if (!argumentText.empty()) {
    const std::vector<std::string_view> arguments = splitAt(argumentText, ',');
    const std::string paramText = mc.hensuulabel.getRoutineValue(called);
    std::vector<std::string_view> params;
    if (!paramText.empty()) params = splitAt(paramText, ',');
    // An argument with no parameter to take it would be dropped without a word.
    if (arguments.size() > params.size()) mc.expressionExit();
    for (std::size_t k = 0; k < params.size(); ++k) {
      if (k >= arguments.size()) throw CompileFault("fewer arguments than parameters");
      const std::string key = routine + "::" + std::string(params[k]);
      mc.hensuulabel.addVar(key);
      stmt::assign(mc, key, evaluate(mc, trimBlanks(arguments[k])));
    }
  }
  mc.codeout.code_callLabel(called);
}

void compileAssignment(MacroCompiler& mc, const SourceLine& line) {
  const auto& words = line.words;
  if (words.size() < 3) mc.expressionExit();
  if (words[1] != "=") throw CompileFault("assignment without '='");
  const std::string_view target = words[0];
  if (!stmt::isIdentifier(target)) mc.expressionExit();
  const std::string_view rightSide = textFrom(line.text, line.text.find('=') + 1);
  const std::string_view trimmed = trimBlanks(rightSide);

  // T = T op number in one L#; anything else (an unknown T, a variable or a non-number k, another
  // operator) is left to the general form, which reports what is wrong.
  if (words.size() == 5 && words[2] == target && isVariable(mc, target) && !isVariable(mc, words[4]) &&
      isNumberText(words[4]) && isShortcutOperator(words[3])) {
    mc.codeout.code_calcImm(target, numberValue(words[4]), words[3]);
    return;
  }
  if (mc.hensuulabel.getLabelToken(trimmed) != kNo) {
    declare(mc, target);
    mc.codeout.code_calcLabel(target, trimmed);
    return;
  }
  if (trimmed.starts_with("Peek(")) {
    compilePeek(mc, target, trimmed);
    return;
  }
  if (trimmed.starts_with("VPeek(")) {
    compileVPeek(mc, target, trimmed);
    return;
  }

  // The right side is compiled before T is declared: a right side that names T needs T to exist.
  const std::string r = evaluate(mc, rightSide);
  declare(mc, target);
  if (!isVariable(mc, r)) {
    if (mc.compiler.wideMode != 0)
      mc.codeout.code_calcImm32(target, HensuuLabel::hexVal(r), "=");
    else
      mc.codeout.code_calcImm(target, HensuuLabel::hexVal(r), "=");
    return;
  }
  mc.codeout.code_calcReg(target, r, "=");
  if (isTemporary(r)) mc.hensuulabel.delVar(r);
}

}  // namespace kelmore
