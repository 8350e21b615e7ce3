// Line re-spacing, the grammar check, the load pass and the open-string repair.
// Layer: tests (plain C++).
#include "editor/respace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "common/strreplace.h"

namespace kelmore::editor {
namespace {

struct SpaceCase {
  const char* name;
  std::string_view line;
  std::string_view spaced;
};

constexpr SpaceCase kSpacing[] = {
    {"assignment_and_sum", "A=B+1", "A = B + 1"},
    {"not_equal_stays_joined", "A<>B", "A <> B"},
    {"greater_or_equal_stays_joined", "A>=B", "A >= B"},
    {"less_or_equal_stays_joined", "A<=B", "A <= B"},
    {"blanks_collapse", "A  =   B", "A = B"},
    {"statement_respelled_and_spaced", "print x", "Print x"},
    {"statement_blanks_collapse", "Print    x", "Print x"},
    {"quoted_word_unchanged", "Print \"print\"", "Print \"print\""},
    {"operator_in_string_unchanged", "Print \"a=b\"", "Print \"a=b\""},
    {"blanks_beside_string_are_its_own", "A= \"x = y\"", "A = \"x = y\""},
    {"operator_after_string_is_spaced", "Print \"a\"+\"b\"", "Print \"a\" + \"b\""},
    {"string_pairs_protect_their_text", "Print \"a\"\"=b\"", "Print \"a\"\"=b\""},
    {"comment_line_untouched", "  'A=B  print  ", "  'A=B  print  "},
    {"trailing_comment_untouched", "A=1 'x=y", "A = 1 'x=y"},
    {"trailing_blanks_removed", "x = 1   ", "x = 1"},
    {"keyword_in_name_stays_one_name", "myEnd=1", "myEnd = 1"},
    {"two_statement_words", "end   if", "End If"},
    {"unary_minus_after_operator", "A=-1", "A = -1"},
    {"unary_minus_after_step", "For i=10 To 1 Step -1", "For i = 10 To 1 Step -1"},
    {"unary_minus_in_parenthesis", "x=(-1)", "x = (-1)"},
    {"binary_minus", "x=a-1", "x = a - 1"},
    {"minus_after_multiply", "x=a*-b", "x = a * -b"},
    {"unary_minus_after_a_command", "Cursor -1,0", "Cursor -1,0"},
    {"minus_after_a_value_word_subtracts", "x=RecCount -1", "x = RecCount - 1"},
    {"no_blank_after_parenthesis", "x=VPeek( 3)", "x = VPeek(3)"},
    {"leading_blank_entry_inserted_without_its_blank", "If a  or b Then", "If a Or b Then"},
    {"tab_indent_kept", "\tprint x", "\tPrint x"},
    {"blank_indent_kept", "    next  i", "    Next i"},
    {"blank_indent_kept_before_padded_entry", "    poke 1,2", "    Poke 1,2"},
    {"padded_entry_opening_the_line", " Poke 1,2", " Poke 1,2"},
    {"blanks_before_a_spaced_minus_after_a_string", "Print \"a-b\"  -c", "Print \"a-b\" - c"},
    {"binary_minus_after_a_unary_one", "x=-a  -b", "x = -a - b"},
    {"or_after_a_tab_keeps_the_blank_it_is_found_with", "If a\t or b Then", "If a\t Or b Then"},
    {"padded_entry_after_a_tab", "x=1\t  poke 1,2", "x = 1\tPoke 1,2"},
    {"statement_word_after_a_tab_and_blanks", "Next\t  print x", "Next\t Print x"},
    {"empty_line", "", ""},
};

class Spacing : public testing::TestWithParam<SpaceCase> {};
TEST_P(Spacing, gives_line) {
  EXPECT_EQ(respaceLine(GetParam().line), GetParam().spaced);
}
TEST_P(Spacing, is_stable) {
  const std::string once = respaceLine(GetParam().line);
  EXPECT_EQ(respaceLine(once), once);
}
INSTANTIATE_TEST_SUITE_P(line, Spacing, testing::ValuesIn(kSpacing),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(LongLine, is_respaced_in_time_proportional_to_its_length) {
  // Thousands of statement words on one line (a pasted or binary blob): each rewrite must not re-walk
  // the whole line, or leaving such a line freezes the window.
  std::string line;
  std::string spaced;
  for (int i = 0; i < 8000; ++i) {
    line += "print  a ";
    spaced += i ? " Print a" : "Print a";
  }
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(respaceLine(line), spaced);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST(GrammarCheck, respaces_every_line_and_keeps_line_breaks) {
  const auto checked = checkSourceText("a=1\nprint a\n' c=d\n", [] { return false; });
  ASSERT_TRUE(checked.has_value());
  EXPECT_EQ(*checked, "a = 1\nPrint a\n' c=d\n");
}

TEST(GrammarCheck, cancel_gives_nothing_after_the_line_it_was_asked) {
  int asked = 0;
  const auto checked = checkSourceText("a=1\nb=2\nc=3", [&] { return ++asked == 2; });
  EXPECT_FALSE(checked.has_value());
  EXPECT_EQ(asked, 2);
}

TEST(LoadPass, respells_without_spacing_and_counts_lines) {
  struct Case {
    std::string_view text;
    std::string_view coloured;
    std::size_t lines;
  };
  const Case cases[] = {
      {"print  x=1\ncls", "Print  x=1\nCls", 2},
      {"a\nb\n", "a\nb\n", 2},
      {"", "", 0},
      {"\n\n", "\n\n", 2},
  };
  for (const Case& c : cases) {
    const ColouredText r = colourSourceText(c.text);
    EXPECT_EQ(r.text, c.coloured) << c.text;
    EXPECT_EQ(r.lines, c.lines) << c.text;
  }
}

TEST(LoadPass, has_no_line_limit) {
  std::string text;
  for (int i = 0; i < 10100; ++i) text += "cls\n";
  const ColouredText r = colourSourceText(text);
  EXPECT_EQ(r.lines, 10100u);
  EXPECT_EQ(r.text.substr(r.text.size() - 8), "Cls\nCls\n");
}

TEST(ClosingQuote, odd_quotes_outside_comments_get_one_at_the_end) {
  struct Case {
    std::string_view line;
    std::optional<std::size_t> at;
  };
  const Case cases[] = {
      {"Print \"abc", 10},
      {"Print \"abc\"", std::nullopt},
      {"x = 1 ' he said \"hi", std::nullopt},  // the quote is the comment's
      {"Print \"it's", 11},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(closingQuoteAt(c.line), c.at) << c.line;
}

TEST(StrReplace, on_a_whole_source) {
  std::string text = "Print \"a\"\r\nPrint \"b\"\r\n";
  EXPECT_EQ(strReplace(text, "\r\n", "\n"), 2);
  EXPECT_EQ(text, "Print \"a\"\nPrint \"b\"\n");
  std::string as = "aaa";
  EXPECT_EQ(strReplace(as, "a", "aa"), 3);
  EXPECT_EQ(as, "aaaaaa");
}

}  // namespace
}  // namespace kelmore::editor
