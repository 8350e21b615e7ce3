// A serial device on virtual time with the simulated module's core behind it: records every call the link
// makes, answers as the module would, and can refuse the open, drop CTS, stall or hang up.
// Layer: tests of the link (plain C++, no Qt).
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/serialdevice.h"
#include "sim/modulecore.h"
#include "virtualenv.h"
#include "writefaults.h"

namespace kelmore::link::testkit {

// One call of the link on the device, in order, at its virtual time.
struct DeviceCall {
  enum class Kind { Open, Close, Write, Read, Drain, Purge } kind;
  std::size_t size = 0;  // bytes asked to write
  std::chrono::milliseconds at{};
};

class FakeSerialDevice : public SerialDevice {
 public:
  static constexpr const char* kPath = "/dev/ttyFAKE0";

  FakeSerialDevice(VirtualEnv& env, sim::ModuleConfig module = {}) : env_(env), core_(module) {}

  std::optional<std::string> devicePath(int comNumber) override {
    if (comNumber == 1) return std::string(kPath);
    return std::nullopt;
  }
  platform::PortError open(const std::string& path, const platform::SerialSettings& settings) override {
    log(DeviceCall::Kind::Open, 0);
    lastSettings = settings;
    ++opens;
    if (openError != platform::PortError::None) return openError;
    if (path != kPath) return platform::PortError::NotFound;
    open_ = true;
    return platform::PortError::None;
  }
  void close() override {
    log(DeviceCall::Kind::Close, 0);
    open_ = false;
    replies_.clear();
  }
  bool isOpen() const override { return open_; }
  platform::IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds) override {
    log(DeviceCall::Kind::Write, bytes.size());
    if (!open_) return {0, platform::PortError::Io};
    return faultyWrite(bytes, written, stallAfter, hangUpAfter,
                       [this](std::span<const std::uint8_t> taken) { feed(taken); });
  }
  platform::IoResult read(std::span<std::uint8_t> into, std::chrono::milliseconds) override {
    log(DeviceCall::Kind::Read, into.size());
    if (!open_) return {0, platform::PortError::Io};
    if (hungUpOnRead) return {0, platform::PortError::HungUp};
    std::size_t n = 0;
    while (n < into.size() && !replies_.empty() && replies_.front().second <= env_.clock) {
      into[n++] = replies_.front().first;
      replies_.pop_front();
    }
    return {n, platform::PortError::None};
  }
  platform::PortError drain(std::chrono::milliseconds) override {
    log(DeviceCall::Kind::Drain, 0);
    return open_ ? drainResult : platform::PortError::Io;
  }
  void purge() override {
    log(DeviceCall::Kind::Purge, 0);
    replies_.clear();
  }
  bool cts() const override { return ctsSource ? ctsSource() : (injected ? *injected : open_); }
  void injectCts(std::optional<bool> value) override { injected = value; }

  // Module bytes that become readable `delayMs` after now.
  void queueReply(std::span<const std::uint8_t> bytes, int delayMs = 0) {
    for (std::uint8_t b : bytes) replies_.push_back({b, env_.clock + std::chrono::milliseconds(delayMs)});
  }
  sim::ModuleCore& module() { return core_; }
  std::vector<std::uint8_t> wire() const { return core_.wire(); }
  std::vector<std::size_t> writeSizes() const {
    std::vector<std::size_t> sizes;
    for (const auto& call : calls) {
      if (call.kind == DeviceCall::Kind::Write) sizes.push_back(call.size);
    }
    return sizes;
  }
  int count(DeviceCall::Kind kind) const {
    int n = 0;
    for (const auto& call : calls) n += call.kind == kind ? 1 : 0;
    return n;
  }

  platform::PortError openError = platform::PortError::None;
  platform::PortError drainResult = platform::PortError::None;
  std::optional<std::size_t> stallAfter;   // wire bytes taken before writes stop moving
  std::optional<std::size_t> hangUpAfter;  // wire bytes taken before the other side goes away
  bool hungUpOnRead = false;
  bool silent = false;
  int replyDelayMs = 0;
  std::optional<bool> injected;
  std::function<bool()> ctsSource;
  std::optional<platform::SerialSettings> lastSettings;
  int opens = 0;
  std::vector<DeviceCall> calls;

 private:
  void log(DeviceCall::Kind kind, std::size_t size) {
    calls.push_back(
        {kind, size,
         std::chrono::duration_cast<std::chrono::milliseconds>(env_.clock - LinkEnv::Clock::time_point{})});
  }
  void feed(std::span<const std::uint8_t> bytes) {
    written += bytes.size();
    const auto reply = core_.feed(bytes, env_.clock);
    if (!silent) queueReply(reply, replyDelayMs);
  }

  VirtualEnv& env_;
  sim::ModuleCore core_;
  bool open_ = false;
  std::size_t written = 0;
  std::deque<std::pair<std::uint8_t, LinkEnv::Clock::time_point>> replies_;
};

}  // namespace kelmore::link::testkit
