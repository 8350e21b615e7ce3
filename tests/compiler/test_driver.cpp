// Driver tests: whole compilations through the fake host, with a small statement table of test rows so
// the phases, error exits, fix-up and summary are seen apart from the statement compilers.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <algorithm>

#include "common/numbers.h"
#include "compiler/dispatch.h"
#include "fake_host.h"

namespace kelmore {
namespace {

using testkit::FakeHost;
using testkit::joinLines;
using testkit::ListRow;
using testkit::LogLine;

constexpr std::string_view kPreamble = "45 44 45 54 00 00 00 45 50 00 00 30 00 00 00 00 00 00 ";

std::vector<std::string> seenLines;

// Test statements. "Pad n": n zero bytes. "Jump l": JP to label l. "Load v l": v = address of l.
// "Var v": declares v. "Open If|For|Select": opens a block. "Sub name(...)" / "EndSub": routine scope.
// "Fault": a failed check. "Echo ...": records the line text. "Token": writes a broken label token.
void padRow(MacroCompiler& mc, const SourceLine& line) {
  const int n = static_cast<int>(leadingNumber(line.word(1)));
  const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(n), 0);
  mc.codeout.code_out(zeros);
}
void jumpRow(MacroCompiler& mc, const SourceLine& line) {
  mc.hensuulabel.addLabel(line.word(1));
  mc.codeout.code_jmpLabel(line.word(1));
}
void loadRow(MacroCompiler& mc, const SourceLine& line) {
  mc.hensuulabel.addVar(line.word(1));
  mc.codeout.code_calcLabel(line.word(1), line.word(2));
}
void varRow(MacroCompiler& mc, const SourceLine& line) {
  mc.hensuulabel.addVar(line.word(1));
}
void openRow(MacroCompiler& mc, const SourceLine& line) {
  auto& c = mc.compiler;
  const std::string_view kind = line.word(1);
  if (kind == "If") ++c.ifDepth;
  if (kind == "For") ++c.forDepth;
  if (kind == "Select") ++c.selectDepth;
}
void subRow(MacroCompiler& mc, const SourceLine& line) {
  const std::string name(trimBlanks(line.text.substr(4, line.text.find('(') - 4)));
  mc.compiler.currentScope = name;
  mc.hensuulabel.setLabel(name, mc.codeout.addressText());
}
void endSubRow(MacroCompiler& mc, const SourceLine&) {
  mc.compiler.currentScope = "global";
}
void labelRow(MacroCompiler& mc, const SourceLine& line) {
  const std::string_view w = line.word(0);
  mc.hensuulabel.setLabel(w.substr(0, w.size() - 1), mc.codeout.addressText());
}
void faultRow(MacroCompiler&, const SourceLine&) {
  throw CompileFault("test fault");
}
void echoRow(MacroCompiler&, const SourceLine& line) {
  seenLines.emplace_back(line.text);
}
void tokenRow(MacroCompiler& mc, const SourceLine&) {
  mc.codeout.codeText += "L00G0 ";
}
void exprRow(MacroCompiler& mc, const SourceLine& line) {
  if (mc.codeout.code_siki(line.text.substr(5), 0) == kCodeSikiError) mc.unexpectedExit();
}

const StatementRow kTestRows[] = {
    {LineForm::Label, "", labelRow},        {LineForm::Keyword, "Pad", padRow},
    {LineForm::Keyword, "Jump", jumpRow},   {LineForm::Keyword, "Load", loadRow},
    {LineForm::Keyword, "Var", varRow},     {LineForm::Keyword, "Open", openRow},
    {LineForm::Keyword, "Sub", subRow},     {LineForm::Keyword, "EndSub", endSubRow},
    {LineForm::Keyword, "Fault", faultRow}, {LineForm::Keyword, "Echo", echoRow},
    {LineForm::Keyword, "Token", tokenRow}, {LineForm::Keyword, "Expr", exprRow},
};

class Driver : public ::testing::Test {
 protected:
  Driver() { mc.setStatementTable(kTestRows, std::size(kTestRows)); }
  bool compile(std::string source) {
    host.source = std::move(source);
    return mc.Compile();
  }
  std::vector<std::string> errors() const { return host.logOf(LogKind::Error); }
  FakeHost host;
  MacroCompiler mc{host};
};

TEST_F(Driver, empty_source) {
  host.caret = 0;
  ASSERT_TRUE(compile(""));
  EXPECT_EQ(mc.codeout.codeText, kPreamble);
  EXPECT_EQ(host.codeView, kPreamble);
  EXPECT_EQ(host.addressBox, "Add: 0011");
  EXPECT_EQ(host.log, (std::vector<LogLine>{
                          {LogKind::Phase, "Structure analysis Phase."},
                          {LogKind::Phase, "Number of procedure.0"},
                          {LogKind::Phase, "Number of user labels.0"},
                          {LogKind::Phase, "Intermittent code generating Phase."},
                          {LogKind::Phase, "Complete Optimize 'Print'"},
                          {LogKind::Phase, "Complete Optimize 'Print'"},
                          {LogKind::Phase, "Complete Optimize 'If'"},
                          {LogKind::Phase, "Assign Label address.... OK."},
                          {LogKind::Phase, "Number of line of source code.0"},
                          {LogKind::Phase, "Number of generated code.0011"},
                      }));
  const auto& vars = host.lists[CompilerList::Variables];
  ASSERT_EQ(vars.size(), 21u + 5u + 6u + 1u);
  EXPECT_EQ(vars[0], (ListRow{"A", "", ""}));
  EXPECT_EQ(vars[20], (ListRow{"U", "", ""}));
  EXPECT_EQ(vars[21], (ListRow{"V", "", ""}));
  EXPECT_EQ(vars[26], (ListRow{"0", "global::Port0", ""}));
  EXPECT_EQ(vars[31], (ListRow{"[", "global::ActSts", ""}));
  EXPECT_EQ(vars.back(), (ListRow{"end", "", ""}));
  EXPECT_EQ(host.lists[CompilerList::Labels], std::vector<ListRow>{(ListRow{"end", "", ""})});
  EXPECT_TRUE(host.lists[CompilerList::Routines].empty());
  EXPECT_EQ(host.tips[CompilerList::Variables], " used.");
  EXPECT_EQ(host.tips[CompilerList::Labels], "0 labels used.");
  EXPECT_EQ(host.tips[CompilerList::Routines], "0 Routines used.");
  EXPECT_TRUE(host.codeVisible);
  EXPECT_EQ(host.saved, 1);
  EXPECT_EQ(host.restored, 1);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(host.marks.empty());
}

TEST_F(Driver, a_failed_compile_leaves_no_earlier_code_in_view) {
  ASSERT_TRUE(compile("Pad 3"));
  EXPECT_EQ(host.addressBox, "Add: 0014");
  EXPECT_FALSE(compile("Fault"));
  EXPECT_EQ(host.codeView, "");
  EXPECT_EQ(host.addressBox, "");
  EXPECT_EQ(mc.codeout.codeText, kPreamble);
}

TEST_F(Driver, routine_and_label_counts) {
  ASSERT_TRUE(compile(joinLines({"Sub Start()", "here:", "EndSub", "Sub Draw(x, y )", "there:", "EndSub"})));
  EXPECT_EQ(host.log[1].text, "Number of procedure.2");
  EXPECT_EQ(host.log[2].text, "Number of user labels.2");
  EXPECT_EQ(host.lists[CompilerList::Routines],
            (std::vector<ListRow>{{"Start", "", ""}, {"Draw", "x,y", ""}}));
  EXPECT_EQ(host.tips[CompilerList::Routines], "2 Routines used.");
  EXPECT_EQ(host.lists[CompilerList::Labels], (std::vector<ListRow>{{"L0000", "Start", "0012"},
                                                                    {"L0001", "here", "0012"},
                                                                    {"L0002", "Draw", "0012"},
                                                                    {"L0003", "there", "0012"},
                                                                    {"end", "", ""}}));
  EXPECT_EQ(host.tips[CompilerList::Labels], "4 labels used.");
  EXPECT_EQ(mc.hensuulabel.getVarReg("Draw::y"), "B");
}

TEST_F(Driver, blanks_between_the_parentheses_are_no_parameter) {
  ASSERT_TRUE(compile(joinLines({"Sub Start( )", "EndSub", "Sub Draw(  )", "EndSub"})));
  EXPECT_EQ(host.lists[CompilerList::Routines], (std::vector<ListRow>{{"Start", "", ""}, {"Draw", "", ""}}));
  EXPECT_EQ(host.tips[CompilerList::Variables], " used.");
}

TEST_F(Driver, start_is_recognised_in_any_letter_case) {
  EXPECT_TRUE(compile(joinLines({"Sub START()", "EndSub"})));
  EXPECT_TRUE(compile(joinLines({"Sub start()", "EndSub"})));
}

struct FailureCase {
  const char* name;
  std::vector<std::string_view> lines;
  std::vector<std::string> events;  // boxes, log lines and marks in order
  bool closeVisible = false;
};

const std::string k1031 = "'()' is required, even if it's no argument.";
const std::string k1018 = "Please start with 'Stear().'";
const std::string k1019 = "Label cannot start with '_'.";
const std::string k1071 = "Duplication Label.";
const std::string k1032 = ": This line cause unexpected error. Compile is disturbed.";

const FailureCase kFailures[] = {
    {"sub_without_parentheses", {"Sub Start"}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"sub_parenthesis_first", {"Sub (a)"}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"sub_close_before_open", {"Sub Start)x("}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"sub_without_name", {"Sub  ()"}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"first_sub_not_start", {"Pad 1", "Sub Main()"}, {"mark:1", "box:" + k1018, "log:error:" + k1018}},
    {"empty_parameter", {"Sub Start(a, ,b)"}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"repeated_parameter", {"Sub Start(a, A)"}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"routine_twice",
     {"Sub Start()", "EndSub", "Sub start()"},
     {"box:routine exist!", "log:error:routine exist!", "mark:2"}},
    {"label_with_underscore", {"_here:"}, {"log:error:" + k1019, "mark:0"}},
    {"label_twice", {"here:", "Pad 1", "HERE:"}, {"log:error:" + k1071, "mark:2"}},
    {"label_named_like_routine", {"Sub Start()", "start:"}, {"log:error:" + k1071, "mark:1"}},
    {"routine_named_like_label",
     {"Sub Start()", "draw:", "EndSub", "Sub Draw()"},
     {"log:error:" + k1071, "mark:3"}},
    {"label_without_name", {":"}, {"mark:0", "box:" + k1031, "log:error:" + k1031}},
    {"event_parameters_overflow",
     {"Sub Start()", "EndSub", "Sub Timer_Event(a,b,c,d,e,f)", "EndSub"},
     {"box:interupt variable over!", "log:3" + k1032, "mark:2"},
     true},
    {"statement_fault", {"Pad 1", "Pad 2", "Fault"}, {"log:3" + k1032, "mark:2"}, true},
    {"line_without_statement", {"Pad 1", "nothing here"}, {"log:2" + k1032, "mark:1"}, true},
    {"missing_word", {"Jump"}, {"log:1" + k1032, "mark:0"}, true},
    {"code_pass_overflow",
     {"Var v0",  "Var v1",  "Var v2",  "Var v3",  "Var v4",  "Var v5",  "Var v6",  "Var v7",
      "Var v8",  "Var v9",  "Var v10", "Var v11", "Var v12", "Var v13", "Var v14", "Var v15",
      "Var v16", "Var v17", "Var v18", "Var v19", "Var v20", "Var v21", "Var v22"},
     {"box:standard variable over!", "log:22" + k1032, "mark:21"},
     true},
    {"unrecognised_operand",
     {"Pad 1", "Expr a+b"},
     {"box:Vatiabl(s) a+b  can not be found.", "log:error:Vatiabl(s) a+b  can not be found.", "log:2" + k1032,
      "mark:1"},
     true},
    {"expression_without_operand",
     {"Pad 1", "Expr ( )"},
     {"box:Expression error Line: 2", "log:error:Expression error Line: 2", "mark:1"}},
    {"open_if",
     {"Pad 1", "Open If", "Pad 1"},
     {"box:' End if' is missing.", "log:error:' End if' is missing.", "mark:1"}},
    {"open_for", {"Open For", "Pad 1"}, {"box:'Next' is missing.", "log:error:'Next' is missing.", "mark:0"}},
    {"open_select",
     {"Pad 1", "Pad 1", "Open Select"},
     {"box:'End Select' is missing.", "log:error:'End Select' is missing.", "mark:2"}},
    {"open_routine",
     {"Sub Start()", "Pad 1"},
     {"box:'End Sub' is missing.", "log:error:'End Sub' is missing.", "mark:0"}},
    {"next_sub_while_routine_open",
     {"Sub Start()", "Pad 1", "Sub Foo()", "EndSub"},
     {"box:'End Sub' is missing.", "log:error:'End Sub' is missing.", "mark:0"}},
    {"undefined_label",
     {"Jump nowhere"},
     {"box:Label nowhere can not be found.", "log:error:Label nowhere can not be found."}},
    {"lowest_undefined_label_is_named",
     {"Jump second", "Jump first", "first:"},
     {"box:Label second can not be found.", "log:error:Label second can not be found."}},
    {"fault_after_the_code_pass", {"Token"}, {"log:error:Label token is broken."}, true},
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class Failure : public Driver, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failure, is_reported_exactly) {
  std::string source;
  for (std::size_t k = 0; k < GetParam().lines.size(); ++k)
    source += (k ? "\r\n" : "") + std::string(GetParam().lines[k]);
  EXPECT_FALSE(compile(source));
  std::vector<std::string> events;
  bool errorSeen = false;
  for (const auto& e : host.events) {
    // Phase lines before the error are not part of the case.
    const bool phase =
        e.rfind("log:", 0) == 0 && std::find_if(host.log.begin(), host.log.end(), [&](auto& l) {
                                     return "log:" + l.text == e && l.kind == LogKind::Phase;
                                   }) != host.log.end();
    if (phase && !errorSeen) continue;
    errorSeen = true;
    events.push_back(e);
  }
  EXPECT_EQ(events, GetParam().events);
  EXPECT_EQ(host.closeVisible, GetParam().closeVisible);
  for (const auto& l : host.log)
    if (l.text.rfind("error:", 0) == 0 || l.text.find(k1032) != std::string::npos) {
      EXPECT_EQ(l.kind, LogKind::Error) << l.text;
    }
  EXPECT_FALSE(host.codeVisible);
}

INSTANTIATE_TEST_SUITE_P(compiler, Failure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Driver, assign_label_line_only_after_a_good_fix_up) {
  EXPECT_FALSE(compile("Jump nowhere"));
  for (const auto& l : host.log) EXPECT_NE(l.text, "Assign Label address.... OK.");
  EXPECT_EQ(host.lastLog(), "error:Label nowhere can not be found.");
}

TEST_F(Driver, fix_up_arithmetic) {
  // Label at 90; the JP opcode at 98 puts its field at 100, so the skip is 90 - 102 = -12.
  ASSERT_TRUE(compile(joinLines({"Pad 72", "target:", "Pad 8", "Jump target", "Load v target"})));
  const std::string& code = mc.codeout.codeText;
  EXPECT_EQ(code.substr(98 * 3, 12), "4A 50 F4 FF ");
  EXPECT_EQ(code.substr(102 * 3), "4C 23 41 3D 5A 00 ");
  EXPECT_EQ(host.codeView, code);
}

TEST_F(Driver, fix_up_forward_and_wide_absolute) {
  ASSERT_TRUE(compile(joinLines({"Jump ahead", "Pad 4", "ahead:", "Load v ahead"})));
  EXPECT_EQ(mc.codeout.codeText.substr(18 * 3), "4A 50 04 00 00 00 00 00 4C 23 41 3D 1A 00 ");
  mc.compiler.wideMode = -1;  // the emitter alone: L# with a four-byte field keeps its length after fix-up
  mc.codeout.codeText = std::string(kPreamble);
  mc.codeout.code_calcLabel("v", "ahead");
  EXPECT_EQ(mc.codeout.codeText.substr(18 * 3), "4C 23 41 3D L0000a00 00 ");
}

TEST_F(Driver, caret_line_code_is_red) {
  host.caret = 1;
  ASSERT_TRUE(compile(joinLines({"Pad 2", "Pad 10", "Pad 1"})));
  const std::size_t size = mc.codeout.codeText.size();
  EXPECT_EQ(mc.compiler.markStart, 20 * 3);
  EXPECT_EQ(mc.compiler.markEnd, 30 * 3);
  EXPECT_EQ(host.colours, (std::vector<testkit::ColourSpan>{{0, size, kBlack}, {60, 30, kRed}}));
}

TEST_F(Driver, caret_on_the_last_line_marks_to_the_end) {
  host.caret = 2;
  ASSERT_TRUE(compile(joinLines({"Pad 2", "Pad 10", "Pad 1"})));
  EXPECT_EQ(mc.compiler.markStart, 30 * 3);
  EXPECT_EQ(mc.compiler.markEnd, 31 * 3);
  EXPECT_EQ(host.colours.back(), (testkit::ColourSpan{90, 3, kRed}));
}

TEST_F(Driver, flash_block_count) {
  host.target = 1;
  ASSERT_TRUE(compile("Pad 4079"));  // 4097 bytes
  EXPECT_EQ(host.lastLog(), "Macro:2 block");
  EXPECT_EQ(host.addressBox, "Add: 1000");
  ASSERT_TRUE(compile("Pad 4078"));
  EXPECT_EQ(host.lastLog(), "Macro:1 block");
  host.target = 0;
  ASSERT_TRUE(compile("Pad 4079"));
  EXPECT_EQ(host.lastLog(), "Number of generated code.1000");
}

TEST_F(Driver, variable_list_tip) {
  ASSERT_TRUE(compile(joinLines(
      {"Var a", "Var b", "Var c", "Sub Start()", "EndSub", "Sub Timer_Event()", "Var t", "EndSub"})));
  EXPECT_EQ(host.tips[CompilerList::Variables], "A - C ,   V - V used.");
  EXPECT_EQ(host.lists[CompilerList::Variables][21], (ListRow{"V", "Timer_Event::t", ""}));
  ASSERT_TRUE(compile("Var a"));
  EXPECT_EQ(host.tips[CompilerList::Variables], "A - A ,    used.");
}

TEST_F(Driver, trailing_comment_is_cut_and_trimmed) {
  seenLines.clear();
  ASSERT_TRUE(compile(
      joinLines({"Echo one 'comment", "Echo \"it's\" two  ' more", "' only a comment", "\tEcho   three\t"})));
  EXPECT_EQ(seenLines, (std::vector<std::string>{"Echo one", "Echo \"it's\" two", "Echo   three"}));
}

TEST_F(Driver, every_line_end_ends_a_line) {
  seenLines.clear();
  ASSERT_TRUE(compile("Echo 1\rEcho 2\nEcho 3\r\nEcho 4\r\n"));
  EXPECT_EQ(seenLines, (std::vector<std::string>{"Echo 1", "Echo 2", "Echo 3", "Echo 4"}));
  const auto phases = host.logOf(LogKind::Phase);
  EXPECT_NE(std::find(phases.begin(), phases.end(), "Number of line of source code.4"), phases.end());
}

// The log counts the lines as the editor's load message does: a line end after the last line opens none.
struct LineCountCase {
  const char* name;
  std::string_view source;
  const char* logged;
};
constexpr LineCountCase kLineCounts[] = {
    {"empty", "", "Number of line of source code.0"},
    {"one_line_without_its_end", "Echo 1", "Number of line of source code.1"},
    {"one_line_with_its_end", "Echo 1\r\n", "Number of line of source code.1"},
    {"lone_cr_at_the_end", "Echo 1\rEcho 2\r", "Number of line of source code.2"},
    {"lone_lf_at_the_end", "Echo 1\nEcho 2\n", "Number of line of source code.2"},
    {"empty_lines_count", "\r\n\r\nEcho 3\r\n\r\n", "Number of line of source code.4"},
    {"a_blank_last_line_counts", "Echo 1\r\n  ", "Number of line of source code.2"},
};
void PrintTo(const LineCountCase& c, std::ostream* os) {
  *os << c.name;
}

class LineCount : public Driver, public ::testing::WithParamInterface<LineCountCase> {};

TEST_P(LineCount, is_the_number_of_lines_as_loaded) {
  ASSERT_TRUE(compile(std::string(GetParam().source)));
  const auto phases = host.logOf(LogKind::Phase);
  EXPECT_NE(std::find(phases.begin(), phases.end(), GetParam().logged), phases.end());
}

INSTANTIATE_TEST_SUITE_P(compiler, LineCount, ::testing::ValuesIn(kLineCounts),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Driver, line_index_limit) {
  std::string source;
  for (int k = 0; k < 32768; ++k) source += "\n";  // 32769 lines: one past the last index
  EXPECT_FALSE(compile(source));
  EXPECT_EQ(errors(),
            std::vector<std::string>{"error:Source has more than 32768 lines. Compile is aborted."});
  source.pop_back();
  EXPECT_TRUE(compile(source));
}

TEST_F(Driver, progress_stays_within_its_maximum_and_is_throttled) {
  std::string source;
  for (int k = 0; k < 5000; ++k) source += "Pad 1\n";
  ASSERT_TRUE(compile(source));
  EXPECT_EQ(host.progressMaximum, 5000);
  for (float v : host.progressValues) EXPECT_LE(v, host.progressMaximum);
  EXPECT_LT(host.progressValues.size(), 400u);
  EXPECT_EQ(host.progressValues.back(), 5000);
}

TEST_F(Driver, state_is_fresh_at_every_compile) {
  host.model = "PX-B";
  ASSERT_TRUE(compile(joinLines({"Var a", "Open If"})) == false);
  host.model = "no such model";
  ASSERT_TRUE(compile("Pad 1"));
  EXPECT_EQ(mc.compiler.ifDepth, -1);
  for (const auto* counts :
       {&mc.compiler.ifCount, &mc.compiler.forCount, &mc.compiler.selectCount, &mc.compiler.caseCount})
    EXPECT_EQ(*counts, CompilerState::kNoBlocks);
  EXPECT_EQ(mc.compiler.ifCount[0], -1);
  EXPECT_EQ(mc.hensuulabel.getVarReg("a"), "no");
  EXPECT_EQ(mc.hensuulabel.getVarReg("TpX"), "no");
  EXPECT_EQ(host.lists[CompilerList::Variables].size(), 27u);
}

TEST(Checks, block_levels_and_image_slots_are_bounded) {
  CompilerState::LevelArray levels{};
  EXPECT_NO_THROW(CompilerState::at(levels, 16));
  EXPECT_THROW(CompilerState::at(levels, 17), CompileFault);
  EXPECT_THROW(CompilerState::at(levels, -1), CompileFault);
  testkit::FakeImageList images;
  images.entries.push_back({"logo", 128, 64, 0, "RAM", 0x100});
  EXPECT_EQ(images.image(0).imgLabel, "logo");
  EXPECT_NO_THROW(images.image(1000));
  EXPECT_THROW(images.image(1001), std::out_of_range);
  EXPECT_THROW(images.image(-1), std::out_of_range);
}

TEST(Dispatch, rows_match_by_form) {
  FakeHost host;
  MacroCompiler mc{host};
  mc.hensuulabel.hensuuInit();
  mc.hensuulabel.addRoutine("Draw");
  auto line = [](std::string_view text) { return SourceLine{text, splitWords(text), 0}; };
  const StatementRow label{LineForm::Label, "", nullptr};
  const StatementRow keyword{LineForm::Keyword, "If", nullptr};
  const StatementRow call{LineForm::RoutineCall, "", nullptr};
  EXPECT_TRUE(rowMatches(label, line("x: If a"), mc));
  EXPECT_FALSE(rowMatches(label, line("If x:"), mc));
  EXPECT_TRUE(rowMatches(keyword, line("If a Then"), mc));
  EXPECT_FALSE(rowMatches(keyword, line("if a Then"), mc));
  EXPECT_TRUE(rowMatches(call, line("DRAW 1, 2"), mc));
  EXPECT_FALSE(rowMatches(call, line("Drawing 1"), mc));
  EXPECT_EQ(splitWords("a  b"), (std::vector<std::string_view>{"a", "", "b"}));
}

}  // namespace
}  // namespace kelmore
