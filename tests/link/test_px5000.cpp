// PX5000 on the scripted port: every command's bytes and overflow cases, kept values, the open/close
// rules of the link operations, model detection and the reply-reading commands.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <functional>

#include "rig.h"

namespace kelmore::link {
namespace {

using testkit::bytesOf;
using testkit::DeviceCall;
using testkit::Rig;
using Kind = DeviceCall::Kind;

std::vector<std::uint8_t> counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 3 + 1);
  return bytes;
}

std::vector<std::uint8_t> join(std::vector<std::uint8_t> head, const std::vector<std::uint8_t>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

struct BytesCase {
  const char* name;
  std::function<void(PX5000&)> command;
  std::vector<std::uint8_t> bytes;
};

const std::vector<BytesCase>& bytesCases() {
  static const std::vector<BytesCase> cases = {
      {"printText_ascii", [](PX5000& p) { p.printText("ABC"); }, bytesOf({0x41, 0x42, 0x43})},
      {"printText_code_page", [](PX5000& p) { p.printText("あい"); }, bytesOf({0x82, 0xA0, 0x82, 0xA2})},
      {"printCode", [](PX5000& p) { p.printCode(0x41); }, bytesOf({0x41})},
      {"bs", [](PX5000& p) { p.bs(); }, bytesOf({0x08})},
      {"ht", [](PX5000& p) { p.ht(); }, bytesOf({0x09})},
      {"lf", [](PX5000& p) { p.lf(); }, bytesOf({0x0A})},
      {"hom", [](PX5000& p) { p.hom(); }, bytesOf({0x0B})},
      {"cr", [](PX5000& p) { p.cr(); }, bytesOf({0x0D})},
      {"clear", [](PX5000& p) { p.clear(); }, bytesOf({0x0C})},
      {"bright", [](PX5000& p) { p.bright(5); }, bytesOf({0x1F, 0x58, 0x05})},
      {"Initialize", [](PX5000& p) { p.Initialize(); }, bytesOf({0x1B, 0x40})},
      {"cursorSet_origin", [](PX5000& p) { p.cursorSet(0, 0); }, bytesOf({0x1F, 0x24, 0, 0, 0, 0})},
      {"cursorSet_low_byte_first", [](PX5000& p) { p.cursorSet(300, 2); },
       bytesOf({0x1F, 0x24, 0x2C, 0x01, 0x02, 0x00})},
      {"cursorSet_minus_one", [](PX5000& p) { p.cursorSet(-1, 0); }, bytesOf({0x1F, 0x24, 0xFF, 0, 0, 0})},
      {"cursorSet_minus_255", [](PX5000& p) { p.cursorSet(-255, 32767); },
       bytesOf({0x1F, 0x24, 0x01, 0x00, 0xFF, 0x7F})},
      {"cursorSelect", [](PX5000& p) { p.cursorSelect(1); }, bytesOf({0x1F, 0x43, 0x01})},
      {"screenMode", [](PX5000& p) { p.screenMode(2); }, bytesOf({0x1F, 0x28, 0x77, 0x10, 0x02})},
      {"internatinal", [](PX5000& p) { p.internatinal(3); }, bytesOf({0x1B, 0x52, 0x03})},
      {"characterCode_5", [](PX5000& p) { p.characterCode(5); }, bytesOf({0x1B, 0x74, 0x05})},
      {"characterCode_6", [](PX5000& p) { p.characterCode(6); }, bytesOf({0x1B, 0x74, 0x10})},
      {"characterCode_245", [](PX5000& p) { p.characterCode(245); }, bytesOf({0x1B, 0x74, 0xFF})},
      {"characterCode_255", [](PX5000& p) { p.characterCode(255); }, bytesOf({0x1B, 0x74, 0xFF})},
      {"displayMode", [](PX5000& p) { p.displayMode(3); }, bytesOf({0x1F, 0x03})},
      {"scrollVelocity", [](PX5000& p) { p.scrollVelocity(4); }, bytesOf({0x1F, 0x73, 0x04})},
      {"fontsize", [](PX5000& p) { p.fontsize(1); }, bytesOf({0x1F, 0x28, 0x67, 0x01, 0x01})},
      {"kanjiMode", [](PX5000& p) { p.kanjiMode(1); }, bytesOf({0x1F, 0x28, 0x67, 0x02, 0x01})},
      {"characterType", [](PX5000& p) { p.characterType(2); }, bytesOf({0x1F, 0x28, 0x67, 0x03, 0x02})},
      {"fontScale", [](PX5000& p) { p.fontScale(2, 3); }, bytesOf({0x1F, 0x28, 0x67, 0x40, 0x02, 0x03})},
      {"fontBold", [](PX5000& p) { p.fontBold(1); }, bytesOf({0x1F, 0x28, 0x67, 0x41, 0x01})},
      {"wait", [](PX5000& p) { p.wait(10); }, bytesOf({0x1F, 0x28, 0x61, 0x01, 0x0A})},
      {"shortwait", [](PX5000& p) { p.shortwait(3); }, bytesOf({0x1F, 0x28, 0x61, 0x02, 0x03})},
      {"scroll", [](PX5000& p) { p.scroll(256, 2, 1); },
       bytesOf({0x1F, 0x28, 0x61, 0x10, 0x00, 0x01, 0x02, 0x00, 0x01})},
      {"blink", [](PX5000& p) { p.blink(1, 2, 3, 4); }, bytesOf({0x1F, 0x28, 0x61, 0x11, 1, 2, 3, 4})},
      {"curtain", [](PX5000& p) { p.curtain(1, 2, 3); }, bytesOf({0x1F, 0x28, 0x61, 0x12, 1, 2, 3})},
      {"spring", [](PX5000& p) { p.spring(1, 2, 0x1234); },
       bytesOf({0x1F, 0x28, 0x61, 0x13, 1, 2, 0x34, 0x12})},
      {"random", [](PX5000& p) { p.random(5, 513); }, bytesOf({0x1F, 0x28, 0x61, 0x14, 5, 0x01, 0x02})},
      {"power", [](PX5000& p) { p.power(1); }, bytesOf({0x1F, 0x28, 0x61, 0x40, 0x01})},
      {"dotDraw", [](PX5000& p) { p.dotDraw(1, 300, 20); },
       bytesOf({0x1F, 0x28, 0x64, 0x10, 0x01, 0x2C, 0x01, 0x14, 0x00})},
      {"lineDraw", [](PX5000& p) { p.lineDraw(0, 1, 0, 0, 255, 63); },
       bytesOf({0x1F, 0x28, 0x64, 0x11, 0, 1, 0, 0, 0, 0, 0xFF, 0, 0x3F, 0})},
      {"scrollQuality", [](PX5000& p) { p.scrollQuality(3); }, bytesOf({0x1F, 0x6D, 0x03})},
      {"reverseMode", [](PX5000& p) { p.reverseMode(1); }, bytesOf({0x1F, 0x72, 0x01})},
      {"drawMode", [](PX5000& p) { p.drawMode(2); }, bytesOf({0x1F, 0x77, 0x02})},
      {"windowSelect", [](PX5000& p) { p.windowSelect(1); }, bytesOf({0x1F, 0x28, 0x77, 0x01, 0x01})},
      {"windowDefine", [](PX5000& p) { p.windowDefine(1, 256, 0, 140, 32); },
       bytesOf({0x1F, 0x28, 0x77, 0x02, 0x01, 0x01, 0x00, 0x01, 0x00, 0x00, 0x8C, 0x00, 0x20, 0x00})},
      {"windowCancel", [](PX5000& p) { p.windowCancel(1); }, bytesOf({0x1F, 0x28, 0x77, 0x02, 0x01, 0x00})},
      {"downloadEnable", [](PX5000& p) { p.downloadEnable(1); }, bytesOf({0x1B, 0x25, 0x01})},
      {"downloadDefine1", [](PX5000& p) { p.downloadDefine1(1, 0x41, 6, 8, counting(10)); },
       join(bytesOf({0x1B, 0x26, 0x01, 0x41, 0x41, 0x00}), counting(6))},
      {"downloadDefine1_height_12_is_one_byte_a_column",
       [](PX5000& p) { p.downloadDefine1(1, 0x41, 6, 12, counting(6)); },
       join(bytesOf({0x1B, 0x26, 0x01, 0x41, 0x41, 0x00}), counting(6))},
      {"downloadCancel1", [](PX5000& p) { p.downloadCancel1(1, 0x41); }, bytesOf({0x1B, 0x3F, 0x01, 0x41})},
      {"downloadDefine2", [](PX5000& p) { p.downloadDefine2(0x88, 0x9F, counting(40)); },
       join(bytesOf({0x1F, 0x28, 0x67, 0x10, 0x88, 0x9F}), counting(32))},
      {"downloadCancel2", [](PX5000& p) { p.downloadCancel2(0x88, 0x9F); },
       bytesOf({0x1F, 0x28, 0x67, 0x11, 0x88, 0x9F})},
      {"downloadSave", [](PX5000& p) { p.downloadSave(1); }, bytesOf({0x1F, 0x28, 0x65, 0x11, 0x01})},
      {"downloadTransfer", [](PX5000& p) { p.downloadTransfer(1); }, bytesOf({0x1F, 0x28, 0x65, 0x21, 0x01})},
      {"userModeIn", [](PX5000& p) { p.userModeIn(); }, bytesOf({0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E})},
      {"userModeOut", [](PX5000& p) { p.userModeOut(); },
       bytesOf({0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54})},
      {"portSetting", [](PX5000& p) { p.portSetting(1, 0xFF); },
       bytesOf({0x1F, 0x28, 0x70, 0x01, 0x01, 0xFF})},
      {"portOutput", [](PX5000& p) { p.portOutput(1, 0x55); }, bytesOf({0x1F, 0x28, 0x70, 0x10, 0x01, 0x55})},
      {"portInput", [](PX5000& p) { p.portInput(2); }, bytesOf({0x1F, 0x28, 0x70, 0x20, 0x02})},
      {"MacroGo", [](PX5000& p) { p.MacroGo(130, 0, 0); }, bytesOf({0x1F, 0x5E, 0x82, 0x00, 0x00})},
      {"writeMemorySw", [](PX5000& p) { p.writeMemorySw(19, 0); },
       bytesOf({0x1F, 0x28, 0x65, 0x03, 0x13, 0x00})},
      {"readMemorySw", [](PX5000& p) { p.readMemorySw(19); }, bytesOf({0x1F, 0x28, 0x65, 0x04, 0x13})},
      {"readXDot", [](PX5000& p) { p.readXDot(); }, bytesOf({0x1F, 0x28, 0x65, 0x40, 0x40})},
      {"readYDot", [](PX5000& p) { p.readYDot(); }, bytesOf({0x1F, 0x28, 0x65, 0x40, 0x41})},
      {"dummyRead", [](PX5000& p) { p.dummyRead(); }, bytesOf({0x1F, 0x28, 0x65, 0x40, 0x40})},
      {"dummyWrite", [](PX5000& p) { p.dummyWrite(3); }, bytesOf({0, 0, 0})},
      {"dummyWrite_none", [](PX5000& p) { p.dummyWrite(0); }, {}},
      {"fromRamMacroDefine_five_zeros_after", [](PX5000& p) { p.fromRamMacroDefine(counting(300), 300); },
       join(join(bytesOf({0x1F, 0x3A, 0x2C, 0x01}), counting(300)), bytesOf({0, 0, 0, 0, 0}))},
      {"fromRamMacroDefine_takes_n_bytes", [](PX5000& p) { p.fromRamMacroDefine(counting(10), 4); },
       join(join(bytesOf({0x1F, 0x3A, 0x04, 0x00}), counting(4)), bytesOf({0, 0, 0, 0, 0}))},
      {"fromRamMacroDefine_empty", [](PX5000& p) { p.fromRamMacroDefine({}, 0); },
       bytesOf({0x1F, 0x3A, 0, 0, 0, 0, 0, 0, 0})},
      {"fromMacroDefine", [](PX5000& p) { p.fromMacroDefine(2, 0, 0, counting(5000), 5000); },
       join(bytesOf({0x1F, 0x28, 0x65, 0x12, 0x02, 0x88, 0x13, 0x00, 0x00}), counting(5000))},
      {"fromMacroDefine_timers", [](PX5000& p) { p.fromMacroDefine(4, 7, 9, counting(2), 2); },
       join(bytesOf({0x1F, 0x28, 0x65, 0x12, 0x04, 0x02, 0x00, 0x07, 0x09}), counting(2))},
  };
  return cases;
}

class Bytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(Bytes, one_command_one_send) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  const auto writesBefore = rig.device->count(Kind::Write);
  GetParam().command(*rig.px);
  EXPECT_EQ(rig.sent(), GetParam().bytes);
  // Up to 64 bytes go out in one write: one command never straddles two sends.
  if (!GetParam().bytes.empty() && GetParam().bytes.size() <= 64) {
    EXPECT_EQ(rig.device->count(Kind::Write) - writesBefore, 1);
  }
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
}

