// PX5000 on the platform serial port against the simulated module over a real pseudo-terminal: detection,
// downloads byte for byte with their pauses, CTS, a port held elsewhere, a module that stops reading, a
// hang-up. COM3 reaches the module through ports.map, as a user would set it up.
//
// The exact pauses and their order are checked on virtual time (test_sequences, test_px5000); here they
// must be real, so the bounds are generous and the program runs alone.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../common/bmpfile.h"
#include "common/framing.h"
#include "link/px5000.h"
#include "platform/paths.h"
#include "ramdownload.h"
#include "sim/simmodule.h"
#include "virtualenv.h"

namespace kelmore::link {
namespace {

using std::chrono::milliseconds;
using testkit::Box;
using testkit::RealEnv;
using testkit::VirtualEnv;
using Clock = std::chrono::steady_clock;

constexpr int kCom = 3;
constexpr milliseconds kArrival{30000};
// The module stamps bytes when its thread reads them: late on a busy machine, which shortens a measured
// pause by as much.
constexpr milliseconds kStampLateness{250};
// Real time an operation may take beyond the pauses it asked for: its writes, drains and reads on a
// pseudo-terminal need milliseconds, so this still catches a wait of its own, such as a read that sits
// out a time-out of seconds.
constexpr milliseconds kBeyondPauses{2000};

std::vector<std::uint8_t> code(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
  return bytes;
}

void append(std::vector<std::uint8_t>& to, std::span<const std::uint8_t> bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

milliseconds gap(const sim::Received& before, const sim::Received& after) {
  return std::chrono::duration_cast<milliseconds>(after.first - before.last);
}

const sim::Received* find(const std::vector<sim::Received>& received, std::string_view name, int nth = 0) {
  for (const auto& r : received) {
    if (r.name == name && nth-- == 0) return &r;
  }
  return nullptr;
}

class EndToEnd : public ::testing::Test {
 protected:
  void start(sim::ModuleConfig config = {}) {
    sim = std::make_unique<sim::SimModule>(config);
    ASSERT_FALSE(sim->path().empty());
    std::filesystem::create_directories(platform::configDir());
    std::ofstream(platform::configDir() / "ports.map") << "COM" << kCom << "=" << sim->path() << "\n";
  }
  std::unique_ptr<PX5000> device(LinkEnv& env) {
    auto px = std::make_unique<PX5000>(env);
    px->ifMode("COM");
    px->commPort(kCom);
    px->commSettings("38400,n,8,1");
    return px;
  }
  std::vector<std::uint8_t> arrived(std::size_t count) {
    EXPECT_TRUE(sim->waitForWire(count, kArrival)) << "module took " << sim->wire().size() << " of " << count;
    return sim->wire();
  }

  std::unique_ptr<sim::SimModule> sim;
  RealEnv env;
};

TEST_F(EndToEnd, detects_a_256_by_64_module) {
  start();
  auto px = device(env);
  EXPECT_EQ(px->ifCheck_silent(), 0);
  px->moduleName("");
  EXPECT_EQ(px->moduleName(), "PX256X64");
  EXPECT_EQ(px->moduleDotX(), 256);
  EXPECT_EQ(px->moduleDotY(), 64);
  EXPECT_EQ(px->ifOpenf, 0);
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(EndToEnd, a_silent_module_reads_as_PX0X0_after_its_time_outs) {
  start();
  sim->setSilent(true);
  VirtualEnv virtualEnv;
  auto px = device(virtualEnv);
  px->moduleName("");
  EXPECT_EQ(px->moduleName(), "PX0X0");
  EXPECT_EQ(virtualEnv.elapsed().count(), 10 + 2 * (50 + 2000));
}

struct Timing {
  milliseconds took;    // from open to close
  milliseconds waited;  // what the link slept meanwhile
};

// The main window's RAM download, timed.
Timing ramDownload(PX5000& px, RealEnv& env, std::span<const std::uint8_t> bytes) {
  const int sleptBefore = env.sleptMs;
  const auto begin = Clock::now();
  testkit::ramDownload(px, bytes);
  return {std::chrono::duration_cast<milliseconds>(Clock::now() - begin),
          milliseconds(env.sleptMs - sleptBefore)};
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

// The pauses of the RAM sequence: the open's settle and the 1000 ms before the definition. The read of
// user mode in adds a 100 ms poll wait whenever the reply is not there at its first look, which on a busy
// machine it may not be; the bound is taken over what the link really waited.
constexpr milliseconds kRamPauses{10 + 1000};

void expectWithinPauses(const Timing& t, const char* what) {
  EXPECT_GE(t.waited, kRamPauses) << what;
  EXPECT_LT(t.took, t.waited + kBeyondPauses)
      << what << " took " << t.took.count() << " ms for " << t.waited.count() << " ms of pauses";
}

TEST_F(EndToEnd, ram_download_byte_for_byte_with_a_real_1000_ms_gap) {
  start();
  auto px = device(env);
  const auto bytes = code(16 * 1024);
  const Timing timing = ramDownload(*px, env, bytes);
  const auto expected = ramDownloadBytes(bytes);
  EXPECT_EQ(arrived(expected.size()), expected);
  EXPECT_EQ(px->linkError(), LinkError::None);
  EXPECT_EQ(sim->memory().ramMacro, bytes);

  const auto received = sim->received();
  const auto* out = find(received, "userModeOut");
  const auto* macro = find(received, "ramMacro");
  ASSERT_TRUE(out && macro);
  EXPECT_GE(gap(*out, *macro), milliseconds(1000) - kStampLateness);
  expectWithinPauses(timing, "16 KiB RAM download");
}

TEST_F(EndToEnd, framed_ram_download_adds_only_the_frame_bytes) {
  start(sim::ModuleConfig{256, 64, 1, false});
  auto px = device(env);
  px->moduleAdd("1");
  const auto bytes = code(16 * 1024);
  const Timing timing = ramDownload(*px, env, bytes);
  const auto data = ramDownloadBytes(bytes);
  // Every command is framed on its own: ceil(size / 128) frames of 5 extra bytes each.
  std::size_t frames = 0;
  for (std::size_t size : {kUserModeIn.size(), std::size_t{6}, kUserModeOut.size(), bytes.size() + 9,
                           std::size_t{6}, std::size_t{23}}) {
    frames += (size + 127) / 128;
  }
  arrived(data.size() + 5 * frames);
  EXPECT_EQ(sim->wire().size(), data.size() + 5 * frames);
  EXPECT_TRUE(sim->frameErrors().empty());
  EXPECT_EQ(sim->memory().ramMacro, bytes);
  expectWithinPauses(timing, "framed 16 KiB RAM download");
}

TEST_F(EndToEnd, flash_download_raw_and_framed_at_address_1) {
  for (const char* address : {"", "1"}) {
    sim::ModuleConfig config;
    if (*address) config.address = 1;
    start(config);
    auto px = device(env);
    px->moduleAdd(address);
    const auto bytes = code(3000);
    px->ifOpen();
    px->userModeIn();
    px->fromMacroDefine(2, 0, 0, bytes, 3000);
    px->writeMemorySw(kAutoStartSwitch, 0);
    px->userModeOut();
    px->dummyWrite(1000);
    px->printText("Completed. [FROM Macro 2] ");
    EXPECT_EQ(px->dummyRead(), "X: 256") << address;
    px->ifClose();
    EXPECT_EQ(px->linkError(), LinkError::None);
    const auto memory = sim->memory();
    EXPECT_EQ(memory.flashMacro[1], bytes) << address;
    EXPECT_EQ(memory.memorySwitch[19], 0);
    EXPECT_FALSE(memory.userMode);
    EXPECT_TRUE(sim->frameErrors().empty());
    if (*address) {
      for (std::size_t size : sim->frameSizes()) EXPECT_LE(size, 128u);
      EXPECT_FALSE(sim->frameSizes().empty());
    }
  }
}

TEST_F(EndToEnd, wmr_block_download_of_1025_bytes_with_its_gaps) {
  start(sim::ModuleConfig{256, 64, std::nullopt, true});
  auto px = device(env);
  const auto bytes = code(1025);
  px->ifOpen();
  px->fromMacroDefineWmr(0, 0, bytes, 1025);
  px->ifClose();
  arrived(9 + 2048);
  const auto received = sim->received();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].bytes,
            (std::vector<std::uint8_t>{0x1F, 0x28, 0x65, 0x12, 0x01, 0x01, 0x04, 0x00, 0x00}));
  EXPECT_EQ(received[2].bytes[0], bytes[1024]);
  EXPECT_EQ(std::count(received[2].bytes.begin() + 1, received[2].bytes.end(), 0xFF), 1023);
  EXPECT_GE(gap(received[0], received[1]), milliseconds(1100) - kStampLateness);
  EXPECT_GE(gap(received[1], received[2]), milliseconds(500) - kStampLateness);
  EXPECT_EQ(sim->memory().flashMacro[0], bytes);
}

TEST_F(EndToEnd, start_and_auto_exec) {
  start();
  auto px = device(env);
  px->ifOpen();
  px->MacroGo(kRamMacroNumber + 1, 0, 0);
  px->ifClose();
  // A pseudo-terminal has no wire: the next open's purge would drop what the module has not read yet.
  arrived(5);
  px->ifOpen();
  px->userModeIn();
  px->writeMemorySw(kAutoStartSwitch, kRamMacroNumber + 1);
  px->userModeOut();
  px->ifClose();
  arrived(5 + 6 + 6 + 7);
  EXPECT_EQ(sim->memory().lastStarted, std::optional<int>(129));
  EXPECT_EQ(sim->memory().memorySwitch[19], 129);
  EXPECT_EQ(px->linkError(), LinkError::None);
}

const Box kBoxA{std::string(kComMessageA), std::string(kComErrorTitle), BoxIcon::Critical};
const Box kBoxD{std::string(kComMessageD), std::string(kComErrorTitle), BoxIcon::Critical};

TEST_F(EndToEnd, cts_absent_gives_2_and_message_D_with_the_port_closed) {
  start();
  auto px = device(env);
  px->com().injectCts(false);
  EXPECT_EQ(px->ifCheck(), 2);
  EXPECT_EQ(px->ifOpen(), 2);
  EXPECT_EQ(env.boxes, (std::vector<Box>{kBoxD, kBoxD}));
  EXPECT_FALSE(px->com().isOpen());
  platform::SerialPort other;
  EXPECT_EQ(other.open(sim->path(), {}), platform::PortError::None);
}

TEST_F(EndToEnd, a_port_held_by_another_program_gives_1_and_message_A) {
  start();
  platform::SerialPort other;
  ASSERT_EQ(other.open(sim->path(), {}), platform::PortError::None);
  auto px = device(env);
  EXPECT_EQ(px->ifCheck(), 1);
  EXPECT_EQ(px->ifCheck_silent(), 1);
  EXPECT_EQ(px->ifOpen(), 1);
  EXPECT_EQ(env.boxes, (std::vector<Box>{kBoxA, kBoxA}));
  px->ifClose();
  other.close();
  EXPECT_EQ(px->ifCheck_silent(), 0);
}

TEST_F(EndToEnd, a_slow_module_is_still_read_within_the_countdown) {
  start();
  sim->setReplyDelay(milliseconds(250));
  auto px = device(env);
  px->moduleName("");
  EXPECT_EQ(px->moduleName(), "PX256X64");
}

const Box kBoxC{std::string(kComMessageC), std::string(kComErrorTitle), BoxIcon::Critical};

TEST_F(EndToEnd, a_baud_rate_the_port_refuses_fails_the_open_with_message_C) {
  start();
  auto px = device(env);
  px->commSettings("31250,n,8,1");
  EXPECT_EQ(px->ifOpen(), 2);
  EXPECT_EQ(env.boxes, std::vector<Box>{kBoxC});
  EXPECT_FALSE(px->com().isOpen());
  EXPECT_FALSE(px->ifOut(std::vector<std::uint8_t>{0x0C}));
  px->ifClose();
  EXPECT_TRUE(sim->wire().empty());
}

TEST_F(EndToEnd, closing_after_failed_opens_touches_no_descriptor_of_others) {
  start();
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  auto px = device(env);
  px->commPort(9);  // nothing behind it in ports.map or among the devices of a test machine
  for (int i = 0; i < 3; ++i) {
    px->ifOpen();
    px->ifClose();
  }
  px->com().injectCts(false);
  px->commPort(kCom);
  px->ifOpen();
  px->ifClose();
  px->ifClose();
  for (int fd : {0, 1, 2, pipeFds[0], pipeFds[1]}) EXPECT_NE(::fcntl(fd, F_GETFD), -1) << fd;
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

TEST_F(EndToEnd, a_module_that_stops_reading_fails_the_download_within_the_bound) {
  start();
  auto px = device(env);
  const milliseconds limit{300};
  px->com().setStallLimit(limit);
  sim->setDeafAfter(1000);
  const auto bytes = code(65535);
  const auto begin = Clock::now();
  px->ifOpen();
  int sent = 0;
  // The terminal buffers some ten kilobytes before the writes stop moving.
  while (px->linkError() == LinkError::None && sent < 10) {
    px->fromRamMacroDefine(bytes, 65535);
    ++sent;
  }
  px->printText("Completed.");
  px->ifClose();
  const auto took = Clock::now() - begin;
  EXPECT_EQ(px->linkError(), LinkError::Stalled);
  EXPECT_LT(sent, 10);
  EXPECT_LT(took, limit + kBeyondPauses);
  EXPECT_FALSE(px->com().isOpen());
  // The port is free again for the next operation.
  sim->setDeafAfter(std::nullopt);
  EXPECT_EQ(px->ifCheck_silent(), 0);
  EXPECT_EQ(px->ifOpen(), 0);
  px->ifClose();
}

TEST_F(EndToEnd, a_hang_up_of_the_other_side_fails_the_link_at_once) {
  start();
  auto px = device(env);
  sim->setHangUpAfter(2000);
  const auto bytes = code(16 * 1024);
  const auto begin = Clock::now();
  px->ifOpen();
  px->fromRamMacroDefine(bytes, static_cast<std::int64_t>(bytes.size()));
  px->fromRamMacroDefine(bytes, static_cast<std::int64_t>(bytes.size()));
  std::string reply = "      ";
  EXPECT_FALSE(px->IfInStr(reply, 20));
  px->ifClose();
  EXPECT_EQ(px->linkError(), LinkError::HungUp);
  // Far below the 20 s the read would otherwise wait.
  EXPECT_LT(Clock::now() - begin, kBeyondPauses);
  EXPECT_FALSE(px->com().isOpen());
}

TEST_F(EndToEnd, an_image_read_from_a_file_arrives_in_image_ram_and_flash_byte_for_byte) {
  for (const char* address : {"", "1"}) {
    sim::ModuleConfig config;
    if (*address) config.address = 1;
    start(config);
    auto px = device(env);
    px->moduleAdd(address);
    // A checkerboard: even columns hold rows 0, 2, 4 ... (AA), odd ones rows 1, 3, 5 ... (55).
    const std::filesystem::path file = platform::configDir() / "checker.bmp";
    const auto checker = [](int x, int y) { return (x + y) % 2 == 0 ? 1u : 0u; };
    kelmore::testkit::writeFile(file, kelmore::testkit::makeBmp({40, 24, 1, checker}));
    std::vector<std::uint8_t> expected;
    for (int x = 0; x < 40; ++x) expected.insert(expected.end(), 3, x % 2 == 0 ? 0xAA : 0x55);

    std::int32_t width = 0;
    std::int32_t height = 0;
    ASSERT_TRUE(px->readBmpFileXY(file.string(), width, height));
    std::vector<std::uint8_t> image(expected.size());
    px->getBmph(image);
    px->ifOpen();
    px->printBmpRam(0x100, static_cast<int>(image.size()), image);
    ASSERT_TRUE(px->printBmpFileFrombufP(0, file.string(), width, height));
    px->userModeIn();
    px->printBmpFrombufOut(0x10020, 0, static_cast<std::int32_t>(expected.size()));
    px->userModeOut();
    px->ifClose();
    EXPECT_EQ(px->linkError(), LinkError::None) << address;

    const std::size_t data = 10 + 120 + kUserModeIn.size() + 10 + 120 + kUserModeOut.size();
    arrived(*address ? data + 5 * 6 : data);
    EXPECT_TRUE(sim->frameErrors().empty()) << address;
    const auto memory = sim->memory();
    ASSERT_EQ(memory.imageRam.size(), 0x100 + expected.size()) << address;
    EXPECT_EQ(std::vector<std::uint8_t>(memory.imageRam.begin() + 0x100, memory.imageRam.end()), expected);
    // Flash page 1, offset 20h.
    ASSERT_EQ(memory.imageFlash.size(), 0x10020 + expected.size()) << address;
    EXPECT_EQ(std::vector<std::uint8_t>(memory.imageFlash.begin() + 0x10020, memory.imageFlash.end()),
              expected);
    EXPECT_TRUE(env.boxes.empty());
  }
}

// A link that sends queries and never reads the answers fills the terminal; the module still stops.
TEST(Simulator, stops_while_its_answers_are_never_read) {
  auto module = std::make_unique<sim::SimModule>();
  ASSERT_FALSE(module->path().empty());
  const int fd = ::open(module->path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::vector<std::uint8_t> queries;
  for (int i = 0; i < 1000; ++i) append(queries, std::vector<std::uint8_t>{0x1F, 0x28, 0x65, 0x40, 0x40});
  std::size_t written = 0;
  bool full = false;
  for (const auto giveUp = Clock::now() + milliseconds(20000); !full && Clock::now() < giveUp;) {
    const ssize_t n =
        ::write(fd, queries.data() + written % queries.size(), queries.size() - written % queries.size());
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      // The module stopped taking queries: it waits for room for its answers.
      full = !module->waitForWire(written, milliseconds(500));
    } else if (!(n < 0 && errno == EINTR)) {
      break;
    }
  }
  EXPECT_TRUE(full);
  module.reset();  // would wait for ever for room for its answers
  ::close(fd);
}

}  // namespace
}  // namespace kelmore::link
