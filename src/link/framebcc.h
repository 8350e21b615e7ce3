// FrameBcc: the addressed link frame 02 address n data... 03 bcc, and the module address it carries.
// Layer: link (plain C++, no Qt).
//
// Both link units cut every send into frames of at most kFrameData data bytes when a module address is
// set; only the last frame may be shorter. Data bytes 02 and 03 are not escaped; nothing is read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kelmore::link {

inline constexpr std::size_t kFrameData = 128;
inline constexpr std::size_t kFrameMax = kFrameData + 5;

// The frame address for a module address text: nothing for the empty text (raw stream), else the text's
// leading decimal number to the nearest integer (halves to even; no leading number gives 0). Throws
// DeviceError Overflow when that number does not fit a 16-bit integer or lies outside 0..255.
std::optional<std::uint8_t> frameAddress(std::string_view moduleAdd);

// One frame around 1..128 data bytes: 02, address, n, data, 03, XOR of all bytes before it.
std::vector<std::uint8_t> frameOne(std::uint8_t address, std::span<const std::uint8_t> piece);

// Every frame of `data`, in order. An empty array gives no frame.
std::vector<std::vector<std::uint8_t>> FrameBcc(std::uint8_t address, std::span<const std::uint8_t> data);

}  // namespace kelmore::link
