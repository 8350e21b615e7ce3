// PX5000 on the platform sockets against the simulated module listening on a loopback TCP port: the
// check, detection, downloads byte for byte with their measured pauses, a silent module, a module that
// closes mid-transfer and a refused port. All traffic stays on 127.0.0.1; no name is ever looked up.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/framing.h"
#include "link/px5000.h"
#include "ramdownload.h"
#include "sim/simmodule.h"
#include "virtualenv.h"

namespace kelmore::link {
namespace {

using std::chrono::milliseconds;
using testkit::RealEnv;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kArrival{3000};

std::vector<std::uint8_t> code(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
  return bytes;
}

void append(std::vector<std::uint8_t>& to, std::span<const std::uint8_t> bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

const sim::Received* find(const std::vector<sim::Received>& received, std::string_view name) {
  for (const auto& r : received) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

class TcpEndToEnd : public ::testing::Test {
 protected:
  void start(sim::ModuleConfig config = {}) {
    sim = std::make_unique<sim::SimModule>(config, sim::SimModule::OnTcp{});
    ASSERT_NE(sim->tcpPort(), 0);
  }
  std::unique_ptr<PX5000> device(LinkEnv& env) {
    // Every address here is dotted: a name query would leave the loopback.
    auto sock = std::make_unique<qolxSock>(env, makePlatformSocketDevice([](const std::string& host) {
                                             ADD_FAILURE() << "looked up " << host;
                                             return std::optional<std::uint32_t>();
                                           }));
    auto px = std::make_unique<PX5000>(env, std::make_unique<qolxCom>(env), std::move(sock));
    px->ifMode("LAN");
    px->ipAddress("127.0.0.1");
    px->tcpPort(std::int64_t{sim->tcpPort()});
    return px;
  }
  std::vector<std::uint8_t> arrived(std::size_t count) {
    EXPECT_TRUE(sim->waitForWire(count, kArrival)) << "module took " << sim->wire().size() << " of " << count;
    return sim->wire();
  }

  std::unique_ptr<sim::SimModule> sim;
  RealEnv env;
};

TEST_F(TcpEndToEnd, finds_and_detects_a_256_by_64_module) {
  start();
  auto px = device(env);
  EXPECT_EQ(px->ifCheck_silent(), 0);
  EXPECT_EQ(px->ifCheck(), 0);
  px->moduleName("");
  EXPECT_EQ(px->moduleName(), "PX256X64");
  EXPECT_EQ(px->ifOpenf, 0);
  EXPECT_FALSE(px->sock().isOpen());
  EXPECT_TRUE(env.boxes.empty());
}

std::vector<std::uint8_t> ramDownloadBytes(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> wire(kUserModeIn.begin(), kUserModeIn.end());
  append(wire, std::vector<std::uint8_t>{0x1F, 0x28, 0x65, 0x03, 0x13, 0x00});
  append(wire, kUserModeOut);
  append(wire, ramMacroDefine(bytes));
  append(wire, std::vector<std::uint8_t>{0x1F, 0x24, 0, 0, 0, 0});
  const std::string_view text = "Completed. [RAM Macro] ";
  wire.insert(wire.end(), text.begin(), text.end());
  return wire;
}

// The 16 KiB RAM download byte for byte, and the link waits for nothing but the sequence's 1000 ms pause
// and its whole read polls (the reply to user mode in may miss its first look). The time it takes beside
// those waits is the benchmark's figure (bench/link), not a wall-clock assertion on a shared machine.
TEST_F(TcpEndToEnd, ram_download_byte_for_byte_waiting_only_its_pause_and_polls) {
  start();
  auto px = device(env);
  const auto bytes = code(16 * 1024);
  const int sleptBefore = env.sleptMs;
  testkit::ramDownload(*px, bytes);
  const int waitedMs = env.sleptMs - sleptBefore;
  const auto expected = ramDownloadBytes(bytes);
  EXPECT_EQ(arrived(expected.size()), expected);
  EXPECT_EQ(px->linkError(), LinkError::None);
  EXPECT_EQ(sim->memory().ramMacro, bytes);
  const int beyondPause = waitedMs - 1000;
  EXPECT_GE(beyondPause, 0);
  // Connect steps of 10 ms and poll waits of 100 ms, a handful at most.
  EXPECT_EQ(beyondPause % 10, 0) << waitedMs;
  EXPECT_LE(beyondPause, 1000) << waitedMs;
  const auto received = sim->received();
  const auto* out = find(received, "userModeOut");
  const auto* macro = find(received, "ramMacro");
  ASSERT_TRUE(out && macro);
  EXPECT_LT(out->last, macro->first);
}

TEST_F(TcpEndToEnd, flash_download_framed_at_address_1) {
  sim::ModuleConfig config;
  config.address = 1;
  start(config);
  auto px = device(env);
  px->moduleAdd("1");
  const auto bytes = code(3000);
  px->ifOpen();
  px->userModeIn();
  px->fromMacroDefine(2, 0, 0, bytes, 3000);
  px->writeMemorySw(kAutoStartSwitch, 0);
  px->userModeOut();
  px->dummyWrite(1000);
  px->printText("Completed. [FROM Macro 2] ");
  EXPECT_EQ(px->dummyRead(), "X: 256");
  px->ifClose();
  EXPECT_EQ(px->linkError(), LinkError::None);
  const auto memory = sim->memory();
  EXPECT_EQ(memory.flashMacro[1], bytes);
  EXPECT_FALSE(memory.userMode);
  EXPECT_TRUE(sim->frameErrors().empty());
  ASSERT_FALSE(sim->frameSizes().empty());
  for (std::size_t size : sim->frameSizes()) EXPECT_LE(size, 128u);
}

TEST_F(TcpEndToEnd, a_silent_module_times_out_and_a_slow_one_is_still_read) {
  start();
  sim->setSilent(true);
  auto px = device(env);
  ASSERT_EQ(px->ifOpen(), 0);
  EXPECT_EQ(px->readXDot(), "");
  EXPECT_TRUE(px->sock().isOpen());
  EXPECT_EQ(px->linkError(), LinkError::None);
  sim->setSilent(false);
  sim->setReplyDelay(milliseconds(250));
  // The silent query's reply was never sent; the next one is answered late but inside its countdown.
  EXPECT_EQ(px->readYDot(), "Y: 064");
  px->ifClose();
}

TEST_F(TcpEndToEnd, a_module_that_closes_mid_transfer_fails_the_operation_at_once) {
  start();
  auto px = device(env);
  sim->setHangUpAfter(2000);
  const auto bytes = code(60000);
  const auto begin = Clock::now();
  px->ifOpen();
  // The socket buffers take much of a download before the close is seen; a few more must fail.
  for (int i = 0; i < 20 && px->linkError() == LinkError::None; ++i) {
    px->fromRamMacroDefine(bytes, static_cast<std::int64_t>(bytes.size()));
  }
  std::string reply = "      ";
  EXPECT_FALSE(px->IfInStr(reply, 20));
  px->ifClose();
  EXPECT_EQ(px->linkError(), LinkError::HungUp);
  EXPECT_LT(Clock::now() - begin, milliseconds(3000));
  EXPECT_FALSE(px->sock().isOpen());
  // The module takes the next connect again.
  EXPECT_EQ(px->ifOpen(), 0);
  px->ifClose();
}

TEST_F(TcpEndToEnd, a_refused_port_gives_1_at_once_and_sends_nothing) {
  start();
  // A port bound but not listening refuses, and nobody else can take it meanwhile.
  const int held = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(held, reinterpret_cast<sockaddr*>(&address), &length), 0);
  auto px = device(env);
  px->tcpPort(std::int64_t{ntohs(address.sin_port)});
  const auto begin = Clock::now();
  EXPECT_EQ(px->ifOpen(), 1);
  EXPECT_FALSE(px->ifOut(std::vector<std::uint8_t>{0x0C}));
  px->ifClose();
  EXPECT_LT(Clock::now() - begin, milliseconds(1000));
  EXPECT_EQ(px->linkError(), LinkError::OpenFailed);
  EXPECT_TRUE(sim->wire().empty());
  EXPECT_TRUE(env.boxes.empty());
  ::close(held);
}

}  // namespace
}  // namespace kelmore::link
