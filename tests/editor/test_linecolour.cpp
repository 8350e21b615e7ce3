// Line colourer: comments, strings, keyword classes and respelling, as character masks.
// Layer: tests (plain C++).
#include "editor/linecolour.h"

#include <gtest/gtest.h>

#include <string>

namespace kelmore::editor {
namespace {

// One letter a character: . plain, c comment, s string, o operator, k statement word, f function word.
std::string mask(std::string_view line) {
  std::string m(line.size(), '.');
  for (const ColourSpan& s : colourLine(line)) {
    const char letter =
        "."
        "csokf"[static_cast<int>(s.cls)];
    for (std::size_t i = s.start; i < s.start + s.length; ++i) m[i] = letter;
  }
  return m;
}

struct MaskCase {
  const char* name;
  std::string_view line;
  std::string_view mask;
};

constexpr MaskCase kMasks[] = {
    {"plain_name", "abc", "..."},
    {"statement_word", "Print x", "kkkkk.."},
    {"lower_case_keyword_found", "print x", "kkkkk.."},
    {"operators_between_names", "A=B+1", ".o.o."},
    {"two_character_compare_is_one_word", "A<>B", ".oo."},
    {"string_with_quotes", "Print \"ab\"", "kkkkk.ssss"},
    {"string_from_the_first_character", "\"ab\"=1", "sssso."},
    {"comment_to_end_of_last_line", "x=1 'note", ".o..ccccc"},
    {"quote_inside_comment_starts_no_string", "' say \"hi", "ccccccccc"},
    {"apostrophe_inside_string_starts_no_comment", "\"it's\" x", "ssssss.."},
    {"string_then_comment", "Print \"a\" 'b", "kkkkk.sss.cc"},
    {"unterminated_string_stays_plain", "Print \"ab", "kkkkk...."},
    {"adjacent_strings_pair_in_order", "\"a\"\"=\"", "ssssss"},
    {"keyword_inside_string_not_coloured", "\"print\"", "sssssss"},
    {"keyword_part_of_name_not_coloured", "myEnd=1", ".....o."},
    {"underscore_joins_a_name", "End_x", "....."},
    {"leading_blank_entry", "a Or b", ".kkk.."},
    {"or_without_blank_is_a_name", "(a)Or", "....."},
    {"parenthesis_entry", "VPeek(3)", "kkkkkk.."},
    {"function_word", "Cls", "fff"},
    {"function_word_with_digits", "Mem16 Mem8", "fffff.ffff"},
    {"first_list_wins", "x >= y", "..oo.."},
    {"keyword_glued_to_non_ascii_is_a_name", "\xe3\x81\x82Print", "........"},
};

class Colour : public testing::TestWithParam<MaskCase> {};
TEST_P(Colour, gives_mask) {
  EXPECT_EQ(mask(GetParam().line), GetParam().mask);
}
INSTANTIATE_TEST_SUITE_P(line, Colour, testing::ValuesIn(kMasks),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Colour, long_text_has_no_line_limit) {
  // Every line is coloured on its own, however many there are.
  std::string line(5000, 'x');
  line += " 'tail";
  EXPECT_EQ(mask(line).substr(5000), ".ccccc");
}

TEST(Colour, colours_are_the_three_of_the_pane) {
  EXPECT_EQ(colourOf(ColourClass::Plain), (Rgb{0, 0, 0}));
  EXPECT_EQ(colourOf(ColourClass::Comment), (Rgb{0, 130, 0}));
  EXPECT_EQ(colourOf(ColourClass::String), (Rgb{255, 130, 0}));
  EXPECT_EQ(colourOf(ColourClass::Operator), (Rgb{0, 0, 132}));
  EXPECT_EQ(colourOf(ColourClass::Statement), (Rgb{0, 0, 132}));
  EXPECT_EQ(colourOf(ColourClass::Function), (Rgb{192, 64, 0}));
}

struct RespellCase {
  const char* name;
  std::string_view line;
  std::string_view respelled;
};
constexpr RespellCase kRespell[] = {
    {"statement", "print x", "Print x"},
    {"function", "cls", "Cls"},
    {"leading_blank_entry", "a or b", "a Or b"},
    {"quoted_word_unchanged", "print \"print\"", "Print \"print\""},
    {"comment_unchanged", "' print", "' print"},
    {"mixed_case", "gOtO x", "GoTo x"},
    {"lower_case_statement_entry_kept", "ENABLE", "enable"},
};
class Respell : public testing::TestWithParam<RespellCase> {};
TEST_P(Respell, gives_canonical_case) {
  EXPECT_EQ(respell(GetParam().line, colourLine(GetParam().line)), GetParam().respelled);
}
INSTANTIATE_TEST_SUITE_P(line, Respell, testing::ValuesIn(kRespell),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore::editor
