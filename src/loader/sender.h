// Sending a command file to a port: every byte of its PRT lines, in file order, through a byte port.
// Layer: loader (plain C++, no Qt).
//
// The sender never shows anything itself: it hands back whether the whole file went out and, when it did
// not, the message for the user. A failure never reads as a completed job.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "common/prtline.h"

namespace kelmore::loader {

inline constexpr std::string_view kMessageTitle = "Ferrant";
inline constexpr std::string_view kJobCompleted = "Job completed.";
inline constexpr std::string_view kFailOpenFile = "Fail to open the file.";
inline constexpr std::string_view kFailOpenPort = "Fail to open Comport.";
inline constexpr std::string_view kFileDataError = kPrtDataError;
// The file opened but a read failed part way; the job is not complete.
inline constexpr std::string_view kFailReadFile = "Fail to read the file.";
// The port took the open but refused 38400 8N1 with CTS flow.
inline constexpr std::string_view kFailSetPort = "Fail to set Comport.";
// A write failed, or made no progress within the stall limit (CTS held low, a port that went away).
inline constexpr std::string_view kFailWritePort = "Fail to write Comport.";

enum class PortStatus { Ok, OpenFailed, SetupRefused, WriteFailed };

// Where the bytes go. open() takes the user's port name ("COM1".."COM16").
class BytePort {
 public:
  virtual ~BytePort() = default;
  virtual PortStatus open(const std::string& portName) = 0;
  // All of `bytes`, or WriteFailed.
  virtual PortStatus write(std::span<const std::uint8_t> bytes) = 0;
  // Waits, bounded, until the written bytes have left; WriteFailed when they could not.
  virtual PortStatus drain() = 0;
  virtual void close() = 0;
};

struct SendResult {
  bool completed = false;
  std::string_view message;  // kJobCompleted when completed, else the failure's message
};

// Sends `fileName` (a path, relative to the current folder or absolute). `afterLine`, when set, runs after
// each line that was read, so a window can repaint during a long send.
SendResult writeFileToPort(const std::string& fileName, const std::string& portName, BytePort& port,
                           const std::function<void()>& afterLine = {});

}  // namespace kelmore::loader
