// The image download: the lines of an exported command file sent to the module byte by byte, then the
// closing commands, with the progress of the characters read.
// Layer: image tool (plain C++, no Qt).
//
// The caller has exported the file, found the link free and checked the module. The send opens the link
// once, sends every byte of every PRT line with its own ifOut, then the zero bytes that push it through, the
// text "Completed." and a read that waits until the module took it all, and closes the link. Every step is
// checked: a link failure (link::kTransferFailed) or a data error ends the send with the link closed and a
// message, never as completed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/checkeddevice.h"

namespace kelmore::imagetool {

inline constexpr std::string_view kConvertError = " File convert error.";
inline constexpr std::string_view kCompleted = "Completed.";
inline constexpr std::string_view kCompletedTitle = "Export";

// The bar's step: the export's count / 100, at least 1; the bar shows min(100, characters read / step).
int progressPercent(std::size_t charactersRead, std::size_t exportCount);

struct DownloadResult {
  bool completed = false;
  std::string message;  // kCompleted, or why the send stopped
};

// Sends `fileText` (CR LF or LF lines). `progress` runs after each line with the bar's value.
DownloadResult sendCommandFile(std::string_view fileText, std::size_t exportCount,
                               link::CheckedDevice& device,
                               const std::function<void(int percent)>& progress = {});

}  // namespace kelmore::imagetool