INSTANTIATE_TEST_SUITE_P(px5000, Bytes, ::testing::ValuesIn(bytesCases()),
                         [](const auto& i) { return i.param.name; });

struct ErrorCase {
  const char* name;
  std::function<void(PX5000&)> command;
  DeviceError::Kind kind;
  const char* text;
};

const std::vector<ErrorCase>& errorCases() {
  static const std::vector<ErrorCase> cases = {
      {"bright_256", [](PX5000& p) { p.bright(256); }, DeviceError::Kind::Overflow, "Overflow"},
      {"bright_negative", [](PX5000& p) { p.bright(-1); }, DeviceError::Kind::Overflow, "Overflow"},
      {"cursorSet_minus_256", [](PX5000& p) { p.cursorSet(-256, 0); }, DeviceError::Kind::Overflow,
       "Overflow"},
      {"cursorSet_beyond_16_bits", [](PX5000& p) { p.cursorSet(0, 32768); }, DeviceError::Kind::Overflow,
       "Overflow"},
      {"characterCode_250", [](PX5000& p) { p.characterCode(250); }, DeviceError::Kind::Overflow, "Overflow"},
      {"characterCode_246", [](PX5000& p) { p.characterCode(246); }, DeviceError::Kind::Overflow, "Overflow"},
      {"characterCode_negative", [](PX5000& p) { p.characterCode(-1); }, DeviceError::Kind::Overflow,
       "Overflow"},
      {"fontScale_second", [](PX5000& p) { p.fontScale(1, 256); }, DeviceError::Kind::Overflow, "Overflow"},
      {"lineDraw_last_field", [](PX5000& p) { p.lineDraw(0, 1, 0, 0, 0, -300); }, DeviceError::Kind::Overflow,
       "Overflow"},
      {"windowDefine_negative", [](PX5000& p) { p.windowDefine(1, -1, 0, 1, 1); },
       DeviceError::Kind::Overflow, "Overflow"},
      {"windowDefine_beyond_16_bits", [](PX5000& p) { p.windowDefine(1, 0, 0, 32768, 1); },
       DeviceError::Kind::Overflow, "Overflow"},
      {"printText_empty", [](PX5000& p) { p.printText(""); }, DeviceError::Kind::Argument,
       "Invalid procedure call or argument"},
      {"ram_code_shorter_than_n", [](PX5000& p) { p.fromRamMacroDefine(counting(10), 11); },
       DeviceError::Kind::Index, "Subscript out of range"},
      {"ram_length_beyond_the_field", [](PX5000& p) { p.fromRamMacroDefine(counting(65536), 65536); },
       DeviceError::Kind::Overflow, "Overflow"},
      {"ram_length_negative", [](PX5000& p) { p.fromRamMacroDefine(counting(1), -1); },
       DeviceError::Kind::Overflow, "Overflow"},
      {"flash_area_beyond_a_byte", [](PX5000& p) { p.fromMacroDefine(256, 0, 0, counting(1), 1); },
       DeviceError::Kind::Overflow, "Overflow"},
      {"flash_code_short", [](PX5000& p) { p.fromMacroDefine(1, 0, 0, counting(1), 2); },
       DeviceError::Kind::Index, "Subscript out of range"},
      {"wmr_code_short_sends_no_header", [](PX5000& p) { p.fromMacroDefineWmr(0, 0, counting(1), 2); },
       DeviceError::Kind::Index, "Subscript out of range"},
      {"macroStart_auto_start_beyond_a_byte", [](PX5000& p) { p.fromMacroStart(128, 0, 0, counting(1), 1); },
       DeviceError::Kind::Overflow, "Overflow"},
      {"downloadDefine2_short_pattern", [](PX5000& p) { p.downloadDefine2(1, 1, counting(31)); },
       DeviceError::Kind::Index, "Subscript out of range"},
      {"downloadDefine1_short_pattern", [](PX5000& p) { p.downloadDefine1(1, 1, 6, 8, counting(5)); },
       DeviceError::Kind::Index, "Subscript out of range"},
      {"userFontDefine_short_pattern",
       [](PX5000& p) {
         int s = 0;
         p.userFontDefine(2, s, counting(2047));
       },
       DeviceError::Kind::Index, "Subscript out of range"},
      {"MacroGo_300", [](PX5000& p) { p.MacroGo(300, 0, 0); }, DeviceError::Kind::Overflow, "Overflow"},
      {"writeMemorySw_value", [](PX5000& p) { p.writeMemorySw(19, 256); }, DeviceError::Kind::Overflow,
       "Overflow"},
      {"dummyWrite_beyond_16_bits", [](PX5000& p) { p.dummyWrite(40000); }, DeviceError::Kind::Overflow,
       "Overflow"},
      {"module_address_300",
       [](PX5000& p) {
         p.moduleAdd("300");
         p.bs();
       },
       DeviceError::Kind::Overflow, "Overflow"},
  };
  return cases;
}

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, thrown_before_any_byte) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  try {
    GetParam().command(*rig.px);
    FAIL() << "no error";
  } catch (const DeviceError& e) {
    EXPECT_EQ(e.kind(), GetParam().kind);
    EXPECT_STREQ(e.what(), GetParam().text);
  }
  EXPECT_TRUE(rig.sent().empty());
}

