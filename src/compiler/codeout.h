// Code text and its emitters, plus the expression compiler that drives them.
// Layer: compiler (plain C++, no Qt).
//
// Every emitter only appends to codeText. Variable arguments are variable names; an emitter resolves them
// with getVarReg and throws CompileFault when a name does not resolve, when an operator or condition token
// is outside its table, or when a constant does not fit its field (16-bit: -32768..65535, wide:
// -2147483648..4294967295; constants are rounded half to even first, then written in two's complement at
// the field's width). The driver turns a CompileFault into its unexpected-error exit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/codetext.h"

namespace kelmore {

class MacroCompiler;

// The constants a 16-bit field takes once rounded half to even (two's complement below 0).
inline constexpr std::int64_t kField16Low = -32768;
inline constexpr std::int64_t kField16High = 65535;

// The text the expression compiler answers after it reported an unrecognised operand.
inline constexpr std::string_view kCodeSikiError = "code_siki_error";
// The answers of the display-command argument emitters.
inline constexpr std::string_view kEmitOk = "OK";
inline constexpr std::string_view kHiki1Error = "code_hiki1_error";
inline constexpr std::string_view kHiki2Error = "code_hiki2_error";
inline constexpr std::string_view kHiki1sError = "code_hiki1s_error";
inline constexpr std::string_view kHiki2sError = "code_hiki2s_error";

// True when the token reads wholly as a number: an optional sign, digits with an optional decimal point
// and exponent, or an &H / &O literal (either letter case).
bool isNumberText(std::string_view token);
// The value of a number text; an &H literal of up to four digits is signed 16-bit, of five to eight digits
// signed 32-bit. Decimal texts read with a decimal point whatever the locale. CompileFault for a number
// too large for a double or an octal literal past 32 bits. Other texts give their leading number.
double numberValue(std::string_view token);

// Element `index` of a statement's argument list, trimmed; empty when the list has no such element.
std::string_view argumentAt(std::span<const std::string_view> args, std::size_t index);
// The same for an argument that may not be left out: CompileFault when it is absent or blank (an empty
// place would otherwise send 0 without a word).
std::string_view requiredArgument(std::span<const std::string_view> args, std::size_t index);

// One rule for the constant fields of display commands, read by the number reader and rounded half to
// even: a one-byte field takes 0..255, a two-byte field -65536..65535 (a negative value as value + 65536).
// CompileFault for a value outside its field.
std::uint8_t byteField(std::string_view constant);
std::uint16_t wordField(std::string_view constant);

// The ASCII byte of an operator token ("=", "+", "-", "*", "/", "Mod", "Or", "And", "Xor"), or -1.
int operatorByte(std::string_view token);
// The ASCII byte of a condition token ("=", "<", ">", "<>", "<=", ">="), or -1.
int conditionByte(std::string_view token);

class CodeOut {
 public:
  explicit CodeOut(MacroCompiler& owner);

  // The code text: three characters a byte (two upper-case hex digits, then a blank, or "." for Data).
  std::string codeText;

  // Address of the next byte to be appended.
  std::size_t currentAddress() const { return byteAddress(codeText.size()); }
  // The same as four upper-case hex digits ("001A").
  std::string addressText() const;

  // --- byte writers ---
  void code_out(std::span<const std::uint8_t> bytes);
  void code_outData(std::span<const std::uint8_t> bytes);
  void code_print(std::span<const std::uint8_t> bytes);
  void code_printReg(std::span<const std::uint8_t> registerCodes);
  // One P# of up to 17 comma-separated hex bytes ("1F,28,61,14").
  void code_printHex(std::string_view hexTemplate);

  // --- instruction emitters ---
  void code_calcImm(std::string_view var, double constant, std::string_view op);
  void code_calcImm32(std::string_view var, double constant, std::string_view op);
  void code_pokeImm(std::string_view var, double constant);
  void code_inc(std::string_view var);
  void code_calcReg(std::string_view dst, std::string_view src, std::string_view op);
  void code_calcPeek(std::string_view dst, std::string_view src, std::string_view op);
  void code_pokeReg(std::string_view dst, std::string_view src);
  void code_vpokeImm(std::string_view var, std::uint8_t value);
  void code_vpokeReg(std::string_view var1, std::string_view var2);
  void code_vpeek(std::string_view var1, std::string_view var2);
  void code_jmpcImm(std::string_view var, double constant, std::string_view cond, std::int16_t skip);
  void code_jmpcReg(std::string_view var1, std::string_view var2, std::string_view cond, std::int16_t skip);
  void code_jmp(std::int16_t skip);
  void code_jmpcImmLabel(std::string_view var, double constant, std::string_view cond,
                         std::string_view label);
  void code_jmpcRegLabel(std::string_view var1, std::string_view var2, std::string_view cond,
                         std::string_view label);
  void code_jmpLabel(std::string_view label);
  void code_callLabel(std::string_view label);
  // L# var "=" with the absolute token of `label`: var = the label's address. The field is 2 bytes, and
  // with the wide flag 4 (the token, then 00 00), so every L# has the length its mode gives it.
  void code_calcLabel(std::string_view var, std::string_view label);

  // --- display-command argument emitters ---
  // Argument `index` of a statement's argument list (texts split at ",", trimmed here) as one byte or as two
  // bytes low first: a constant as a P# of its bytes, a variable or computed value as a PR of the registers
  // holding them (for two bytes, the value and the temporary "_hiki" = value / 256, freed again). Constants
  // are read by the number reader and rounded half to even; a one-byte constant must lie in 0..255, a
  // two-byte one in -65536..65535 (a negative one is sent as value + 65536). Answers kEmitOk, or the
  // emitter's error word when the expression compiler reported an unrecognised operand. A required
  // argument that is absent or blank, and a constant outside its field, throw CompileFault.
  std::string_view code_hiki1(std::span<const std::string_view> args, std::size_t index);
  std::string_view code_hiki2(std::span<const std::string_view> args, std::size_t index);
  // The same for an optional argument: absent or blank sends the default (0..255, or 0..65535 for two
  // bytes; CompileFault otherwise) as a P#.
  std::string_view code_hiki1s(std::span<const std::string_view> args, std::size_t index, int defaultValue);
  std::string_view code_hiki2s(std::span<const std::string_view> args, std::size_t index, int defaultValue);

  // --- expression compiler ---
  // Priority of one token (lower-cased first): "(" 6, operands 5, * / mod 4, + - 3, comparisons 2,
  // and or xor 1, ")" and the empty text 0.
  static std::int16_t opPriority(std::string_view token);
  // Infix to postfix into postfixList (the working stack keeps only its sentinel).
  void toPostfix(std::string_view expression);
  // Folds constants or emits code that leaves the value in a temporary "_sp<base+p>". Returns a constant
  // text, a variable name as written, a temporary's name, or "code_siki_error" after reporting an
  // unrecognised operand. An empty expression or operands left over ("a b") take the expression exit;
  // malformed structure and arithmetic faults throw CompileFault.
  std::string code_siki(std::string_view expression, std::int16_t base);

  std::vector<std::string> workStack;
  std::vector<std::string> postfixList;

 private:
  int registerCode(std::string_view var) const;
  int letterRegister(std::string_view var, std::string_view role) const;
  void appendByte(int value);
  void appendImm(double constant, bool wide);
  void appendSkip(std::int16_t skip);
  // The slot of a declared label; CompileFault for a label the table lacks.
  int labelSlot(std::string_view label) const;
  std::string fold(const std::string& left, const std::string& right, const std::string& op) const;

  MacroCompiler& owner_;
};

}  // namespace kelmore
