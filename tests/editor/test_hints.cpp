// Hint prefixes, hint look-up and the word at the caret.
// Layer: tests (plain C++).
#include "editor/hints.h"

#include <gtest/gtest.h>

#include <string>

namespace kelmore::editor {
namespace {

struct PrefixCase {
  const char* name;
  std::string_view hint;
  int context;
  std::string_view shown;
};
constexpr PrefixCase kPrefixes[] = {
    {"context_and_code", "068:--:Print \"String\", or Print", 68, "Print \"String\", or Print"},
    {"digit_argument_code", "057:22:Cursor x,y", 57, "Cursor x,y"},
    {"no_prefix_shown_whole", "Touch Switch Register", 0, "Touch Switch Register"},
    {"broken_prefix_shown_whole", "035::--:Else ", 0, "035::--:Else "},
    {"letters_are_no_context", "poke: write into specified RAM.", 0, "poke: write into specified RAM."},
    {"prefix_only", "000:11:", 0, ""},
    {"too_short", "12:", 0, "12:"},
};
class Prefix : public testing::TestWithParam<PrefixCase> {};
TEST_P(Prefix, parses) {
  EXPECT_EQ(parseHint(GetParam().hint), (Hint{GetParam().context, std::string(GetParam().shown)}));
}
INSTANTIATE_TEST_SUITE_P(hint, Prefix, testing::ValuesIn(kPrefixes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(HintLookup, finds_statement_and_function_words_ignoring_case_blanks_and_parenthesis) {
  EXPECT_EQ(hintForWord("print"), (Hint{68, "Print \"String\", or Print"}));
  EXPECT_EQ(hintForWord("or"), (Hint{50, "Or (Logical operation.) "}));
  EXPECT_EQ(hintForWord("VPEEK"), (Hint{77, "VPeek (Peek VRAM data at specified address.)"}));
  EXPECT_EQ(hintForWord("cls"), (Hint{55, "Cls"}));
  EXPECT_EQ(hintForWord("TsR"), (Hint{0, "Touch Switch Register"}));
}

TEST(HintLookup, unknown_word_has_none) {
  EXPECT_FALSE(hintForWord("myVariable").has_value());
  EXPECT_FALSE(hintForWord("").has_value());
}

TEST(WordAt, extent_around_the_caret) {
  EXPECT_EQ(wordAt("Print x", 2), (std::pair<std::size_t, std::size_t>{0, 5}));
  EXPECT_EQ(wordAt("Print x", 5), (std::pair<std::size_t, std::size_t>{0, 5}));
  EXPECT_EQ(wordAt("a = Timer_Event", 8), (std::pair<std::size_t, std::size_t>{4, 15}));
  EXPECT_EQ(wordAt("a = b", 2), (std::pair<std::size_t, std::size_t>{2, 2}));
  EXPECT_EQ(wordAt("ab", 9), (std::pair<std::size_t, std::size_t>{0, 2}));
}

}  // namespace
}  // namespace kelmore::editor
