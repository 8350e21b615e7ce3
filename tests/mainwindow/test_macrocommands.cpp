// Model directive, capacity tests, status texts and the device call sequences of ReWrite, Run and
// Auto Execute against a recording device.
// Layer: tests (plain C++).
#include "mainwindow/macrocommands.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelmore::mainwindow {
namespace {

const std::string kRamError = "The code cannot be executed.(Exceed RAM capacity:";
const std::string kRomError = "The code cannot be executed.(Exceed  of FROM capacity.)";

struct CapacityCase {
  const char* name;
  const char* model;
  int target;
  std::int32_t lastIndex;  // bytes - 1
  std::optional<std::string> error;
};

const CapacityCase kCapacityCases[] = {
    {"ram_256_bytes_fit_px5200", "PX-5200", 0, 255, std::nullopt},
    {"ram_257_bytes_refused_px5200", "PX-5200", 0, 256, kRamError + "256Byte"},
    {"ram_16k_px5200b", "PX-5200B", 0, 16383, std::nullopt},
    {"ram_16k_plus_one_px6203", "PX-6203", 0, 16384, kRamError + "16384Byte"},
    {"ram_1k_qtr500", "QT-R500", 0, 1023, std::nullopt},
    {"ram_1k_plus_one_qtr5xxp", "QT-R5xxP", 0, 1024, kRamError + "1024Byte"},
    {"ram_unknown_model_256", "LN-B", 0, 256, kRamError + "256Byte"},
    {"from_4096_bytes_fit_px5100", "PX-5100", 1, 4095, std::nullopt},
    {"from_4097_bytes_refused_px5100", "PX-5100", 1, 4096, kRomError},
    {"from_one_area_whatever_the_area_pxb", "PX-B", 3, 4096, kRomError},
    {"from_wmr_one_area", "WMR-STD", 3, 4095, std::nullopt},
    {"from_wmr_4097_refused", "WMR-STD", 3, 4096, kRomError},
    {"from_px6203_takes_nothing", "PX-6203", 1, 0, kRomError},
    {"from_px6901_one_area_though_not_listed", "PX-6901", 2, 4096, kRomError},
    {"from_unknown_model_chains", "LN-B", 2, 12287, std::nullopt},
    {"from_chain_area2_three_areas", "PX-*", 2, 12287, std::nullopt},
    {"from_chain_area2_refused_past_three", "PX-*", 2, 12288, kRomError},
    {"from_chain_area4_one_area", "PX-*", 4, 4096, kRomError},
    // (5 - 1) x 8192 = 32768 needs more than 16 bits.
    {"from_chain_pxd_area1_32k", "PX-D", 1, 32767, std::nullopt},
    {"from_chain_pxd_area1_32k_plus_one", "PX-D", 1, 32768, kRomError},
    {"no_target_selected", "PX-*", -1, 0, std::string(kNoTarget)},
};

class Capacity : public testing::TestWithParam<CapacityCase> {};

TEST_P(Capacity, tests_the_last_index_against_the_area) {
  const auto& c = GetParam();
  EXPECT_EQ(capacityError(c.lastIndex, c.target, c.model), c.error);
}

INSTANTIATE_TEST_SUITE_P(macro, Capacity, testing::ValuesIn(kCapacityCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
  const char* name;
  int target;
  std::int32_t lastIndex;
  int romCapacity;
  const char* text;
};

const StatusCase kStatusCases[] = {
    {"ram", 0, 10, 4096, "Completed. [RAM Macro] "},
    {"one_area", 2, 4095, 4096, "Completed. [FROM Macro 2] "},
    {"runs_into_next_area", 2, 4096, 4096, "Completed. [FROM Macro 2-3]"},
    {"two_areas_full", 2, 8191, 4096, "Completed. [FROM Macro 2-3]"},
    {"runs_into_area_4", 2, 8192, 4096, "Completed. [FROM Macro 2-4]"},
    {"no_capacity_no_division", 1, 0, 0, "Completed. [FROM Macro 1] "},
};

class Status : public testing::TestWithParam<StatusCase> {};

TEST_P(Status, names_the_areas_written) {
  const auto& c = GetParam();
  EXPECT_EQ(rewriteStatusText(c.target, c.lastIndex, c.romCapacity), c.text);
}

INSTANTIATE_TEST_SUITE_P(macro, Status, testing::ValuesIn(kStatusCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SeriesCase {
  const char* name;
  const char* source;
  SeriesDirective expected;
};

using K = SeriesDirective::Kind;
const SeriesCase kSeriesCases[] = {
    {"quoted_name", "Start()\r\n   PXSeries = \"QT-R500\"\r\nEnd", {K::Set, "QT-R500"}},
    {"lf_lines_as_the_editor_gives_them", "Start()\nPXSeries = \"PX-D\"\n", {K::Set, "PX-D"}},
    {"tab_counts_as_blank", "\tPXSeries\t=\t\"PX-B\"", {K::Set, "PX-B"}},
    {"no_blank_before_equals", "PXSeries= \"QT-R500\"", {}},
    {"two_blanks_before_equals", "PXSeries  = \"QT-R500\"", {}},
    {"one_character_name", "PXSeries = x", {K::NameError, ""}},
    {"no_third_token", "PXSeries =", {K::NameError, ""}},
    {"no_second_token", "PXSeries", {}},
    {"unquoted_takes_the_middle", "PXSeries = xyz", {K::Set, "y"}},
    {"name_with_blank_takes_first_part", "PXSeries = \"PX 5200\"", {K::Set, "P"}},
    {"more_letters_match_too", "PXSeriesX = \"PX-D\"", {K::Set, "PX-D"}},
    {"case_sensitive", "pxseries = \"PX-D\"", {}},
    {"first_line_only", "PXSeries x\r\nPXSeries = \"PX-D\"", {}},
    {"no_directive", "Start()\r\nEnd", {}},
    {"one_wide_character_name", "PXSeries = \u00e9", {K::NameError, ""}},
    {"wide_characters_lose_whole_quotes", "PXSeries = \u00ab\u00c4-1\u00bb", {K::Set, "\u00c4-1"}},
    {"two_characters_leave_nothing", "PXSeries = \u00e9x", {K::Set, ""}},
};

class Series : public testing::TestWithParam<SeriesCase> {};

TEST_P(Series, reads_the_model_directive) {
  EXPECT_EQ(checkSeries(GetParam().source), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(macro, Series, testing::ValuesIn(kSeriesCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Records every call; the call named in failAt (and every later one) fails.
class RecordingDevice : public link::CheckedDevice {
 public:
  std::vector<std::string> calls;
  std::string failAt;
  bool failed = false;

  bool isOpen() const override { return open_; }
  bool ifOpen() override {
    open_ = true;
    return step("ifOpen");
  }
  void ifClose() override {
    open_ = false;
    calls.push_back("ifClose");
  }
  bool ifOut(std::uint8_t byte) override { return step("ifOut " + std::to_string(byte)); }
  bool userModeIn() override { return step("userModeIn"); }
  bool userModeOut() override { return step("userModeOut"); }
  bool writeMemorySw(int sw, int value) override {
    return step("writeMemorySw " + std::to_string(sw) + " " + std::to_string(value));
  }
  bool fromRamMacroDefine(std::span<const std::uint8_t> code) override {
    return step("fromRamMacroDefine " + std::to_string(code.size()));
  }
  bool fromMacroDefine(int area, int b, int c, std::span<const std::uint8_t> code) override {
    return step("fromMacroDefine " + std::to_string(area) + " " + std::to_string(b) + " " +
                std::to_string(c) + " " + std::to_string(code.size()));
  }
  bool fromMacroDefineWmr(int b, int c, std::span<const std::uint8_t> code) override {
    return step("fromMacroDefineWmr " + std::to_string(b) + " " + std::to_string(c) + " " +
                std::to_string(code.size()));
  }
  bool MacroGo(int a, int b, int c) override {
    return step("MacroGo " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
  }
  bool cursorSet(int x, int y) override {
    return step("cursorSet " + std::to_string(x) + " " + std::to_string(y));
  }
  bool printText(std::string_view text) override { return step("printText " + std::string(text)); }
  bool dummyWrite(int n) override { return step("dummyWrite " + std::to_string(n)); }
  bool dummyRead() override { return step("dummyRead"); }
  void pause(int ms) override { calls.push_back("pause " + std::to_string(ms)); }

 private:
  bool step(std::string call) {
    if (!failAt.empty() && call.starts_with(failAt)) failed = true;
    calls.push_back(std::move(call));
    return !failed;
  }
  bool open_ = false;
};

using Calls = std::vector<std::string>;

TEST(RewriteSequence, ram_clears_switch_19_waits_and_prints_the_status) {
  RecordingDevice device;
  const std::vector<std::uint8_t> code(10, 0x41);
  EXPECT_TRUE(rewriteSequence(device, 0, "PX-5200", code).ok);
  EXPECT_EQ(device.calls, (Calls{"ifOpen", "userModeIn", "writeMemorySw 19 0", "userModeOut", "pause 1000",
                                 "fromRamMacroDefine 10", "cursorSet 0 0",
                                 "printText Completed. [RAM Macro] ", "ifClose"}));
}

TEST(RewriteSequence, ram_on_wmr_prints_nothing) {
  RecordingDevice device;
  const std::vector<std::uint8_t> code(3, 0);
  EXPECT_TRUE(rewriteSequence(device, 0, "WMR-STD", code).ok);
  EXPECT_EQ(device.calls, (Calls{"ifOpen", "userModeIn", "writeMemorySw 19 0", "userModeOut", "pause 1000",
                                 "fromRamMacroDefine 3", "ifClose"}));
}

TEST(RewriteSequence, flash_defines_the_area_and_reports_the_span) {
  RecordingDevice device;
  const std::vector<std::uint8_t> code(4097, 0);
  EXPECT_TRUE(rewriteSequence(device, 2, "PX-*", code).ok);
  EXPECT_EQ(device.calls,
            (Calls{"ifOpen", "userModeIn", "fromMacroDefine 2 0 0 4097", "writeMemorySw 19 0", "userModeOut",
                   "dummyWrite 1000", "printText Completed. [FROM Macro 2-3]", "dummyRead", "ifClose"}));
}

TEST(RewriteSequence, flash_on_wmr_uses_the_block_writer_and_prints_nothing) {
  RecordingDevice device;
  const std::vector<std::uint8_t> code(5, 0);
  EXPECT_TRUE(rewriteSequence(device, 3, "WMR-STD", code).ok);
  EXPECT_EQ(device.calls, (Calls{"ifOpen", "userModeIn", "fromMacroDefineWmr 0 0 5", "writeMemorySw 19 0",
                                 "userModeOut", "dummyWrite 1000", "dummyRead", "ifClose"}));
}

struct FailureCase {
  const char* name;
  int target;
  const char* failAt;
  Calls calls;
};

const FailureCase kFailureCases[] = {
    {"open_fails_nothing_sent", 0, "ifOpen", {"ifOpen", "ifClose"}},
    {"ram_download_fails_no_status",
     0,
     "fromRamMacroDefine",
     {"ifOpen", "userModeIn", "writeMemorySw 19 0", "userModeOut", "pause 1000", "fromRamMacroDefine 2",
      "ifClose"}},
    {"flash_download_fails_no_status",
     1,
     "fromMacroDefine",
     {"ifOpen", "userModeIn", "fromMacroDefine 1 0 0 2", "ifClose"}},
    {"flash_push_fails_no_status",
     1,
     "dummyWrite",
     {"ifOpen", "userModeIn", "fromMacroDefine 1 0 0 2", "writeMemorySw 19 0", "userModeOut",
      "dummyWrite 1000", "ifClose"}},
};

class RewriteFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(RewriteFailure, ends_with_the_link_closed_and_no_completed_text) {
  const auto& c = GetParam();
  RecordingDevice device;
  device.failAt = c.failAt;
  const std::vector<std::uint8_t> code(2, 0);
  const CommandResult result = rewriteSequence(device, c.target, "PX-5200", code);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Transfer failed.");
  EXPECT_EQ(device.calls, c.calls);
  EXPECT_FALSE(device.isOpen());
}

INSTANTIATE_TEST_SUITE_P(macro, RewriteFailure, testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartSequence, runs_area_number_plus_128) {
  for (int k = 0; k <= 4; ++k) {
    RecordingDevice device;
    EXPECT_TRUE(startSequence(device, k).ok);
    EXPECT_EQ(device.calls, (Calls{"ifOpen", "MacroGo " + std::to_string(128 + k) + " 0 0", "ifClose"}));
  }
}

TEST(AutoExecSequence, writes_the_power_on_macro_into_switch_19) {
  const std::pair<int, const char*> cases[] = {
      {0, "writeMemorySw 19 0"}, {1, "writeMemorySw 19 129"}, {4, "writeMemorySw 19 132"}};
  for (const auto& [k, write] : cases) {
    RecordingDevice device;
    EXPECT_TRUE(autoExecSequence(device, k).ok);
    EXPECT_EQ(device.calls, (Calls{"ifOpen", "userModeIn", write, "userModeOut", "ifClose"}));
  }
}

TEST(DeviceSequences, a_failed_open_or_send_is_reported) {
  RecordingDevice start;
  start.failAt = "MacroGo";
  EXPECT_EQ(startSequence(start, 1).error, "Transfer failed.");
  EXPECT_EQ(start.calls, (Calls{"ifOpen", "MacroGo 129 0 0", "ifClose"}));

  RecordingDevice autoExec;
  autoExec.failAt = "ifOpen";
  EXPECT_EQ(autoExecSequence(autoExec, 2).error, "Transfer failed.");
  EXPECT_EQ(autoExec.calls, (Calls{"ifOpen", "ifClose"}));
}

TEST(DeviceSequences, no_target_sends_nothing) {
  RecordingDevice device;
  const std::vector<std::uint8_t> code(2, 0);
  EXPECT_EQ(rewriteSequence(device, -1, "PX-*", code).error, "Target is not selected.");
  EXPECT_EQ(startSequence(device, 5).error, "Target is not selected.");
  EXPECT_EQ(autoExecSequence(device, -1).error, "Target is not selected.");
  EXPECT_TRUE(device.calls.empty());
}

}  // namespace
}  // namespace kelmore::mainwindow
