// qolxCom: the serial link to a display module. Opens COMn, requires CTS, writes raw or FrameBcc frames,
// reads replies byte by byte against a countdown of 100 ms polls, and closes the port.
// Layer: link (plain C++, no Qt).
//
// Results of the opens: 0 usable, 1 the port cannot be opened (message A), 2 its state was refused
// (message C) or CTS is off (message D); the boxes carry the title "通信エラー" and the critical icon and
// are shown by comPortCheck and comOpen only. The unit holds at most one port.
//
// Every wait is bounded: a write without progress, a drain and the CTS wait before a frame give up after
// the stall limit (10 s). A failed open, write, drain or read error leaves the link failed with the port
// closed: until the next open, sends return false at once and reads fail at once; lastError() tells why.
// A read time-out leaves the port open and is no link error.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/linkenv.h"
#include "link/linkerror.h"
#include "link/serialdevice.h"
#include "platform/serialport.h"

namespace kelmore::link {

inline constexpr std::string_view kComErrorTitle = "通信エラー";
inline constexpr std::string_view kComMessageA =
    "指定のCOMポートは現在使用できません。\r\n他のアプリケーションが使用している可能性があります。";
inline constexpr std::string_view kComMessageC = "送受信バッファの初期化に失敗しました。";
inline constexpr std::string_view kComMessageD =
    "ケーブルが接続されていないか、モジュールに電源が入っていません。";

// Settings text "baud,parity,data bits,stop bits" (further fields ignored), CTS flow on. Nothing when the
// port could not take it: fewer than four fields, a baud rate that is no 32-bit integer, a parity other
// than n, o or e (either case), data bits outside 5..8. Stop bits 2 give two, anything else one. Whether
// the port knows the baud rate is the port's to say.
std::optional<platform::SerialSettings> parseCommSettings(std::string_view settings);

// The settings of the presence checks.
inline constexpr std::string_view kCheckSettings = "38400,n,8,1";

class qolxCom {
 public:
  static constexpr std::chrono::milliseconds kPollWait{100};
  static constexpr std::chrono::milliseconds kCtsPoll{30};
  static constexpr std::chrono::milliseconds kOpenSettle{10};
  static constexpr std::size_t kRawPiece = 64;

  explicit qolxCom(LinkEnv& env);  // on the platform's serial port
  qolxCom(LinkEnv& env, std::unique_ptr<SerialDevice> device);
  ~qolxCom();
  qolxCom(const qolxCom&) = delete;
  qolxCom& operator=(const qolxCom&) = delete;

  int comPortCheck(int port);
  int comPortCheckSilent(int port);
  int comOpen(int port, std::string_view settings);

  // Raw when the module address is empty, else framed at frameAddress(moduleAdd) (which may throw
  // DeviceError Overflow before any byte is written). True when every byte was handed to the port.
  bool comOut(std::string_view moduleAdd, std::span<const std::uint8_t> data);
  bool comWriteRaw(std::span<const std::uint8_t> data);
  bool comWriteFramed(std::uint8_t address, std::span<const std::uint8_t> data);

  // Waits, bounded, until what was written has left the port; the pauses of a device sequence start
  // after it. True when nothing is pending or the port drained.
  bool comFlush();

  // Reads `wanted` bytes (0: until the time-out) into `s`, kept raw. `timeoutSec` × 10 polls of 100 ms;
  // more than 3276 seconds throws DeviceError Overflow before anything is read. On failure `s` is empty.
  bool comReadStr(std::string& s, int wanted, int timeoutSec);
  // As comReadStr into data[0..wanted); on failure `data` keeps what arrived.
  bool comReadBytes(std::span<std::uint8_t> data, int wanted, int timeoutSec);

  void comClose();

  bool isOpen() const;
  LinkError lastError() const { return error_; }

  // Test seams: the CTS level every open then reports, and the limit for writes that make no progress.
  void injectCts(std::optional<bool> value);
  void setStallLimit(std::chrono::milliseconds limit) { stallLimit_ = limit; }

 private:
  int openPort(int port, const std::optional<platform::SerialSettings>& settings, bool showMessages);
  void fail(LinkError error);
  bool ready();
  bool writeAll(std::span<const std::uint8_t> bytes);
  template <typename Store>
  bool poll(int wanted, int timeoutSec, Store store);

  LinkEnv& env_;
  std::unique_ptr<SerialDevice> device_;
  LinkError error_ = LinkError::None;
  bool failed_ = false;
  bool pending_ = false;  // bytes written since the last drain
  std::optional<bool> cts_;
  std::chrono::milliseconds stallLimit_ = platform::kStallLimit;
};

}  // namespace kelmore::link
