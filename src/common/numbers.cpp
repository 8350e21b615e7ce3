// Number reading and formatting.
// Layer: common (plain C++, no Qt).
#include "common/numbers.h"

#include <cctype>
#include <cfenv>
#include <charconv>
#include <cmath>

namespace kelmore {
namespace {

bool isSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// The text without the characters that Val-style reading skips, up to where no number can go on.
std::string squeezed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (!isSkipped(c)) out.push_back(c);
  return out;
}

double radixNumber(std::string_view digits, int radix) {
  std::uint64_t value = 0;
  for (char c : digits) {
    const int d = hexDigitValue(c);
    if (d < 0 || d >= radix) break;
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFull) break;  // the system reads at most 32 bits
  }
  value &= 0xFFFFFFFFull;
  if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

double leadingNumber(std::string_view text) {
  const std::string s = squeezed(text);
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return radixNumber(std::string_view(s).substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return radixNumber(std::string_view(s).substr(2), 8);
    return 0;
  }
  // Longest prefix of the form [sign] digits [. digits] [(E|D) [sign] digits].
  std::size_t i = 0;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
  bool digits = false;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
    number.push_back(s[i++]), digits = true;
  if (i < s.size() && s[i] == '.') {
    number.push_back(s[i++]);
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
      number.push_back(s[i++]), digits = true;
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
    const std::size_t first = j;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) exponent.push_back(s[j++]);
    if (j > first) number += exponent;
  }
  // from_chars reads the same under every locale; a window toolkit may have put a decimal comma in force.
  const std::string_view digitsText = number.starts_with('+') ? std::string_view(number).substr(1) : number;
  double value = 0;
  const auto [end, error] = std::from_chars(digitsText.data(), digitsText.data() + digitsText.size(), value);
  return error == std::errc{} && std::isfinite(value) ? value : 0;
}

double roundHalfEven(double value) {
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(saved);
  return rounded;
}

std::optional<std::int64_t> nearestInRange(double value, std::int64_t low, std::int64_t high) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = roundHalfEven(value);
  if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high)) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

std::string hexUpper(std::uint64_t value) {
  std::string out;
  do {
    out.insert(out.begin(), hexDigit(value & 0xF));
    value >>= 4;
  } while (value != 0);
  return out;
}

std::string hexUpper(std::uint64_t value, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = hexDigit(value & 0xF);
  return out;
}

}  // namespace kelmore
