// PX5000 link operations: properties, checks, open and close, sends and reads, model detection.
// Layer: link (plain C++, no Qt).
#include "link/px5000.h"

#include <charconv>
#include <cstdint>

#include "common/numbers.h"
#include "common/text.h"
#include "link/fields.h"
#include "link/framebcc.h"
#include "platform/codepage.h"

namespace kelmore::link {
namespace {

// A text that is a number as a whole, blanks around it allowed, to the nearest integer in range.
std::int64_t wholeNumber(std::string_view text, std::int64_t low, std::int64_t high) {
  text = trim(text, " \t");
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
    throw DeviceError(DeviceError::Kind::Conversion);
  }
  const auto number = nearestInRange(value, low, high);
  if (!number) fields::overflow();
  return *number;
}

// Characters 4 to 6 of a dot-size reply as a decimal number, in plain decimal; 0 when missing.
std::string dotCount(const std::string& reply) {
  const double value = reply.size() > 3 ? leadingNumber(std::string_view(reply).substr(3, 3)) : 0.0;
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;  // locale-free, shortest form
  return std::string(text, end);
}

}  // namespace

PX5000::PX5000(LinkEnv& env) : PX5000(env, std::make_unique<qolxCom>(env)) {}

PX5000::PX5000(LinkEnv& env, std::unique_ptr<qolxCom> com)
    : PX5000(env, std::move(com), std::make_unique<qolxSock>(env)) {}

PX5000::PX5000(LinkEnv& env, std::unique_ptr<qolxCom> com, std::unique_ptr<qolxSock> sock)
    : env_(env), com_(std::move(com)), sock_(std::move(sock)) {}

PX5000::~PX5000() = default;

void PX5000::commPort(int port) {
  commPort_ = fields::arg16(port);
}

void PX5000::tcpPort(std::int64_t port) {
  if (port < INT32_MIN || port > INT32_MAX) fields::overflow();
  tcpPort_ = static_cast<std::int32_t>(port);
}

void PX5000::tcpPort(std::string_view text) {
  tcpPort_ = static_cast<std::int32_t>(wholeNumber(text, INT32_MIN, INT32_MAX));
}

ByteLink& PX5000::unit() {
  if (serial()) return *com_;
  return *sock_;
}

const ByteLink& PX5000::unit() const {
  if (serial()) return *com_;
  return *sock_;
}

int PX5000::ifCheck() {
  if (serial()) return com_->comPortCheck(commPort_);
  return sock_->pingCheck(ipAddress_, tcpPort_, kEchoWaitMs) ? 0 : 1;
}

int PX5000::ifCheck_silent() {
  if (serial()) return com_->comPortCheckSilent(commPort_);
  return sock_->pingCheckSilent(ipAddress_, tcpPort_, kEchoWaitMs) ? 0 : 1;
}

int PX5000::ifOpen() {
  const int result =
      serial() ? com_->comOpen(commPort_, commSettings_) : sock_->sockOpen(ipAddress_, tcpPort_);
  ifOpenf = -1;
  return result;
}

int PX5000::ifOpenBlk() {
  // Every read is bounded on both links, so a blocking socket would change nothing but an unbounded wait.
  return ifOpen();
}

void PX5000::ifClose() {
  // Whatever the link kind says now, a port or connection held from an earlier open is closed too.
  com_->comClose();
  sock_->sockClose();
  ifOpenf = 0;
}

LinkError PX5000::linkError() const {
  return unit().lastError();
}

bool PX5000::ifOut(std::span<const std::uint8_t> data) {
  frameAddress(moduleAdd_);  // an address that does not fit fails before the link is touched
  if (data.empty()) return true;
  const bool own = ifOpenf == 0;
  if (own) ifOpen();
  bool sent = unit().out(moduleAdd_, data);
  if (own) {
    ifClose();
    // Closing drains; bytes that could not leave are no success either.
    sent = sent && linkError() == LinkError::None;
  }
  return sent;
}

bool PX5000::IfInStr(std::string& str, int timeOutSec) {
  checkTimeoutSec(timeOutSec);  // before a link is opened for the read
  const std::size_t wanted = platform::toCodePage(str).size();
  if (wanted > 32767) fields::overflow();
  const bool own = ifOpenf == 0;
  if (own && ifOpen() != 0) {
    ifClose();
    str.clear();
    return false;
  }
  const bool ok = unit().readStr(str, static_cast<int>(wanted), timeOutSec);
  if (own) ifClose();
  return ok;
}

bool PX5000::IfIn(std::span<std::uint8_t> data, int timeOutSec) {
  checkTimeoutSec(timeOutSec);  // before a link is opened for the read
  if (data.size() > 32767) fields::overflow();
  const bool own = ifOpenf == 0;
  if (own && ifOpen() != 0) {
    ifClose();
    return false;
  }
  const bool ok = unit().readBytes(data, static_cast<int>(data.size()), timeOutSec);
  if (own) ifClose();
  return ok;
}

void PX5000::pause(int ms) {
  unit().flush();
  const ShownWait shown(env_, LinkWait::Pause, std::chrono::milliseconds(ms));
  env_.sleepMs(ms);
}

void PX5000::moduleName(std::string_view name) {
  if (name.empty()) {
    // Asked over a link already open, the detection leaves it open; else it opens and closes its own.
    const bool own = ifOpenf == 0;
    if (own) ifOpen();
    std::string across, down;
    try {
      across = readXDot();
      down = readYDot();
    } catch (...) {
      if (own) ifClose();  // a query refused (a module address no frame can carry) leaves no link open
      throw;
    }
    if (own) ifClose();
    moduleName_ = "PX" + dotCount(across) + "X" + dotCount(down);
  } else {
    moduleName_ = name;
  }

  std::string rest;
  for (std::size_t at = 0; at < moduleName_.size();) {
    if (moduleName_.compare(at, 2, "PX") == 0) {
      at += 2;
    } else {
      rest.push_back(moduleName_[at++]);
    }
  }
  const auto cross = rest.find('X');
  dotX_ = static_cast<int>(wholeNumber(std::string_view(rest).substr(0, cross), -32768, 32767));
  if (cross == std::string::npos) throw DeviceError(DeviceError::Kind::Index);
  const std::string_view second = std::string_view(rest).substr(cross + 1);
  dotY_ = static_cast<int>(wholeNumber(second.substr(0, second.find('X')), -32768, 32767));
}

}  // namespace kelmore::link
