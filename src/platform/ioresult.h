// The closed result of a port or socket call: what failed, and how many bytes moved before it did.
// Layer: platform (plain C++, no Qt).
#pragma once

#include <chrono>
#include <cstddef>

namespace kelmore::platform {

enum class PortError { None, NotFound, Busy, NoPermission, Setup, Io, Stalled, HungUp };

struct IoResult {
  std::size_t count = 0;
  PortError error = PortError::None;
};

// A write, drain or wait for the line that makes no progress for this long gives up.
inline constexpr std::chrono::milliseconds kStallLimit{10'000};

// Milliseconds left until `deadline`, for poll(): never negative, rounded up so a wait is never cut short.
inline int msLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = deadline - std::chrono::steady_clock::now();
  if (left <= std::chrono::steady_clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}  // namespace kelmore::platform
