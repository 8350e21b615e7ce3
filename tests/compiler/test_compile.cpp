// Whole compilations with the language's own statement table: source in, resolved code and views out.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "fake_host.h"

namespace kelmore {
namespace {

using testkit::FakeHost;
using testkit::joinLines;
using testkit::ListRow;

constexpr std::string_view kPreamble = "45 44 45 54 00 00 00 45 50 00 00 30 00 00 00 00 00 00 ";

class Compile : public ::testing::Test {
 protected:
  bool compile(std::string source) {
    host.source = std::move(source);
    return mc.Compile();
  }
  std::string code() const { return mc.codeout.codeText.substr(kPreamble.size()); }
  FakeHost host;
  MacroCompiler mc{host};
};

TEST_F(Compile, start_routine_alone) {
  ASSERT_TRUE(compile(joinLines({"Sub Start()", "End Sub"})));
  EXPECT_EQ(host.log[1].text, "Number of procedure.1");
  EXPECT_EQ(host.log[2].text, "Number of user labels.0");
  EXPECT_EQ(code(), "45 44 42 4B ");
  EXPECT_EQ(host.lists[CompilerList::Routines], (std::vector<ListRow>{{"Start", "", ""}}));
  EXPECT_EQ(host.tips[CompilerList::Routines], "1 Routines used.");
}

TEST_F(Compile, lower_case_sub_is_no_routine_head) {
  EXPECT_FALSE(compile(joinLines({"sub Start()", "End Sub"})));
  EXPECT_EQ(host.log[1].text, "Number of procedure.0");
}

TEST_F(Compile, loop_with_a_backward_jump) {
  host.caret = 3;
  ASSERT_TRUE(compile(joinLines({"Sub Start()", "x = 5", "loop:", "x = x + 1", "GoTo loop", "End Sub"})));
  // x = 5 at 18, loop at 24, the JP at 30 jumps from 34 back to 24.
  EXPECT_EQ(code(), "4C 23 41 3D 05 00 4C 23 41 2B 01 00 4A 50 F6 FF 45 44 42 4B ");
  EXPECT_EQ(host.codeView, mc.codeout.codeText);
  EXPECT_EQ(host.addressBox, "Add: 0025");
  EXPECT_EQ(host.colours.back(), (testkit::ColourSpan{72, 18, kRed}));
  EXPECT_EQ(host.lists[CompilerList::Labels],
            (std::vector<ListRow>{{"L0000", "Start", "0012"}, {"L0001", "loop", "0018"}, {"end", "", ""}}));
  EXPECT_EQ(host.lists[CompilerList::Variables][0], (ListRow{"A", "Start::x", ""}));
  EXPECT_EQ(host.tips[CompilerList::Variables], "A - A ,    used.");
  EXPECT_EQ(host.tips[CompilerList::Labels], "2 labels used.");
  EXPECT_EQ(host.logOf(LogKind::Error), std::vector<std::string>{});
}

TEST_F(Compile, trailing_comment_after_end_still_ends_the_macro) {
  ASSERT_TRUE(compile(joinLines({"Sub Start()", "End 'stop here", "End Sub"})));
  EXPECT_EQ(code(), "45 44 42 4B 45 44 42 4B ");
}

TEST_F(Compile, model_line_produces_no_code) {
  ASSERT_TRUE(compile(joinLines({"PXSeries = \"QT-R500\"", "Sub Start()", "End Sub"})));
  EXPECT_EQ(code(), "45 44 42 4B ");
  EXPECT_EQ(host.boxes, std::vector<std::string>{});
}

TEST_F(Compile, special_routine_names_in_any_letter_case) {
  ASSERT_TRUE(compile(joinLines({"Sub START()", "End Sub", "Sub TIMER_event()", "t = 1", "End Sub"})));
  EXPECT_EQ(code(), "45 44 42 4B 4C 23 56 3D 01 00 52 45 ");
  EXPECT_EQ(host.lists[CompilerList::Variables][21], (ListRow{"V", "TIMER_event::t", ""}));
}

TEST_F(Compile, open_if_is_reported_at_its_line_before_the_fix_up) {
  EXPECT_FALSE(compile(joinLines({"Sub Start()", "x = 1", "If x = 1 Then", "x = 2", "End Sub"})));
  EXPECT_EQ(host.boxes, std::vector<std::string>{"' End if' is missing."});
  EXPECT_EQ(host.logOf(LogKind::Error), std::vector<std::string>{"error:' End if' is missing."});
  EXPECT_EQ(host.marks, std::vector<int>{2});
}

TEST_F(Compile, goto_an_undefined_label) {
  EXPECT_FALSE(compile(joinLines({"Sub Start()", "GoTo nowhere", "End Sub"})));
  EXPECT_EQ(host.boxes, std::vector<std::string>{"Label nowhere can not be found."});
  EXPECT_EQ(host.lastLog(), "error:Label nowhere can not be found.");
  EXPECT_TRUE(host.marks.empty());
}

TEST_F(Compile, constant_too_large_for_a_double_is_an_unexpected_error) {
  EXPECT_FALSE(compile(joinLines({"Sub Start()", "a = 1E+309", "End Sub"})));
  EXPECT_EQ(host.lastLog(), "2: This line cause unexpected error. Compile is disturbed.");
  EXPECT_EQ(host.marks, std::vector<int>{1});
}

TEST_F(Compile, label_address_load) {
  ASSERT_TRUE(compile(joinLines({"Sub Start()", "y = Start", "End Sub"})));
  EXPECT_EQ(code(), "4C 23 41 3D 12 00 45 44 42 4B ");
}

}  // namespace
}  // namespace kelmore
