// Fuzz target of the module link's replies: a PX5000 on the fake serial port or the fake network, on
// virtual time, whose module answers every write with bytes and a delay taken from the input. Whatever
// comes back, or fails to, each command that reads a reply returns a value or none, the detected name is
// one the name reader takes or a refusal, and a command that opened the link itself leaves it closed.
// Layer: fuzz (plain C++, no Qt).
//
// Input: byte 0 picks the command, byte 1 the link (serial or TCP, raw or framed) and the command's
// argument; then one reply per write the link makes: a length byte, a delay byte (100 ms a step) and
// that many bytes. The last reply stands for every later write.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "fakeserial.h"
#include "fakesocket.h"
#include "link/px5000.h"

namespace {

using namespace kelmore;
using namespace kelmore::link;
using namespace kelmore::link::testkit;

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// The module's answers, read from the input one write at a time.
class ReplyScript {
 public:
  explicit ReplyScript(std::span<const std::uint8_t> script) : rest_(script) {}

  template <typename Device>
  void answer(Device& device) {
    if (rest_.size() >= 2) {
      const std::size_t length = std::min<std::size_t>(rest_[0], rest_.size() - 2);
      delayMs_ = rest_[1] * 100;
      last_ = rest_.subspan(2, length);
      rest_ = rest_.subspan(2 + length);
    }
    device.queueReply(last_, delayMs_);
  }

 private:
  std::span<const std::uint8_t> rest_;
  std::span<const std::uint8_t> last_;
  int delayMs_ = 0;
};

// The fake devices with their own module silent: the script answers instead.
class ScriptedSerial : public FakeSerialDevice {
 public:
  ScriptedSerial(VirtualEnv& env, ReplyScript& script) : FakeSerialDevice(env), script_(script) {
    silent = true;
  }
  platform::IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds limit) override {
    const platform::IoResult result = FakeSerialDevice::write(bytes, limit);
    if (result.count > 0) script_.answer(*this);
    return result;
  }

 private:
  ReplyScript& script_;
};

class ScriptedSocket : public FakeSocketDevice {
 public:
  ScriptedSocket(VirtualEnv& env, ReplyScript& script) : FakeSocketDevice(env), script_(script) {
    silent = true;
  }
  platform::IoResult write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds limit) override {
    const platform::IoResult result = FakeSocketDevice::write(bytes, limit);
    if (result.count > 0) script_.answer(*this);
    return result;
  }

 private:
  ReplyScript& script_;
};

// Every command that reads a reply, and the name reader the detection feeds.
void runCommand(PX5000& px, std::uint8_t command, std::uint8_t argument, std::span<const std::uint8_t> text) {
  switch (command % 8) {
    case 0:
      px.moduleName("");
      require(px.moduleName().starts_with("PX"));
      break;
    case 1:
      px.readMemorySw(argument);
      break;
    case 2:
      px.portInput(argument % 4);
      break;
    case 3:
      require(px.dummyRead().size() <= 6);
      break;
    case 4:
      px.userModeIn();
      break;
    case 5: {
      const std::uint8_t code[] = {0x1F, 0x28, 0x61, 0x40, 0x00};
      px.fromMacroStart(argument % 4 + 1, 1, 1, code, sizeof code);
      break;
    }
    case 6: {
      std::string reply(argument % 16, ' ');
      const std::size_t wanted = reply.size();
      if (px.IfInStr(reply, 1)) require(reply.size() == wanted);
      break;
    }
    case 7:
      px.moduleName(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t command = data[0];
  const std::uint8_t link = data[1];
  const std::span<const std::uint8_t> rest(data + 2, size - 2);

  VirtualEnv env;
  ReplyScript script(rest);
  auto serial = std::make_unique<ScriptedSerial>(env, script);
  auto network = std::make_unique<ScriptedSocket>(env, script);
  PX5000 px(env, std::make_unique<qolxCom>(env, std::move(serial)),
            std::make_unique<qolxSock>(env, std::move(network)));
  if (link & 1) {
    px.ifMode("LAN");
    px.ipAddress("127.0.0.1");
    px.tcpPort(std::int64_t{FakeSocketDevice::kModulePort});
  } else {
    px.ifMode("COM");
    px.commPort(1);
    px.commSettings("38400,n,8,1");
  }
  if (link & 2) px.moduleAdd("1");

  try {
    runCommand(px, command, static_cast<std::uint8_t>(link >> 2), rest);
  } catch (const DeviceError&) {
    // A reply or name the name reader refuses: the caller's to report.
  }
  require(!px.isOpen());
  return 0;
}
