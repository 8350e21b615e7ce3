// Statement compilers for widths, memory and the register stack: Mem8/16/32, Sel16/32, TargetMem, VPoke,
// Poke, Push, Pop.
// Layer: compiler (plain C++, no Qt).
#include "compiler/memorystmts.h"

#include <array>
#include <optional>
#include <string>

#include "common/codetext.h"
#include "common/models.h"
#include "common/text.h"
#include "compiler/instructions.h"
#include "compiler/modelgate.h"
#include "compiler/stmt_support.h"

namespace kelmore {

using stmt::evaluate;
using stmt::isTemporary;
using stmt::isVariable;
using stmt::textFrom;

namespace {

// The memory areas that only some models have.
struct AreaGate {
  std::uint8_t code;
  ModelGate gate;
};
constexpr std::array<AreaGate, 2> kAreaGates{{{0x31, ModelGate::GPFRomArea}, {0x32, ModelGate::GPFRom2Area}}};

void appendInstruction(MacroCompiler& mc, Opcode op, std::optional<std::uint8_t> operand = std::nullopt) {
  mc.codeout.codeText += opcodeText(op);
  if (operand) appendCodeByte(mc.codeout.codeText, *operand);
}

void selectWidth(MacroCompiler& mc, const SourceLine& line, bool wide) {
  requireModel(mc, ModelGate::WidthAndMemory, line.words[0]);
  appendInstruction(mc, Opcode::Mode, wide ? kModeWide : kModeNarrow);
  mc.compiler.wideMode = wide ? -1 : 0;
}

// The address and data texts of "VPoke address,data" and "Poke address,data", trimmed. A line without the
// comma, or with an empty place, has no statement to compile.
std::pair<std::string_view, std::string_view> addressAndData(const SourceLine& line) {
  const std::string_view arguments = textFrom(line.text, line.words[0].size() + 1);
  const std::size_t comma = arguments.find(',');
  if (comma == std::string_view::npos) throw CompileFault("',' is missing");
  const std::string_view address = trimBlanks(arguments.substr(0, comma));
  const std::string_view data = trimBlanks(arguments.substr(comma + 1));
  if (address.empty() || data.empty()) throw CompileFault("required argument missing");
  return {address, data};
}

// Frees what the expression compiler made for a value; a variable the program named stays.
void releaseComputed(MacroCompiler& mc, std::string_view value) {
  if (isTemporary(value) && isVariable(mc, value)) mc.hensuulabel.delVar(value);
}

bool isLetterRegister(const MacroCompiler& mc, std::string_view var) {
  const std::string code = mc.hensuulabel.getVarReg(var);
  return code.size() == 1 && code.front() >= 'A' && code.front() <= 'Z';
}

std::string_view operandOf(const SourceLine& line) {
  return trimBlanks(textFrom(line.text, line.words[0].size() + 1));
}

void stackInstruction(MacroCompiler& mc, const SourceLine& line, Opcode op) {
  requireModel(mc, ModelGate::Stack, line.words[0]);
  const std::string code = mc.hensuulabel.getVarReg(operandOf(line));
  if (code == kNo) throw CompileFault("not a variable");
  appendInstruction(mc, op, static_cast<std::uint8_t>(code.front()));
}

}  // namespace

void compileMem8(MacroCompiler& mc, const SourceLine&) {
  appendInstruction(mc, Opcode::Mem8);
}

void compileMem16(MacroCompiler& mc, const SourceLine&) {
  appendInstruction(mc, Opcode::Mem16);
}

void compileMem32(MacroCompiler& mc, const SourceLine&) {
  appendInstruction(mc, Opcode::Mem32);
}

void compileSel16(MacroCompiler& mc, const SourceLine& line) {
  selectWidth(mc, line, false);
}

void compileSel32(MacroCompiler& mc, const SourceLine& line) {
  selectWidth(mc, line, true);
}

void compileTargetMem(MacroCompiler& mc, const SourceLine& line) {
  requireModel(mc, ModelGate::WidthAndMemory, line.words[0]);
  mc.codeout.codeText += opcodeText(Opcode::TargetMemory);
  const std::optional<std::uint8_t> code = memoryAreaCode(line.word(1));
  if (!code) throw CompileFault("unknown memory area");
  for (const AreaGate& area : kAreaGates)
    if (area.code == *code) requireModel(mc, area.gate, line.words[0]);
  appendCodeByte(mc.codeout.codeText, *code);
}

void compileVPoke(MacroCompiler& mc, const SourceLine& line) {
  constexpr std::string_view kAddress = "_vpoke1";
  const auto [addressText, dataText] = addressAndData(line);
  const std::string address = evaluate(mc, addressText);
  std::string_view addressReg = address;
  if (!isVariable(mc, address)) {
    mc.hensuulabel.addVar(kAddress);
    stmt::assign(mc, kAddress, address);
    addressReg = kAddress;
  }
  const std::string data = mc.codeout.code_siki(dataText, 1);
  if (data == kCodeSikiError) mc.unexpectedExit();
  if (isVariable(mc, data))
    mc.codeout.code_vpokeReg(addressReg, data);
  else
    mc.codeout.code_vpokeImm(addressReg, byteField(data));
  if (addressReg == kAddress) mc.hensuulabel.delVar(kAddress);
  releaseComputed(mc, address);
  releaseComputed(mc, data);
}

void compilePoke(MacroCompiler& mc, const SourceLine& line) {
  constexpr std::string_view kAddress = "_poke1";
  requireModel(mc, ModelGate::Poke, line.words[0]);
  const auto [addressText, dataText] = addressAndData(line);
  const std::string address = evaluate(mc, addressText);
  const std::string data = mc.codeout.code_siki(dataText, 1);
  if (data == kCodeSikiError) mc.unexpectedExit();
  // Only a letter register has the indirect form; "code + 20h" of a system register would name a
  // standard register instead, so a constant or a system variable goes through "_poke1".
  std::string_view addressReg = address;
  if (!isLetterRegister(mc, address)) {
    mc.hensuulabel.addVar(kAddress);
    stmt::assign(mc, kAddress, address);
    addressReg = kAddress;
  }
  if (isVariable(mc, data))
    mc.codeout.code_pokeReg(addressReg, data);
  else
    mc.codeout.code_pokeImm(addressReg, HensuuLabel::hexVal(data));
  if (addressReg == kAddress) mc.hensuulabel.delVar(kAddress);
  releaseComputed(mc, address);
  releaseComputed(mc, data);
}

void compilePush(MacroCompiler& mc, const SourceLine& line) {
  stackInstruction(mc, line, Opcode::Push);
}

void compilePop(MacroCompiler& mc, const SourceLine& line) {
  stackInstruction(mc, line, Opcode::Pop);
}

}  // namespace kelmore
