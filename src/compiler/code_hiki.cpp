// Display-command argument emitters: one argument as literal bytes (P#) or as the registers holding it (PR).
// Layer: compiler (plain C++, no Qt).
#include <array>
#include <cstdint>
#include <string>

#include "common/numbers.h"
#include "compiler/codeout.h"
#include "compiler/compiler.h"

namespace kelmore {
namespace {

constexpr std::string_view kHigh = "_hiki";

}  // namespace

std::string_view argumentAt(std::span<const std::string_view> args, std::size_t index) {
  return index < args.size() ? trimBlanks(args[index]) : std::string_view{};
}

std::string_view requiredArgument(std::span<const std::string_view> args, std::size_t index) {
  const std::string_view text = argumentAt(args, index);
  if (text.empty()) throw CompileFault("required argument missing");
  return text;
}

std::uint8_t byteField(std::string_view constant) {
  const auto value = nearestInRange(numberValue(constant), 0, 0xFF);
  if (!value) throw CompileFault("constant does not fit its byte");
  return static_cast<std::uint8_t>(*value);
}

std::uint16_t wordField(std::string_view constant) {
  const auto value = nearestInRange(numberValue(constant), -0x10000, 0xFFFF);
  if (!value) throw CompileFault("constant does not fit its two bytes");
  return static_cast<std::uint16_t>(*value < 0 ? *value + 0x10000 : *value);
}

std::string_view CodeOut::code_hiki1(std::span<const std::string_view> args, std::size_t index) {
  const std::string r = code_siki(requiredArgument(args, index), 0);
  if (r == kCodeSikiError) return kHiki1Error;
  if (owner_.hensuulabel.getVarReg(r) != kNo) {
    const std::array<std::uint8_t, 1> reg{static_cast<std::uint8_t>(registerCode(r))};
    code_printReg(reg);
  } else {
    const std::array<std::uint8_t, 1> byte{byteField(r)};
    code_print(byte);
  }
  return kEmitOk;
}

std::string_view CodeOut::code_hiki2(std::span<const std::string_view> args, std::size_t index) {
  const std::string r = code_siki(requiredArgument(args, index), 0);
  if (r == kCodeSikiError) return kHiki2Error;
  auto& tables = owner_.hensuulabel;
  if (tables.getVarReg(r) != kNo) {
    // The module divides integers: "_hiki" holds the high byte.
    tables.addVar(kHigh);
    code_calcReg(kHigh, r, "=");
    code_calcImm(kHigh, 256, "/");
    const std::array<std::uint8_t, 2> regs{static_cast<std::uint8_t>(registerCode(r)),
                                           static_cast<std::uint8_t>(registerCode(kHigh))};
    code_printReg(regs);
    tables.delVar(kHigh);
  } else {
    const std::uint16_t value = wordField(r);
    const std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(value & 0xFF),
                                            static_cast<std::uint8_t>(value >> 8)};
    code_print(bytes);
  }
  return kEmitOk;
}

std::string_view CodeOut::code_hiki1s(std::span<const std::string_view> args, std::size_t index,
                                      int defaultValue) {
  if (argumentAt(args, index).empty()) {
    if (defaultValue < 0 || defaultValue > 0xFF) throw CompileFault("default does not fit its byte");
    const std::array<std::uint8_t, 1> byte{static_cast<std::uint8_t>(defaultValue)};
    code_print(byte);
    return kEmitOk;
  }
  return code_hiki1(args, index) == kEmitOk ? kEmitOk : kHiki1sError;
}

std::string_view CodeOut::code_hiki2s(std::span<const std::string_view> args, std::size_t index,
                                      int defaultValue) {
  if (argumentAt(args, index).empty()) {
    if (defaultValue < 0 || defaultValue > 0xFFFF) throw CompileFault("default does not fit its two bytes");
    const std::array<std::uint8_t, 2> bytes{static_cast<std::uint8_t>(defaultValue & 0xFF),
                                            static_cast<std::uint8_t>(defaultValue >> 8)};
    code_print(bytes);
    return kEmitOk;
  }
  return code_hiki2(args, index) == kEmitOk ? kEmitOk : kHiki2sError;
}

}  // namespace kelmore
