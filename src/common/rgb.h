// Rgb: a colour as plain code hands it to a window (the compiler's panes, the editor's colouring).
// Layer: common (plain C++, no Qt).
#pragma once

#include <cstdint>

namespace kelmore {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace kelmore
