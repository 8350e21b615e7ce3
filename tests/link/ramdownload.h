// The main window's RAM download as the link's tests drive it: the order and the pause the module needs.
// Layer: tests of the link (plain C++, no Qt).
#pragma once

#include <cstdint>
#include <span>

#include "link/px5000.h"

namespace kelmore::link::testkit {

inline void ramDownload(PX5000& px, std::span<const std::uint8_t> bytes) {
  px.ifOpen();
  px.userModeIn();
  px.writeMemorySw(kAutoStartSwitch, 0);
  px.userModeOut();
  px.pause(1000);
  px.fromRamMacroDefine(bytes, static_cast<std::int64_t>(bytes.size()));
  px.cursorSet(0, 0);
  px.printText("Completed. [RAM Macro] ");
  px.ifClose();
}

}  // namespace kelmore::link::testkit
