// Tests of the mnemonic listing: every instruction form, Data rows, the caret spans, the stage on a host.
// Layer: tests (plain C++).
#include "compiler/mnemonic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "code_builder.h"
#include "compiler/compiler.h"
#include "fake_host.h"
#include "golden.h"

namespace kelmore {
namespace {

using mnemonic::buildListing;
using mnemonic::ListingInput;
using testkit::CodeBuilder;
using testkit::golden;
using testkit::withLf;
using O = Opcode;

std::string listingOf(const std::string& code, std::string_view model = "PX-5200",
                      const mnemonic::LabelsByAddress* labels = nullptr) {
  ListingInput input;
  input.model = model;
  input.labels = labels;
  return buildListing(code, input).text;
}

struct FormCase {
  const char* name;
  std::string code;
  std::string line;  // the listing line without address and line end
};

std::vector<FormCase> formCases() {
  const auto c = [] { return CodeBuilder(); };
  return {
      {"print_shows_three_bytes", c().op(O::PrintConst, {5, 0, 0x1F, 0x28, 0x61, 0x14, 0}).text(),
       "print data(5) &h1F &h28 &h61"},
      {"print_empty", c().print("").text(), "print data(0)"},
      {"print_registers", c().printReg("AB?").text(), "print A,B,?"},
      {"load", c().op(O::LoadImm, {'A', '=', 5, 0}).text(), "A = 5"},
      {"load_is_unsigned_in_16_bits", c().op(O::LoadImm, {'A', '=', 0xFF, 0xFF}).text(), "A = 65535"},
      {"load_system_register", c().op(O::LoadImm, {'@', '=', 1, 0}).text(), "Com = 1"},
      {"add", c().op(O::LoadImm, {'A', '+', 5, 0}).text(), "A = A + 5"},
      {"add_to_system_register", c().op(O::LoadImm, {'0', '+', 5, 0}).text(), "0 = Port0 + 5"},
      {"mod", c().op(O::LoadImm, {'A', '%', 7, 0}).text(), "A = A Mod 7"},
      {"increment", c().op(O::LoadImm, {'A', 0x69}).text(), "A = A + 1"},
      {"decrement", c().op(O::LoadImm, {'A', 0x64}).text(), "A = A - 1"},
      {"shift_right", c().op(O::LoadImm, {'A', 0x3E, 2}).text(), "A = A >> 2"},
      {"shift_left", c().op(O::LoadImm, {'A', 0x3C, 3}).text(), "A = A << 3"},
      {"copy", c().op(O::LoadReg, {'A', '=', '0'}).text(), "A = Port0"},
      {"poke", c().op(O::LoadReg, {'a', '=', 'B'}).text(), "a = B"},
      {"register_arithmetic", c().op(O::LoadReg, {'%', '^', 'B'}).text(), "% = RecCount Xor B"},
      {"compare_constant", c().op(O::CompareImm, {'A', '(', 10, 0, 0xF8, 0xFF}).text(), "jmpc A <= 10, -8"},
      {"compare_registers", c().op(O::CompareReg, {'A', '<', 'B', 12, 0}).text(), "jmpc A < B,12"},
      {"jump_back", c().op(O::Jump, {0xF8, 0xFF}).text(), "jmp -8"},
      {"jump_on", c().op(O::Jump, {0x0C, 0}).text(), "jmp 12"},
      {"jump_furthest_back", c().op(O::Jump, {0x00, 0x80}).text(), "jmp -32768"},
      {"call", c().op(O::Call, {4, 0}).text(), "call 4"},
      {"return", c().op(O::Return).text(), "ret "},
      {"event_enable", c().op(O::EventEnable).text(), "eventEnable "},
      {"event_disable", c().op(O::EventDisable).text(), "eventDisable "},
      {"touch_set", c().op(O::EventTouch, {1, 10, 0}).text(), "eventTouch enable,10"},
      {"touch_clear", c().op(O::EventTouch, {0, 0, 0}).text(), "eventTouch disable"},
      {"timer_set", c().op(O::EventTimer, {1, 5, 0}).text(), "eventTimer enable,5"},
      {"port_equal", c().op(O::EventPort, {1, 0, '1', 0x12, 0, 0xFF, 0, 3, 0}).text(),
       "event Port1 * &h00FF = &h0012,3"},
      {"port_not_equal", c().op(O::EventPort, {1, 1, '4', 0x34, 0x12, 0x0F, 0xF0, 0xFE, 0xFF}).text(),
       "event Port4 * &hF00F <> &h1234,-2"},
      {"port_clear", c().op(O::EventPort, {0, 0, '0', 0, 0, 0, 0, 0, 0}).text(), "eventPort disable"},
      {"event_return", c().op(O::EventReturn).text(), "eventRet "},
      {"wait", c().op(O::Wait).text(), "wait"},
      {"vram_byte", c().op(O::VramImm, {'A', 0x41}).text(), "vram(A) = &h41"},
      {"vram_register", c().op(O::VramReg, {'A', 'B'}).text(), "vram(A) = B"},
      {"vram_read", c().op(O::VramRead, {'A', 'B'}).text(), "A = vram(B)"},
      {"push", c().op(O::Push, {'A'}).text(), "Push A"},
      {"pop", c().op(O::Pop, {'B'}).text(), "Pop B"},
      {"end", c().op(O::End).text(), "end"},
      {"target_memory", c().op(O::TargetMemory, {0x20}).text(), "TargerMemory VRam"},
      {"target_memory_switches", c().op(O::TargetMemory, {0x51}).text(), "TargerMemory MemSw"},
      {"target_memory_unknown", c().op(O::TargetMemory, {0x99}).text(), "TargerMemory ------"},
      {"mem8", c().op(O::Mem8).text(), "Mem8 "},
      {"mem16", c().op(O::Mem16).text(), "Mem16 "},
      {"mem32", c().op(O::Mem32).text(), "Mem32 "},
      {"sel16", c().op(O::Mode, {'0'}).text(), "Sel16"},
      {"sel32", c().op(O::Mode, {'1'}).text(), "Sel32"},
      {"sel_other", c().op(O::Mode, {'2'}).text(), "Sel--"},
  };
}

class Form : public ::testing::TestWithParam<FormCase> {};

TEST_P(Form, lists_as_one_line) {
  EXPECT_EQ(listingOf(GetParam().code), "000000 " + GetParam().line + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(mnemonic, Form, ::testing::ValuesIn(formCases()),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Listing, preamble_alone) {
  const std::string listing = listingOf(std::string(kPreamble));
  EXPECT_EQ(withLf(listing), golden("preamble.txt"));
  EXPECT_EQ(listing, "000000 eventDisable \r\n000002 eventTimer disable\r\n000007 eventPort disable\r\n");
}

TEST(Listing, data_table_with_a_label) {
  const std::string code = CodeBuilder(kPreamble)
                               .data({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
                               .op(O::Return)
                               .data({1, 2, 3, 4, 5, 6, 7, 8})
                               .op(O::End)
                               .text();
  const mnemonic::LabelsByAddress labels{{18, "TBL"}, {30, "ROW"}};
  EXPECT_EQ(withLf(listingOf(code, "PX-5200", &labels)), golden("data_table.txt"));
}

TEST(Listing, wide_mode_immediates) {
  const std::string code = CodeBuilder(kPreamble)
                               .op(O::Mode, {'1'})
                               .op(O::CompareImm, {'A', '>', 0xA0, 0x86, 0x01, 0x00, 0x04, 0x00})  // 100000
                               .op(O::LoadImm, {'A', '=', 0xFF, 0xFF, 0x00, 0x00})
                               .op(O::LoadImm, {'B', '-', 0xFF, 0xFF, 0xFF, 0xFF})
                               .op(O::LoadImm, {'B', 0x69})
                               .op(O::Mode, {'0'})
                               .op(O::CompareImm, {'A', '=', 0xA0, 0x86, 0x04, 0x00})
                               .op(O::Return)
                               .text();
  EXPECT_EQ(withLf(listingOf(code)), golden("wide_compare.txt"));
}

TEST(Listing, target_memory_shows_the_main_window_names) {
  ListingInput input;
  input.memoryAreaNames = {"m0", "m20", "m30", "m31", "m32", "m40", "m41", "m51"};
  const std::string code = CodeBuilder().op(O::TargetMemory, {0x41}).op(O::TargetMemory, {0x00}).text();
  EXPECT_EQ(buildListing(code, input).text, "000000 TargerMemory m41\r\n000003 TargerMemory m0\r\n");
}

TEST(Listing, lines_end_in_cr_lf) {
  const std::string listing = listingOf(CodeBuilder().op(O::Return).data({1, 2, 3, 4, 5, 6, 7, 8, 9}).text());
  EXPECT_EQ(listing, "000000 ret \r\n000002 01 02 03 04 05 06 07 08 \r\n       09 ");
}

TEST(Listing, unknown_bytes_are_one_byte_data_lines) {
  EXPECT_EQ(listingOf("FF 00 52 54 "), "000000 FF \r\n000001 00 \r\n000002 ret \r\n");
}

// Every data run counts its row of eight afresh, with or without a label.
TEST(Listing, each_data_run_starts_its_own_rows) {
  const std::string code =
      CodeBuilder().data({1, 2, 3}).op(O::Return).data({1, 2, 3, 4, 5, 6, 7, 8, 9}).text();
  EXPECT_EQ(listingOf(code),
            "000000 01 02 03 \r\n000003 ret \r\n000005 01 02 03 04 05 06 07 08 \r\n       09 ");
}

TEST(Listing, eight_labelled_bytes_leave_a_row_of_blanks) {
  const std::string code = CodeBuilder().data({1, 2, 3, 4, 5, 6, 7, 8}).op(O::Return).text();
  const mnemonic::LabelsByAddress labels{{0, "T8"}};
  EXPECT_EQ(listingOf(code, "PX-5200", &labels),
            "000000 T8\r\n       01 02 03 04 05 06 07 08 \r\n       \r\n000008 ret \r\n");
}

struct TruncatedCase {
  const char* name;
  std::string code;
  std::string listing;
};

class Truncated : public ::testing::TestWithParam<TruncatedCase> {};

// An instruction cut short by the end of the text lists as data and nothing past the end is read.
TEST_P(Truncated, lists_the_rest_as_data) {
  EXPECT_EQ(listingOf(GetParam().code), GetParam().listing);
}

INSTANTIATE_TEST_SUITE_P(
    mnemonic, Truncated,
    ::testing::Values(TruncatedCase{"jump_without_its_last_byte", "52 54 4A 50 05 ",
                                    "000000 ret \r\n000002 4A 50 05 "},
                      TruncatedCase{"print_counting_more_bytes_than_there_are", "50 23 09 00 52 54 45 ",
                                    "000000 50 23 09 00 52 54 45 "},
                      TruncatedCase{"half_a_cell", "52 54 4", "000000 ret \r\n000002 4 "},
                      TruncatedCase{"opcode_alone", "4C 23 ", "000000 4C 23 "}),
    [](const auto& i) { return std::string(i.param.name); });

struct RegisterCase {
  char code;
  const char* model;
  const char* name;
};

TEST(SysRegName, names_by_model) {
  const RegisterCase cases[] = {
      {'7', "PX-B", "TpIN"},        {'7', "PX-D", "TsR"},         {'8', "PX-B", "TpX"},
      {'8', "PX-*", "Ts1"},         {'9', "PX-B", "TpY"},         {'9', "QT-R500", "Ts2"},
      {'2', "PX-5200B", "DipSw"},   {'2', "PX-6203", "Jumper"},   {'2', "px-5200b", "Jumper"},
      {'&', "PX-5200", "TrsCount"}, {'[', "PX-5200", "ActSts"},   {'0', "PX-5200", "Port0"},
      {'1', "PX-5200", "Port1"},    {'4', "QT-R5xxP", "Port4"},   {'*', "PX-6203", "ComAhd"},
      {'@', "PX-5200", "Com"},      {'%', "PX-5200", "RecCount"}, {'?', "PX-5200", "timerInterval"},
      {'A', "PX-B", "A"},           {'a', "PX-B", "a"},           {'7', "WMR-STD", "TsR"},
      {'2', "PX-5100", "Jumper"},   {'9', "PX-6901", "Ts2"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mnemonic::sysRegName(c.code, c.model), c.name) << c.code << " " << c.model;
}

TEST(Listing, system_registers_follow_the_model) {
  const std::string code = CodeBuilder()
                               .op(O::LoadReg, {'7', '=', '2'})
                               .op(O::CompareReg, {'8', '=', '9', 0, 0})
                               .op(O::LoadImm, {'2', '+', 1, 0})
                               .text();
  EXPECT_EQ(withLf(listingOf(code, "PX-B") + listingOf(code, "PX-5200B")), golden("system_registers.txt"));
}

// --- the caret line ---

struct Marked {
  std::string code;
  std::int32_t start;
  std::int32_t end;
};

Marked retWaitEnd() {
  CodeBuilder code(kPreamble);
  code.op(O::Return);
  const int start = code.chars();
  code.op(O::Wait).data({1, 2});
  const int end = code.chars();
  code.op(O::End);
  return {code.text(), start, end};
}

TEST(Listing, caret_code_is_red_in_both_panes) {
  const Marked m = retWaitEnd();
  ListingInput input;
  input.markStart = m.start;
  input.markEnd = m.end;
  const mnemonic::Listing listing = buildListing(m.code, input);
  EXPECT_EQ(listing.text.substr(listing.red.start, listing.red.length), "000020 wait\r\n000022 01 02 ");
  EXPECT_EQ(listing.codeRed, (mnemonic::TextSpan{static_cast<std::size_t>(m.start), 12}));
}

TEST(Listing, caret_on_the_last_code_is_red_to_the_end) {
  const Marked m = retWaitEnd();
  ListingInput input;
  input.markStart = m.end;
  input.markEnd = static_cast<std::int32_t>(m.code.size());
  const mnemonic::Listing listing = buildListing(m.code, input);
  EXPECT_EQ(listing.text.substr(listing.red.start), "\r\n000024 end\r\n");
  EXPECT_EQ(listing.red.start + listing.red.length, listing.text.size());
}

TEST(Listing, caret_line_without_code_makes_nothing_red) {
  const Marked m = retWaitEnd();
  ListingInput input;
  input.markStart = m.start;
  input.markEnd = m.start;
  const mnemonic::Listing listing = buildListing(m.code, input);
  EXPECT_EQ(listing.red.length, 0u);
  EXPECT_EQ(listing.codeRed.length, 0u);
}

TEST(Listing, code_pane_has_a_blank_after_every_byte_afterwards) {
  const std::string code = CodeBuilder(kPreamble).data({1, 2, 3}).op(O::Return).text();
  const mnemonic::Listing listing = buildListing(code, ListingInput{});
  std::string expected = code;
  std::replace(expected.begin(), expected.end(), '.', ' ');
  EXPECT_EQ(listing.codeText, expected);
  EXPECT_EQ(listing.codeText.find('.'), std::string::npos);
}

// --- the stage on a host ---

class FakeListingHost : public mnemonic::MnemonicHost {
 public:
  std::string model = "PX-5200";
  std::string codePane;
  std::vector<std::string> calls;  // in order
  float maximum = 0;
  std::vector<float> values;
  std::string mnemonicPane;
  std::vector<testkit::ColourSpan> codeColours;
  std::vector<testkit::ColourSpan> mnemonicColours;

  void activateLog() override { calls.push_back("activate"); }
  void addlog(std::string_view message, LogKind) override { calls.push_back("log " + std::string(message)); }
  void setProgressMax(float m) override { maximum = m; }
  float progressMax() override { return maximum; }
  void setProgressValue(float v) override { values.push_back(v); }
  std::string modelName() override { return model; }
  std::string codePaneText() override { return codePane; }
  void setCodeText(std::string_view text) override {
    calls.push_back("code");
    codePane = std::string(text);
  }
  void colourCode(std::size_t start, std::size_t length, Rgb colour) override {
    codeColours.push_back({start, length, colour});
  }
  void setMnemonicText(std::string_view text) override {
    calls.push_back("mnemonic");
    mnemonicPane = std::string(text);
  }
  void colourMnemonic(std::size_t start, std::size_t length, Rgb colour) override {
    mnemonicColours.push_back({start, length, colour});
  }
};

TEST(MakeMnemonic, logs_fills_both_panes_and_the_progress_bar) {
  const Marked m = retWaitEnd();
  FakeListingHost host;
  host.codePane = m.code;
  mnemonic::makeMnemonic(host, m.start, m.end, {});

  const std::vector<std::string> calls{"activate", "log Mnemonic code generating Phase.", "code", "mnemonic",
                                       "log Complete cmpile."};
  EXPECT_EQ(host.calls, calls);
  EXPECT_EQ(host.codePane.find('.'), std::string::npos);
  EXPECT_EQ(host.codeColours,
            (std::vector<testkit::ColourSpan>{{static_cast<std::size_t>(m.start), 12, kRed}}));
  ASSERT_EQ(host.mnemonicColours.size(), 2u);
  EXPECT_EQ(host.mnemonicColours[0], (testkit::ColourSpan{0, host.mnemonicPane.size(), kBlack}));
  EXPECT_EQ(host.mnemonicColours[1].colour, kRed);
  EXPECT_EQ(host.mnemonicPane.substr(host.mnemonicColours[1].start, host.mnemonicColours[1].length),
            "000020 wait\r\n000022 01 02 ");
  EXPECT_EQ(host.maximum, static_cast<float>(m.code.size()));
  ASSERT_FALSE(host.values.empty());
  EXPECT_TRUE(std::is_sorted(host.values.begin(), host.values.end()));
  EXPECT_LE(host.values.size(), 300u);  // a few hundred updates at most, whatever the code size
  EXPECT_EQ(host.values.back(), host.maximum);
}

TEST(MakeMnemonic, reads_labels_and_marks_of_a_compilation) {
  testkit::FakeHost compilerHost;
  MacroCompiler mc(compilerHost);
  mc.hensuulabel.hensuuInit();
  mc.hensuulabel.setLabel("TBL", "0012");
  mc.hensuulabel.setLabel("SAME", "0012");  // the lowest slot names a shared address
  mc.hensuulabel.addLabel("NOWHERE");
  mc.compiler.markStart = 54;
  mc.compiler.markEnd = 57;
  FakeListingHost host;
  host.codePane = CodeBuilder(kPreamble).data({0x41}).text();
  mnemonic::makeMnemonic(host, mc);
  EXPECT_EQ(host.mnemonicPane.substr(host.mnemonicPane.rfind("000018")), "000018 TBL\r\n       41 ");
  EXPECT_EQ(host.codeColours, (std::vector<testkit::ColourSpan>{{54, 3, kRed}}));
}

}  // namespace
}  // namespace kelmore
