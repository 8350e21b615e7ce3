// The download, start and auto-exec sequences on virtual time: order of commands, pauses after the bytes
// have left, block downloads, and what a failed link does to the rest of a sequence.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "ramdownload.h"
#include "rig.h"

namespace kelmore::link {
namespace {

using testkit::bytesOf;
using testkit::DeviceCall;
using testkit::ramDownload;
using testkit::Rig;
using Kind = DeviceCall::Kind;
using std::chrono::milliseconds;

std::vector<std::uint8_t> code(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(0x30 + i % 64);
  return bytes;
}

std::vector<std::string> names(const std::vector<sim::Received>& received) {
  std::vector<std::string> out;
  for (const auto& r : received) out.push_back(r.name);
  return out;
}

milliseconds gap(const sim::Received& before, const sim::Received& after) {
  return std::chrono::duration_cast<milliseconds>(after.first - before.last);
}

// The main window's flash download into area k, for models other than WMR-STD.
void flashDownload(PX5000& px, int k, std::span<const std::uint8_t> bytes) {
  px.ifOpen();
  px.userModeIn();
  px.fromMacroDefine(k, 0, 0, bytes, static_cast<std::int64_t>(bytes.size()));
  px.writeMemorySw(kAutoStartSwitch, 0);
  px.userModeOut();
  px.dummyWrite(1000);
  px.printText("Completed. [FROM Macro 2] ");
  px.dummyRead();
  px.ifClose();
}

TEST(Sequence, ram_download_in_order_with_its_pause_after_the_bytes_left) {
  Rig rig;
  const auto bytes = code(300);
  ramDownload(*rig.px, bytes);
  const auto received = rig.device->module().received();
  EXPECT_EQ(names(received), (std::vector<std::string>{"userModeIn", "writeMemorySw", "userModeOut",
                                                       "ramMacro", "text", "cursorSet", "text"}));
  EXPECT_EQ(gap(received[2], received[3]), milliseconds(1000));
  EXPECT_EQ(rig.device->module().memory().ramMacro, bytes);
  EXPECT_EQ(received[4].bytes, std::vector<std::uint8_t>(5, 0x00));
  EXPECT_EQ(std::string(received[6].bytes.begin(), received[6].bytes.end()), "Completed. [RAM Macro] ");
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
  // The pause starts once user mode out has drained.
  const auto& calls = rig.device->calls;
  std::size_t lastDrainBeforeMacro = 0;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].kind == Kind::Drain && calls[i].at < received[3].first - sim::SimClock::time_point{}) {
      lastDrainBeforeMacro = i;
    }
  }
  ASSERT_GT(lastDrainBeforeMacro, 0u);
  EXPECT_EQ(calls[lastDrainBeforeMacro].at,
            std::chrono::duration_cast<milliseconds>(received[2].last - sim::SimClock::time_point{}));
}

TEST(Sequence, flash_download_raw_and_framed_give_the_same_module_memory) {
  for (const char* address : {"", "1"}) {
    sim::ModuleConfig module;
    if (*address) module.address = 1;
    Rig rig(module);
    rig.px->moduleAdd(address);
    const auto bytes = code(5000);
    flashDownload(*rig.px, 2, bytes);
    const auto& core = rig.device->module();
    EXPECT_TRUE(core.frameErrors().empty()) << address;
    EXPECT_EQ(core.memory().flashMacro[1], bytes) << address;
    EXPECT_EQ(core.memory().memorySwitch[19], 0) << address;
    EXPECT_EQ(names(core.received()), (std::vector<std::string>{"userModeIn", "flashMacro", "writeMemorySw",
                                                                "userModeOut", "text", "dotQuery"}))
        << address;
    EXPECT_EQ(rig.px->linkError(), LinkError::None);
    if (*address) {
      // 1000 zero bytes with an address go out as frames of at most 128 data bytes.
      const auto& sizes = core.frameSizes();
      std::size_t framedData = 0;
      for (std::size_t s : sizes) framedData += s;
      EXPECT_EQ(core.wire().size(), framedData + 5 * sizes.size());
      EXPECT_EQ(framedData, 6 + 5009 + 6 + 7 + 1000 + 26 + 5u);
    } else {
      EXPECT_TRUE(core.frameSizes().empty());
    }
  }
}

struct BlockCase {
  const char* name;
  std::size_t codeBytes;
  std::size_t blocks;
};