INSTANTIATE_TEST_SUITE_P(px5000, Errors, ::testing::ValuesIn(errorCases()),
                         [](const auto& i) { return i.param.name; });

TEST(Kept, setters_keep_what_they_sent_and_nothing_on_overflow) {
  Rig rig;
  PX5000& px = *rig.px;
  EXPECT_EQ(px.fontScaleX(), 0);
  px.fontScale(2, 3);
  EXPECT_EQ(px.fontScaleX(), 2);
  EXPECT_EQ(px.fontScaleY(), 3);
  px.displayMode(3);
  px.scrollVelocity(4);
  px.fontsize(1);
  px.kanjiMode(1);
  px.characterType(2);
  px.fontBold(1);
  px.scrollQuality(3);
  EXPECT_EQ(px.displayMode(), 3);
  EXPECT_EQ(px.scrollVelocity(), 4);
  EXPECT_EQ(px.fontsize(), 1);
  EXPECT_EQ(px.kanjiMode(), 1);
  EXPECT_EQ(px.characterType(), 2);
  EXPECT_EQ(px.fontBold(), 1);
  EXPECT_EQ(px.scrollQuality(), 3);
  EXPECT_THROW(px.fontsize(300), DeviceError);
  EXPECT_EQ(px.fontsize(), 1);
  px.screenMode(2);
  EXPECT_EQ(px.screenMode(), 0);
}

