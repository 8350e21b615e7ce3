// The TCP link through the device object on a scripted network and virtual time: detection, downloads,
// replies in segments or with a surplus, a silent module, a module that closes, failed opens, the bounds
// of the connect and the sends, and the reachability check.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <functional>

#include "common/framing.h"
#include "ramdownload.h"
#include "rig.h"

namespace kelmore::link {
namespace {

using std::chrono::milliseconds;
using testkit::Box;
using testkit::FakeSocketDevice;
using testkit::TcpRig;
using Endpoint = FakeSocketDevice::Endpoint;

std::vector<std::uint8_t> code(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

const sim::Received* find(const std::vector<sim::Received>& received, std::string_view name) {
  for (const auto& r : received) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

TEST(Tcp, detects_a_256_by_64_module_and_leaves_the_link_closed) {
  TcpRig rig;
  EXPECT_EQ(rig.px->ifCheck_silent(), 0);
  rig.px->moduleName("");
  EXPECT_EQ(rig.px->moduleName(), "PX256X64");
  EXPECT_EQ(rig.socket->target_, (Endpoint{FakeSocketDevice::kModuleHost, FakeSocketDevice::kModulePort}));
  EXPECT_EQ(rig.socket->connects, 1);
  EXPECT_EQ(rig.socket->closes, 1);
  EXPECT_FALSE(rig.socket->isOpen());
  EXPECT_EQ(rig.device->opens, 0);
  EXPECT_TRUE(rig.env.boxes.empty());
}

TEST(Tcp, ram_download_goes_whole_with_its_pause_after_the_module_took_the_bytes) {
  TcpRig rig;
  const auto bytes = code(16 * 1024);
  testkit::ramDownload(*rig.px, bytes);
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
  EXPECT_EQ(rig.socket->module().memory().ramMacro, bytes);
  // The socket takes a command's bytes in one send; nothing is cut into serial pieces.
  EXPECT_NE(
      std::find(rig.socket->writeSizes.begin(), rig.socket->writeSizes.end(), ramMacroDefine(bytes).size()),
      rig.socket->writeSizes.end());
  const auto& received = rig.socket->module().received();
  const auto* out = find(received, "userModeOut");
  const auto* macro = find(received, "ramMacro");
  ASSERT_TRUE(out && macro);
  EXPECT_EQ(std::chrono::duration_cast<milliseconds>(macro->first - out->last), milliseconds(1000));
  EXPECT_GE(rig.socket->drains, 1);
  EXPECT_FALSE(rig.socket->isOpen());
}

TEST(Tcp, flash_download_framed_at_address_1) {
  sim::ModuleConfig config;
  config.address = 1;
  TcpRig rig(config);
  rig.px->moduleAdd("1");
  const auto bytes = code(3000);
  rig.px->ifOpen();
  rig.px->userModeIn();
  rig.px->fromMacroDefine(1, 0, 0, bytes, 3000);
  rig.px->userModeOut();
  rig.px->ifClose();
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
  const auto& module = rig.socket->module();
  EXPECT_EQ(module.memory().flashMacro[0], bytes);
  EXPECT_TRUE(module.frameErrors().empty());
  ASSERT_FALSE(module.frameSizes().empty());
  for (std::size_t size : module.frameSizes()) EXPECT_LE(size, 128u);
  EXPECT_EQ(rig.socket->wire().front(), 0x02);
  EXPECT_EQ(rig.socket->wire()[1], 0x01);
}

struct SplitCase {
  const char* name;
  std::size_t firstBytes;
};

const SplitCase kSplits[] = {{"after_one_byte", 1}, {"in_the_middle", 3}, {"before_the_last_byte", 5}};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, a_reply_in_two_segments_is_read_whole) {
  TcpRig rig;
  rig.socket->splitAt = GetParam().firstBytes;
  rig.socket->splitDelayMs = 250;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  EXPECT_EQ(rig.px->readXDot(), "X: 256");
  rig.px->ifClose();
  // The rest came 250 ms after the query: the 50 ms pause and two empty polls, inside the 2 s countdown.
  EXPECT_EQ(rig.env.elapsed(), milliseconds(50 + 200));
}

INSTANTIATE_TEST_SUITE_P(tcp, Split, testing::ValuesIn(kSplits),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Tcp, a_surplus_stays_for_the_next_read_and_never_overruns_the_array) {
  TcpRig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.socket->queueReply(testkit::bytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  std::array<std::uint8_t, 8> data{};
  data.fill(0xEE);
  EXPECT_TRUE(rig.px->IfIn(std::span(data).first(4), 1));
  EXPECT_EQ(data, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE}));
  std::string rest = "      ";
  EXPECT_TRUE(rig.px->IfInStr(rest, 1));
  EXPECT_EQ(rest, "\x05\x06\x07\x08\x09\x0A");
  // No receive asked for more than the reply still wanted.
  EXPECT_EQ(rig.socket->readSizes, (std::vector<std::size_t>{4, 6}));
  rig.px->ifClose();
}

TEST(Tcp, a_long_reply_is_received_at_most_100_bytes_at_a_time) {
  TcpRig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.socket->queueReply(code(250));
  std::vector<std::uint8_t> data(250);
  EXPECT_TRUE(rig.px->IfIn(data, 1));
  EXPECT_EQ(data, code(250));
  EXPECT_EQ(rig.socket->readSizes, (std::vector<std::size_t>{100, 100, 50}));
  rig.px->ifClose();
}

TEST(Tcp, a_silent_module_times_out_and_the_connection_stays_for_the_next_query) {
  TcpRig rig;
  rig.socket->silent = true;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  std::string reply = "      ";
  EXPECT_FALSE(rig.px->IfInStr(reply, 2));
  EXPECT_EQ(reply, "");
  EXPECT_EQ(rig.env.elapsed(), milliseconds(2000));
  EXPECT_EQ(rig.env.sleeps, std::vector<int>(20, 100));
  EXPECT_TRUE(rig.px->sock().isOpen());
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
  rig.socket->silent = false;
  EXPECT_EQ(rig.px->readXDot(), "X: 256");
  rig.px->ifClose();
  EXPECT_EQ(rig.socket->connects, 1);
}

TEST(Tcp, a_module_that_closes_mid_download_fails_the_rest_of_the_operation_at_once) {
  TcpRig rig;
  rig.socket->hangUpAfter = 5000;
  const auto bytes = code(16 * 1024);
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.px->fromRamMacroDefine(bytes, static_cast<std::int64_t>(bytes.size()));
  EXPECT_EQ(rig.px->linkError(), LinkError::HungUp);
  EXPECT_FALSE(rig.px->sock().isOpen());
  rig.px->printText("Completed. [RAM Macro] ");
  const auto before = rig.env.elapsed();
  std::string reply = "      ";
  EXPECT_FALSE(rig.px->IfInStr(reply, 20));
  EXPECT_EQ(rig.env.elapsed(), before);
  rig.px->ifClose();
  EXPECT_EQ(rig.socket->wire().size(), 5000u);
  // The failure is kept until the next open, so no download after it reports success.
  EXPECT_EQ(rig.px->linkError(), LinkError::HungUp);
  EXPECT_EQ(rig.px->ifOpen(), 0);
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
  rig.px->ifClose();
}

TEST(Tcp, a_connection_closed_by_the_module_while_reading_fails_the_link) {
  TcpRig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.socket->closedByModule = true;
  std::string reply = "      ";
  EXPECT_FALSE(rig.px->IfInStr(reply, 20));
  EXPECT_EQ(rig.env.elapsed(), milliseconds(0));
  EXPECT_EQ(rig.px->linkError(), LinkError::HungUp);
  EXPECT_FALSE(rig.px->sock().isOpen());
  rig.px->ifClose();
}

TEST(Tcp, a_send_without_progress_fails_the_link_after_10_s_of_retries_that_keep_the_window_painting) {
  TcpRig rig;
  rig.socket->stallAfter = 100;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  const int eventsBefore = rig.env.events;
  EXPECT_FALSE(rig.px->ifOut(code(300)));
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
  EXPECT_FALSE(rig.px->sock().isOpen());
  // A send with no room is tried again every 10 ms, with the window's events after each attempt.
  EXPECT_EQ(rig.env.elapsed(), milliseconds(10000));
  EXPECT_EQ(rig.env.sleeps, std::vector<int>(1000, 10));
  EXPECT_GE(rig.env.events - eventsBefore, 1000);
  EXPECT_EQ(rig.socket->wire().size(), 100u);
  rig.px->ifClose();
}

TEST(Tcp, a_handler_that_closes_the_link_during_a_stalled_send_ends_it) {
  TcpRig rig;
  rig.socket->stallAfter = 100;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.env.onSleep = [&](int) {
    if (rig.env.elapsed() >= milliseconds(50)) rig.px->ifClose();
  };
  EXPECT_FALSE(rig.px->ifOut(code(300)));
  EXPECT_EQ(rig.env.elapsed(), milliseconds(50));
  EXPECT_EQ(rig.px->linkError(), LinkError::NotOpen);
  EXPECT_FALSE(rig.px->sock().isOpen());
}

TEST(Tcp, a_drain_lets_the_window_breathe_between_its_steps) {
  TcpRig rig;
  rig.socket->drainSteps = 5;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.px->userModeOut();
  const int before = rig.env.events;
  rig.px->pause(10);
  EXPECT_EQ(rig.env.events - before, 5);
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
  // A handler that closes the link while it drains ends the drain.
  rig.px->userModeOut();
  const int sent = rig.env.events;
  rig.env.onEvents = [&] { rig.px->ifClose(); };
  rig.px->pause(10);
  EXPECT_EQ(rig.env.events - sent, 1);
  EXPECT_EQ(rig.px->linkError(), LinkError::Io);
  EXPECT_FALSE(rig.px->sock().isOpen());
}

struct OpenCase {
  const char* name;
  const char* address;
  std::int64_t port;
  std::function<void(FakeSocketDevice&)> setUp;
  int connects;
  std::vector<std::string> lookups;
  milliseconds took;
};

const OpenCase kOpens[] = {
    {"refused_port",
     "127.0.0.1",
     10000,
     [](FakeSocketDevice& s) { s.refuse = true; },
     1,
     {},
     milliseconds(0)},
    {"wrong_port", "127.0.0.1", 10001, nullptr, 1, {}, milliseconds(0)},
    {"all_blank_address", "    ", 10000, nullptr, 0, {}, milliseconds(0)},
    {"empty_address", "", 10000, nullptr, 0, {}, milliseconds(0)},
    {"name_that_does_not_resolve", "nowhere.lan", 10000, nullptr, 0, {"nowhere.lan"}, milliseconds(0)},
    {"port_beyond_16_bits", "127.0.0.1", 10000 + 65536, nullptr, 0, {}, milliseconds(0)},
    {"port_0", "127.0.0.1", 0, nullptr, 0, {}, milliseconds(0)},
    {"host_that_never_answers",
     "127.0.0.1",
     10000,
     [](FakeSocketDevice& s) { s.connectAfterMs.reset(); },
     1,
     {},
     milliseconds(5000)},
};

class OpenFails : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenFails, with_1_silently_and_the_operation_sends_nothing) {
  const OpenCase& c = GetParam();
  TcpRig rig;
  rig.px->ipAddress(c.address);
  rig.px->tcpPort(c.port);
  if (c.setUp) c.setUp(*rig.socket);
  EXPECT_EQ(rig.px->ifOpen(), 1);
  EXPECT_EQ(rig.env.elapsed(), c.took);
  EXPECT_EQ(rig.px->ifOpenf, -1);
  EXPECT_EQ(rig.px->linkError(), LinkError::OpenFailed);
  EXPECT_FALSE(rig.px->ifOut(code(10)));
  std::string reply = "      ";
  EXPECT_FALSE(rig.px->IfInStr(reply, 2));
  EXPECT_EQ(rig.env.elapsed(), c.took);
  rig.px->ifClose();
  EXPECT_EQ(rig.px->ifOpenf, 0);
  EXPECT_EQ(rig.socket->connects, c.connects);
  EXPECT_EQ(rig.socket->lookups, c.lookups);
  EXPECT_FALSE(rig.socket->isOpen());
  EXPECT_TRUE(rig.socket->wire().empty());
  EXPECT_TRUE(rig.env.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(tcp, OpenFails, testing::ValuesIn(kOpens),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Tcp, a_host_name_that_resolves_is_connected_like_its_address) {
  TcpRig rig;
  rig.socket->names["module.lan"] = FakeSocketDevice::kModuleHost;
  rig.px->ipAddress(" module.lan ");
  EXPECT_EQ(rig.px->ifOpen(), 0);
  EXPECT_EQ(rig.socket->lookups, std::vector<std::string>{"module.lan"});
  EXPECT_EQ(rig.px->readXDot(), "X: 256");
  rig.px->ifClose();
}

TEST(Tcp, a_slow_connect_waits_in_steps_that_keep_the_window_painting) {
  TcpRig rig;
  rig.socket->connectAfterMs = 120;
  EXPECT_EQ(rig.px->ifOpen(), 0);
  EXPECT_EQ(rig.env.elapsed(), milliseconds(120));
  EXPECT_EQ(rig.env.sleeps, std::vector<int>(12, 10));
  rig.px->ifClose();
}

TEST(Tcp, closing_twice_closes_once_and_a_send_while_closed_opens_and_closes_around_itself) {
  TcpRig rig;
  EXPECT_TRUE(rig.px->ifOut(testkit::bytesOf({0x0C})));
  EXPECT_EQ(rig.socket->connects, 1);
  EXPECT_EQ(rig.socket->closes, 1);
  EXPECT_EQ(rig.px->ifOpenf, 0);
  rig.px->ifClose();
  rig.px->ifClose();
  EXPECT_EQ(rig.socket->closes, 1);
  EXPECT_EQ(rig.socket->wire(), testkit::bytesOf({0x0C}));
}

// --- reachability ---

const Box kLanBox{
    "指定のIPアドレスは現在接続できません。\r\n　IPアドレスが間違っているか\r\n　LANケーブルが抜けているか\r"
    "\n"
    "　LANアダプタの電源が入っていない\r\nなどの可能性があります。",
    "", BoxIcon::None};

struct ReachCase {
  const char* name;
  const char* address;
  std::function<void(FakeSocketDevice&)> setUp;
  int result;
  milliseconds took;
  bool box;  // shown by ifCheck, never by ifCheck_silent
  std::size_t echoes;
  std::vector<Endpoint> probes;
};

const Endpoint kModule{FakeSocketDevice::kModuleHost, FakeSocketDevice::kModulePort};

const ReachCase kReaches[] = {
    {"echo_answered",
     "127.0.0.1",
     [](FakeSocketDevice& s) { s.echoAfterMs = 30; },
     0,
     milliseconds(30),
     false,
     1,
     {}},
    {"no_echo_reply",
     "127.0.0.1",
     [](FakeSocketDevice& s) { s.echoAfterMs.reset(); },
     1,
     milliseconds(4000),
     true,
     1,
     {}},
    {"name_that_does_not_resolve", "nowhere.lan", nullptr, 1, milliseconds(0), false, 0, {}},
    {"all_blank_address", "   ", nullptr, 1, milliseconds(0), false, 0, {}},
    {"no_icmp_socket_module_port_open",
     "127.0.0.1",
     [](FakeSocketDevice& s) { s.icmpAllowed = false; },
     0,
     milliseconds(0),
     false,
     1,
     {kModule}},
    {"no_icmp_socket_module_port_refused",
     "127.0.0.1",
     [](FakeSocketDevice& s) {
       s.icmpAllowed = false;
       s.refuse = true;
     },
     1,
     milliseconds(0),
     true,
     1,
     {kModule}},
    {"no_icmp_socket_host_never_answers",
     "127.0.0.1",
     [](FakeSocketDevice& s) {
       s.icmpAllowed = false;
       s.connectAfterMs.reset();
     },
     1,
     milliseconds(4000),
     true,
     1,
     {kModule}},
};

class Reach : public testing::TestWithParam<ReachCase> {};

TEST_P(Reach, both_checks_wait_4000_ms_and_only_ifCheck_shows_the_box) {
  const ReachCase& c = GetParam();
  for (const bool loud : {false, true}) {
    TcpRig rig;
    rig.px->ipAddress(c.address);
    if (c.setUp) c.setUp(*rig.socket);
    EXPECT_EQ(loud ? rig.px->ifCheck() : rig.px->ifCheck_silent(), c.result) << loud;
    EXPECT_EQ(rig.env.elapsed(), c.took) << loud;
    EXPECT_EQ(rig.env.boxes, loud && c.box ? std::vector<Box>{kLanBox} : std::vector<Box>{}) << loud;
    EXPECT_EQ(rig.socket->echoes.size(), c.echoes);
    EXPECT_EQ(rig.socket->probes, c.probes);
    EXPECT_EQ(rig.socket->probeEnds, c.probes.empty() ? 0 : 1);
    // The check leaves the link's own connection alone.
    EXPECT_EQ(rig.socket->connects, 0);
    EXPECT_EQ(rig.px->ifOpenf, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(tcp, Reach, testing::ValuesIn(kReaches),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore::link
