// Compile, download, start and auto-exec logic.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/macrocommands.h"

#include <vector>

#include "common/models.h"
#include "common/strings.h"
#include "common/text.h"

namespace kelmore::mainwindow {
namespace {

constexpr int kResNoFitRam = 1004;
constexpr int kResNoFitRom = 1005;

// Lines split at CR LF, CR or LF, each trimmed of blanks at both ends, tabs taken as blanks.
std::vector<std::string> trimmedLines(std::string_view text) {
  std::string blanked(text);
  std::ranges::replace(blanked, '\t', ' ');
  std::vector<std::string> lines;
  for (std::string_view line : splitLines(blanked)) lines.emplace_back(trimBlanks(line));
  return lines;
}

// Runs steps in order until one fails; the link is closed in every case.
template <typename Steps>
CommandResult runOnOpenLink(link::CheckedDevice& device, Steps&& steps) {
  const bool ok = device.ifOpen() && steps();
  device.ifClose();
  if (ok) return {};
  return {false, std::string(link::kTransferFailed)};
}

// The bytes of the UTF-8 character that begins with `lead`.
std::size_t utf8CharLength(char lead) {
  const auto c = static_cast<unsigned char>(lead);
  return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

bool validArea(int targetArea) {
  return targetArea >= kRamArea && targetArea <= kFlashAreaCount;
}

}  // namespace

std::optional<std::string> capacityError(std::int32_t lastIndex, int targetArea, std::string_view model) {
  if (!validArea(targetArea)) return std::string(kNoTarget);
  const ModelInfo& info = modelInfo(model);
  if (targetArea == kRamArea) {
    const int capacity = info.ramMacroBytes;
    if (lastIndex < capacity) return std::nullopt;
    return std::string(resString(kResNoFitRam)) + std::to_string(capacity) + "Byte";
  }
  const std::int64_t capacity = info.flashMacroBytes;
  const std::int64_t limit = info.chainedFlash ? (kFlashAreaCount + 1 - targetArea) * capacity : capacity;
  if (lastIndex < limit) return std::nullopt;
  return std::string(resString(kResNoFitRom));
}

std::string rewriteStatusText(int targetArea, std::int32_t lastIndex, int romCapacity) {
  std::string s = "Completed. ";
  if (targetArea == kRamArea) return s + "[RAM Macro] ";
  const std::string area = std::to_string(targetArea);
  // The same boundary as the capacity test: a code that fits one area names that area alone.
  if (romCapacity <= 0 || lastIndex < romCapacity) return s + "[FROM Macro " + area + "] ";
  return s + "[FROM Macro " + area + "-" + std::to_string(lastIndex / romCapacity + targetArea) + "]";
}

SeriesDirective checkSeries(std::string_view source) {
  for (const auto& line : trimmedLines(source)) {
    if (line.compare(0, 8, "PXSeries") != 0) continue;
    // Split at every single blank, as the directive reader does: two blanks give an empty token.
    const auto tokens = splitWords(line);
    if (tokens.size() < 2 || tokens[1] != "=") return {};
    // The name loses its first and last character (the quotes), counted in characters, not bytes.
    std::string_view name = tokens.size() < 3 ? std::string_view() : tokens[2];
    const std::size_t first = name.empty() ? 0 : utf8CharLength(name.front());
    if (name.size() <= first) return {SeriesDirective::Kind::NameError, {}};
    name.remove_prefix(first);
    std::size_t last = name.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(name[last]) & 0xC0) == 0x80) --last;
    return {SeriesDirective::Kind::Set, std::string(name.substr(0, last))};
  }
  return {};
}

CommandResult rewriteSequence(link::CheckedDevice& device, int targetArea, std::string_view model,
                              std::span<const std::uint8_t> code) {
  if (!validArea(targetArea) || code.empty()) return {false, std::string(kNoTarget)};
  const auto lastIndex = static_cast<std::int32_t>(code.size() - 1);
  const ModelInfo& info = modelInfo(model);
  const std::string status = rewriteStatusText(targetArea, lastIndex, info.flashMacroBytes);
  return runOnOpenLink(device, [&] {
    if (targetArea == kRamArea) {
      if (!device.userModeIn() || !device.writeMemorySw(kAutoStartSwitch, 0) || !device.userModeOut())
        return false;
      device.pause(kRamSettleMs);
      if (!device.fromRamMacroDefine(code)) return false;
      return !info.showsDownloadStatus || (device.cursorSet(0, 0) && device.printText(status));
    }
    const bool defined =
        device.userModeIn() && (info.blockFlashDownload ? device.fromMacroDefineWmr(0, 0, code)
                                                        : device.fromMacroDefine(targetArea, 0, 0, code));
    return defined && device.writeMemorySw(kAutoStartSwitch, 0) && device.userModeOut() &&
           device.dummyWrite(link::kPushThroughBytes) &&
           (!info.showsDownloadStatus || device.printText(status)) && device.dummyRead();
  });
}

CommandResult startSequence(link::CheckedDevice& device, int targetArea) {
  if (!validArea(targetArea)) return {false, std::string(kNoTarget)};
  return runOnOpenLink(device, [&] { return device.MacroGo(macroNumber(targetArea), 0, 0); });
}

CommandResult autoExecSequence(link::CheckedDevice& device, int targetArea) {
  if (!validArea(targetArea)) return {false, std::string(kNoTarget)};
  const int number = targetArea == kRamArea ? 0 : macroNumber(targetArea);
  return runOnOpenLink(device, [&] {
    return device.userModeIn() && device.writeMemorySw(kAutoStartSwitch, number) && device.userModeOut();
  });
}

}  // namespace kelmore::mainwindow
