// strReplace, number reading and formatting, PRT line items and the string table.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "common/numbers.h"
#include "common/prtline.h"
#include "common/strings.h"
#include "common/strreplace.h"

namespace kelmore {
namespace {

struct ReplaceCase {
  const char* name;
  std::string_view text, find, replacement, result;
  int count;
};
constexpr ReplaceCase kReplaces[] = {
    {"inserted_text_not_searched_again", "aaa", "a", "aa", "aaaaaa", 3},
    {"left_to_right_without_overlap", "aaaa", "aa", "b", "bb", 2},
    {"replacement_holds_find", "xAx", "A", "AA", "xAAx", 1},
    {"no_match", "Print A", "Next", "N", "Print A", 0},
    {"exact_case", "End end END", "end", "E", "End E END", 1},
    {"delete", "A, B, C", ", ", "", "ABC", 2},
    {"whole_text", "abc", "abc", "", "", 1},
    {"empty_text", "", "a", "b", "", 0},
};
class Replace : public testing::TestWithParam<ReplaceCase> {};
TEST_P(Replace, replaces_in_place_and_counts) {
  std::string text(GetParam().text);
  EXPECT_EQ(strReplace(text, GetParam().find, GetParam().replacement), GetParam().count);
  EXPECT_EQ(text, GetParam().result);
}
INSTANTIATE_TEST_SUITE_P(strreplace, Replace, testing::ValuesIn(kReplaces),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(StrReplace, empty_find_changes_nothing) {
  std::string text = "abc";
  EXPECT_EQ(strReplace(text, "", "x"), 0);
  EXPECT_EQ(text, "abc");
}

TEST(StrReplace, stays_linear_on_a_long_text) {
  std::string text(1'000'000, 'a');
  EXPECT_EQ(strReplace(text, "a", "bb"), 1'000'000);
  EXPECT_EQ(text.size(), 2'000'000u);
}

struct NumberCase {
  const char* name;
  std::string_view text;
  double value;
};
constexpr NumberCase kNumbers[] = {
    {"integer", "12", 12},
    {"blanks_anywhere", " 1 2 ", 12},
    {"tabs_and_line_feeds", "\t3\n4", 34},
    {"sign", "-7", -7},
    {"fraction", "2.5x", 2.5},
    {"stops_at_letter", "300abc", 300},
    {"no_number", "abc", 0},
    {"empty", "", 0},
    {"exponent", "1E3", 1000},
    {"bare_exponent", "2E", 2},
    {"hex", "&H1F", 31},
    {"hex_sign_16_bit", "&HFFFF", -1},
    {"hex_32_bit", "&H10000", 65536},
    {"octal", "&O17", 15},
    {"lone_ampersand", "&", 0},
    {"dot_only", ".", 0},
    {"leading_dot", ".5", 0.5},
};
class Number : public testing::TestWithParam<NumberCase> {};
TEST_P(Number, reads_the_leading_number) {
  EXPECT_DOUBLE_EQ(leadingNumber(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(numbers, Number, testing::ValuesIn(kNumbers),
                         [](const auto& i) { return std::string(i.param.name); });

// A window toolkit puts the user's locale in force; a decimal comma must not change what a text reads as.
TEST(Numbers, reading_ignores_a_decimal_comma_locale) {
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
    if ((found = std::setlocale(LC_ALL, name))) break;
  if (!found) GTEST_SKIP() << "no locale with a decimal comma on this machine";
  EXPECT_DOUBLE_EQ(leadingNumber("2.5"), 2.5);
  EXPECT_DOUBLE_EQ(leadingNumber("+1.5E1"), 15);
  std::setlocale(LC_ALL, "C");
}

TEST(Numbers, rounds_halves_to_even) {
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(0.5), 0);
  EXPECT_EQ(roundHalfEven(2.51), 3);
}

TEST(Numbers, nearest_in_range_refuses_what_does_not_fit) {
  EXPECT_EQ(nearestInRange(255.4, 0, 255), 255);
  EXPECT_EQ(nearestInRange(255.5, 0, 255), std::nullopt);  // 256 after rounding
  EXPECT_EQ(nearestInRange(-0.5, 0, 255), 0);
  EXPECT_EQ(nearestInRange(std::numeric_limits<double>::quiet_NaN(), 0, 255), std::nullopt);
  EXPECT_EQ(nearestInRange(std::numeric_limits<double>::infinity(), 0, 255), std::nullopt);
}

TEST(Numbers, formats_hex) {
  EXPECT_EQ(hexUpper(0), "0");
  EXPECT_EQ(hexUpper(0x1F), "1F");
  EXPECT_EQ(hexUpper(0x11, 4), "0011");
  EXPECT_EQ(hexUpper(0x12345, 4), "2345");
}

struct PrtSplitCase {
  const char* name;
  std::string_view rest;
  std::vector<std::string_view> items;
};
const PrtSplitCase kPrtSplits[] = {
    {"plain", " 1fh 28h;", {"1fh", "28h;"}},
    {"leading_and_trailing_blanks", "  01h  ", {"01h"}},
    {"runs_of_blanks", " 01h   02h", {"01h", "02h"}},
    {"no_items", " ", {}},
    {"empty", "", {}},
};
class PrtSplit : public testing::TestWithParam<PrtSplitCase> {};
TEST_P(PrtSplit, finds_the_items) {
  EXPECT_EQ(splitPrtItems(GetParam().rest), GetParam().items);
}
INSTANTIATE_TEST_SUITE_P(prt, PrtSplit, testing::ValuesIn(kPrtSplits),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(PrtLine, commas_delimit_when_the_reader_asks) {
  EXPECT_EQ(splitPrtItems(",01h,02h", " ,"), (std::vector<std::string_view>{"01h", "02h"}));
}

TEST(Strings, looks_up_texts_exactly) {
  EXPECT_EQ(resString(1003), "Code is not generated.");
  EXPECT_EQ(resString(1005), "The code cannot be executed.(Exceed  of FROM capacity.)");
  EXPECT_EQ(resString(2006), "Complete cmpile.");
  EXPECT_EQ(resString(1032), ": This line cause unexpected error. Compile is disturbed.");
  EXPECT_EQ(resString(20), "OCR A Extended");
  EXPECT_EQ(resString(2256), "COMM 16");
}

TEST(Strings, unknown_id_is_empty) {
  EXPECT_EQ(resString(0), "");
  EXPECT_EQ(resString(1001), "");
  EXPECT_EQ(resString(99999), "");
}

}  // namespace
}  // namespace kelmore
