// Control-flow statements compiled whole: label lines, routine ends, If, For, Select, GoTo and Sleep.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "controlflow_fixture.h"

namespace kelmore {
namespace {

using testkit::CodeCase;
using testkit::compileLines;
using testkit::expectCode;
using testkit::expectErrors;
using testkit::expressionError;
using testkit::unexpectedError;

// Addresses count from 18 (0x12).
const CodeCase kCodeCases[] = {
    {"for_px5200_adds_one",
     "PX-5200",
     {"Sub Start()", "For i = 1 To 10", "Next", "End Sub"},
     "4C 23 41 3D 01 00 "        // i = 1
     "4A 50 06 00 "              // first pass skips the increment
     "4C 23 41 2B 01 00 "        // _for0_0: i + 1
     "43 23 41 3E 0A 00 04 00 "  // i > 10: to _next0_0
     "4A 50 EE FF "              // Next: back to _for0_0
     "45 44 42 4B "},
    {"for_px6203_increments",
     "PX-6203",
     {"Sub Start()", "For i = 1 To 10", "Next", "End Sub"},
     "4C 23 41 3D 01 00 "
     "4A 50 04 00 "
     "4C 23 41 69 "  // i 'i'
     "43 23 41 3E 0A 00 04 00 "
     "4A 50 F0 FF "
     "45 44 42 4B "},
    {"for_px5200b_step_1_increments",
     "PX-5200B",
     {"Sub Start()", "For i = 1 To 10 Step 1", "Next", "End Sub"},
     "4C 23 41 3D 01 00 4A 50 04 00 4C 23 41 69 43 23 41 3E 0A 00 04 00 4A 50 F0 FF 45 44 42 4B "},
    {"for_counting_down_leaves_below_its_final_value",
     "PX-5200",
     {"Sub Start()", "For i = 10 To 1 Step -1", "Next", "End Sub"},
     "4C 23 41 3D 0A 00 "
     "4A 50 06 00 "
     "4C 23 41 2B FF FF "        // i + -1
     "43 23 41 3C 01 00 04 00 "  // i < 1: to _next0_0
     "4A 50 EE FF "
     "45 44 42 4B "},
    {"to_and_step_are_whole_words",
     "PX-5200",
     {"Sub Start()", "nStep = 2", "For Total = 1 To 5", "For i = 1 To nStep", "Next", "Next", "End Sub"},
     "4C 23 41 3D 02 00 "        // nStep = 2 (A)
     "4C 23 42 3D 01 00 "        // Total = 1 (B)
     "4A 50 06 00 "              //
     "4C 23 42 2B 01 00 "        // _for0_0
     "43 23 42 3E 05 00 1F 00 "  // Total > 5: to _next0_0
     "4C 23 43 3D 01 00 "        // i = 1 (C)
     "4A 50 06 00 "              //
     "4C 23 43 2B 01 00 "        // _for1_0
     "43 52 43 3E 41 04 00 "     // i > nStep: to _next1_0
     "4A 50 EF FF "              // inner Next
     "4A 50 D3 FF "              // outer Next
     "45 44 42 4B "},
    {"for_with_variable_bounds_and_step",
     "PX-5200",
     {"Sub Start()", "j = 1", "n = 9", "s = 2", "For i = j To n Step s", "Next", "End Sub"},
     "4C 23 41 3D 01 00 4C 23 42 3D 09 00 4C 23 43 3D 02 00 "
     "4C 52 44 3D 41 "        // i = j
     "4A 50 05 00 "           //
     "4C 52 44 2B 43 "        // _for0_0: i + s
     "43 52 44 3E 42 04 00 "  // i > n
     "4A 50 F0 FF "
     "45 44 42 4B "},
    {"exit_for_and_continue_take_the_innermost_loop",
     "PX-5200",
     {"Sub Start()", "For i = 1 To 3", "For k = 1 To 3", "Exit For", "Continue", "Next", "Continue",
      "Exit For", "Next", "End Sub"},
     "4C 23 41 3D 01 00 4A 50 06 00 4C 23 41 2B 01 00 43 23 41 3E 03 00 30 00 "  // outer head, _for0_0 at 28
     "4C 23 42 3D 01 00 4A 50 06 00 4C 23 42 2B 01 00 43 23 42 3E 03 00 0C 00 "  // inner head, _for1_0 at 52
     "4A 50 08 00 "                                                              // Exit For: _next1_0
     "4A 50 EA FF "                                                              // Continue: _for1_0
     "4A 50 E6 FF "                                                              // Next
     "4A 50 CA FF "                                                              // Continue: _for0_0
     "4A 50 04 00 "                                                              // Exit For: _next0_0
     "4A 50 C2 FF "                                                              // Next
     "45 44 42 4B "},
    {"if_variable_without_else",
     "PX-5200",
     {"Sub Start()", "x = 1", "If x Then", "x = 2", "End If", "End Sub"},
     "4C 23 41 3D 01 00 "
     "43 23 41 21 01 00 06 00 "  // x <> 1: to _else0_0 (C# = 1 skip 4 and the JP, folded)
     "4C 23 41 3D 02 00 "
     "45 44 42 4B "},
    {"if_comparison_with_else",
     "PX-5200",
     {"Sub Start()", "x = 1", "If x < 10 Then", "x = 2", "Else", "x = 3", "End If", "End Sub"},
     "4C 23 41 3D 01 00 "
     "43 23 41 29 0A 00 0A 00 "  // x >= 10: to _else0_0
     "4C 23 41 3D 02 00 "
     "4A 50 06 00 "  // Else: to _ifend0_0
     "4C 23 41 3D 03 00 "
     "45 44 42 4B "},
    {"if_constants",
     "PX-5200",
     {"Sub Start()", "If 0 Then", "End If", "If 5 Then", "End If", "End Sub"},
     "4A 50 04 00 4A 50 00 00 "  // 0: two jumps to the else label
     "4A 50 04 00 4A 50 00 00 "  // 5: skip 4, then the jump to the else label
     "45 44 42 4B "},
    {"select_with_a_computed_selector",
     "PX-5200",
     {"Sub Start()", "a = 1", "Select Case a + 1", "Case 2", "a = 5", "Case Else", "a = 6", "End Select",
      "End Sub"},
     "4C 23 41 3D 01 00 "
     "4C 52 42 3D 41 4C 23 42 2B 01 00 "  // _sp0 = a + 1
     "4C 52 43 3D 42 "                    // _sel0 = _sp0
     "43 23 43 21 02 00 0A 00 "           // Case 2: _sel0 <> 2 to _case0_0_1
     "4C 23 41 3D 05 00 "
     "4A 50 06 00 "  // Case Else: the body before ends at _selend0_0
     "4C 23 41 3D 06 00 "
     "45 44 42 4B "},
    {"select_case_in_any_letter_case",
     "PX-5200",
     {"Sub Start()", "a = 1", "Select case a", "Case 2", "a = 5", "End Select", "Select CASE a", "Case 3",
      "End Select", "End Sub"},
     "4C 23 41 3D 01 00 "
     "43 23 41 21 02 00 06 00 4C 23 41 3D 05 00 "  // Select case a: Case 2
     "43 23 41 21 03 00 00 00 "                    // Select CASE a: Case 3
     "45 44 42 4B "},
    {"select_with_a_constant_selector",
     "PX-5200",
     {"Sub Start()", "Select Case 3", "Case 3", "x = 1", "Case 4", "x = 2", "Case x", "x = 3", "End Select",
      "End Sub"},
     "4C 23 41 3D 01 00 "        // Case 3: no test
     "4A 50 1C 00 "              // Case 4: end of the previous body
     "4A 50 0A 00 "              // 4 is not 3: to the next Case
     "4C 23 41 3D 02 00 "        //
     "4A 50 0E 00 "              // Case x
     "43 23 41 21 03 00 06 00 "  // x <> 3: to _case0_0_3, placed by End Select
     "4C 23 41 3D 03 00 "
     "45 44 42 4B "},
    {"case_constants_compare_as_immediates",
     "PX-5200",
     {"Sub Start()", "Select Case &HFFFF", "Case &HFFFF", "x = 1", "Case 65535", "x = 2", "End Select",
      "End Sub"},
     "4C 23 41 3D 01 00 "
     "4A 50 06 00 "  // Case 65535 holds the same 16 bits: no test
     "4C 23 41 3D 02 00 "
     "45 44 42 4B "},
    {"sleep_3",
     "PX-5200",
     {"Sub Start()", "Sleep 3", "End Sub"},
     "4C 23 41 3D 03 00 "        // _sleep = 3
     "57 54 "                    // WT
     "4C 23 41 2D 01 00 "        // _sleep - 1
     "43 23 41 21 00 00 F0 FF "  // _sleep <> 0: back to WT
     "45 44 42 4B "},
    {"sleep_wide",
     "QT-R500",
     {"Sub Start()", "Sel32", "Sleep 3", "End Sub"},
     "4D 44 31 "
     "4C 23 41 3D 03 00 00 00 "
     "57 54 "
     "4C 23 41 2D 01 00 00 00 "
     "43 23 41 21 00 00 00 00 EC FF "
     "45 44 42 4B "},
    {"sleep_of_a_variable",
     "PX-5200",
     {"Sub Start()", "n = 5", "Sleep n", "End Sub"},
     "4C 23 41 3D 05 00 4C 52 42 3D 41 57 54 4C 23 42 2D 01 00 43 23 42 21 00 00 F0 FF 45 44 42 4B "},
    {"sleep_0_waits_not_at_all",
     "PX-5200",
     {"Sub Start()", "Sleep 0", "Sleep 2 - 2", "End Sub"},
     "45 44 42 4B "},
    {"routine_ends",
     "PX-5200",
     {"Sub Start()", "End Sub", "Sub Timer_Event()", "Exit Sub", "End Sub", "Sub Touch_Event()", "Exit Sub",
      "End Sub", "Sub Port_Event()", "End", "End Sub", "Sub Foo()", "Exit Sub", "End Sub"},
     "45 44 42 4B "    // Start: ED BK
     "52 45 52 45 "    // Timer_Event: RE, RE
     "52 45 52 45 "    // Touch_Event: RE, RE
     "45 44 42 4B "    // a lone End: ED BK, also in an event routine
     "52 45 "          //
     "52 54 52 54 "},  // Foo: RT, RT
    {"start_in_any_letter_case_ends_the_macro",
     "PX-5200",
     {"Sub start()", "Exit Sub", "End Sub"},
     "45 44 42 4B 45 44 42 4B "},
    {"goto_forward_and_back",
     "PX-5200",
     {"Sub Start()", "top:", "GoTo down", "GoTo top", "down:", "End Sub"},
     "4A 50 04 00 4A 50 F8 FF 45 44 42 4B "},
    {"end_with_another_word_emits_nothing", "PX-5200", {"Sub Start()", "End Foo", "End Sub"}, "45 44 42 4B "},
};

class Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Code, compiles_to) {
  const CodeCase& c = GetParam();
  expectCode(c.model, c.lines, c.code);
}

INSTANTIATE_TEST_SUITE_P(controlflow, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Log, a_compile_with_a_user_label_logs_its_phases_and_counts) {
  const auto r = compileLines("PX-5200", {"Sub Start()", "top:", "GoTo top", "End Sub"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.code(), "4A 50 FC FF 45 44 42 4B ");
  EXPECT_EQ(r.host->logOf(LogKind::Phase),
            (std::vector<std::string>{"Structure analysis Phase.", "Number of procedure.1",
                                      "Number of user labels.1", "Intermittent code generating Phase.",
                                      "Complete Optimize 'Print'", "Complete Optimize 'Print'",
                                      "Complete Optimize 'If'", "Assign Label address.... OK.",
                                      "Number of line of source code.4", "Number of generated code.0019"}));
  EXPECT_TRUE(r.host->logOf(LogKind::Error).empty());
}

TEST(Labels, generated_names_are_unique_per_level_and_count) {
  const auto r =
      compileLines("PX-5200", {"Sub Start()", "x = 1", "If x Then", "If x Then", "End If", "End If",
                               "If 0 Then", "End If", "For i = 1 To 2", "Next", "End Sub"});
  ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors());
  for (const char* name : {"_else0_0", "_ifend0_0", "_else1_0", "_ifend1_0"})
    EXPECT_EQ(r.labelAddress(name), "0028") << name;  // both Ifs end at 40 once their tests are folded
  EXPECT_EQ(r.labelAddress("_else0_1"), "0030");
  EXPECT_EQ(r.labelAddress("_ifend0_1"), "0030");
  EXPECT_EQ(r.labelAddress("_for0_0"), "003A");
  EXPECT_EQ(r.labelAddress("_next0_0"), "004C");
  EXPECT_EQ(r.labelAddress("Start"), "0012");
}

TEST(Labels, user_labels_and_selects_are_placed) {
  const auto r = compileLines("PX-5200", {"Sub Start()", "top:", "Select Case 1", "Case 2", "End Select",
                                          "Select Case 1", "Case 1", "End Select", "End Sub"});
  ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors());
  EXPECT_EQ(r.labelAddress("top"), "0012");
  EXPECT_EQ(r.labelAddress("_case0_0_0"), "0012");
  EXPECT_EQ(r.labelAddress("_case0_0_1"), "0016");  // after the JP of Case 2
  EXPECT_EQ(r.labelAddress("_selend0_0"), "0016");
  EXPECT_EQ(r.labelAddress("_case0_1_0"), "0016");  // second Select at level 0: count 1, cases from 0
  EXPECT_EQ(r.labelAddress("_selend0_1"), "0016");
  EXPECT_EQ(r.labelAddress("_case0_1_1"), "0016");  // declared for a test that was not needed
}

