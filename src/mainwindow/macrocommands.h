// The compile, download, start and auto-exec commands without their window: model directive, capacity
// tests, status texts and the device call sequences.
// Layer: main window (plain C++, no Qt).
//
// Target areas are 0 (RAM macro) to 4 (FROM Macro4). A "last index" n is (code text length - 1) / 3: the
// code has n + 1 bytes. Message texts come from the string table where the system has them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/checkeddevice.h"

namespace kelmore::mainwindow {

inline constexpr int kRamSettleMs = 1000;  // pause before a RAM macro definition

// Nothing when a code with last index `lastIndex` fits target area `targetArea` of `model` (capacities
// from the model table); otherwise the message the user sees. A flash area takes at most its capacity, like
// the RAM area; models whose flash areas form one chain take at most (5 - k) capacities from area k on.
std::optional<std::string> capacityError(std::int32_t lastIndex, int targetArea, std::string_view model);

// The text a download leaves on the module's display: "Completed. [RAM Macro] ",
// "Completed. [FROM Macro 2] " or, for a code that runs into the next areas, "Completed. [FROM Macro 2-3]".
std::string rewriteStatusText(int targetArea, std::int32_t lastIndex, int romCapacity);

// A "PXSeries" line of the source: `model` to set, a name that can't be taken, or no usable directive.
struct SeriesDirective {
  enum class Kind { None, Set, NameError };
  Kind kind = Kind::None;
  std::string model;
  friend bool operator==(const SeriesDirective&, const SeriesDirective&) = default;
};
inline constexpr std::string_view kSeriesNameError = "PX Series name Error";
SeriesDirective checkSeries(std::string_view source);

// A target box that names no area: nothing is sent.
inline constexpr std::string_view kNoTarget = "Target is not selected.";

struct CommandResult {
  bool ok = true;
  std::string error;  // the message when not ok, which the window shows and logs
};

// Each command ends at a failed open or send, with the link closed and link::kTransferFailed.

// The download of `code` (n + 1 bytes) into area `targetArea`, from open to close. The caller has checked
// the capacity and the module.
CommandResult rewriteSequence(link::CheckedDevice& device, int targetArea, std::string_view model,
                              std::span<const std::uint8_t> code);
// Runs the macro of the area.
CommandResult startSequence(link::CheckedDevice& device, int targetArea);
// Makes the area the power-on macro; area 0 means none.
CommandResult autoExecSequence(link::CheckedDevice& device, int targetArea);

}  // namespace kelmore::mainwindow
