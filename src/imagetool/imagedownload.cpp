// The image download's send.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/imagedownload.h"

#include <algorithm>

#include "common/prtline.h"

namespace kelmore::imagetool {

int progressPercent(std::size_t charactersRead, std::size_t exportCount) {
  const std::size_t step = std::max<std::size_t>(1, exportCount / 100);
  return static_cast<int>(std::min<std::size_t>(100, charactersRead / step));
}

DownloadResult sendCommandFile(std::string_view fileText, std::size_t exportCount,
                               link::CheckedDevice& device,
                               const std::function<void(int percent)>& progress) {
  auto stop = [&](std::string_view message) {
    device.ifClose();
    return DownloadResult{false, std::string(message)};
  };
  if (!device.ifOpen()) return stop(link::kTransferFailed);
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
      if (!device.ifOut(byte)) return stop(link::kTransferFailed);
    if (parsed.kind == PrtLineBytes::Kind::DataError) return stop(kPrtDataError);
  }
  if (!device.dummyWrite(link::kPushThroughBytes) || !device.printText(kCompleted) || !device.dummyRead())
    return stop(link::kTransferFailed);
  device.ifClose();
  return DownloadResult{true, std::string(kCompleted)};
}

}  // namespace kelmore::imagetool