TEST(Kept, printTextNum_counts_code_page_bytes) {
  Rig rig;
  EXPECT_EQ(rig.px->printTextNum("abc"), 3);
  EXPECT_EQ(rig.px->printTextNum("あい"), 4);
  EXPECT_THROW(rig.px->printTextNum(""), DeviceError);
  EXPECT_TRUE(rig.sent().empty());
}

TEST(Kept, userFontDefine_writes_the_row_count_back) {
  struct Case {
    int table;
    int sIn;
    int sOut;
  };
  for (const Case c : {Case{1, 0, 6}, Case{2, 0, 16}, Case{4, 0, 64}, Case{3, 1, 1}}) {
    Rig rig;
    int s = c.sIn;
    rig.px->userFontDefine(c.table, s, counting(128 * 64));
    EXPECT_EQ(s, c.sOut) << c.table;
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 5u + 128u * static_cast<std::size_t>(c.sOut)) << c.table;
    EXPECT_EQ(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 5),
              bytesOf({0x1F, 0x28, 0x65, 0x13, c.table}));
  }
}

// --- link operations ---

TEST(Link, a_send_while_closed_opens_and_closes_around_itself) {
  Rig rig;
  EXPECT_TRUE(rig.px->ifOut(bytesOf({0x0C})));
  EXPECT_EQ(rig.device->opens, 1);
  EXPECT_FALSE(rig.device->isOpen());
  EXPECT_EQ(rig.px->ifOpenf, 0);

  ASSERT_EQ(rig.px->ifOpen(), 0);
  EXPECT_EQ(rig.px->ifOpenf, -1);
  EXPECT_TRUE(rig.px->ifOut(bytesOf({0x0C})));
  EXPECT_TRUE(rig.px->ifOut(bytesOf({0x0C})));
  EXPECT_EQ(rig.device->opens, 2);
  EXPECT_TRUE(rig.device->isOpen());
  rig.px->ifClose();
  EXPECT_EQ(rig.px->ifOpenf, 0);
  EXPECT_FALSE(rig.device->isOpen());
}

