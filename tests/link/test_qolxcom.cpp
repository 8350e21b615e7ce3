// The serial link on a scripted port: settings, opens and their messages, writes, CTS, countdown reads.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "fakeserial.h"
#include "link/qolxcom.h"

namespace kelmore::link {
namespace {

using platform::PortError;
using testkit::Box;
using testkit::DeviceCall;
using testkit::FakeSerialDevice;
using testkit::VirtualEnv;
using Kind = DeviceCall::Kind;

struct SettingsCase {
  const char* name;
  const char* text;
  bool accepted;
  int baud;
  char parity;
  int dataBits;
  int stopBits;
};

const SettingsCase kSettings[] = {
    {"default", "38400,n,8,1", true, 38400, 'n', 8, 1},
    {"even_seven_two", "9600,e,7,2", true, 9600, 'e', 7, 2},
    {"odd", "19200,o,8,1", true, 19200, 'o', 8, 1},
    {"upper_case_parity", "38400,N,8,1", true, 38400, 'n', 8, 1},
    {"upper_case_even", "4800,E,8,1", true, 4800, 'e', 8, 1},
    {"one_and_a_half_stop_bits", "38400,n,8,1.5", true, 38400, 'n', 8, 1},
    {"other_stop_bits", "38400,n,8,3", true, 38400, 'n', 8, 1},
    {"further_fields_ignored", "1200,n,5,2,x,y", true, 1200, 'n', 5, 2},
    {"unknown_parity", "38400,x,8,1", false, 0, 0, 0, 0},
    {"parity_word", "38400,none,8,1", false, 0, 0, 0, 0},
    {"nine_data_bits", "38400,n,9,1", false, 0, 0, 0, 0},
    {"four_data_bits", "38400,n,4,1", false, 0, 0, 0, 0},
    {"data_bits_beyond_a_byte", "38400,n,300,1", false, 0, 0, 0, 0},
    {"three_fields", "38400,n,8", false, 0, 0, 0, 0},
    {"empty", "", false, 0, 0, 0, 0},
    {"baud_beyond_32_bits", "99999999999,n,8,1", false, 0, 0, 0, 0},
};

class Settings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(Settings, parse) {
  const SettingsCase& c = GetParam();
  const auto parsed = parseCommSettings(c.text);
  ASSERT_EQ(parsed.has_value(), c.accepted);
  if (!parsed) return;
  EXPECT_EQ(parsed->baud, c.baud);
  EXPECT_EQ(parsed->parity, c.parity);
  EXPECT_EQ(parsed->dataBits, c.dataBits);
  EXPECT_EQ(parsed->stopBits, c.stopBits);
  EXPECT_TRUE(parsed->ctsFlow);
}

INSTANTIATE_TEST_SUITE_P(qolxcom, Settings, ::testing::ValuesIn(kSettings),
                         [](const auto& i) { return i.param.name; });

class Com : public ::testing::Test {
 protected:
  Com() {
    auto fake = std::make_unique<FakeSerialDevice>(env);
    device = fake.get();
    com = std::make_unique<qolxCom>(env, std::move(fake));
  }
  std::vector<std::uint8_t> bytes(std::size_t n, std::uint8_t value = 0x41) {
    return std::vector<std::uint8_t>(n, value);
  }

