// The rules both link units share: raw or FrameBcc sends, the drain before a pause, the countdown read of
// replies, and the kept failure that ends a device operation.
// Layer: link (plain C++, no Qt).
//
// A unit (serial or TCP) supplies the port calls; everything a module sees of the timing and the bytes is
// decided here, once. A failed write, drain or read error keeps the first failure (lastError) and drops
// the port: until the next open, sends return false at once and reads fail at once. A read time-out is no
// link error and leaves the port open. Writes and drains wait on the port in short slices, letting the
// window take its events between them, and a send held up shows as a wait (LinkWait::Send).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/linkenv.h"
#include "link/linkerror.h"
#include "platform/ioresult.h"

namespace kelmore::link {

// A read's time-out in seconds × 10 is a 16-bit countdown.
inline constexpr int kMaxTimeoutSec = 3276;
// Throws DeviceError Overflow for a time-out the countdown cannot hold.
void checkTimeoutSec(int timeoutSec);

class ByteLink {
 public:
  // Each empty poll waits this long and counts down once.
  static constexpr std::chrono::milliseconds kPollWait{100};

  virtual ~ByteLink() = default;

  // Raw when the module address is empty, else framed at frameAddress(moduleAdd) (which may throw
  // DeviceError Overflow before any byte is written). True when every byte was handed to the port.
  bool out(std::string_view moduleAdd, std::span<const std::uint8_t> data);
  bool writeRaw(std::span<const std::uint8_t> data);
  bool writeFramed(std::uint8_t address, std::span<const std::uint8_t> data);

  // Waits, bounded, until what was written has left; the pauses of a device sequence start after it. True
  // when nothing is pending or it left.
  bool flush();

  // Reads `wanted` bytes (0: until the time-out) into `s`, kept raw. `timeoutSec` × 10 polls of 100 ms;
  // arriving bytes never restart the countdown. On failure `s` is empty.
  bool readStr(std::string& s, int wanted, int timeoutSec);
  // As readStr into data[0..wanted); on failure `data` keeps what arrived. Never stores past data.size().
  bool readBytes(std::span<std::uint8_t> data, int wanted, int timeoutSec);

  LinkError lastError() const { return error_; }
  // Test seam: the limit for writes and drains that make no progress.
  void setStallLimit(std::chrono::milliseconds limit) { stallLimit_ = limit; }

 protected:
  explicit ByteLink(LinkEnv& env) : env_(env) {}

  // --- what a unit supplies ---
  virtual bool portOpen() const = 0;
  virtual platform::IoResult portWrite(std::span<const std::uint8_t> bytes,
                                       std::chrono::milliseconds stall) = 0;
  // Takes at most into.size() bytes, waiting at most `wait` for them.
  virtual platform::IoResult portRead(std::span<std::uint8_t> into, std::chrono::milliseconds wait) = 0;
  virtual platform::PortError portDrain(std::chrono::milliseconds limit) = 0;
  // Closes the port after a failure, dropping what is pending.
  virtual void portDrop() = 0;
  // Largest piece of a raw send handed to the port at once.
  virtual std::size_t rawPiece() const = 0;
  // Most bytes one poll takes from the port.
  virtual std::size_t pollChunk() const = 0;
  // Before each frame (the serial link waits for CTS here). False fails the send; the unit has failed.
  virtual bool beforeFrame() { return true; }

  // Starts a fresh operation: no failure kept.
  void resetError() { error_ = LinkError::None; }
  // Keeps the first failure and drops the port.
  void fail(LinkError error);
  // True while the port is open; else keeps NotOpen.
  bool ready();
  // Forgets bytes written and not yet drained (a close drained them, or the port went away).
  void forgetPending() { pending_ = false; }
  bool pending() const { return pending_; }

  LinkEnv& env_;
  std::chrono::milliseconds stallLimit_ = platform::kStallLimit;

 private:
  bool writeAll(std::span<const std::uint8_t> bytes);
  template <typename Store>
  bool poll(int wanted, int timeoutSec, Store store);

  LinkError error_ = LinkError::None;
  bool pending_ = false;  // bytes written since the last drain
};

// The link error a port failure stands for.
LinkError linkErrorOf(platform::PortError error);

}  // namespace kelmore::link
