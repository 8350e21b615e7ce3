// Code text emitters: every instruction of the macro set, appended as text.
// Layer: compiler (plain C++, no Qt).
#include "compiler/codeout.h"

#include <cmath>

#include "common/codetext.h"
#include "common/numbers.h"
#include "compiler/compiler.h"
#include "compiler/instructions.h"

namespace kelmore {
namespace {

constexpr std::size_t kMaxHexTemplateItems = 17;
constexpr std::size_t kMaxPrintBytes = 0xFFFF;

bool isLetterCode(int code) {
  return code >= 'A' && code <= 'Z';
}

}  // namespace

int operatorByte(std::string_view token) {
  for (const auto& row : kOperators)
    if (row.arithmetic && row.token == token) return row.byte;
  return -1;
}

int conditionByte(std::string_view token) {
  for (const auto& row : kOperators)
    if (row.condition && row.token == token) return row.byte;
  return -1;
}

CodeOut::CodeOut(MacroCompiler& owner) : owner_(owner) {}

std::string CodeOut::addressText() const {
  return hexUpper(currentAddress(), 4);
}

void CodeOut::appendByte(int value) {
  appendCodeByte(codeText, static_cast<std::uint8_t>(value & 0xFF));
}

int CodeOut::registerCode(std::string_view var) const {
  const std::string reg = owner_.hensuulabel.getVarReg(var);
  if (reg == kNo || reg.size() != 1) throw CompileFault("variable " + std::string(var) + " has no register");
  return static_cast<unsigned char>(reg[0]);
}

int CodeOut::letterRegister(std::string_view var, std::string_view role) const {
  const int code = registerCode(var);
  // Only the letter registers have an indirect form (the lower-case letter).
  if (!isLetterCode(code)) throw CompileFault(std::string(role) + " needs a register A..Z");
  return code;
}

void CodeOut::appendImm(double constant, bool wide) {
  const auto value = wide ? nearestInRange(constant, -2147483648LL, 4294967295LL)
                          : nearestInRange(constant, kField16Low, kField16High);
  if (!value) throw CompileFault("constant does not fit its field");
  const auto bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(*value));
  if (wide)
    appendField32(codeText, bits);
  else
    appendField16(codeText, static_cast<std::uint16_t>(bits));
}

void CodeOut::appendSkip(std::int16_t skip) {
  appendField16(codeText, static_cast<std::uint16_t>(skip));
}

int CodeOut::labelSlot(std::string_view label) const {
  const int slot = owner_.hensuulabel.labelSlot(label);
  if (slot < 0) throw CompileFault("label " + std::string(label) + " is not declared");
  return slot;
}

void CodeOut::code_out(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) appendCodeByte(codeText, b);
}

void CodeOut::code_outData(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) appendCodeByte(codeText, b, kDataSeparator);
}

void CodeOut::code_print(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxPrintBytes) throw CompileFault("print text too long");
  codeText += opcodeText(Opcode::PrintConst);
  appendField16(codeText, static_cast<std::uint16_t>(bytes.size()));
  code_out(bytes);
}

void CodeOut::code_printReg(std::span<const std::uint8_t> registerCodes) {
  if (registerCodes.size() > kMaxPrintBytes) throw CompileFault("print list too long");
  codeText += opcodeText(Opcode::PrintReg);
  appendField16(codeText, static_cast<std::uint16_t>(registerCodes.size()));
  code_out(registerCodes);
}

void CodeOut::code_printHex(std::string_view hexTemplate) {
  std::vector<std::uint8_t> bytes;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = hexTemplate.find(',', start);
    const std::string_view item = trimBlanks(hexTemplate.substr(start, comma - start));
    if (bytes.size() == kMaxHexTemplateItems) throw CompileFault("too many bytes in a print template");
    const double value = HensuuLabel::hexVal("&h" + std::string(item));
    if (value > 0xFF) throw CompileFault("print template byte above FF");
    bytes.push_back(static_cast<std::uint8_t>(value));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  code_print(bytes);
}

void CodeOut::code_calcImm(std::string_view var, double constant, std::string_view op) {
  const int reg = registerCode(var);
  const int opByte = operatorByte(op);
  if (opByte < 0) throw CompileFault("unknown operator " + std::string(op));
  codeText += opcodeText(Opcode::LoadImm);
  appendByte(reg);
  appendByte(opByte);
  appendImm(constant, owner_.compiler.wideMode != 0);
}

void CodeOut::code_calcImm32(std::string_view var, double constant, std::string_view op) {
  const int reg = registerCode(var);
  const int opByte = operatorByte(op);
  if (opByte < 0) throw CompileFault("unknown operator " + std::string(op));
  codeText += opcodeText(Opcode::LoadImm);
  appendByte(reg);
  appendByte(opByte);
  appendImm(constant, true);
}

void CodeOut::code_pokeImm(std::string_view var, double constant) {
  const int reg = letterRegister(var, "poke");
  codeText += opcodeText(Opcode::LoadImm);
  appendByte(reg + 0x20);
  appendByte(kOpLoad);
  appendImm(constant, owner_.compiler.wideMode != 0);
}

void CodeOut::code_inc(std::string_view var) {
  const int reg = registerCode(var);
  codeText += opcodeText(Opcode::LoadImm);
  appendByte(reg);
  appendByte(kOpIncrement);
}