TEST(Link, a_failed_open_still_marks_the_link_open_until_ifClose) {
  Rig rig;
  rig.px->commPort(5);
  EXPECT_EQ(rig.px->ifOpen(), 1);
  EXPECT_EQ(rig.px->ifOpenf, -1);
  EXPECT_TRUE(rig.px->isOpen());
  // The rest of the operation goes nowhere, at once, and says so.
  const auto calls = rig.device->calls.size();
  EXPECT_FALSE(rig.px->ifOut(bytesOf({0x0C})));
  rig.px->userModeIn();
  EXPECT_EQ(rig.device->calls.size(), calls);
  EXPECT_EQ(rig.px->linkError(), LinkError::OpenFailed);
  rig.px->ifClose();
  EXPECT_EQ(rig.px->ifOpenf, 0);
  EXPECT_EQ(rig.env.boxes.size(), 1u);
}

TEST(Link, a_read_with_a_failing_open_reads_nothing) {
  Rig rig;
  rig.device->injected = false;
  std::string s = "      ";
  EXPECT_FALSE(rig.px->IfInStr(s, 2));
  EXPECT_EQ(s, "");
  EXPECT_EQ(rig.px->ifOpenf, 0);
  EXPECT_EQ(rig.device->count(Kind::Read), 0);
  std::array<std::uint8_t, 4> data{};
  EXPECT_FALSE(rig.px->IfIn(data, 2));
  EXPECT_EQ(rig.device->count(Kind::Read), 0);
}

