// Routine calls and assignments compiled whole: the shortcut, label addresses, Peek, VPeek, the general form.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "controlflow_fixture.h"

namespace kelmore {
namespace {

using testkit::compileLines;
using testkit::expectCode;
using testkit::expectErrors;
using testkit::expressionError;
using testkit::unexpectedError;
using testkit::unknownOperand;

// Code after the preamble, one instruction per string. Addresses count from 18 (0x12).
struct CodeCase {
  const char* name;
  std::vector<std::string_view> lines;
  std::string_view code;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << c.name;
}

const CodeCase kCodeCases[] = {
    {"shortcut_in_both_widths",
     {"Sub Start()", "x = 0", "x = x + 1", "Sel32", "x = x + 1", "End Sub"},
     "4C 23 41 3D 00 00 "
     "4C 23 41 2B 01 00 "  // one L#
     "4D 44 31 "
     "4C 23 41 2B 01 00 00 00 "
     "45 44 42 4B "},
    {"shortcut_operators",
     {"Sub Start()", "x = 0", "x = x - 2", "x = x * 3", "x = x / 4", "x = x Mod 5", "x = x Or 6",
      "x = x And 7", "x = x Xor 8", "x = x + -1", "x = x + &H10", "End Sub"},
     "4C 23 41 3D 00 00 "
     "4C 23 41 2D 02 00 4C 23 41 2A 03 00 4C 23 41 2F 04 00 4C 23 41 25 05 00 "
     "4C 23 41 7C 06 00 4C 23 41 26 07 00 4C 23 41 5E 08 00 "
     "4C 23 41 2B FF FF "
     "4C 23 41 2B 10 00 "
     "45 44 42 4B "},
    {"not_a_shortcut_compiles_the_general_way",
     {"Sub Start()", "x = 0", "y = 2", "x = x + y", "x = x = 5", "End Sub"},
     "4C 23 41 3D 00 00 4C 23 42 3D 02 00 "
     "4C 52 43 3D 41 4C 52 43 2B 42 4C 52 41 3D 43 "                             // _sp0 = x + y; x = _sp0
     "43 23 41 3D 05 00 0A 00 4C 23 43 3D 00 00 4A 50 06 00 4C 23 43 3D 01 00 "  // _sp0 = (x = 5)
     "4C 52 41 3D 43 "
     "45 44 42 4B "},
    {"label_addresses",
     {"Sub Start()", "here:", "y = here", "y = Start", "Sel32", "y = Start", "End Sub"},
     "4C 23 41 3D 12 00 "
     "4C 23 41 3D 12 00 "
     "4D 44 31 "
     "4C 23 41 3D 12 00 00 00 "  // a wide L# keeps its 4-byte field
     "45 44 42 4B "},
    {"peek_and_vpeek",
     {"Sub Start()", "a = 1", "y = Peek(Port0)", "z = Peek(a)", "w = Peek(100)", "s = Peek(a + 1)",
      "v = VPeek(5)", "u = VPeek(a)", "End Sub"},
     "4C 23 41 3D 01 00 "
     "4C 52 43 3D 30 4C 52 42 3D 63 "  // _sansyou (C) = Port0; y = [_sansyou]
     "4C 52 44 3D 61 "                 // z = [a]
     "4C 23 43 3D 64 00 4C 52 45 3D 63 "
     "4C 52 47 3D 41 4C 23 47 2B 01 00 4C 52 46 3D 67 "  // _sp0 (G) = a + 1; s = [_sp0]
     "4C 23 49 3D 05 00 76 52 48 49 "                    // _vpeek (I) = 5; v = vram(_vpeek)
     "76 52 4A 41 "
     "45 44 42 4B "},
    {"general_forms",
     {"Sub Start()", "a = 1", "b = 2", "x = a + b", "y = 7", "z = a", "Sel32", "w = 70000", "End Sub"},
     "4C 23 41 3D 01 00 4C 23 42 3D 02 00 "
     "4C 52 43 3D 41 4C 52 43 2B 42 4C 52 44 3D 43 "  // x = _sp0, which is freed
     "4C 23 43 3D 07 00 "                             // so y takes its register
     "4C 52 45 3D 41 "
     "4D 44 31 "
     "4C 23 46 3D 70 11 01 00 "
     "45 44 42 4B "},
    {"event_routine_variables_take_event_registers",
     {"Sub Start()", "End Sub", "Sub Timer_Event()", "t = 5", "End Sub"},
     "45 44 42 4B 4C 23 56 3D 05 00 52 45 "},
    {"global_target_is_seen_from_every_routine",
     {"Sub Start()", "global::g = 1", "Foo", "End Sub", "Sub Foo()", "g = g + 1", "End Sub"},
     "4C 23 41 3D 01 00 4A 53 04 00 45 44 42 4B 4C 23 41 2B 01 00 52 54 "},
    {"calls_with_arguments",
     {"Sub Start()", "a = 1", "Foo 2, a + 1", "foo", "Foo a, 7", "End Sub", "Sub Foo(p, q)", "End Sub"},
     "4C 23 43 3D 01 00 "                                // a (C); p and q hold A and B
     "4C 23 41 3D 02 00 "                                // p = 2
     "4C 52 44 3D 43 4C 23 44 2B 01 00 4C 52 42 3D 44 "  // q = a + 1
     "4A 53 17 00 "                                      // JS Foo
     "4A 53 13 00 "                                      // no arguments: only the JS
     "4C 52 41 3D 43 4C 23 42 3D 07 00 4A 53 04 00 "
     "45 44 42 4B "
     "52 54 "},
};

class Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Code, compiles_to) {
  const CodeCase& c = GetParam();
  // A model with Sel32, so the wide forms compile too.
  expectCode("PX-*", c.lines, c.code);
}

INSTANTIATE_TEST_SUITE_P(assignments, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Assignment, declares_new_targets_in_the_routine_scope) {
  const auto r =
      compileLines("PX-5200", {"Sub Start()", "a = 1", "y = Peek(Port0)", "v = VPeek(5)", "End Sub"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.binding("A"), "Start::a");
  EXPECT_EQ(r.binding("B"), "Start::y");
  EXPECT_EQ(r.binding("C"), "");  // _sansyou and _vpeek are gone after End Sub
  EXPECT_EQ(r.binding("D"), "Start::v");
  EXPECT_EQ(r.binding("E"), "");
}

struct ErrorCase {
  const char* name;
  std::vector<std::string_view> lines;
  std::vector<std::string> events;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

const ErrorCase kErrorCases[] = {
    {"two_words", {"Sub Start()", "x =5"}, expressionError(1)},
    {"two_blanks_before_equals", {"Sub Start()", "x  = 5"}, unexpectedError(1)},
    {"shortcut_of_an_unknown_target", {"Sub Start()", "x = x + 1"}, unknownOperand("x", 1)},
    {"shortcut_with_an_unknown_name", {"Sub Start()", "x = 0", "x = x + abc"}, unknownOperand("abc", 2)},
    {"target_starting_with_a_digit", {"Sub Start()", "1x = 5"}, expressionError(1)},
    {"target_starting_with_an_underscore", {"Sub Start()", "_x = 5"}, expressionError(1)},
    {"target_in_another_scope", {"Sub Start()", "Foo::x = 5"}, expressionError(1)},
    {"target_with_a_dot", {"Sub Start()", "x.y = 5"}, expressionError(1)},
    {"routine_name_as_a_variable",
     {"Sub Start()", "Foo = 5", "End Sub", "Sub Foo(p, q)", "End Sub"},
     expressionError(1)},
    {"more_arguments_than_parameters",
     {"Sub Start()", "Foo 1, 2, 3", "End Sub", "Sub Foo(p, q)", "End Sub"},
     expressionError(1)},
    {"arguments_for_a_routine_without_parameters",
     {"Sub Start()", "Bar 1", "End Sub", "Sub Bar()", "End Sub"},
     expressionError(1)},
    {"fewer_arguments_than_parameters",
     {"Sub Start()", "Foo 1", "End Sub", "Sub Foo(p, q)", "End Sub"},
     unexpectedError(1)},
    {"empty_argument", {"Sub Start()", "Foo 1,", "End Sub", "Sub Foo(p, q)", "End Sub"}, expressionError(1)},
    {"unknown_argument",
     {"Sub Start()", "Foo 1, n", "End Sub", "Sub Foo(p, q)", "End Sub"},
     unknownOperand("n", 1)},
    {"peek_without_its_closing_parenthesis", {"Sub Start()", "a = 1", "y = Peek(ab"}, expressionError(2)},
    {"vpeek_without_its_closing_parenthesis", {"Sub Start()", "y = VPeek(1"}, expressionError(1)},
    {"peek_of_nothing", {"Sub Start()", "y = Peek()"}, expressionError(1)},
    {"peek_of_an_unknown_name", {"Sub Start()", "y = Peek(zz)"}, unknownOperand("zz", 1)},
    {"peek_with_a_blank_goes_the_general_way",
     {"Sub Start()", "a = 1", "y = Peek (a)"},
     unknownOperand("Peek", 2)},
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report) {
  const ErrorCase& c = GetParam();
  expectErrors("PX-5200", c.lines, c.events);
}

INSTANTIATE_TEST_SUITE_P(assignments, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore
