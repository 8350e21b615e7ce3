// FrameBcc frames and the module address.
// Layer: link (plain C++, no Qt).
#include "link/framebcc.h"

#include "common/numbers.h"
#include "link/linkerror.h"

namespace kelmore::link {

std::optional<std::uint8_t> frameAddress(std::string_view moduleAdd) {
  if (moduleAdd.empty()) return std::nullopt;
  const auto number = nearestInRange(leadingNumber(moduleAdd), -32768, 32767);
  if (!number || *number < 0 || *number > 255) throw DeviceError(DeviceError::Kind::Overflow);
  return static_cast<std::uint8_t>(*number);
}

std::vector<std::uint8_t> frameOne(std::uint8_t address, std::span<const std::uint8_t> piece) {
  std::vector<std::uint8_t> frame;
  frame.reserve(piece.size() + 5);
  frame.push_back(0x02);
  frame.push_back(address);
  frame.push_back(static_cast<std::uint8_t>(piece.size()));
  frame.insert(frame.end(), piece.begin(), piece.end());
  frame.push_back(0x03);
  std::uint8_t bcc = 0;
  for (std::uint8_t b : frame) bcc ^= b;
  frame.push_back(bcc);
  return frame;
}

std::vector<std::vector<std::uint8_t>> FrameBcc(std::uint8_t address, std::span<const std::uint8_t> data) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::size_t at = 0; at < data.size(); at += kFrameData) {
    frames.push_back(frameOne(address, data.subspan(at, std::min(kFrameData, data.size() - at))));
  }
  return frames;
}

}  // namespace kelmore::link
