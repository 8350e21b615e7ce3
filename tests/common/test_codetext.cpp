// Code text cells, label tokens and the download framing.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "common/codetext.h"
#include "common/framing.h"
#include "common/models.h"

namespace kelmore {
namespace {

struct CellCase {
  const char* name;
  std::string_view cell;
  int value;
};
constexpr CellCase kCells[] = {
    {"instruction_byte", "1F ", 31},
    {"data_byte", "1F.", 31},
    {"lower_case_digits", "ff ", 255},
    {"no_leading_digit", " 1F", 0},
    {"label_token_letter", "L00", 0},
    {"one_digit_then_other", "A.x", 10},
    {"three_digits_keep_low_byte", "123", 0x23},
    {"short_last_cell", "7", 7},
    {"empty", "", 0},
};
class Cell : public testing::TestWithParam<CellCase> {};
TEST_P(Cell, parses_like_the_code_pane) {
  EXPECT_EQ(parseByteCell(GetParam().cell), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(codetext, Cell, testing::ValuesIn(kCells),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CodeText, appends_cells_and_reads_them_back) {
  std::string text;
  appendCodeByte(text, 0x50);
  appendCodeByte(text, 0x0A);
  appendCodeByte(text, 0xFF, kDataSeparator);
  EXPECT_EQ(text, "50 0A FF.");
  EXPECT_EQ(codeByteCount(text), 3u);
  EXPECT_EQ(codeTextToBytes(text), (std::vector<std::uint8_t>{0x50, 0x0A, 0xFF}));
  EXPECT_EQ(byteAddress(text.size()), 3u);
}

TEST(CodeText, counts_a_text_without_its_last_separator) {
  EXPECT_EQ(codeByteCount(""), 0u);
  EXPECT_EQ(codeByteCount("50 23"), 2u);
  EXPECT_EQ(codeTextToBytes("50 23"), (std::vector<std::uint8_t>{0x50, 0x23}));
}

struct FieldCase {
  const char* name;
  std::uint32_t value;
  bool wide;
  std::string_view text;
};
constexpr FieldCase kFields[] = {
    {"low_byte_first", 0x1234, false, "34 12 "},
    {"negative_skip", 0xFFF4, false, "F4 FF "},
    {"zero", 0, false, "00 00 "},
    {"wide_low_half_first", 0x00011170, true, "70 11 01 00 "},
    {"wide_top_bit", 0x80000001, true, "01 00 00 80 "},
};
class Field : public testing::TestWithParam<FieldCase> {};
TEST_P(Field, writes_and_reads_back) {
  const auto& c = GetParam();
  std::string text = "4A 50 ";
  if (c.wide)
    appendField32(text, c.value);
  else
    appendField16(text, static_cast<std::uint16_t>(c.value));
  EXPECT_EQ(text.substr(6), c.text);
  EXPECT_EQ(c.wide ? readField32(text, 6) : readField16(text, 6), c.value);
}
INSTANTIATE_TEST_SUITE_P(codetext, Field, testing::ValuesIn(kFields),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CodeText, a_field_takes_the_room_of_its_label_token) {
  std::string text = "4A 50 " + labelToken(3, true) + "52 54 ";
  writeField16(text, 6, 0xFFF4);
  EXPECT_EQ(text, "4A 50 F4 FF 52 54 ");
  std::string shortText = "4A 50 L0003";
  EXPECT_THROW(writeField16(shortText, 6, 1), std::out_of_range);
}

TEST(CodeText, overwrites_digits_and_keeps_the_separator) {
  std::string text = "50 23 01.00 ";
  writeCodeByte(text, 6, 0xAB);
  EXPECT_EQ(text, "50 23 AB.00 ");
  EXPECT_THROW(writeCodeByte(text, 11, 1), std::out_of_range);
  blankSeparators(text);
  EXPECT_EQ(text, "50 23 AB 00 ");
}

struct InstructionByteCase {
  const char* name;
  std::string_view text;
  std::optional<std::uint8_t> value;
};
constexpr InstructionByteCase kInstructionBytes[] = {
    {"instruction_cell", "3D ", 0x3D},
    {"data_cell", "3D.", std::nullopt},
    {"lower_case_digits", "3d ", std::nullopt},
    {"token", "L0", std::nullopt},
    {"no_separator_at_the_end", "3D", std::nullopt},
};
class InstructionByte : public testing::TestWithParam<InstructionByteCase> {};
TEST_P(InstructionByte, reads_only_what_an_emitter_writes) {
  EXPECT_EQ(readInstructionByte(GetParam().text, 0), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(codetext, InstructionByte, testing::ValuesIn(kInstructionBytes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CodeText, readers_stop_at_the_end_of_the_text) {
  EXPECT_EQ(readCodeByte("50 23", 6), 0);
  EXPECT_EQ(readField16("50 23 01", 6), 1);
  EXPECT_EQ(cellDigits("50 23", 3), "23");
  EXPECT_EQ(cellDigits("50 23", 6), "");
  EXPECT_EQ(cellSeparator("50 23.", 3), '.');
  EXPECT_EQ(cellSeparator("50 23", 3), '\0');
}

TEST(LabelToken, round_trips_both_forms) {
  EXPECT_EQ(labelToken(26, false), "L001A ");
  EXPECT_EQ(labelToken(26, true), "L001Aa");
  EXPECT_EQ(labelToken(4095, false).size(), kLabelTokenChars);
  EXPECT_EQ(parseLabelToken("L001A 4A"), (LabelTokenRef{26, false}));
  EXPECT_EQ(parseLabelToken("L0FFFa"), (LabelTokenRef{4095, true}));
  EXPECT_THROW(labelToken(4096, false), std::out_of_range);
  EXPECT_THROW(labelToken(-1, true), std::out_of_range);
  EXPECT_EQ(labelTokenName(3), "L0003");
}

TEST(LabelToken, rejects_what_is_not_one) {
  for (std::string_view text : {"L001A", "L001Ab", "4C 23 ", "L00gA ", "L001a ", "L1000 "})
    EXPECT_FALSE(parseLabelToken(text)) << text;
}

using Bytes = std::vector<std::uint8_t>;

TEST(Framing, ram_macro_on_the_link_ends_with_five_zero_bytes) {
  const Bytes code(300, 0x41);
  const Bytes sent = ramMacroDefine(code);
  ASSERT_EQ(sent.size(), 309u);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 4), (Bytes{0x1F, 0x3A, 0x2C, 0x01}));
  EXPECT_EQ(Bytes(sent.end() - 5, sent.end()), Bytes(5, 0x00));
}

TEST(Framing, flash_macro_on_the_link_has_its_nine_byte_header) {
  const Bytes code(5000, 0x00);
  const Bytes sent = flashMacroDefine(2, 0, 0, code);
  ASSERT_EQ(sent.size(), 5009u);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 9),
            (Bytes{0x1F, 0x28, 0x65, 0x12, 0x02, 0x88, 0x13, 0x00, 0x00}));
}

TEST(Framing, refuses_a_length_the_field_cannot_hold) {
  EXPECT_NO_THROW(ramMacroHeader(kMaxMacroLength));
  EXPECT_THROW(ramMacroHeader(kMaxMacroLength + 1), std::length_error);
  EXPECT_THROW(flashMacroHeader(1, 70000, 0, 0), std::length_error);
}

struct ExportCase {
  const char* name;
  int area;
  std::size_t length;
  Bytes header;
  Bytes tailer;
};
const ExportCase kExports[] = {
    {"ram_20_bytes", 0, 20, {0x1F, 0x3A, 0x14, 0x00}, {}},
    {"ram_332_bytes", 0, 332, {0x1F, 0x3A, 0x4C, 0x01}, {}},
    {"from1_0_bytes",
     1,
     0,
     {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E, 0x1F, 0x28, 0x65, 0x12, 0x01, 0x00, 0x00, 0x00, 0x00},
     {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54}},
    {"from3_300_bytes",
     3,
     300,
     {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E, 0x1F, 0x28, 0x65, 0x12, 0x03, 0x2C, 0x01, 0x00, 0x00},
     {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54}},
    {"from4_65535_bytes",
     4,
     65535,
     {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E, 0x1F, 0x28, 0x65, 0x12, 0x04, 0xFF, 0xFF, 0x00, 0x00},
     {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54}},
};
class Export : public testing::TestWithParam<ExportCase> {};
TEST_P(Export, wraps_the_code_for_its_area) {
  const auto framing = exportFraming(GetParam().area, GetParam().length);
  EXPECT_EQ(framing.header, GetParam().header);
  EXPECT_EQ(framing.tailer, GetParam().tailer);
}
INSTANTIATE_TEST_SUITE_P(framing, Export, testing::ValuesIn(kExports),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Framing, export_refuses_an_area_outside_the_list) {
  EXPECT_THROW(exportFraming(5, 1), std::out_of_range);
  EXPECT_THROW(exportFraming(-1, 1), std::out_of_range);
}

TEST(Models, vocabularies_hold_their_order) {
  EXPECT_EQ(kModelNames.front(), "PX-5100");
  EXPECT_EQ(kModelNames.back(), "WMR-STD");
  EXPECT_EQ(kInitialModel, kModelNames[1]);
  EXPECT_EQ(kTargetAreaTexts[3], "FROM Macro3");
  EXPECT_EQ(macroNumber(2), 130);
  EXPECT_EQ(memoryAreaCode("GPFRom2"), 0x32);
  EXPECT_EQ(memoryAreaCode("gpfrom2"), std::nullopt);  // compared exactly
}

}  // namespace
}  // namespace kelmore
