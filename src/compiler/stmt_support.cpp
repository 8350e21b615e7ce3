// Small helpers shared by the statement compilers.
// Layer: compiler (plain C++, no Qt).
#include "compiler/stmt_support.h"

#include "common/numbers.h"
#include "common/strings.h"
#include "compiler/hensuulabel.h"

namespace kelmore::stmt {

namespace {

bool isAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string_view textFrom(std::string_view text, std::size_t pos) {
  return pos >= text.size() ? std::string_view{} : text.substr(pos);
}

std::string evaluate(MacroCompiler& mc, std::string_view expression) {
  std::string result = mc.codeout.code_siki(expression, 0);
  if (result == kCodeSikiError) mc.unexpectedExit();
  return result;
}

bool isVariable(const MacroCompiler& mc, std::string_view operand) {
  return mc.hensuulabel.getVarReg(operand) != kNo;
}

void assign(MacroCompiler& mc, std::string_view target, std::string_view value) {
  if (isVariable(mc, value))
    mc.codeout.code_calcReg(target, value, "=");
  else
    mc.codeout.code_calcImm(target, HensuuLabel::hexVal(value), "=");
}

bool isIdentifier(std::string_view name) {
  constexpr std::string_view kGlobal = "global::";
  if (name.size() > kGlobal.size() && toLowerAscii(name.substr(0, kGlobal.size())) == kGlobal)
    name.remove_prefix(kGlobal.size());
  if (name.empty() || !isAsciiLetter(name.front())) return false;
  for (char c : name)
    if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '_') return false;
  return true;
}

std::uint8_t registerByte(const MacroCompiler& mc, std::string_view variable) {
  const std::string reg = mc.hensuulabel.getVarReg(variable);
  if (reg == kNo || reg.size() != 1)
    throw CompileFault("variable " + std::string(variable) + " has no register");
  return static_cast<std::uint8_t>(reg.front());
}

std::uint8_t constantByte(std::string_view constant) {
  const auto value = nearestInRange(HensuuLabel::hexVal(constant), 0, 255);
  if (!value) throw CompileFault("constant does not fit a byte");
  return static_cast<std::uint8_t>(*value);
}

std::string notReady(std::string_view word) {
  // Built by appending: GCC 12 warns (falsely) about "literal" + string in release builds.
  std::string text = "'";
  text += word;
  text += '\'';
  text += resString(1011);
  return text;
}

std::string blockLabel(std::string_view prefix, int level, int count) {
  return std::string(prefix) + std::to_string(level) + "_" + std::to_string(count);
}

}  // namespace kelmore::stmt
