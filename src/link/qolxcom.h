// qolxCom: the serial link to a display module. Opens COMn, requires CTS, writes raw or FrameBcc frames,
// reads replies byte by byte against a countdown of 100 ms polls, and closes the port.
// Layer: link (plain C++, no Qt).
//
// Results of the opens: 0 usable, 1 the port cannot be opened (message A), 2 its state was refused
// (message C) or CTS is off (message D); the boxes carry the title "通信エラー" and the critical icon and
// are shown by comPortCheck and comOpen only. The unit holds at most one port.
//
// Every wait is bounded: a write without progress, a drain and the CTS wait before a frame give up after
// the stall limit (10 s). Sends, drains and reads follow the shared rules of ByteLink: a failure leaves
// the link failed with the port closed until the next open; a read time-out leaves the port open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/bytelink.h"
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

class qolxCom : public ByteLink {
 public:
  static constexpr std::chrono::milliseconds kCtsPoll{30};
  static constexpr std::chrono::milliseconds kOpenSettle{10};
  static constexpr std::size_t kRawPiece = 64;

  explicit qolxCom(LinkEnv& env);  // on the platform's serial port
  qolxCom(LinkEnv& env, std::unique_ptr<SerialDevice> device);
  ~qolxCom() override;
  qolxCom(const qolxCom&) = delete;
  qolxCom& operator=(const qolxCom&) = delete;

  int comPortCheck(int port);
  int comPortCheckSilent(int port);
  int comOpen(int port, std::string_view settings);

  // The shared sends and reads (ByteLink) under the unit's own names.
  bool comOut(std::string_view moduleAdd, std::span<const std::uint8_t> data) { return out(moduleAdd, data); }
  bool comWriteRaw(std::span<const std::uint8_t> data) { return writeRaw(data); }
  bool comWriteFramed(std::uint8_t address, std::span<const std::uint8_t> data) {
    return writeFramed(address, data);
  }
  bool comFlush() { return flush(); }
  bool comReadStr(std::string& s, int wanted, int timeoutSec) { return readStr(s, wanted, timeoutSec); }
  bool comReadBytes(std::span<std::uint8_t> data, int wanted, int timeoutSec) {
    return readBytes(data, wanted, timeoutSec);
  }

  void comClose();

  bool isOpen() const;

  // Test seam: the CTS level every open then reports.
  void injectCts(std::optional<bool> value);

 protected:
  bool portOpen() const override { return device_->isOpen(); }
  platform::IoResult portWrite(std::span<const std::uint8_t> bytes,
                               std::chrono::milliseconds stall) override {
    return device_->write(bytes, stall);
  }
  platform::IoResult portRead(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
    return device_->read(into, wait);
  }
  platform::PortError portDrain(std::chrono::milliseconds limit) override { return device_->drain(limit); }
  void portDrop() override;
  std::size_t rawPiece() const override { return kRawPiece; }
  std::size_t pollChunk() const override { return 1; }  // one byte per read
  bool beforeFrame() override;

 private:
  int openPort(int port, const std::optional<platform::SerialSettings>& settings, bool showMessages);

  std::unique_ptr<SerialDevice> device_;
};

}  // namespace kelmore::link