  VirtualEnv env;
  FakeSerialDevice* device = nullptr;
  std::unique_ptr<qolxCom> com;
};

const Box kBoxA{std::string(kComMessageA), std::string(kComErrorTitle), BoxIcon::Critical};
const Box kBoxC{std::string(kComMessageC), std::string(kComErrorTitle), BoxIcon::Critical};
const Box kBoxD{std::string(kComMessageD), std::string(kComErrorTitle), BoxIcon::Critical};

TEST_F(Com, message_texts_are_the_systems_own) {
  EXPECT_EQ(kComMessageA,
            "指定のCOMポートは現在使用できません。\r\n他のアプリケーションが使用している可能性があります。");
  EXPECT_EQ(kComMessageC, "送受信バッファの初期化に失敗しました。");
  EXPECT_EQ(kComMessageD, "ケーブルが接続されていないか、モジュールに電源が入っていません。");
  EXPECT_EQ(kComErrorTitle, "通信エラー");
}

TEST_F(Com, open_keeps_the_port_with_the_parsed_state) {
  EXPECT_EQ(com->comOpen(1, "9600,e,7,2"), 0);
  EXPECT_TRUE(com->isOpen());
  ASSERT_TRUE(device->lastSettings);
  EXPECT_EQ(device->lastSettings->baud, 9600);
  EXPECT_EQ(device->lastSettings->parity, 'e');
  EXPECT_EQ(device->lastSettings->dataBits, 7);
  EXPECT_EQ(device->lastSettings->stopBits, 2);
  EXPECT_TRUE(env.boxes.empty());
  // The settle after the open is a plain 10 ms wait.
  EXPECT_EQ(env.sleeps, std::vector<int>{10});
  com->comClose();
  EXPECT_FALSE(com->isOpen());
}

struct OpenCase {
  const char* name;
  int port;
  PortError openError;
  std::optional<bool> cts;
  const char* settings;
  int result;
  const Box* box;
  int checkResult;  // the presence check, which opens with fixed settings
};

const OpenCase kOpens[] = {
    {"no_device_behind_the_number", 2, PortError::None, std::nullopt, "38400,n,8,1", 1, &kBoxA, 1},
    {"held_by_another_program", 1, PortError::Busy, std::nullopt, "38400,n,8,1", 1, &kBoxA, 1},
    {"no_permission", 1, PortError::NoPermission, std::nullopt, "38400,n,8,1", 1, &kBoxA, 1},
    {"state_refused_by_the_port", 1, PortError::Setup, std::nullopt, "31250,n,8,1", 2, &kBoxC, 2},
    {"unknown_parity_refused", 1, PortError::None, std::nullopt, "38400,q,8,1", 2, &kBoxC, 0},
    {"data_bits_refused", 1, PortError::None, std::nullopt, "38400,n,9,1", 2, &kBoxC, 0},
    {"too_few_fields_refused", 1, PortError::None, std::nullopt, "38400", 2, &kBoxC, 0},
    {"cts_off", 1, PortError::None, false, "38400,n,8,1", 2, &kBoxD, 2},
    {"missing_port_wins_over_bad_settings", 2, PortError::None, std::nullopt, "bad", 1, &kBoxA, 1},
};

class Open : public Com, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(Open, fails_with_its_message_and_leaves_the_port_closed) {
  const OpenCase& c = GetParam();
  device->openError = c.openError;
  device->injected = c.cts;
  EXPECT_EQ(com->comOpen(c.port, c.settings), c.result);
  EXPECT_FALSE(com->isOpen());
  EXPECT_EQ(env.boxes, std::vector<Box>{*c.box});
  EXPECT_EQ(com->lastError(), LinkError::OpenFailed);

  env.boxes.clear();
  EXPECT_EQ(com->comPortCheckSilent(c.port), c.checkResult);
  EXPECT_TRUE(env.boxes.empty());
  EXPECT_FALSE(com->isOpen());
}

INSTANTIATE_TEST_SUITE_P(qolxcom, Open, ::testing::ValuesIn(kOpens),
                         [](const auto& i) { return i.param.name; });

TEST_F(Com, checks_always_close_and_only_the_loud_one_shows_boxes) {
  EXPECT_EQ(com->comPortCheck(1), 0);
  EXPECT_FALSE(com->isOpen());
  EXPECT_EQ(device->lastSettings->baud, 38400);
  device->injected = false;
  EXPECT_EQ(com->comPortCheckSilent(1), 2);
  EXPECT_TRUE(env.boxes.empty());
  EXPECT_EQ(com->comPortCheck(1), 2);
  EXPECT_EQ(env.boxes, std::vector<Box>{kBoxD});
  EXPECT_FALSE(com->isOpen());
}

TEST_F(Com, a_second_open_closes_the_port_it_holds) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  // Close before the second open: the first port is never lost.
  std::vector<Kind> kinds;
  for (const auto& call : device->calls) {
    if (call.kind == Kind::Open || call.kind == Kind::Close) kinds.push_back(call.kind);
  }
  EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Open, Kind::Close, Kind::Open}));
}

TEST_F(Com, raw_writes_go_in_pieces_of_64_with_events_after_each) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  const int eventsBefore = env.events;
  EXPECT_TRUE(com->comOut("", bytes(130)));
  EXPECT_EQ(device->writeSizes(), (std::vector<std::size_t>{64, 64, 2}));
  EXPECT_EQ(env.events - eventsBefore, 3);
  EXPECT_EQ(device->wire(), bytes(130));
}