TEST(Registers, for_keeps_a_plain_start_variable_and_frees_a_computed_one) {
  const auto r =
      compileLines("PX-5200", {"Sub Start()", "j = 1", "For i = j + 1 To 2", "Next", "y = 3", "End Sub"});
  ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors());
  // The temporary of "j + 1" (B) is free again once i has its value.
  EXPECT_EQ(r.binding("A"), "Start::j");
  EXPECT_EQ(r.binding("B"), "Start::y");
  EXPECT_EQ(r.binding("C"), "Start::i");
}

// The registers a loop head writes on every pass belong to it until its Next: a variable first assigned in
// the body must not share them, or the next pass overwrites it.
TEST(Registers, a_body_variable_keeps_its_own_register_after_an_if) {
  const auto r = compileLines("PX-5200", {"Sub Start()", "n = 3", "a = 1", "For i = 1 To n + 1",
                                          "If a = 1 Then", "End If", "x = 5", "Next", "y = 7", "End Sub"});
  ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors());
  EXPECT_EQ(r.code(),
            "4C 23 41 3D 03 00 4C 23 42 3D 01 00 "  // n (A), a (B)
            "4C 23 43 3D 01 00 4A 50 06 00 "        // i (C)
            "4C 23 43 2B 01 00 "                    // _for0_0
            "4C 52 44 3D 41 4C 23 44 2B 01 00 "     // _sp0 (D) = n + 1, every pass
            "43 52 43 3E 44 12 00 "                 // i > _sp0
            "43 23 42 21 01 00 00 00 "              // If a = 1, folded
            "4C 23 45 3D 05 00 "                    // x = 5 in E, not in D
            "4A 50 D6 FF "                          // Next
            "4C 23 44 3D 07 00 "                    // after the loop D is free again
            "45 44 42 4B ");
  EXPECT_EQ(r.binding("E"), "Start::x");
  EXPECT_EQ(r.binding("D"), "Start::y");
}

