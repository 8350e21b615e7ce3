// Argument-to-field encoding of the device commands: one-byte fields and the two 16-bit field rules.
// Layer: link (plain C++, no Qt). Internal to the link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/linkerror.h"

namespace kelmore::link::fields {

inline void overflow() {
  throw DeviceError(DeviceError::Kind::Overflow);
}

// Every numeric argument of a command is a 16-bit signed integer.
inline int arg16(std::int64_t value) {
  if (value < -32768 || value > 32767) overflow();
  return static_cast<int>(value);
}

inline std::uint8_t byte(std::int64_t value) {
  if (value < 0 || value > 255) overflow();
  return static_cast<std::uint8_t>(value);
}

// Display-command two-byte field: the low 8 bits, then the value divided by 256 toward zero, which must
// be a byte; so -255..-1 go out as their low 8 bits and a high byte 00 (kept as the modules expect).
inline void appendWord(std::vector<std::uint8_t>& bytes, int value) {
  arg16(value);
  const int high = value / 256;
  if (high < 0 || high > 255) overflow();
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(high));
}

// Memory-command 16-bit field: value mod 256, value div 256, both bytes; so 0..`max`.
inline void checkField(std::int64_t value, std::int64_t max) {
  if (value < 0 || value > max) overflow();
}

inline void appendField(std::vector<std::uint8_t>& bytes, std::int64_t value, std::int64_t max) {
  checkField(value, max);
  bytes.push_back(static_cast<std::uint8_t>(value % 256));
  bytes.push_back(static_cast<std::uint8_t>(value / 256));
}

// 24-bit field of addresses and long lengths: low, middle and high byte of 0..16777215.
inline void appendTriple(std::vector<std::uint8_t>& bytes, std::int64_t value) {
  checkField(value, 0xFFFFFF);
  bytes.push_back(static_cast<std::uint8_t>(value % 256));
  bytes.push_back(static_cast<std::uint8_t>(value / 256 % 256));
  bytes.push_back(static_cast<std::uint8_t>(value / 65536));
}

// The first `count` bytes of `data`; a shorter array is an index error.
inline std::span<const std::uint8_t> head(std::span<const std::uint8_t> data, std::int64_t count) {
  if (count < 0 || static_cast<std::uint64_t>(count) > data.size()) {
    throw DeviceError(DeviceError::Kind::Index);
  }
  return data.first(static_cast<std::size_t>(count));
}

}  // namespace kelmore::link::fields