TEST_F(Com, framed_writes_go_frame_by_frame) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  EXPECT_TRUE(com->comOut("1", bytes(300)));
  EXPECT_EQ(device->writeSizes(), (std::vector<std::size_t>{133, 133, 49}));
  EXPECT_EQ(device->wire().size(), 315u);
}

TEST_F(Com, a_frame_waits_for_cts_in_30_ms_steps) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  env.sleeps.clear();
  int asked = 0;
  device->ctsSource = [&] { return ++asked > 3; };
  EXPECT_TRUE(com->comOut("1", bytes(2)));
  EXPECT_EQ(env.sleeps, (std::vector<int>{30, 30, 30}));
}

TEST_F(Com, cts_that_never_comes_fails_the_link_after_the_stall_limit) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  device->injected = false;
  const auto start = env.elapsed();
  EXPECT_FALSE(com->comOut("1", bytes(2)));
  EXPECT_GE(env.elapsed() - start, platform::kStallLimit);
  EXPECT_LT(env.elapsed() - start, platform::kStallLimit + std::chrono::milliseconds(100));
  EXPECT_EQ(com->lastError(), LinkError::Stalled);
  EXPECT_FALSE(com->isOpen());
  EXPECT_TRUE(device->writeSizes().empty());
}

TEST_F(Com, a_failed_open_makes_later_sends_and_reads_of_the_operation_return_at_once) {
  device->injected = false;
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 2);
  const auto calls = device->calls.size();
  const auto slept = env.elapsed();
  EXPECT_FALSE(com->comOut("", bytes(10)));
  EXPECT_FALSE(com->comOut("3", bytes(10)));
  std::string reply = "      ";
  EXPECT_FALSE(com->comReadStr(reply, 6, 20));
  EXPECT_EQ(reply, "");
  EXPECT_EQ(device->calls.size(), calls);
  EXPECT_EQ(env.elapsed(), slept);
  EXPECT_EQ(com->lastError(), LinkError::OpenFailed);
  com->comClose();
  // The next open starts afresh.
  device->injected = std::nullopt;
  EXPECT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  EXPECT_EQ(com->lastError(), LinkError::None);
}

struct WriteFaultCase {
  const char* name;
  std::optional<std::size_t> stallAfter;
  std::optional<std::size_t> hangUpAfter;
  LinkError error;
};

const WriteFaultCase kWriteFaults[] = {
    {"stall", 100, std::nullopt, LinkError::Stalled},
    {"hang_up", std::nullopt, 100, LinkError::HungUp},
};

class WriteFault : public Com, public ::testing::WithParamInterface<WriteFaultCase> {};

TEST_P(WriteFault, fails_the_link_and_closes_the_port) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  device->stallAfter = GetParam().stallAfter;
  device->hangUpAfter = GetParam().hangUpAfter;
  EXPECT_FALSE(com->comOut("", bytes(1000)));
  EXPECT_EQ(com->lastError(), GetParam().error);
  EXPECT_FALSE(com->isOpen());
  EXPECT_EQ(device->wire().size(), 100u);
  EXPECT_FALSE(com->comOut("", bytes(1)));
  EXPECT_EQ(com->lastError(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(qolxcom, WriteFault, ::testing::ValuesIn(kWriteFaults),
                         [](const auto& i) { return i.param.name; });

TEST_F(Com, an_output_that_cannot_drain_is_a_failure_too) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  EXPECT_TRUE(com->comOut("", bytes(4)));
  device->drainResult = PortError::Stalled;
  EXPECT_FALSE(com->comFlush());
  EXPECT_EQ(com->lastError(), LinkError::Stalled);
  EXPECT_FALSE(com->isOpen());
}

TEST_F(Com, a_handler_that_closes_the_link_mid_write_ends_the_write) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  env.onEvents = [&] { com->comClose(); };
  EXPECT_FALSE(com->comOut("", bytes(200)));
  EXPECT_EQ(device->writeSizes(), std::vector<std::size_t>{64});
  EXPECT_EQ(com->lastError(), LinkError::NotOpen);
}

// --- the read countdown, on virtual time ---

struct CountdownCase {
  const char* name;
  int wanted;
  int timeoutSec;
  std::vector<std::uint8_t> reply;
  int replyAfterMs;
  bool ok;
  int elapsedMs;  // virtual time the read took
};

