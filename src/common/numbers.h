// Number reading and formatting shared by every subsystem.
// Layer: common (plain C++, no Qt).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmore {

// The upper-case hex digit of 0..15: the one table every writer of hex text reads.
inline constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr char hexDigit(std::uint64_t value) {
  return kHexDigits[static_cast<std::size_t>(value & 0xF)];
}

// 0..15 for a hex digit of either case, -1 otherwise.
constexpr int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The leading number of a text, the way the system reads numbers typed by users: blanks, tabs and line
// feeds anywhere are skipped; an optional sign, digits, a decimal point and an exponent (E or D) are read;
// "&H" and "&O" read hexadecimal and octal (a value up to &HFFFF as a signed 16-bit number, beyond that as
// a signed 32-bit one). A text without a leading number gives 0.
double leadingNumber(std::string_view text);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value);

// The nearest integer when it fits the range, nothing otherwise (NaN and infinities never fit).
std::optional<std::int64_t> nearestInRange(double value, std::int64_t low, std::int64_t high);

// Upper-case hex without leading zeros ("1F", "0" for zero).
std::string hexUpper(std::uint64_t value);
// Exactly `digits` upper-case hex digits: the low ones, zero padded ("0000" & Hex(v), last four).
std::string hexUpper(std::uint64_t value, int digits);

}  // namespace kelmore