void CodeOut::code_calcReg(std::string_view dst, std::string_view src, std::string_view op) {
  const int d = registerCode(dst);
  const int s = registerCode(src);
  const int opByte = operatorByte(op);
  if (opByte < 0) throw CompileFault("unknown operator " + std::string(op));
  // A copy of a letter register onto itself is no instruction at all.
  if (op == "=" && d == s && isLetterCode(d)) return;
  codeText += opcodeText(Opcode::LoadReg);
  appendByte(d);
  appendByte(opByte);
  appendByte(s);
}

void CodeOut::code_calcPeek(std::string_view dst, std::string_view src, std::string_view op) {
  const int d = registerCode(dst);
  const int s = letterRegister(src, "peek");
  const int opByte = operatorByte(op);
  if (opByte < 0) throw CompileFault("unknown operator " + std::string(op));
  codeText += opcodeText(Opcode::LoadReg);
  appendByte(d);
  appendByte(opByte);
  appendByte(s + 0x20);
}

void CodeOut::code_pokeReg(std::string_view dst, std::string_view src) {
  const int d = letterRegister(dst, "poke");
  const int s = registerCode(src);
  codeText += opcodeText(Opcode::LoadReg);
  appendByte(d + 0x20);
  appendByte(kOpLoad);
  appendByte(s);
}

void CodeOut::code_vpokeImm(std::string_view var, std::uint8_t value) {
  const int reg = registerCode(var);
  codeText += opcodeText(Opcode::VramImm);
  appendByte(reg);
  appendByte(value);
}

void CodeOut::code_vpokeReg(std::string_view var1, std::string_view var2) {
  const int r1 = registerCode(var1);
  const int r2 = registerCode(var2);
  codeText += opcodeText(Opcode::VramReg);
  appendByte(r1);
  appendByte(r2);
}

void CodeOut::code_vpeek(std::string_view var1, std::string_view var2) {
  const int r1 = registerCode(var1);
  const int r2 = registerCode(var2);
  codeText += opcodeText(Opcode::VramRead);
  appendByte(r1);
  appendByte(r2);
}

void CodeOut::code_jmpcImm(std::string_view var, double constant, std::string_view cond, std::int16_t skip) {
  const int reg = registerCode(var);
  const int c = conditionByte(cond);
  if (c < 0) throw CompileFault("unknown condition " + std::string(cond));
  codeText += opcodeText(Opcode::CompareImm);
  appendByte(reg);
  appendByte(c);
  appendImm(constant, owner_.compiler.wideMode != 0);
  appendSkip(skip);
}

void CodeOut::code_jmpcReg(std::string_view var1, std::string_view var2, std::string_view cond,
                           std::int16_t skip) {
  const int r1 = registerCode(var1);
  const int r2 = registerCode(var2);
  const int c = conditionByte(cond);
  if (c < 0) throw CompileFault("unknown condition " + std::string(cond));
  codeText += opcodeText(Opcode::CompareReg);
  appendByte(r1);
  appendByte(c);
  appendByte(r2);
  appendSkip(skip);
}

void CodeOut::code_jmp(std::int16_t skip) {
  codeText += opcodeText(Opcode::Jump);
  appendSkip(skip);
}

void CodeOut::code_jmpcImmLabel(std::string_view var, double constant, std::string_view cond,
                                std::string_view label) {
  const int reg = registerCode(var);
  const int c = conditionByte(cond);
  if (c < 0) throw CompileFault("unknown condition " + std::string(cond));
  const int slot = labelSlot(label);
  codeText += opcodeText(Opcode::CompareImm);
  appendByte(reg);
  appendByte(c);
  appendImm(constant, owner_.compiler.wideMode != 0);
  codeText += labelToken(slot, false);
}

void CodeOut::code_jmpcRegLabel(std::string_view var1, std::string_view var2, std::string_view cond,
                                std::string_view label) {
  const int r1 = registerCode(var1);
  const int r2 = registerCode(var2);
  const int c = conditionByte(cond);
  if (c < 0) throw CompileFault("unknown condition " + std::string(cond));
  const int slot = labelSlot(label);
  codeText += opcodeText(Opcode::CompareReg);
  appendByte(r1);
  appendByte(c);
  appendByte(r2);
  codeText += labelToken(slot, false);
}

void CodeOut::code_jmpLabel(std::string_view label) {
  const int slot = labelSlot(label);
  codeText += opcodeText(Opcode::Jump);
  codeText += labelToken(slot, false);
}

void CodeOut::code_callLabel(std::string_view label) {
  const int slot = labelSlot(label);
  codeText += opcodeText(Opcode::Call);
  codeText += labelToken(slot, false);
}

void CodeOut::code_calcLabel(std::string_view var, std::string_view label) {
  const int reg = registerCode(var);
  const int slot = labelSlot(label);
  codeText += opcodeText(Opcode::LoadImm);
  appendByte(reg);
  appendByte(kOpLoad);
  codeText += labelToken(slot, true);
  // The wide L# carries four immediate bytes: the address, then its upper half.
  if (owner_.compiler.wideMode != 0) appendField16(codeText, 0);
}

}  // namespace kelmore
