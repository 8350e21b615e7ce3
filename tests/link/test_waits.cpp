// The waits the link reports for the window to show, on virtual time: each pause, reply countdown,
// connect, echo and CTS wait with the deadline it really gives up at, and none left open afterwards.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <functional>

#include "rig.h"

namespace kelmore::link {
namespace {

using testkit::ShownWaitRecord;
using testkit::TcpRig;
using W = LinkWait;

std::vector<std::uint8_t> code(std::size_t n) {
  return std::vector<std::uint8_t>(n, 0x41);
}

struct WaitCase {
  const char* name;
  std::function<void(testkit::Rig&)> run;
  // Consecutive reports of the same wait and deadline count once: a countdown re-reports its deadline at
  // every empty poll, and on virtual time that deadline must not move.
  std::vector<ShownWaitRecord> shown;
};

const std::vector<WaitCase>& waitCases() {
  static const std::vector<WaitCase> cases = {
      // The open settles 10 ms; each size query pauses 50 ms, then counts 20 empty polls down.
      {"silent_module_detection",
       [](testkit::Rig& rig) {
         rig.device->silent = true;
         rig.px->moduleName("");
       },
       {{W::Pause, 60}, {W::Reply, 2060}, {W::Pause, 2110}, {W::Reply, 4110}}},
      {"answered_detection_ends_each_countdown_early",
       [](testkit::Rig& rig) { rig.px->moduleName(""); },
       {{W::Pause, 60}, {W::Reply, 2060}, {W::Pause, 110}, {W::Reply, 2110}}},
      {"flash_wait_for_the_last_answer_is_20_s",
       [](testkit::Rig& rig) {
         rig.device->silent = true;
         rig.px->ifOpen();
         rig.px->dummyRead();
         rig.px->ifClose();
       },
       {{W::Pause, 60}, {W::Reply, 20060}}},
      {"wmr_block_download_pauses",
       [](testkit::Rig& rig) {
         rig.px->ifOpen();
         rig.px->fromMacroDefineWmr(0, 0, code(1025), 1025);
         rig.px->ifClose();
       },
       {{W::Pause, 1110}, {W::Pause, 1610}, {W::Pause, 2110}}},
      {"cts_held_off_before_a_frame",
       [](testkit::Rig& rig) {
         rig.px->moduleAdd("1");
         rig.px->ifOpen();
         int asked = 0;
         rig.device->ctsSource = [&asked] { return ++asked > 3; };
         rig.px->ifOut(code(2));
         rig.device->ctsSource = nullptr;
         rig.px->ifClose();
       },
       {{W::Cts, 10 + 10000}}},
      {"cts_present_shows_nothing",
       [](testkit::Rig& rig) {
         rig.px->moduleAdd("1");
         rig.px->ifOut(code(2));
       },
       {}},
      {"tcp_connect",
       [](testkit::Rig& rig) {
         rig.px->ifMode("LAN");
         rig.socket->connectAfterMs = 300;
         rig.px->ifOpen();
         rig.px->ifClose();
       },
       {{W::Connect, 5000}}},
      {"tcp_echo_never_answered",
       [](testkit::Rig& rig) {
         rig.px->ifMode("LAN");
         rig.socket->echoAfterMs = std::nullopt;
         EXPECT_EQ(rig.px->ifCheck_silent(), 1);
       },
       {{W::Echo, 4000}}},
  };
  return cases;
}

class Shown : public testing::TestWithParam<WaitCase> {};

TEST_P(Shown, with_the_deadline_the_link_gives_up_at) {
  TcpRig rig;  // serial unless the case picks TCP
  rig.px->ifMode("COM");
  GetParam().run(rig);
  std::vector<ShownWaitRecord> shown;
  for (const auto& record : rig.env.waits)
    if (shown.empty() || !(shown.back() == record)) shown.push_back(record);
  EXPECT_EQ(shown, GetParam().shown);
  EXPECT_EQ(rig.env.waitsOpen, 0) << "a wait is still shown";
}

INSTANTIATE_TEST_SUITE_P(link, Shown, testing::ValuesIn(waitCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// A port that stops taking bytes is given the stall limit in slices, the events taken between them; the
// wait shows the time left of the limit and ends with the failure.
TEST(ShownSend, counts_the_stall_limit_down_and_ends_with_the_failure) {
  testkit::Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.device->stallAfter = 10;
  const int eventsBefore = rig.env.events;
  EXPECT_FALSE(rig.px->ifOut(code(100)));
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
  ASSERT_FALSE(rig.env.waits.empty());
  // The open settled 10 ms; no virtual time passes in the fake's slices, the limit counts down by them.
  EXPECT_EQ(rig.env.waits.front(), (ShownWaitRecord{W::Send, 10 + 10000 - 100}));
  EXPECT_EQ(rig.env.waits.back(), (ShownWaitRecord{W::Send, 10 + 100}));
  EXPECT_EQ(rig.env.waits.size(), 99u);
  EXPECT_EQ(rig.env.events - eventsBefore, 100);
  EXPECT_EQ(rig.env.waitsOpen, 0);
  EXPECT_EQ(rig.device->wire().size(), 10u);
}

TEST(ShownSend, a_drain_that_never_ends_fails_after_the_stall_limit) {
  testkit::Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  ASSERT_TRUE(rig.px->ifOut(code(4)));
  rig.device->drainResult = platform::PortError::Stalled;
  rig.px->pause(50);
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
  EXPECT_EQ(rig.device->count(testkit::DeviceCall::Kind::Drain), 100);
  EXPECT_EQ(rig.env.waits.front(), (ShownWaitRecord{W::Send, 10 + 10000 - 100}));
  EXPECT_EQ(rig.env.waitsOpen, 0);
}

}  // namespace
}  // namespace kelmore::link