const BlockCase kBlocks[] = {
    {"none", 0, 0},
    {"exactly_one", 1024, 1},
    {"one_over", 1025, 2},
    {"wmr_capacity", 4096, 4},
};

class Blocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(Blocks, header_then_blocks_padded_with_FF_and_their_pauses) {
  sim::ModuleConfig module;
  module.blockDownload = true;
  Rig rig(module);
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.env.sleeps.clear();
  const auto bytes = code(GetParam().codeBytes);
  rig.px->fromMacroDefineWmr(0, 0, bytes, static_cast<std::int64_t>(bytes.size()));
  std::vector<int> pauses{1100};
  pauses.insert(pauses.end(), GetParam().blocks, 500);
  EXPECT_EQ(rig.env.sleeps, pauses);

  const auto& received = rig.device->module().received();
  ASSERT_EQ(received.size(), 1 + GetParam().blocks);
  EXPECT_EQ(received[0].bytes, bytesOf({0x1F, 0x28, 0x65, 0x12, 0x01, static_cast<int>(bytes.size() & 0xFF),
                                        static_cast<int>(bytes.size() >> 8), 0x00, 0x00}));
  for (std::size_t b = 1; b < received.size(); ++b) {
    EXPECT_EQ(received[b].name, "block");
    EXPECT_EQ(received[b].bytes.size(), 1024u);
    EXPECT_EQ(gap(received[b - 1], received[b]), milliseconds(b == 1 ? 1100 : 500));
  }
  EXPECT_EQ(rig.device->module().memory().flashMacro[0], bytes);
  if (GetParam().codeBytes == 1025) {
    const auto& last = received[2].bytes;
    EXPECT_EQ(last[0], bytes[1024]);
    EXPECT_EQ(std::count(last.begin() + 1, last.end(), 0xFF), 1023);
  }
}

INSTANTIATE_TEST_SUITE_P(wmr, Blocks, ::testing::ValuesIn(kBlocks),
                         [](const auto& i) { return i.param.name; });

TEST(Sequence, a_block_download_whose_link_fails_stops_pausing) {
  sim::ModuleConfig module;
  module.blockDownload = true;
  Rig rig(module);
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.device->stallAfter = 9 + 100;
  rig.env.sleeps.clear();
  const auto bytes = code(4096);
  rig.px->fromMacroDefineWmr(0, 0, bytes, 4096);
  EXPECT_EQ(rig.env.sleeps, std::vector<int>{1100});
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
}

TEST(Sequence, macro_start_makes_the_area_the_auto_start_macro) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  const auto bytes = code(20);
  rig.px->fromMacroStart(2, 0, 0, bytes, 20);
  rig.px->ifClose();
  const auto& core = rig.device->module();
  EXPECT_EQ(names(core.received()), (std::vector<std::string>{"userModeIn", "flashMacro", "dotQuery",
                                                              "writeMemorySw", "dotQuery", "userModeOut"}));
  EXPECT_EQ(core.memory().memorySwitch[19], 130);
  EXPECT_EQ(core.memory().flashMacro[1], bytes);
}

TEST(Sequence, start_and_auto_exec) {
  Rig rig;
  rig.px->ifOpen();
  rig.px->MacroGo(kRamMacroNumber + 3, 0, 0);
  rig.px->ifClose();
  EXPECT_EQ(rig.device->module().memory().lastStarted, std::optional<int>(131));

  rig.px->ifOpen();
  rig.px->userModeIn();
  rig.px->writeMemorySw(kAutoStartSwitch, kRamMacroNumber + 3);
  rig.px->userModeOut();
  rig.px->ifClose();
  EXPECT_EQ(rig.device->module().memory().memorySwitch[19], 131);
  EXPECT_FALSE(rig.device->module().memory().userMode);
}

TEST(Sequence, a_failed_open_makes_a_download_end_quickly_and_say_so) {
  Rig rig;
  rig.device->injected = false;
  ramDownload(*rig.px, code(300));
  EXPECT_EQ(rig.px->linkError(), LinkError::OpenFailed);
  EXPECT_EQ(rig.device->count(Kind::Write), 0);
  // Only the open's settle and the main window's own pause remain.
  EXPECT_EQ(rig.env.sleeps, (std::vector<int>{10, 1000}));
}

}  // namespace
}  // namespace kelmore::link
