// The code pane's keys and address boxes: cell moves at the text's ends, rows and pages, the selection
// after a key, and the address texts of key and mouse selections with and without the reverse modifier.
// Layer: tests (plain C++).
#include "mainwindow/codepanekeys.h"

#include <gtest/gtest.h>

namespace kelmore::mainwindow {
namespace {

constexpr std::size_t kTwentyCells = 60;
constexpr std::size_t kThousandCells = 3000;

struct KeyCase {
  const char* name;
  PaneKey key;
  std::size_t start;
  std::size_t textLength;
  std::size_t movedTo;
  const char* add;  // the address box after the key
};

const KeyCase kKeyCases[] = {
    {"left_near_start_goes_to_start", PaneKey::Left, 4, kTwentyCells, 0, "Add: 0000"},
    {"left_from_second_cell_end", PaneKey::Left, 5, kTwentyCells, 0, "Add: 0000"},
    {"left_from_mid_cell_to_cell_before", PaneKey::Left, 7, kTwentyCells, 3, "Add: 0001"},
    {"left_from_cell_start", PaneKey::Left, 9, kTwentyCells, 6, "Add: 0002"},
    {"backspace_moves_like_left", PaneKey::Backspace, 10, kTwentyCells, 6, "Add: 0002"},
    {"right_from_start", PaneKey::Right, 0, kTwentyCells, 3, "Add: 0001"},
    {"right_from_mid_cell", PaneKey::Right, 4, kTwentyCells, 6, "Add: 0002"},
    {"right_at_last_cell_stays", PaneKey::Right, 57, kTwentyCells, 57, "Add: 0013"},
    {"right_inside_last_cell_to_its_start", PaneKey::Right, 58, kTwentyCells, 57, "Add: 0013"},
    {"right_from_text_end_to_last_cell", PaneKey::Right, 60, kTwentyCells, 57, "Add: 0013"},
    {"up_in_first_row_to_start", PaneKey::Up, 47, kTwentyCells, 0, "Add: 0000"},
    {"up_one_row", PaneKey::Up, 52, kTwentyCells, 3, "Add: 0001"},
    {"down_one_row", PaneKey::Down, 3, kTwentyCells, 51, "Add: 0011"},
    {"down_in_last_row_to_last_cell", PaneKey::Down, 12, kTwentyCells, 57, "Add: 0013"},
    {"page_up_in_first_page_to_start", PaneKey::PageUp, 767, kThousandCells, 0, "Add: 0000"},
    {"page_up_one_page", PaneKey::PageUp, 800, kThousandCells, 30, "Add: 000A"},
    {"page_down_one_page", PaneKey::PageDown, 1, kThousandCells, 768, "Add: 0100"},
    {"page_down_in_last_page_to_last_cell", PaneKey::PageDown, 2300, kThousandCells, 2997, "Add: 03E7"},
    {"home", PaneKey::Home, 30, kTwentyCells, 0, "Add: 0000"},
    {"end", PaneKey::End, 0, kTwentyCells, 57, "Add: 0013"},
    {"other_key_keeps_the_caret", PaneKey::Other, 31, kTwentyCells, 31, "Add: 000A"},
    {"one_cell_right_stays", PaneKey::Right, 0, 3, 0, "Add: 0000"},
    {"one_cell_end", PaneKey::End, 2, 3, 0, "Add: 0000"},
};

class Keys : public testing::TestWithParam<KeyCase> {};

TEST_P(Keys, select_the_hex_digits_of_the_cell_moved_to) {
  const auto& c = GetParam();
  const auto selection = selectionAfterKey(c.key, c.start, c.textLength);
  ASSERT_TRUE(selection.has_value());
  EXPECT_EQ(*selection, (PaneSelection{c.movedTo, 2}));
  EXPECT_EQ(addressTexts(*selection, false), (AddressTexts{c.add, "RAdd: 0001"}));
  EXPECT_EQ(addressTexts(*selection, true), (AddressTexts{c.add, "RAdd: FFFF"}));
}

INSTANTIATE_TEST_SUITE_P(pane, Keys, testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeysBeyondThePane, change_nothing) {
  for (std::size_t start : {std::size_t{0}, std::size_t{31}, kTwentyCells})
    EXPECT_EQ(selectionAfterKey(PaneKey::None, start, kTwentyCells), std::nullopt) << start;
}

struct ShortCase {
  const char* name;
  PaneKey key;
  std::size_t textLength;
};

// Below one cell the last cell would start before the text: no key may move the caret there.
const ShortCase kShortCases[] = {
    {"empty_end", PaneKey::End, 0},
    {"empty_right", PaneKey::Right, 0},
    {"empty_page_down", PaneKey::PageDown, 0},
    {"empty_other", PaneKey::Other, 0},
    {"two_chars_end", PaneKey::End, 2},
    {"two_chars_down", PaneKey::Down, 2},
    {"two_chars_left", PaneKey::Left, 2},
};

class ShortPane : public testing::TestWithParam<ShortCase> {};

TEST_P(ShortPane, keys_do_nothing) {
  EXPECT_EQ(selectionAfterKey(GetParam().key, 0, GetParam().textLength), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(pane, ShortPane, testing::ValuesIn(kShortCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SelectionCase {
  const char* name;
  PaneSelection selection;
  bool reverse;
  AddressTexts texts;
};

const SelectionCase kSelectionCases[] = {
    {"empty_selection", {12, 0}, false, {"Add: 0004", "RAdd: 0000"}},
    {"empty_selection_reverse_is_still_zero", {12, 0}, true, {"Add: 0004", "RAdd: 0000"}},
    {"five_chars_touch_two_cells", {0, 5}, false, {"Add: 0000", "RAdd: 0002"}},
    {"five_chars_reverse", {0, 5}, true, {"Add: 0000", "RAdd: FFFE"}},
    {"one_char_touches_one_cell", {7, 1}, false, {"Add: 0002", "RAdd: 0001"}},
    {"whole_cells", {54, 15}, false, {"Add: 0012", "RAdd: 0005"}},
    {"address_hex_upper_case", {3 * 0xABC + 1, 6}, false, {"Add: 0ABC", "RAdd: 0002"}},
    {"large_selection_reverse", {0, 3 * 300}, true, {"Add: 0000", "RAdd: FED4"}},
};

class Selection : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, shows_address_and_cells_touched) {
  EXPECT_EQ(addressTexts(GetParam().selection, GetParam().reverse), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(pane, Selection, testing::ValuesIn(kSelectionCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelmore::mainwindow
