// Text and byte statements compiled whole, byte for byte after the optimiser: Data, Print, Cls, Cursor, the
// double-byte mode and SetFont, per model, with their errors.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdlib>

#include "controlflow_fixture.h"

namespace kelmore {
namespace {

using testkit::CodeCase;
using testkit::compileLines;
using testkit::ErrorCase;
using testkit::errorExitAt;
using testkit::expectCode;
using testkit::expectErrors;
using testkit::expressionError;
using testkit::kPreamble;
using testkit::unexpectedError;
using testkit::unknownOperand;

// Addresses count from 18 (0x12).
const CodeCase kCodeCases[] = {
    {"print_text_and_constant_join_into_one_print",
     "PX-5200",
     {"Sub Start()", "Print \"AB\", 13", "End Sub"},
     "50 23 03 00 41 42 0D 45 44 42 4B "},
    {"print_variable_and_empty_text",
     "PX-5200",
     {"Sub Start()", "a = 5", "Print a", "Print \"\"", "End Sub"},
     "4C 23 41 3D 05 00 50 52 01 00 41 50 23 00 00 45 44 42 4B "},
    {"print_comma_inside_a_text",
     "PX-5200",
     {"Sub Start()", "Print \"A,B\"", "End Sub"},
     "50 23 03 00 41 2C 42 45 44 42 4B "},
    {"print_blanks_and_quotes_of_a_text_kept",
     "PX-5200",
     {"Sub Start()", "Print  \" a \" ,\"'\"", "End Sub"},
     "50 23 04 00 20 61 20 27 45 44 42 4B "},
    {"print_expression_through_a_temporary",
     "PX-5200",
     {"Sub Start()", "a = 5", "Print a + 1", "End Sub"},
     "4C 23 41 3D 05 00 4C 52 42 3D 41 4C 23 42 2B 01 00 50 52 01 00 42 45 44 42 4B "},
    {"print_registers_join_texts_between_stay_apart",
     "PX-5200",
     {"Sub Start()", "a = 1", "b = 2", "Print a, b", "Print \"x\", a, \"y\"", "End Sub"},
     "4C 23 41 3D 01 00 4C 23 42 3D 02 00 "
     "50 52 02 00 41 42 "
     "50 23 01 00 78 50 52 01 00 41 50 23 01 00 79 "
     "45 44 42 4B "},
    {"print_constants_rounded_half_to_even",
     "PX-5200",
     {"Sub Start()", "Print &HFF, 2.5, 3.5, 7 Mod 4", "End Sub"},
     "50 23 04 00 FF 02 04 03 45 44 42 4B "},
    {"print_alone_sends_nothing", "PX-5200", {"Sub Start()", "Print", "End Sub"}, "45 44 42 4B "},
    {"print_japanese_in_cp932",
     "PX-5200",
     {"Sub Start()", "Print \"アイ\", \"ｱ表\"", "End Sub"},
     "50 23 07 00 83 41 83 43 B1 95 5C 45 44 42 4B "},
    {"data_text_constants_and_folded_expression",
     "PX-5200",
     {"Sub Start()", "Data \"A,B\", 1, &H10 + 1", "End Sub"},
     "41.2C.42.01.11.45 44 42 4B "},
    {"data_japanese_in_cp932",
     "PX-5200",
     {"Sub Start()", "Data \"日本\", 0", "End Sub"},
     "93.FA.96.7B.00.45 44 42 4B "},
    {"data_empty_text_plants_nothing", "PX-5200", {"Sub Start()", "Data \"\"", "End Sub"}, "45 44 42 4B "},
    {"cls", "PX-5200", {"Sub Start()", "Cls", "End Sub"}, "50 23 01 00 0C 45 44 42 4B "},
    {"cursor_constants_join_with_their_command",
     "PX-5200",
     {"Sub Start()", "Cursor 300, 2", "End Sub"},
     "50 23 06 00 1F 24 2C 01 02 00 45 44 42 4B "},
    {"cursor_fractions_rounded_before_the_split",
     "PX-5200",
     {"Sub Start()", "Cursor 255.5, 0.5", "End Sub"},
     "50 23 06 00 1F 24 00 01 00 00 45 44 42 4B "},
    {"cursor_register_sends_its_high_byte_computed_in_the_module",
     "PX-5200",
     {"Sub Start()", "a = 5", "Cursor a, 7", "b = 1", "End Sub"},
     "4C 23 41 3D 05 00 "
     "50 23 02 00 1F 24 "
     "4C 52 42 3D 41 4C 23 42 2F 00 01 50 52 02 00 41 42 "  // _cursor (B) = a / 256
     "50 23 02 00 07 00 "
     "4C 23 42 3D 01 00 "  // _cursor is free again
     "45 44 42 4B "},
    {"cursor_in_wide_mode_divides_with_a_wide_immediate",
     "QT-R500",  // a model that takes Sel32
     {"Sub Start()", "a = 5", "Sel32", "Cursor 1, a", "End Sub"},
     "4C 23 41 3D 05 00 4D 44 31 "
     "50 23 04 00 1F 24 01 00 "
     "4C 52 42 3D 41 4C 23 42 2F 00 01 00 00 50 52 02 00 41 42 "
     "45 44 42 4B "},
    {"kanji_on_alone",
     "PX-5200",
     {"Sub Start()", "KanjiOn", "End Sub"},
     "50 23 0A 00 1F 28 67 02 01 1F 28 67 03 00 45 44 42 4B "},
    {"kanji_on_alone_on_px_b",
     "PX-B",
     {"Sub Start()", "KanjiOn", "End Sub"},
     "50 23 0A 00 1F 28 67 02 01 1F 28 67 0F 00 45 44 42 4B "},
    {"cjk_on_korean_on_px_b",
     "PX-B",
     {"Sub Start()", "CjkOn Korea", "End Sub"},
     "50 23 0A 00 1F 28 67 02 01 1F 28 67 0F 01 45 44 42 4B "},
    {"cjk_on_traditional_chinese",
     "QT-R5xxP",
     {"Sub Start()", "CjkOn traditional_chinese", "End Sub"},
     "50 23 0A 00 1F 28 67 02 01 1F 28 67 03 03 45 44 42 4B "},
    {"kanji_on_simplified_joined_from_two_words",
     "PX-5200",
     {"Sub Start()", "KanjiOn s c", "End Sub"},
     "50 23 0A 00 1F 28 67 02 01 1F 28 67 03 02 45 44 42 4B "},
    {"set_font_12x24_on_px_6203",
     "PX-6203",
     {"Sub Start()", "SetFont 12x24", "End Sub"},
     "50 23 05 00 1F 28 67 01 03 45 44 42 4B "},
    {"set_font_outline_on_qt_r5xxp",
     "QT-R5xxP",
     {"Sub Start()", "SetFont outline", "End Sub"},
     "50 23 05 00 1F 28 67 01 00 45 44 42 4B "},
    {"set_font_size_written_apart",
     "PX-5200",
     {"Sub Start()", "SetFont 8 x16", "End Sub"},
     "50 23 05 00 1F 28 67 01 02 45 44 42 4B "},
    {"set_font_in_capitals",
     "PX-D",
     {"Sub Start()", "SetFont 5X7", "End Sub"},
     "50 23 05 00 1F 28 67 01 01 45 44 42 4B "},
    {"set_font_16x32_on_px_any",
     "PX-*",
     {"Sub Start()", "SetFont 16x32", "End Sub"},
     "50 23 05 00 1F 28 67 01 04 45 44 42 4B "},
    {"kanji_off_and_cjk_off",
     "PX-5200",
     {"Sub Start()", "KanjiOff", "Cls", "CjkOff", "End Sub"},
     "50 23 0B 00 1F 28 67 02 00 0C 1F 28 67 02 00 45 44 42 4B "},
};

class Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Code, compiles_to) {
  const CodeCase& c = GetParam();
  expectCode(c.model, c.lines, c.code);
}

INSTANTIATE_TEST_SUITE_P(text, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The longest text item, and one a byte longer.
const std::string kLongestText = "Print \"" + std::string(32767, 'A') + "\"";
const std::string kTooLongText = "Data \"" + std::string(32768, 'A') + "\"";

const ErrorCase kErrorCases[] = {
    {"data_variable",
     "PX-5200",
     {"Sub Start()", "a = 1", "Data 1, a, 2"},
     errorExitAt("Variable can not use for data value.", 2)},
    {"data_constant_above_a_byte", "PX-5200", {"Sub Start()", "Data 1, 256"}, unexpectedError(1)},
    {"data_negative_constant", "PX-5200", {"Sub Start()", "Data -1"}, unexpectedError(1)},
    {"print_constant_above_a_byte", "PX-5200", {"Sub Start()", "Print 255.5"}, unexpectedError(1)},
    {"text_without_its_closing_quote",
     "PX-5200",
     {"Sub Start()", "Print \"ABC"},
     errorExitAt("'\"' is missing.", 1)},
    {"comma_text_without_its_closing_quote",
     "PX-5200",
     {"Sub Start()", "Data 1, \"A,B"},
     errorExitAt("'\"' is missing.", 1)},
    {"text_after_the_closing_quote", "PX-5200", {"Sub Start()", "Print \"AB\"C"}, expressionError(1)},
    {"two_texts_in_one_item", "PX-5200", {"Sub Start()", "Data \"A\"\"B\""}, expressionError(1)},
    {"print_empty_items", "PX-5200", {"Sub Start()", "Print ,"}, expressionError(1)},
    {"data_empty_item_between", "PX-5200", {"Sub Start()", "Data 1,,2"}, expressionError(1)},
    {"print_trailing_comma", "PX-5200", {"Sub Start()", "Print \"A\","}, expressionError(1)},
    {"character_outside_the_code_page",
     "PX-5200",
     {"Sub Start()", "Print \"5 €\""},
     errorExitAt("Character is not in the code page. Line: 2", 1)},
    {"text_of_32768_bytes", "PX-5200", {"Sub Start()", kTooLongText}, unexpectedError(1)},
    {"print_unknown_operand", "PX-5200", {"Sub Start()", "Print zz"}, unknownOperand("zz", 1)},
    {"cjk_on_two_words_that_join_to_no_language",
     "PX-5200",
     {"Sub Start()", "CjkOn traditional chinese"},
     unexpectedError(1)},
    {"set_font_size_the_model_lacks", "PX-5200", {"Sub Start()", "SetFont 12x24"}, unexpectedError(1)},
    {"set_font_on_a_model_without_sizes", "WMR-STD", {"Sub Start()", "SetFont 6x8"}, unexpectedError(1)},
    {"set_font_alone", "PX-6203", {"Sub Start()", "SetFont"}, unexpectedError(1)},
    {"cursor_without_y", "PX-5200", {"Sub Start()", "Cursor 5"}, unexpectedError(1)},
    {"cursor_alone", "PX-5200", {"Sub Start()", "Cursor"}, unexpectedError(1)},
    {"cursor_empty_x", "PX-5200", {"Sub Start()", "Cursor , 5"}, expressionError(1)},
    {"cursor_below_0", "PX-5200", {"Sub Start()", "Cursor -1, 0"}, unexpectedError(1)},
    {"cursor_above_65535", "PX-5200", {"Sub Start()", "Cursor 0, 65535.5"}, unexpectedError(1)},
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report) {
  const ErrorCase& c = GetParam();
  expectErrors(c.model, c.lines, c.events);
}

INSTANTIATE_TEST_SUITE_P(text, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The SetFont table: the code of each size per model, -1 where the model refuses the size.
constexpr std::array<std::string_view, 6> kSizeWords = {"outline", "6x8", "5x7", "8x16", "12x24", "16x32"};
struct FontRow {
  const char* model;
  std::array<int, 6> codes;  // in the order of kSizeWords
};
void PrintTo(const FontRow& r, std::ostream* os) {
  *os << r.model;
}
const FontRow kFontRows[] = {
    {"PX-5100", {-1, 1, 1, 2, -1, 4}},     {"PX-5200", {-1, 1, 1, 2, -1, 4}},
    {"PX-5200B", {-1, 1, 1, 2, -1, 4}},    {"PX-6203", {-1, 1, 1, 2, 3, 4}},
    {"PX-B", {-1, 1, 1, 2, -1, -1}},       {"PX-D", {-1, 1, 1, 2, -1, -1}},
    {"QT-R5xxP", {0, 1, 1, 2, 3, 4}},      {"QT-R500", {-1, 1, 1, 2, 3, 4}},
    {"PX-*", {0, 1, 1, 2, 3, 4}},          {"WMR-STD", {-1, -1, -1, -1, -1, -1}},
    {"PX-6901", {-1, -1, -1, -1, -1, -1}},
};

class Font : public ::testing::TestWithParam<FontRow> {};

TEST_P(Font, sizes_of_the_model) {
  for (std::size_t k = 0; k < kSizeWords.size(); ++k) {
    SCOPED_TRACE(kSizeWords[k]);
    const std::string line = "SetFont " + std::string(kSizeWords[k]);
    const auto result = compileLines(GetParam().model, {"Sub Start()", line, "End Sub"});
    const int code = GetParam().codes[k];
    if (code < 0) {
      EXPECT_FALSE(result.ok);
      EXPECT_EQ(result.errors(), unexpectedError(1));
      continue;
    }
    ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
    EXPECT_EQ(result.code(), "50 23 05 00 1F 28 67 01 0" + std::to_string(code) + " 45 44 42 4B ");
  }
}

INSTANTIATE_TEST_SUITE_P(text, Font, ::testing::ValuesIn(kFontRows), [](const auto& i) {
  std::string name;
  for (char c : std::string_view(i.param.model))
    name += c == '*' ? "any" : std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c) : "_";
  return name;
});

// Every word of the character-set table, and the byte it selects.
struct LanguageCase {
  const char* word;
  const char* byte;
};
const LanguageCase kLanguageCases[] = {
    {"j", "00"},           {"jis", "00"},    {"sjis", "00"},
    {"k", "01"},           {"korea", "01"},  {"korean", "01"},
    {"hangul", "01"},      {"sc", "02"},     {"simplified_chinese", "02"},
    {"simplified", "02"},  {"tc", "03"},     {"traditional_chinese", "03"},
    {"traditional", "03"}, {"HANGUL", "01"},  // the words are read in any letter case
};

TEST(KanjiOn, every_language_word) {
  for (const LanguageCase& c : kLanguageCases) {
    SCOPED_TRACE(c.word);
    const std::string line = "KanjiOn " + std::string(c.word);
    const auto result = compileLines("PX-5200", {"Sub Start()", line, "End Sub"});
    ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
    EXPECT_EQ(result.code(),
              "50 23 0A 00 1F 28 67 02 01 1F 28 67 03 " + std::string(c.byte) + " 45 44 42 4B ");
  }
}

TEST(Print, takes_a_text_of_32767_bytes) {
  const auto result = compileLines("PX-5200", {"Sub Start()", kLongestText, "End Sub"});
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.code().substr(0, 18), "50 23 FF 7F 41 41 ");
}

// A "," of a text is an item of its own: the bound holds for each run between the commas, not the whole.
TEST(Print, takes_a_text_whose_runs_between_its_commas_are_each_32767_bytes) {
  const std::string line = "Print \"" + std::string(32767, 'A') + "," + std::string(32767, 'B') + "\"";
  const auto result = compileLines("PX-5200", {"Sub Start()", line, "End Sub"});
  ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
  const std::string code = result.code();
  EXPECT_EQ(code.substr(0, 15), "50 23 FF FF 41 ");
  EXPECT_EQ(code.substr(cellOffset(4 + 32767) - 6, 15), "41 41 2C 42 42 ");
}

// Each run and each comma is a print of its own, so a text past the 65535 bytes of one print goes out as
// the runs that fit and the rest.
TEST(Print, text_beyond_one_print_goes_out_in_two) {
  const std::string line =
      "Print \"" + std::string(32767, 'A') + "," + std::string(32767, 'B') + ",CC" + "\"";
  const auto result = compileLines("PX-5200", {"Sub Start()", line, "End Sub"});
  ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
  const std::string code = result.code();
  EXPECT_EQ(code.substr(0, 15), "50 23 FF FF 41 ");
  EXPECT_EQ(code.substr(cellOffset(4 + 65535)), "50 23 03 00 2C 43 43 45 44 42 4B ");
}

// Instructions of the failed item are taken back: the table ends where the statement began.
TEST(Data, variable_item_leaves_no_code_of_the_statement) {
  const auto result = compileLines("PX-5200", {"Sub Start()", "a = 1", "Data 7, a + 1"});
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errors(), errorExitAt("Variable can not use for data value.", 2));
  EXPECT_EQ(result.mc->codeout.codeText, std::string(kPreamble) + "4C 23 41 3D 01 00 ");
}

// The code page is the one in force when the compile runs.
TEST(Print, text_in_another_code_page) {
  ::setenv("KELMORE_CODEPAGE", "ISO-8859-1", 1);
  const auto latin = compileLines("PX-5200", {"Sub Start()", "Print \"é\"", "End Sub"});
  const auto katakana = compileLines("PX-5200", {"Sub Start()", "x = 1", "Data \"ア\""});
  ::unsetenv("KELMORE_CODEPAGE");
  ASSERT_TRUE(latin.ok);
  EXPECT_EQ(latin.code(), "50 23 01 00 E9 45 44 42 4B ");
  EXPECT_FALSE(katakana.ok);
  EXPECT_EQ(katakana.errors(), errorExitAt("Character is not in the code page. Line: 3", 2));
}

}  // namespace
}  // namespace kelmore
