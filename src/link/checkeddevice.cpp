// PX5000 as the checked device of a command sequence.
// Layer: link (plain C++, no Qt).
#include "link/checkeddevice.h"

namespace kelmore::link {

template <typename Step>
bool CheckedPx5000::sent(Step&& step) {
  try {
    step();
  } catch (const DeviceError&) {
    return false;
  }
  return device_.linkError() == LinkError::None;
}

bool CheckedPx5000::ifOpen() {
  int result = 1;
  return sent([&] { result = device_.ifOpen(); }) && result == 0;
}
bool CheckedPx5000::ifOut(std::uint8_t byte) {
  return sent([&] { device_.ifOut(std::span<const std::uint8_t>(&byte, 1)); });
}
bool CheckedPx5000::userModeIn() {
  return sent([&] { device_.userModeIn(); });
}
bool CheckedPx5000::userModeOut() {
  return sent([&] { device_.userModeOut(); });
}
bool CheckedPx5000::writeMemorySw(int sw, int value) {
  return sent([&] { device_.writeMemorySw(sw, value); });
}
bool CheckedPx5000::fromRamMacroDefine(std::span<const std::uint8_t> code) {
  return sent([&] { device_.fromRamMacroDefine(code, static_cast<std::int64_t>(code.size())); });
}
bool CheckedPx5000::fromMacroDefine(int area, int stepTimer, int loopTimer,
                                    std::span<const std::uint8_t> code) {
  return sent([&] {
    device_.fromMacroDefine(area, stepTimer, loopTimer, code, static_cast<std::int64_t>(code.size()));
  });
}
bool CheckedPx5000::fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> code) {
  return sent([&] {
    device_.fromMacroDefineWmr(stepTimer, loopTimer, code, static_cast<std::int64_t>(code.size()));
  });
}
bool CheckedPx5000::MacroGo(int number, int stepTimer, int idleTimer) {
  return sent([&] { device_.MacroGo(number, stepTimer, idleTimer); });
}
bool CheckedPx5000::cursorSet(int x, int y) {
  return sent([&] { device_.cursorSet(x, y); });
}
bool CheckedPx5000::printText(std::string_view text) {
  return sent([&] { device_.printText(text); });
}
bool CheckedPx5000::dummyWrite(int count) {
  return sent([&] { device_.dummyWrite(count); });
}
bool CheckedPx5000::dummyRead() {
  return sent([&] { device_.dummyRead(); });
}

}  // namespace kelmore::link
