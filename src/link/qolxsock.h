// qolxSock: the TCP link to a display module on a network, and the reachability check for it. Resolves
// the module's address, connects within 5 s, sends raw or FrameBcc frames and reads replies by the shared
// rules of ByteLink, and closes.
// Layer: link (plain C++, no Qt).
//
// Results of sockOpen: 0 connected, 1 no address, an address that does not resolve, a port outside
// 1..65535, a refused connect or none within the connect limit; nothing is shown. A read time-out keeps
// the connection open; a reset or a close by the module fails the link (lastError HungUp) and closes it,
// and so does a send without progress for the stall limit (Stalled). Sends never raise SIGPIPE.
//
// The connect and the check wait in short steps through LinkEnv::sleepMs, so the window keeps painting
// and a virtual clock runs them at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "link/bytelink.h"
#include "link/linkenv.h"
#include "link/socketdevice.h"

namespace kelmore::link {

// The reachability check's box: no icon, the application's title.
inline constexpr std::string_view kLanMessage =
    "指定のIPアドレスは現在接続できません。\r\n"
    "　IPアドレスが間違っているか\r\n"
    "　LANケーブルが抜けているか\r\n"
    "　LANアダプタの電源が入っていない\r\n"
    "などの可能性があります。";

class qolxSock : public ByteLink {
 public:
  static constexpr std::chrono::milliseconds kConnectLimit{5000};
  // The connect and the echo are looked at this often, and a send the socket has no room for is tried
  // again after this long.
  static constexpr std::chrono::milliseconds kStep{10};
  static constexpr std::size_t kRecvChunk = 100;

  explicit qolxSock(LinkEnv& env);  // on the platform's sockets and the system resolver
  qolxSock(LinkEnv& env, std::unique_ptr<SocketDevice> device);
  ~qolxSock() override;
  qolxSock(const qolxSock&) = delete;
  qolxSock& operator=(const qolxSock&) = delete;

  int sockOpen(std::string_view ip, std::int64_t port);

  // The shared sends and reads (ByteLink) under the unit's own names.
  bool sockOut(std::string_view moduleAdd, std::span<const std::uint8_t> data) {
    return out(moduleAdd, data);
  }
  bool sockWriteRaw(std::span<const std::uint8_t> data) { return writeRaw(data); }
  bool sockWriteFramed(std::uint8_t address, std::span<const std::uint8_t> data) {
    return writeFramed(address, data);
  }
  bool sockFlush() { return flush(); }
  bool sockReadStr(std::string& s, int wanted, int timeoutSec) { return readStr(s, wanted, timeoutSec); }
  bool sockReadBytes(std::span<std::uint8_t> data, int wanted, int timeoutSec) {
    return readBytes(data, wanted, timeoutSec);
  }

  // Waits, bounded, until the module took what was sent, then closes; harmless when nothing is open.
  void sockClose();

  // True when `host` answers an ICMP echo within `timeoutMs`; where the system allows no ICMP socket, when
  // a TCP connect to `port` succeeds within it. A host that does not resolve gives false at once, and
  // shows nothing; pingCheck shows kLanMessage when the host did not answer, pingCheckSilent never.
  bool pingCheck(std::string_view host, std::int64_t port, int timeoutMs);
  bool pingCheckSilent(std::string_view host, std::int64_t port, int timeoutMs);

  bool isOpen() const { return device_->isOpen(); }

 protected:
  bool portOpen() const override { return device_->isOpen(); }
  platform::IoResult portWrite(std::span<const std::uint8_t> bytes, std::chrono::milliseconds stall) override;
  platform::IoResult portRead(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
    return device_->read(into, wait);
  }
  platform::PortError portDrain(std::chrono::milliseconds limit) override;
  void portDrop() override { device_->close(); }
  std::size_t rawPiece() const override { return SIZE_MAX; }  // the socket takes the whole array
  std::size_t pollChunk() const override { return kRecvChunk; }

 private:
  enum class Reach { Unresolved, Answered, Silent };
  Reach reach(std::string_view host, std::int64_t port, int timeoutMs);
  // Looks at `done` every kStep until it is true or `limit` has passed; false when it never was. The wait
  // is shown as `wait`.
  template <typename Done>
  bool waitFor(LinkWait wait, std::chrono::milliseconds limit, Done done);

  std::unique_ptr<SocketDevice> device_;
};

}  // namespace kelmore::link
