// Text helpers, strReplace, number reading and formatting, PRT lines and the string table.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "common/numbers.h"
#include "common/prtline.h"
#include "common/strings.h"
#include "common/strreplace.h"
#include "common/text.h"

namespace kelmore {
namespace {

using Pieces = std::vector<std::string_view>;

struct TrimCase {
  const char* name;
  std::string_view text, blanks, whitespace, left, right;
};
const TrimCase kTrims[] = {
    {"both_ends", "  a b  ", "a b", "a b", "a b  ", "  a b"},
    {"tabs_stay_for_blanks", "\t a \t", "\t a \t", "a", "\t a \t", "\t a \t"},
    {"line_ends_are_whitespace", "\r\n x\r\n", "\r\n x\r\n", "x", "\r\n x\r\n", "\r\n x\r\n"},
    {"all_blanks", "   ", "", "", "", ""},
    {"empty", "", "", "", "", ""},
    {"inner_blanks_kept", "a  b", "a  b", "a  b", "a  b", "a  b"},
};
class Trim : public testing::TestWithParam<TrimCase> {};
TEST_P(Trim, removes_only_its_characters_at_the_ends) {
  const TrimCase& c = GetParam();
  EXPECT_EQ(trimBlanks(c.text), c.blanks);
  EXPECT_EQ(trimWhitespace(c.text), c.whitespace);
  EXPECT_EQ(trimLeft(c.text), c.left);
  EXPECT_EQ(trimRight(c.text), c.right);
}
INSTANTIATE_TEST_SUITE_P(text, Trim, testing::ValuesIn(kTrims),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Trim, views_point_into_the_text) {
  const std::string_view text = "  ab  ";
  EXPECT_EQ(trimBlanks(text).data(), text.data() + 2);
  EXPECT_EQ(trim("(x)", "()"), "x");
}

struct SplitCase {
  const char* name;
  std::string_view text;
  Pieces pieces;
};
const SplitCase kWordSplits[] = {
    {"single_blanks", "Print A B", {"Print", "A", "B"}},
    {"two_blanks_give_an_empty_word", "A  B", {"A", "", "B"}},
    {"blank_at_the_ends", " A ", {"", "A", ""}},
    {"tab_is_no_separator", "A\tB", {"A\tB"}},
    {"empty_is_one_empty_word", "", {""}},
};
class SplitWords : public testing::TestWithParam<SplitCase> {};
TEST_P(SplitWords, splits_at_every_blank) {
  EXPECT_EQ(splitWords(GetParam().text), GetParam().pieces);
  EXPECT_EQ(splitAt(GetParam().text, ' '), GetParam().pieces);
}
INSTANTIATE_TEST_SUITE_P(text, SplitWords, testing::ValuesIn(kWordSplits),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(SplitAt, keeps_empty_fields_between_separators) {
  EXPECT_EQ(splitAt("38400,n,8,1", ','), (Pieces{"38400", "n", "8", "1"}));
  EXPECT_EQ(splitAt(",,", ','), (Pieces{"", "", ""}));
}

const SplitCase kLineSplits[] = {
    {"crlf", "a\r\nb", {"a", "b"}},
    {"lone_cr", "a\rb", {"a", "b"}},
    {"lone_lf", "a\nb", {"a", "b"}},
    {"lf_cr_is_two_line_ends", "a\n\rb", {"a", "", "b"}},
    {"cr_cr_lf_is_two_line_ends", "a\r\r\nb", {"a", "", "b"}},
    {"final_line_end_opens_an_empty_line", "a\r\n", {"a", ""}},
    {"mixed", "a\nb\r\nc\rd", {"a", "b", "c", "d"}},
    {"blanks_kept", " a \n", {" a ", ""}},
    {"empty_is_one_empty_line", "", {""}},
};
class SplitLines : public testing::TestWithParam<SplitCase> {};
TEST_P(SplitLines, ends_lines_at_crlf_cr_and_lf) {
  EXPECT_EQ(splitLines(GetParam().text), GetParam().pieces);
}
INSTANTIATE_TEST_SUITE_P(text, SplitLines, testing::ValuesIn(kLineSplits),
                         [](const auto& i) { return std::string(i.param.name); });

struct FoldCase {
  const char* name;
  std::string_view text, lower;
};
const FoldCase kFolds[] = {
    {"letters", "Print ABC xyz", "print abc xyz"},
    {"digits_and_signs_stay", "A1_@[`{", "a1_@[`{"},
    // Bytes above 127 are never letters: a Latin-1 locale would fold 0xC4 to 0xE4 and break UTF-8.
    {"utf8_bytes_stay", "\xC4\x80\xE3\x81\x82", "\xC4\x80\xE3\x81\x82"},
    {"empty", "", ""},
};
class Fold : public testing::TestWithParam<FoldCase> {};
TEST_P(Fold, folds_ascii_letters_only) {
  EXPECT_EQ(toLowerAscii(GetParam().text), GetParam().lower);
  std::string appended = "X:";
  appendLowerAscii(appended, GetParam().text);
  EXPECT_EQ(appended, "X:" + std::string(GetParam().lower));
  EXPECT_TRUE(equalsIgnoringCase(GetParam().text, GetParam().lower));
}
INSTANTIATE_TEST_SUITE_P(text, Fold, testing::ValuesIn(kFolds),
                         [](const auto& i) { return std::string(i.param.name); });

struct CompareCase {
  const char* name;
  std::string_view text;
  std::size_t at;
  std::string_view word;
  bool matches;
};
constexpr CompareCase kCompares[] = {
    {"same_case", "If A Then", 5, "Then", true},
    {"other_case", "if a THEN", 5, "then", true},
    {"differs", "If A Than", 5, "Then", false},
    {"runs_past_the_end", "If A The", 5, "Then", false},
    {"at_past_the_end", "If", 3, "", false},
    {"empty_word_at_the_end", "If", 2, "", true},
    {"letter_and_sign_differ_by_32", "@", 0, "`", false},
};
class MatchAt : public testing::TestWithParam<CompareCase> {};
TEST_P(MatchAt, compares_without_regard_to_ascii_case) {
  EXPECT_EQ(matchesIgnoringCaseAt(GetParam().text, GetParam().at, GetParam().word), GetParam().matches);
}
INSTANTIATE_TEST_SUITE_P(text, MatchAt, testing::ValuesIn(kCompares),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CaseCompare, equal_ends_with_and_order) {
  EXPECT_FALSE(equalsIgnoringCase("Start", "Star"));
  EXPECT_TRUE(endsWithIgnoringCase("/tmp/Main.TVR", ".tvr"));
  EXPECT_FALSE(endsWithIgnoringCase("tvr", ".tvr"));
  EXPECT_TRUE(lessIgnoringCase("apple", "Banana"));
  EXPECT_FALSE(lessIgnoringCase("APPLE", "apple"));
  EXPECT_FALSE(lessIgnoringCase("apple", "APPLE"));
  EXPECT_TRUE(lessIgnoringCase("ab", "ABC"));
  EXPECT_TRUE(lessIgnoringCase("z", "\xC3\xA4"));  // bytes above 127 sort after every ASCII letter
}

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

TEST(PrtLine, writes_items_with_and_without_semicolon) {
  const std::uint8_t header[] = {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E};
  EXPECT_EQ(prtLine(header, false), "PRT 1fh 28h 65h 01h 49h 4eh");
  EXPECT_EQ(prtLine(std::span(header, 2), true), "PRT 1fh 28h;");
  EXPECT_EQ(prtLine({}, false), "PRT");
  EXPECT_EQ(prtItem(0xFF), " ffh");
}

struct PrtReadCase {
  const char* name;
  std::string_view line;
  bool isPrt;
  std::vector<std::string_view> items;
};
const PrtReadCase kPrtReads[] = {
    {"plain", "PRT 1fh 28h;", true, {"1fh", "28h;"}},
    {"leading_and_trailing_blanks", "  PRT 01h  ", true, {"01h"}},
    {"runs_of_blanks", "PRT 01h   02h", true, {"01h", "02h"}},
    {"crlf_line_end", "PRT ffh\r\n", true, {"ffh"}},
    {"no_items", "PRT ", true, {}},
    {"keyword_case_sensitive", "prt 01h", false, {}},
    {"prefix_only_compared", "PRTX 01h", true, {"X", "01h"}},
    {"comment", "*** Header ***", false, {}},
    {"empty", "", false, {}},
};
class PrtRead : public testing::TestWithParam<PrtReadCase> {};
TEST_P(PrtRead, finds_the_items) {
  const auto rest = prtLineRest(GetParam().line);
  ASSERT_EQ(rest.has_value(), GetParam().isPrt);
  if (rest) {
    EXPECT_EQ(splitPrtItems(*rest), GetParam().items);
  }
}
INSTANTIATE_TEST_SUITE_P(prt, PrtRead, testing::ValuesIn(kPrtReads),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(PrtLine, commas_delimit_when_the_reader_asks) {
  EXPECT_EQ(splitPrtItems(",01h,02h", " ,"), (std::vector<std::string_view>{"01h", "02h"}));
}

TEST(PrtLine, reads_written_items_only) {
  EXPECT_EQ(parsePrtItem("1fh"), 0x1F);
  EXPECT_EQ(parsePrtItem("28h;"), 0x28);
  EXPECT_EQ(parsePrtItem("FFh"), 0xFF);
  for (std::string_view bad : {"0h", "1f", "123h", "xyh", ";", ""}) EXPECT_FALSE(parsePrtItem(bad)) << bad;
}

TEST(PrtLine, writer_output_reads_back) {
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  const std::string line = prtLine(all, true);
  std::vector<std::uint8_t> back;
  for (auto item : splitPrtItems(*prtLineRest(line))) back.push_back(*parsePrtItem(item));
  EXPECT_EQ(back, all);
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