TEST(Registers, a_body_variable_keeps_off_the_intermediate_registers_of_the_head) {
  const auto r = compileLines("PX-5200", {"Sub Start()", "a = 1", "b = 2", "c = 3", "For i = 1 To a + b * c",
                                          "x = 5", "Next", "End Sub"});
  ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors());
  // a b c i in A..D; the head computes b * c in _sp1 (E) and a + _sp1 in _sp0 (F) on every pass.
  EXPECT_EQ(r.binding("G"), "Start::x");
  EXPECT_EQ(r.binding("E"), "");
}

// Code in a loop body runs again on every pass, as the head does: a register one of its temporaries frees,
// and the head registers of an inner loop, stay off the variables until the outermost loop's Next; after a
// user label, which a GoTo may jump back to, until End Sub. A routine's temporaries run again whenever it
// runs, so their registers stay off other scopes' variables.
struct HoldCase {
  const char* name;
  std::vector<std::string_view> lines;
  std::vector<std::pair<std::string_view, std::string_view>> bindings;  // register, variable
};

const HoldCase kHoldCases[] = {
    {"a_body_temporary_keeps_its_register_from_a_later_body_variable",
     {"Sub Start()", "r = 0", "For i = 1 To 3", "y = i * 2", "If i = 1 Then", "x = 5", "End If", "r = r + x",
      "Next", "z = 1", "End Sub"},
     {{"C", "Start::z"}, {"D", "Start::y"}, {"E", "Start::x"}}},  // i * 2 ran in C on every pass
    {"an_inner_head_keeps_its_register_until_the_outer_next",
     {"Sub Start()", "n = 3", "a = 1", "For i = 1 To 2", "For k = 1 To n + 1", "Next", "If a = 1 Then",
      "x = 5", "End If", "Next", "z = 1", "End Sub"},
     {{"E", "Start::z"}, {"F", "Start::x"}}},  // n + 1 ran in E on every outer pass
    {"a_variable_after_a_label_keeps_off_the_temporaries_a_goto_runs_again",
     {"Sub Start()", "k = 0", "top:", "t = k * 2", "If k = 0 Then", "y = 7", "End If", "k = k + 1", "r = y",
      "GoTo top", "End Sub"},
     {{"B", ""}, {"C", "Start::t"}, {"D", "Start::y"}}},  // k * 2 runs in B on every pass
    {"a_later_routines_global_keeps_off_an_earlier_routines_temporaries",
     {"Sub Start()", "a = 1", "b = 2", "Foo", "y = a + b", "Bar", "End Sub", "Sub Foo()", "global::g = 5",
      "End Sub", "Sub Bar()", "r = global::g", "End Sub"},
     {{"C", ""}, {"D", "Start::y"}, {"E", "global::g"}}},  // a + b runs in C after Foo has set g
};

