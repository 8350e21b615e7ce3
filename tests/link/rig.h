// A PX5000 on the fake serial device, the fake network and virtual time, set up as the main window sets it
// for COM1 (Rig) or for TCP to the module at 127.0.0.1:10000 (TcpRig).
// Layer: tests of the link (plain C++, no Qt).
#pragma once

#include <memory>

#include "fakeserial.h"
#include "fakesocket.h"
#include "link/px5000.h"

namespace kelmore::link::testkit {

struct Rig {
  explicit Rig(sim::ModuleConfig module = {}) {
    auto fake = std::make_unique<FakeSerialDevice>(env, module);
    device = fake.get();
    auto com = std::make_unique<qolxCom>(env, std::move(fake));
    auto network = std::make_unique<FakeSocketDevice>(env, module);
    socket = network.get();
    auto sock = std::make_unique<qolxSock>(env, std::move(network));
    px = std::make_unique<PX5000>(env, std::move(com), std::move(sock));
    px->ifMode("COM");
    px->commPort(1);
    px->commSettings("38400,n,8,1");
  }

  // What the module took since the last call, as bytes.
  std::vector<std::uint8_t> sent() {
    auto bytes = device->wire();
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(seen_));
    seen_ = device->wire().size();
    return bytes;
  }

  VirtualEnv env;
  FakeSerialDevice* device = nullptr;
  FakeSocketDevice* socket = nullptr;
  std::unique_ptr<PX5000> px;

 private:
  std::size_t seen_ = 0;
};

struct TcpRig : Rig {
  explicit TcpRig(sim::ModuleConfig module = {}) : Rig(module) {
    px->ifMode("LAN");
    px->ipAddress("127.0.0.1");
    px->tcpPort(std::int64_t{FakeSocketDevice::kModulePort});
  }
};

inline std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

}  // namespace kelmore::link::testkit
