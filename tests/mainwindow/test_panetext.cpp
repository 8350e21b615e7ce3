// Pane texts: colour runs painted over one another, byte offsets to pane positions, and line breaks.
// Layer: tests (plain C++).
#include "mainwindow/panetext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace kelmore::mainwindow {
namespace {

constexpr Rgb kBlue{0, 0, 255};
constexpr std::size_t kTextSize = 10;

struct Paint {
  std::size_t start, length;
  Rgb colour;
};
using Run = ColourRuns::Run;

struct RunsCase {
  const char* name;
  std::vector<Paint> paints;
  std::vector<Run> runs;
};

const RunsCase kRunsCases[] = {
    {"red_line_over_black_text", {{0, 10, kBlack}, {3, 4, kRed}}, {{3, 4, kRed}}},
    {"black_over_all_takes_every_colour_away", {{2, 3, kRed}, {6, 1, kBlue}, {0, 10, kBlack}}, {}},
    {"black_inside_a_run_splits_it", {{0, 10, kRed}, {3, 2, kBlack}}, {{0, 3, kRed}, {5, 5, kRed}}},
    {"touching_runs_of_one_colour_merge", {{0, 3, kRed}, {3, 3, kRed}}, {{0, 6, kRed}}},
    {"a_later_colour_paints_over_an_earlier_one",
     {{0, 6, kRed}, {2, 2, kBlue}},
     {{0, 2, kRed}, {2, 2, kBlue}, {4, 2, kRed}}},
    {"a_span_covering_two_runs_and_the_gap", {{1, 1, kRed}, {5, 1, kRed}, {0, 8, kBlue}}, {{0, 8, kBlue}}},
    {"a_span_before_the_runs_keeps_their_order",
     {{6, 2, kRed}, {1, 2, kBlue}},
     {{1, 2, kBlue}, {6, 2, kRed}}},
    {"cut_at_the_end_of_the_text", {{8, 10, kRed}}, {{8, 2, kRed}}},
    {"no_overflow_on_an_endless_length",
     {{5, std::numeric_limits<std::size_t>::max(), kRed}},
     {{5, 5, kRed}}},
    {"nothing_past_the_end_or_empty", {{12, 3, kRed}, {4, 0, kRed}}, {}},
};

class Runs : public testing::TestWithParam<RunsCase> {};

TEST_P(Runs, paint_in_order) {
  ColourRuns colours;
  for (const Paint& p : GetParam().paints) colours.paint(p.start, p.length, p.colour, kTextSize);
  EXPECT_EQ(colours.runs(), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(pane, Runs, testing::ValuesIn(kRunsCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct PositionCase {
  const char* name;
  std::string_view text;
  std::vector<std::size_t> offsets;
  std::vector<std::size_t> positions;
};

const PositionCase kPositionCases[] = {
    {"ascii_and_past_the_end", "abc", {0, 2, 3, 9}, {0, 2, 3, 3}},
    {"cr_lf_is_one_break", "a\r\nb\r\nc", {1, 2, 3, 4, 7}, {1, 2, 2, 3, 5}},
    {"lone_cr_and_lone_lf", "a\rb\nc", {2, 4, 5}, {2, 4, 5}},
    // e-acute two bytes, a kana three, an emoji four bytes and two UTF-16 units.
    {"utf8_counts_utf16_units",
     "a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80"
     "b",
     {1, 3, 6, 10, 11},
     {1, 2, 3, 5, 6}},
};

class Positions : public testing::TestWithParam<PositionCase> {};

TEST_P(Positions, map_bytes_to_the_pane) {
  EXPECT_EQ(documentPositions(GetParam().text, GetParam().offsets), GetParam().positions);
}

INSTANTIATE_TEST_SUITE_P(pane, Positions, testing::ValuesIn(kPositionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PaneLines, every_break_comes_back_as_lf) {
  EXPECT_EQ(paneLines("a\r\nb\rc\nd\r"), "a\nb\nc\nd\n");
  EXPECT_EQ(paneLines("41 42 "), "41 42 ");
}

}  // namespace
}  // namespace kelmore::mainwindow
