// The write rule both fake ports share: a write takes everything, or stops moving once `stallAfter` wire
// bytes are in, or hangs up once `hangUpAfter` are. What it takes goes to `feed`.
// Layer: tests (plain C++).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/ioresult.h"

namespace kelmore::link::testkit {

template <typename Feed>
platform::IoResult faultyWrite(std::span<const std::uint8_t> bytes, std::size_t written,
                               std::optional<std::size_t> stallAfter, std::optional<std::size_t> hangUpAfter,
                               Feed&& feed) {
  std::size_t take = bytes.size();
  if (stallAfter) take = std::min(take, *stallAfter > written ? *stallAfter - written : 0);
  if (hangUpAfter && written + take >= *hangUpAfter) {
    take = *hangUpAfter > written ? *hangUpAfter - written : 0;
    feed(bytes.first(take));
    return {take, platform::PortError::HungUp};
  }
  feed(bytes.first(take));
  if (take < bytes.size()) return {take, platform::PortError::Stalled};
  return {take, platform::PortError::None};
}

}  // namespace kelmore::link::testkit