TEST(Link, an_empty_text_read_polls_until_the_time_out) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.device->queueReply(bytesOf({0x41}));
  std::string s;
  const auto start = rig.env.elapsed();
  EXPECT_FALSE(rig.px->IfInStr(s, 2));
  EXPECT_EQ(s, "");
  EXPECT_EQ((rig.env.elapsed() - start).count(), 2000);
}

TEST(Link, a_read_time_out_too_large_for_the_count_throws_before_opening) {
  Rig rig;
  std::string s = "  ";
  EXPECT_THROW(rig.px->IfInStr(s, 3277), DeviceError);
  EXPECT_EQ(rig.device->opens, 0);
}

TEST(Link, only_exactly_COM_selects_the_serial_link) {
  for (const char* mode : {"com", "", "LAN"}) {
    Rig rig;
    rig.px->ifMode(mode);
    EXPECT_EQ(rig.px->ifCheck_silent(), 1) << mode;
    EXPECT_EQ(rig.px->ifCheck(), 1) << mode;
    EXPECT_EQ(rig.px->ifOpen(), 1) << mode;
    EXPECT_FALSE(rig.px->ifOut(bytesOf({0x0C}))) << mode;
    rig.px->ifClose();
    EXPECT_EQ(rig.device->opens, 0) << mode;
    EXPECT_TRUE(rig.env.boxes.empty());
  }
}

TEST(Link, ifClose_closes_the_serial_port_even_after_the_kind_changed) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.px->ifMode("LAN");
  rig.px->ifClose();
  EXPECT_FALSE(rig.device->isOpen());
}

