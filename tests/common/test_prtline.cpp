// The one PRT line reader under both item rules: the same lines read as the image download and as
// Ferrant read them, alike where their rules agree and apart only where Ferrant's own rule differs.
// Layer: tests (plain C++).
#include "common/prtline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelmore {
namespace {

using Kind = PrtLineBytes::Kind;
using Bytes = std::vector<std::uint8_t>;

struct Reading {
  Kind kind;
  Bytes bytes;
};

struct BothWaysCase {
  const char* name;
  std::string_view line;
  Reading download;
  Reading ferrant;
};

const BothWaysCase kBothWays[] = {
    // Lines both read alike.
    {"written_line",
     "PRT 1fh 28h 65h 02h 4fh 55h 54h",
     {Kind::Bytes, {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54}},
     {Kind::Bytes, {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54}}},
    {"written_line_with_semicolon", "PRT 1fh 28h;", {Kind::Bytes, {0x1F, 0x28}}, {Kind::Bytes, {0x1F, 0x28}}},
    {"keyword_alone", "PRT", {Kind::Bytes, {}}, {Kind::Bytes, {}}},
    {"keyword_and_blank", "PRT ", {Kind::Bytes, {}}, {Kind::Bytes, {}}},
    {"digits_without_h", "PRT 12 1F", {Kind::Bytes, {0x12, 0x1F}}, {Kind::Bytes, {0x12, 0x1F}}},
    {"upper_case_h", "PRT 03H", {Kind::Bytes, {0x03}}, {Kind::Bytes, {0x03}}},
    {"commas_tabs_and_runs", "PRT,01h\t02h,,03H;", {Kind::Bytes, {1, 2, 3}}, {Kind::Bytes, {1, 2, 3}}},
    {"blanks_around", "   PRT 01h 02h;  ", {Kind::Bytes, {1, 2}}, {Kind::Bytes, {1, 2}}},
    {"crlf_end", "PRT 01h 02h; \r\n", {Kind::Bytes, {1, 2}}, {Kind::Bytes, {1, 2}}},
    {"tab_after_keyword", "PRT\t01h", {Kind::Bytes, {0x01}}, {Kind::Bytes, {0x01}}},
    {"lower_case_keyword", "prt 01h", {Kind::Skipped, {}}, {Kind::Skipped, {}}},
    {"comment", "*** PRT 01h", {Kind::Skipped, {}}, {Kind::Skipped, {}}},
    {"empty", "", {Kind::Skipped, {}}, {Kind::Skipped, {}}},
    {"only_delimiters", " \t\r\n", {Kind::Skipped, {}}, {Kind::Skipped, {}}},
    {"one_digit_and_h", "PRT 0h", {Kind::DataError, {}}, {Kind::DataError, {}}},
    {"one_digit", "PRT 1", {Kind::DataError, {}}, {Kind::DataError, {}}},
    {"lone_semicolon", "PRT ;", {Kind::DataError, {}}, {Kind::DataError, {}}},
    {"not_hex", "PRT 01h xyz 02h", {Kind::DataError, {0x01}}, {Kind::DataError, {0x01}}},
    {"eight_bit_character",
     "PRT 01h \xff"
     "1h",
     {Kind::DataError, {0x01}},
     {Kind::DataError, {0x01}}},
    // Ferrant's keyword is the first item, so more letters may follow "PRT"; the download reads them as an
    // item.
    {"keyword_prefix_only", "PRTX 1fh", {Kind::DataError, {}}, {Kind::Bytes, {0x1F}}},
    {"items_glued_to_keyword", "PRT01h 02h", {Kind::Bytes, {0x01, 0x02}}, {Kind::Bytes, {0x02}}},
    {"semicolon_glued_to_keyword", "PRT;", {Kind::DataError, {}}, {Kind::Bytes, {}}},
    // Ferrant's item is its first two characters, whatever follows.
    {"anything_after_two_digits", "PRT 1fx", {Kind::DataError, {}}, {Kind::Bytes, {0x1F}}},
    {"decimal_number", "PRT 01h 255", {Kind::DataError, {0x01}}, {Kind::Bytes, {0x01, 0x25}}},
    {"semicolons_between_items", "PRT 01h;02h", {Kind::DataError, {}}, {Kind::Bytes, {0x01}}},
    {"two_semicolons_after_h", "PRT 01h;;", {Kind::Bytes, {0x01}}, {Kind::Bytes, {0x01}}},
    {"two_semicolons_after_digits", "PRT 01;;", {Kind::DataError, {}}, {Kind::Bytes, {0x01}}},
    // Leading blanks, tabs and line ends go before the download looks for "PRT"; Ferrant skips commas too.
    {"leading_comma", ",PRT 01h", {Kind::Skipped, {}}, {Kind::Bytes, {0x01}}},
    {"leading_tab_and_cr", "\t\rPRT 01h", {Kind::Bytes, {0x01}}, {Kind::Bytes, {0x01}}},
};

class BothWays : public testing::TestWithParam<BothWaysCase> {};

TEST_P(BothWays, reads_as_the_image_download) {
  const PrtLineBytes got = readPrtLine(GetParam().line, ItemRule::Download);
  EXPECT_EQ(got.kind, GetParam().download.kind);
  EXPECT_EQ(got.bytes, GetParam().download.bytes);
}

TEST_P(BothWays, reads_as_ferrant) {
  const PrtLineBytes got = readPrtLine(GetParam().line, ItemRule::Ferrant);
  EXPECT_EQ(got.kind, GetParam().ferrant.kind);
  EXPECT_EQ(got.bytes, GetParam().ferrant.bytes);
}

INSTANTIATE_TEST_SUITE_P(prt, BothWays, testing::ValuesIn(kBothWays),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PrtReader, both_rules_take_back_every_byte_the_writer_writes) {
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  for (bool semicolon : {false, true}) {
    const std::string line = prtLine(all, semicolon);
    for (ItemRule rule : {ItemRule::Download, ItemRule::Ferrant}) {
      const PrtLineBytes got = readPrtLine(line, rule);
      EXPECT_EQ(got.kind, Kind::Bytes);
      EXPECT_EQ(got.bytes, all);
    }
  }
}

}  // namespace
}  // namespace kelmore