void PrintTo(const HoldCase& c, std::ostream* os) {
  *os << c.name;
}

class Holds : public ::testing::TestWithParam<HoldCase> {};

TEST_P(Holds, keep_loop_registers_from_body_variables) {
  const HoldCase& c = GetParam();
  const auto r = compileLines("PX-5200", c.lines);
  ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors());
  for (const auto& [reg, variable] : c.bindings) EXPECT_EQ(r.binding(reg), variable) << reg;
}

INSTANTIATE_TEST_SUITE_P(controlflow, Holds, ::testing::ValuesIn(kHoldCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct ErrorCase {
  const char* name;
  std::vector<std::string_view> lines;
  std::vector<std::string> events;
};

const std::string kEndSelectBox = "End Select に対応する Select Case が見つかりません。";

const ErrorCase kErrorCases[] = {
    {"for_without_to", {"Sub Start()", "For i = 1"}, {"box:'To' is missing.", "log:error:'To' is missing."}},
    {"to_inside_a_name_is_no_to",
     {"Sub Start()", "For Total = 1"},
     {"box:'To' is missing.", "log:error:'To' is missing."}},
    {"end_if_without_if", {"Sub Start()", "End If"}, {"box:'If' is missing.", "log:error:'If' is missing."}},
    {"end_select_without_select",
     {"Sub Start()", "End Select"},
     {"box:" + kEndSelectBox, "log:error:" + kEndSelectBox}},
    {"statement_after_then", {"Sub Start()", "a = 1", "If a Then a = 2", "End If"}, expressionError(2)},
    {"text_after_else", {"Sub Start()", "a = 1", "If a Then", "Else a = 2", "End If"}, expressionError(3)},
    {"statement_after_a_label", {"Sub Start()", "here: a = 2"}, expressionError(1)},
    {"statement_after_a_routine_head", {"Sub Start() a = 2", "End Sub"}, expressionError(0)},
    {"statement_after_case_else", {"Sub Start()", "Select Case 1", "Case Else a = 2"}, expressionError(2)},
    {"select_without_case", {"Sub Start()", "abc = 1", "Select abc + 1"}, expressionError(2)},
    {"a_second_else", {"Sub Start()", "a = 1", "If a Then", "Else", "Else", "End If"}, unexpectedError(4)},
    {"goto_after_then", {"Sub Start()", "a = 1", "If a Then GoTo x"}, unexpectedError(2)},
    {"if_without_then", {"Sub Start()", "a = 1", "If a"}, unexpectedError(2)},
    {"then_inside_a_name_is_no_then", {"Sub Start()", "Thenx = 1", "If Thenx"}, unexpectedError(2)},
    {"empty_if_condition", {"Sub Start()", "If Then"}, expressionError(1)},
    {"empty_for_start", {"Sub Start()", "For i = To 5"}, expressionError(1)},
    {"empty_for_final", {"Sub Start()", "For i = 1 To"}, expressionError(1)},
    {"empty_for_step", {"Sub Start()", "For i = 1 To 5 Step"}, expressionError(1)},
    {"empty_selector", {"Sub Start()", "Select Case"}, expressionError(1)},
    {"empty_sleep_count", {"Sub Start()", "Sleep"}, expressionError(1)},
    {"for_without_equals", {"Sub Start()", "For i To 5"}, unexpectedError(1)},
    {"for_variable_not_a_name", {"Sub Start()", "For 1i = 1 To 5"}, expressionError(1)},
    {"unknown_operand_in_a_for_bound", {"Sub Start()", "For i = 1 To n"}, testkit::unknownOperand("n", 1)},
    {"next_without_for", {"Sub Start()", "Next"}, unexpectedError(1)},
    {"continue_without_for", {"Sub Start()", "Continue"}, unexpectedError(1)},
    {"exit_for_without_for", {"Sub Start()", "Exit For"}, unexpectedError(1)},
    {"else_without_if", {"Sub Start()", "Else"}, unexpectedError(1)},
    {"case_without_select", {"Sub Start()", "Case 1"}, unexpectedError(1)},
    {"exit_alone", {"Sub Start()", "Exit"}, unexpectedError(1)},
    {"goto_alone", {"Sub Start()", "GoTo"}, unexpectedError(1)},
    {"goto_empty_word", {"Sub Start()", "GoTo  x"}, unexpectedError(1)},
    {"goto_nowhere",
     {"Sub Start()", "GoTo nowhere", "End Sub"},
     {"box:Label nowhere can not be found.", "log:error:Label nowhere can not be found."}},
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report) {
  const ErrorCase& c = GetParam();
  expectErrors("PX-5200", c.lines, c.events);
}

INSTANTIATE_TEST_SUITE_P(controlflow, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Nesting, an_eighteenth_open_block_of_a_kind_fails_at_its_line) {
  for (std::string_view head : {"If 1 Then", "For i = 1 To 2", "Select Case 1"}) {
    std::vector<std::string_view> lines{"Sub Start()"};
    for (int k = 0; k < 18; ++k) lines.push_back(head);
    const auto r = compileLines("PX-5200", lines);
    EXPECT_FALSE(r.ok) << head;
    EXPECT_EQ(r.errors(), unexpectedError(18)) << head;
  }
}

}  // namespace
}  // namespace kelmore