TEST(Link, a_send_that_stalls_reports_failure_and_ends_the_operation) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.device->stallAfter = 10;
  EXPECT_FALSE(rig.px->ifOut(counting(100)));
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
  const auto calls = rig.device->calls.size();
  rig.px->printText("Completed.");
  EXPECT_FALSE(rig.px->ifOut(bytesOf({0x0C})));
  EXPECT_EQ(rig.device->calls.size(), calls);
  rig.px->ifClose();
  // The error stays readable after the operation; the next open clears it.
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
  rig.device->stallAfter.reset();
  ASSERT_EQ(rig.px->ifOpen(), 0);
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
}

TEST(Link, a_self_opened_send_that_cannot_drain_is_no_success) {
  Rig rig;
  rig.device->drainResult = platform::PortError::Stalled;
  EXPECT_FALSE(rig.px->ifOut(bytesOf({0x0C})));
  EXPECT_EQ(rig.px->linkError(), LinkError::Stalled);
}

TEST(Link, properties_convert_what_they_are_given) {
  Rig rig;
  rig.px->tcpPort("10000");
  EXPECT_EQ(rig.px->tcpPort(), 10000);
  rig.px->tcpPort(" 2.5 ");
  EXPECT_EQ(rig.px->tcpPort(), 2);
  rig.px->tcpPort(std::int64_t{65535});
  EXPECT_EQ(rig.px->tcpPort(), 65535);
  try {
    rig.px->tcpPort("abc");
    FAIL();
  } catch (const DeviceError& e) {
    EXPECT_STREQ(e.what(), "Type mismatch");
  }
  EXPECT_THROW(rig.px->tcpPort("3000000000"), DeviceError);
  EXPECT_THROW(rig.px->commPort(40000), DeviceError);
  EXPECT_EQ(rig.px->commPort(), 1);
  rig.px->moduleAdd("01");
  EXPECT_EQ(rig.px->moduleAdd(), "01");
}

// --- model name ---

struct NameCase {
  const char* name;
  const char* model;
  int dotX;
  int dotY;
  std::optional<DeviceError::Kind> error;
};

const NameCase kNames[] = {
    {"plain", "PX256X64", 256, 64, std::nullopt},
    {"none", "PX0X0", 0, 0, std::nullopt},
    {"further_pieces_ignored", "PX128X32X9", 128, 32, std::nullopt},
    {"no_cross_keeps_the_width", "PX100", 100, 0, DeviceError::Kind::Index},
    {"not_a_number", "PXabcX5", 0, 0, DeviceError::Kind::Conversion},
    {"beyond_16_bits", "PX40000X1", 0, 0, DeviceError::Kind::Overflow},
};

class Name : public ::testing::TestWithParam<NameCase> {};

TEST_P(Name, is_stored_and_parsed) {
  Rig rig;
  const NameCase& c = GetParam();
  if (c.error) {
    try {
      rig.px->moduleName(c.model);
      FAIL();
    } catch (const DeviceError& e) {
      EXPECT_EQ(e.kind(), *c.error);
    }
  } else {
    rig.px->moduleName(c.model);
  }
  EXPECT_EQ(rig.px->moduleName(), c.model);
  EXPECT_EQ(rig.px->moduleDotX(), c.dotX);
  EXPECT_EQ(rig.px->moduleDotY(), c.dotY);
  EXPECT_EQ(rig.device->opens, 0);
}

INSTANTIATE_TEST_SUITE_P(px5000, Name, ::testing::ValuesIn(kNames),
                         [](const auto& i) { return i.param.name; });

TEST(Detect, asks_the_module_for_its_size) {
  Rig rig(sim::ModuleConfig{128, 32, std::nullopt, false});
  rig.px->moduleName("");
  EXPECT_EQ(rig.px->moduleName(), "PX128X32");
  EXPECT_EQ(rig.px->moduleDotX(), 128);
  EXPECT_EQ(rig.px->moduleDotY(), 32);
  EXPECT_EQ(rig.device->opens, 1);
  EXPECT_FALSE(rig.device->isOpen());
  EXPECT_EQ(rig.px->ifOpenf, 0);
}

