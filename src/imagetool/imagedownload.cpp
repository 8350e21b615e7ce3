// The image download's send.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/imagedownload.h"

#include <algorithm>
#include <span>

#include "common/prtline.h"

namespace kelmore::imagetool {

template <typename Step>
bool Px5000ImageDevice::sent(Step&& step) {
  try {
    step();
  } catch (const link::DeviceError&) {
    return false;
  }
  return device_.linkError() == link::LinkError::None;
}

bool Px5000ImageDevice::ifOpen() {
  return device_.ifOpen() == 0 && device_.linkError() == link::LinkError::None;
}
bool Px5000ImageDevice::ifOut(std::uint8_t byte) {
  return sent([&] { device_.ifOut(std::span<const std::uint8_t>(&byte, 1)); });
}
bool Px5000ImageDevice::dummyWrite(int count) {
  return sent([&] { device_.dummyWrite(count); });
}
bool Px5000ImageDevice::printText(std::string_view text) {
  return sent([&] { device_.printText(text); });
}
bool Px5000ImageDevice::dummyRead() {
  return sent([&] { device_.dummyRead(); });
}

int progressPercent(std::size_t charactersRead, std::size_t exportCount) {
  const std::size_t step = std::max<std::size_t>(1, exportCount / 100);
  return static_cast<int>(std::min<std::size_t>(100, charactersRead / step));
}

DownloadResult sendCommandFile(std::string_view fileText, std::size_t exportCount, ImageDevice& device,
                               const std::function<void(int percent)>& progress) {
  auto stop = [&](std::string_view message) {
    device.ifClose();
    return DownloadResult{false, std::string(message)};
  };
  if (!device.ifOpen()) return stop(kSendFailed);
  std::size_t read = 0;
  while (!fileText.empty()) {
    const std::size_t end = fileText.find('\n');
    std::string_view line = fileText.substr(0, end);
    fileText = end == std::string_view::npos ? std::string_view{} : fileText.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    read += line.size();
    if (progress) progress(progressPercent(read, exportCount));
    const PrtLineBytes parsed = readPrtLine(line, ItemRule::Download);
    for (std::uint8_t byte : parsed.bytes)
      if (!device.ifOut(byte)) return stop(kSendFailed);
    if (parsed.kind == PrtLineBytes::Kind::DataError) return stop(kPrtDataError);
  }
  if (!device.dummyWrite(kClosingZeros) || !device.printText(kCompleted) || !device.dummyRead())
    return stop(kSendFailed);
  device.ifClose();
  return DownloadResult{true, std::string(kCompleted)};
}

}  // namespace kelmore::imagetool
