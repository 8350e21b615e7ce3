// Download framing: the bytes that carry macro code into a macro area.
// Layer: common (plain C++, no Qt).
//
// The one place these bytes are built. Lengths are code bytes and must fit the 16-bit field (0..65535);
// a longer code throws std::length_error before any byte is built.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelmore {

inline constexpr std::array<std::uint8_t, 6> kUserModeIn{0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E};
inline constexpr std::array<std::uint8_t, 7> kUserModeOut{0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54};
inline constexpr std::size_t kMaxMacroLength = 65535;
// A RAM macro definition on the link ends with these zero bytes after the code.
inline constexpr std::size_t kRamMacroTrailingZeros = 5;

// 1F 3A nL nH.
std::vector<std::uint8_t> ramMacroHeader(std::size_t codeLength);
// 1F 28 65 12 area nL nH step loop.
std::vector<std::uint8_t> flashMacroHeader(std::uint8_t area, std::size_t codeLength, std::uint8_t stepTimer,
                                           std::uint8_t loopTimer);

// The RAM macro definition as the link sends it: header, code, five 00 bytes.
std::vector<std::uint8_t> ramMacroDefine(std::span<const std::uint8_t> code);
// The flash macro definition as the link sends it: header, code.
std::vector<std::uint8_t> flashMacroDefine(std::uint8_t area, std::uint8_t stepTimer, std::uint8_t loopTimer,
                                           std::span<const std::uint8_t> code);

}  // namespace kelmore