const CountdownCase kCountdowns[] = {
    {"silent_module_20_polls", 6, 2, {}, 0, false, 2000},
    {"timeout_zero_fails_at_the_first_empty_poll", 6, 0, {}, 0, false, 100},
    {"reply_at_once", 6, 2, {'X', ':', ' ', '2', '5', '6'}, 0, true, 0},
    {"reply_during_the_countdown", 6, 2, {'X', ':', ' ', '2', '5', '6'}, 1500, true, 1500},
    {"reply_too_late", 6, 2, {'X', ':', ' ', '2', '5', '6'}, 2000, false, 2000},
    {"short_reply_does_not_restart_the_count", 6, 2, {'X', ':'}, 0, false, 2000},
    {"wanted_zero_runs_to_the_time_out", 0, 1, {'a', 'b'}, 0, false, 1000},
    {"long_timeout", 4, 20, {}, 0, false, 20000},
};

class Countdown : public Com, public ::testing::WithParamInterface<CountdownCase> {};

TEST_P(Countdown, counts_empty_polls_of_100_ms) {
  const CountdownCase& c = GetParam();
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  device->queueReply(c.reply, c.replyAfterMs);
  const auto start = env.elapsed();
  std::string s(static_cast<std::size_t>(c.wanted), ' ');
  EXPECT_EQ(com->comReadStr(s, c.wanted, c.timeoutSec), c.ok);
  EXPECT_EQ((env.elapsed() - start).count(), c.elapsedMs);
  EXPECT_EQ(s, c.ok ? std::string(c.reply.begin(), c.reply.end()) : std::string());
  // A time-out is no link failure: the port stays open.
  EXPECT_TRUE(com->isOpen());
  EXPECT_EQ(com->lastError(), LinkError::None);
}

INSTANTIATE_TEST_SUITE_P(qolxcom, Countdown, ::testing::ValuesIn(kCountdowns),
                         [](const auto& i) { return i.param.name; });

TEST_F(Com, byte_reads_keep_what_arrived) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  device->queueReply(std::vector<std::uint8_t>{0xAA, 0xBB});
  std::array<std::uint8_t, 4> data{};
  EXPECT_FALSE(com->comReadBytes(data, 4, 1));
  EXPECT_EQ(data, (std::array<std::uint8_t, 4>{0xAA, 0xBB, 0, 0}));
}

TEST_F(Com, reply_bytes_are_kept_raw) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  const std::vector<std::uint8_t> raw{0x82, 0xA0, 0xFF, 0x00};
  device->queueReply(raw);
  std::string s;
  EXPECT_TRUE(com->comReadStr(s, 4, 2));
  EXPECT_EQ(s, std::string("\x82\xA0\xFF\x00", 4));
}

TEST_F(Com, a_time_out_beyond_the_16_bit_count_throws_before_reading) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  std::string s = "      ";
  const auto reads = device->count(Kind::Read);
  EXPECT_THROW(com->comReadStr(s, 6, 3277), DeviceError);
  EXPECT_EQ(device->count(Kind::Read), reads);
}

TEST_F(Com, a_hang_up_while_reading_fails_the_link_at_once) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  device->hungUpOnRead = true;
  std::string s = "    ";
  const auto start = env.elapsed();
  EXPECT_FALSE(com->comReadStr(s, 4, 20));
  EXPECT_EQ(env.elapsed(), start);
  EXPECT_EQ(com->lastError(), LinkError::HungUp);
  EXPECT_FALSE(com->isOpen());
}

TEST_F(Com, reads_drain_what_was_written_first) {
  ASSERT_EQ(com->comOpen(1, "38400,n,8,1"), 0);
  ASSERT_TRUE(com->comOut("", bytes(3)));
  std::string s = "x";
  device->queueReply(std::vector<std::uint8_t>{'y'});
  EXPECT_TRUE(com->comReadStr(s, 1, 1));
  std::vector<Kind> tail;
  for (const auto& call : device->calls) {
    if (call.kind == Kind::Write || call.kind == Kind::Drain || call.kind == Kind::Read)
      tail.push_back(call.kind);
  }
  EXPECT_EQ(tail, (std::vector<Kind>{Kind::Write, Kind::Drain, Kind::Read}));
}

}  // namespace
}  // namespace kelmore::link
