// Download framing bytes.
// Layer: common (plain C++, no Qt).
#include "common/framing.h"

#include <stdexcept>

namespace kelmore {
namespace {

void appendLength(std::vector<std::uint8_t>& bytes, std::size_t length) {
  if (length > kMaxMacroLength) throw std::length_error("macro code longer than 65535 bytes");
  bytes.push_back(static_cast<std::uint8_t>(length & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(length >> 8));
}

}  // namespace

std::vector<std::uint8_t> ramMacroHeader(std::size_t codeLength) {
  std::vector<std::uint8_t> bytes{0x1F, 0x3A};
  appendLength(bytes, codeLength);
  return bytes;
}

std::vector<std::uint8_t> flashMacroHeader(std::uint8_t area, std::size_t codeLength, std::uint8_t stepTimer,
                                           std::uint8_t loopTimer) {
  std::vector<std::uint8_t> bytes{0x1F, 0x28, 0x65, 0x12, area};
  appendLength(bytes, codeLength);
  bytes.push_back(stepTimer);
  bytes.push_back(loopTimer);
  return bytes;
}

std::vector<std::uint8_t> ramMacroDefine(std::span<const std::uint8_t> code) {
  std::vector<std::uint8_t> bytes = ramMacroHeader(code.size());
  bytes.reserve(bytes.size() + code.size() + kRamMacroTrailingZeros);
  bytes.insert(bytes.end(), code.begin(), code.end());
  bytes.insert(bytes.end(), kRamMacroTrailingZeros, 0x00);
  return bytes;
}

std::vector<std::uint8_t> flashMacroDefine(std::uint8_t area, std::uint8_t stepTimer, std::uint8_t loopTimer,
                                           std::span<const std::uint8_t> code) {
  std::vector<std::uint8_t> bytes = flashMacroHeader(area, code.size(), stepTimer, loopTimer);
  bytes.insert(bytes.end(), code.begin(), code.end());
  return bytes;
}

}  // namespace kelmore