TEST(Detect, a_silent_module_gives_PX0X0_after_both_time_outs) {
  Rig rig;
  rig.device->silent = true;
  rig.px->moduleName("");
  EXPECT_EQ(rig.px->moduleName(), "PX0X0");
  EXPECT_EQ(rig.px->moduleDotX(), 0);
  EXPECT_EQ(rig.px->moduleDotY(), 0);
  // Settle, then per query 50 ms and 20 empty polls.
  EXPECT_EQ(rig.env.elapsed().count(), 10 + 2 * (50 + 2000));
}

TEST(Detect, a_failed_open_gives_PX0X0_at_once) {
  Rig rig;
  rig.device->injected = false;
  rig.px->moduleName("");
  EXPECT_EQ(rig.px->moduleName(), "PX0X0");
  EXPECT_EQ(rig.device->count(Kind::Read), 0);
  EXPECT_LE(rig.env.elapsed().count(), 200);
}

TEST(Detect, a_refused_query_closes_the_link_it_opened) {
  Rig rig;
  rig.px->moduleAdd("300");  // no frame carries this address
  EXPECT_THROW(rig.px->moduleName(""), DeviceError);
  EXPECT_EQ(rig.px->ifOpenf, 0);
  EXPECT_FALSE(rig.device->isOpen());
}

TEST(Detect, over_a_link_already_open_it_neither_reopens_nor_closes) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.px->moduleName("");
  EXPECT_EQ(rig.px->moduleName(), "PX256X64");
  EXPECT_EQ(rig.device->opens, 1);
  EXPECT_TRUE(rig.device->isOpen());
  EXPECT_EQ(rig.px->ifOpenf, -1);
}

struct ReplyCase {
  const char* name;
  std::string reply;
  const char* model;
};

TEST(Detect, reads_characters_4_to_6_of_each_reply) {
  const ReplyCase cases[] = {
      {"padded", "X: 064", "PX64X64"},
      {"short_reply_is_no_reply", "X:", "PX0X0"},
      {"letters_read_as_zero", "X: abc", "PX0X0"},
      {"leading_digits", "X: 2a5", "PX2X2"},
  };
  for (const ReplyCase& c : cases) {
    Rig rig;
    rig.device->silent = true;
    ASSERT_EQ(rig.px->ifOpen(), 0);
    rig.device->queueReply(std::vector<std::uint8_t>(c.reply.begin(), c.reply.end()));
    rig.env.onSleep = [&](int ms) {
      // The second query's answer comes once the first read is over.
      if (ms == 50 && rig.device->count(Kind::Read) > 0) {
        rig.device->queueReply(std::vector<std::uint8_t>(c.reply.begin(), c.reply.end()));
      }
    };
    rig.px->moduleName("");
    EXPECT_EQ(rig.px->moduleName(), c.model) << c.name;
  }
}

// --- commands that read a reply ---

TEST(Replies, memory_switch_and_port_values_come_back) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.px->writeMemorySw(19, 130);
  EXPECT_EQ(rig.px->readMemorySw(19), std::optional<std::uint8_t>(130));
  EXPECT_EQ(rig.px->readMemorySw(7), std::optional<std::uint8_t>(0));
  rig.px->portOutput(1, 0x55);
  EXPECT_EQ(rig.px->portInput(1), std::optional<std::uint8_t>(0x55));
  EXPECT_EQ(rig.px->readXDot(), "X: 256");
  EXPECT_EQ(rig.px->readYDot(), "Y: 064");
}

TEST(Replies, a_missing_reply_is_told_from_a_value) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.device->silent = true;
  const auto start = rig.env.elapsed();
  EXPECT_EQ(rig.px->readMemorySw(19), std::nullopt);
  EXPECT_EQ((rig.env.elapsed() - start).count(), 50 + 20000);
  EXPECT_EQ(rig.px->portInput(1), std::nullopt);
  EXPECT_EQ(rig.px->dummyRead(), "");
  // A reply of three bytes is as missing as none.
  rig.device->queueReply(bytesOf({'M', 'S', 19}));
  EXPECT_EQ(rig.px->readMemorySw(19), std::nullopt);
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
}

TEST(Replies, user_mode_in_reads_at_once_with_the_short_time_out) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  rig.device->silent = true;
  rig.env.sleeps.clear();
  rig.px->userModeIn();
  EXPECT_EQ(rig.env.sleeps, std::vector<int>(20, 100));
}

}  // namespace
}  // namespace kelmore::link
