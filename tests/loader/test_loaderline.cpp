// Ferrant's line rule: which lines send which bytes, and which stop the file.
// Layer: tests (plain C++).
#include "common/prtline.h"

#include <gtest/gtest.h>

#include <string>

namespace kelmore::loader {
namespace {

using Kind = PrtLineBytes::Kind;

struct LineCase {
  const char* name;
  std::string_view line;
  Kind kind;
  std::vector<std::uint8_t> bytes;
};

const LineCase kLines[] = {
    {"keyword_alone", "PRT", Kind::Bytes, {}},
    {"keyword_with_semicolon", "PRT;", Kind::Bytes, {}},
    {"lone_semicolon_token", "PRT ;", Kind::DataError, {}},
    {"lower_case_keyword", "prt 01h", Kind::Skipped, {}},
    {"keyword_prefix_only", "PRTX 01h", Kind::Bytes, {0x01}},
    {"leading_blanks", "   PRT 01h", Kind::Bytes, {0x01}},
    {"commas", "PRT,01h,02h", Kind::Bytes, {0x01, 0x02}},
    {"runs_of_delimiters", "PRT , ,  01h,,02h", Kind::Bytes, {0x01, 0x02}},
    {"leading_comma", ",PRT 01h", Kind::Bytes, {0x01}},
    {"semicolon_after_last", "PRT 1fh 28h;", Kind::Bytes, {0x1F, 0x28}},
    {"upper_digits_without_h", "PRT 1F", Kind::Bytes, {0x1F}},
    {"lower_digits_without_h", "PRT 1f", Kind::Bytes, {0x1F}},
    {"anything_after_two_digits", "PRT 01x 02h;03h", Kind::Bytes, {0x01, 0x02}},
    {"written_command_line",
     "PRT 1fh 28h 65h 01h 49h 4eh",
     Kind::Bytes,
     {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E}},
    {"items_glued_to_keyword", "PRT01h", Kind::Bytes, {}},
    {"one_digit_and_h", "PRT 0h", Kind::DataError, {}},
    {"one_digit", "PRT 1", Kind::DataError, {}},
    {"not_hex", "PRT xyz", Kind::DataError, {}},
    {"eight_bit_character",
     "PRT \xff"
     "1h",
     Kind::DataError,
     {}},
    {"bad_token_keeps_bytes_before_it", "PRT 01h 02h 0g 03h", Kind::DataError, {0x01, 0x02}},
    {"comment", "*** RAM ***", Kind::Skipped, {}},
    {"comment_with_prt_later", "*** PRT 01h", Kind::Skipped, {}},
    {"empty", "", Kind::Skipped, {}},
    {"only_delimiters", " ,\t\r", Kind::Skipped, {}},
    // Blanks, tabs and line ends around items: the image tool's "PRT " lines and trailing blanks.
    {"keyword_and_blank_before_line_end", "PRT \n", Kind::Bytes, {}},
    {"keyword_and_blank_before_cr", "PRT \r", Kind::Bytes, {}},
    {"blank_before_line_end", "PRT 01h \n", Kind::Bytes, {0x01}},
    {"blank_before_cr_lf", "PRT 01h 02h; \r\n", Kind::Bytes, {0x01, 0x02}},
    {"tab_delimits", "PRT\t01h\t02h", Kind::Bytes, {0x01, 0x02}},
    {"trailing_tab", "PRT 01h\t", Kind::Bytes, {0x01}},
};

class LoaderLine : public testing::TestWithParam<LineCase> {};

TEST_P(LoaderLine, gives_bytes_or_stops) {
  const PrtLineBytes got = readPrtLine(GetParam().line, ItemRule::Ferrant);
  EXPECT_EQ(got.kind, GetParam().kind);
  EXPECT_EQ(got.bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(loader, LoaderLine, testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelmore::loader
