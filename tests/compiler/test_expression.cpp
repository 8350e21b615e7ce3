// Expression compiler tests: priorities, postfix order, folds, emitted sequences and the error paths.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <clocale>

#include "compiler/compiler.h"
#include "fake_host.h"

namespace kelmore {
namespace {

using testkit::FakeHost;
using testkit::LogLine;

class Expr : public ::testing::Test {
 protected:
  Expr() {
    mc.hensuulabel.hensuuInit();
    for (const char* v : {"a", "b", "c", "x"}) mc.hensuulabel.addVar(v);  // A, B, C, D
  }
  std::string siki(std::string_view e, std::int16_t base = 0) { return mc.codeout.code_siki(e, base); }
  std::string postfix(std::string_view e) {
    mc.codeout.toPostfix(e);
    std::string out;
    for (const auto& t : mc.codeout.postfixList) out += (out.empty() ? "" : " ") + t;
    return out;
  }
  const std::string& code() const { return mc.codeout.codeText; }
  FakeHost host;
  MacroCompiler mc{host};
};

TEST(OpPriority, table) {
  EXPECT_EQ(CodeOut::opPriority("("), 6);
  EXPECT_EQ(CodeOut::opPriority("name"), 5);
  for (auto t : {"*", "/", "Mod", "MOD", "mod"}) EXPECT_EQ(CodeOut::opPriority(t), 4) << t;
  for (auto t : {"+", "-"}) EXPECT_EQ(CodeOut::opPriority(t), 3) << t;
  for (auto t : {"=", "<>", "<", ">", "<=", ">="}) EXPECT_EQ(CodeOut::opPriority(t), 2) << t;
  for (auto t : {"And", "or", "XOR"}) EXPECT_EQ(CodeOut::opPriority(t), 1) << t;
  EXPECT_EQ(CodeOut::opPriority(")"), 0);
  EXPECT_EQ(CodeOut::opPriority(""), 0);
}

TEST_F(Expr, postfix_order) {
  EXPECT_EQ(postfix("a + b * c"), "a b c * +");
  EXPECT_EQ(postfix("a - b - c"), "a b - c -");
  EXPECT_EQ(postfix("( a + 3 ) * b"), "a 3 + b *");
  EXPECT_EQ(postfix("(a + 3) * b"), "a 3 + b *");
  EXPECT_EQ(postfix("(a + 3)*b"), "a 3 + *b");  // only parentheses split a token
  EXPECT_EQ(postfix("a   =  1 And b > 2"), "a 1 = b 2 > And");
  EXPECT_EQ(postfix("( a + b"), "a b + (");
  EXPECT_EQ(mc.codeout.workStack, std::vector<std::string>{""});
}

struct FoldCase {
  const char* name;
  std::string_view expr;
  std::string_view result;
};
const FoldCase kFolds[] = {
    {"single_variable", "x", "x"},
    {"hex_as_written", "&h10", "&h10"},
    {"signed_constant", "-5", "-5"},
    {"precedence", "2 * 3 + 1", "7"},
    {"equal", "3 = 3", "1"},
    {"not_equal", "3 <> 3", "0"},
    {"less_or_equal", "2 <= 3", "1"},
    {"left_associative", "10 - 2 - 3", "5"},
    {"negative_difference", "7 - 10", "-3"},
    {"fraction_product", "1.5 * 2", "3"},
    {"mod_sign_follows_left", "-7 Mod 2", "-1"},
    {"mod_negative_right", "7 Mod -2", "1"},
    {"and", "6 And 3", "2"},
    {"or", "6 Or 3", "7"},
    {"xor", "6 Xor 3", "5"},
    {"hex_is_16_bit_signed", "&HFFFF + 1", "0"},
    {"long_hex_is_32_bit", "&H0FFFF + 1", "65536"},
    {"comparison_of_folds", "7 Mod 2 = 1", "1"},
    {"parentheses", "( 1 + 2 ) * 3", "9"},
    {"division_is_integer", "7 / 2", "3"},
    {"division_truncates_toward_zero", "-7 / 2", "-3"},
    {"division_then_product", "5 / 2 * 2", "4"},
    {"large_takes_exponent_form", "1000000 * 1000000000", "1E+15"},
    {"below_exponent_form", "100000000000000 * 9", "900000000000000"},
    {"fraction_kept", "0.25 + 0.5", "0.75"},
    {"exponent_operand", "1E+15 - 1", "999999999999999"},
};
void PrintTo(const FoldCase& c, std::ostream* os) {
  *os << c.name;
}
class Fold : public Expr, public ::testing::WithParamInterface<FoldCase> {};
TEST_P(Fold, gives_constant_and_no_code) {
  EXPECT_EQ(siki(GetParam().expr), GetParam().result);
  EXPECT_EQ(code(), "");
}
INSTANTIATE_TEST_SUITE_P(code_siki, Fold, ::testing::ValuesIn(kFolds),
                         [](const auto& info) { return std::string(info.param.name); });

struct EmitCase {
  const char* name;
  std::string_view expr;
  bool wide;
  std::string_view result;
  std::string_view code;
};
// Registers: a A, b B, c C, x D; the first temporary takes E.
const EmitCase kEmits[] = {
    {"worked_example", "( a + 3 ) * b", false, "_sp0", "4C 52 45 3D 41 4C 23 45 2B 03 00 4C 52 45 2A 42 "},
    {"compare_with_constant", "x < 10", false, "_sp0",
     "43 23 44 3C 0A 00 0A 00 4C 23 45 3D 00 00 4A 50 06 00 4C 23 45 3D 01 00 "},
    {"compare_with_constant_wide", "x < 10", true, "_sp0",
     "43 23 44 3C 0A 00 00 00 0C 00 4C 23 45 3D 00 00 00 00 4A 50 08 00 4C 23 45 3D 01 00 00 00 "},
    {"constant_compared_with_variable", "3 >= a", false, "_sp0",
     "4C 23 45 3D 03 00 43 52 45 29 41 0A 00 4C 23 45 3D 00 00 4A 50 06 00 4C 23 45 3D 01 00 "},
    {"two_variables_compared", "a <> b", false, "_sp0",
     "43 52 41 21 42 0A 00 4C 23 45 3D 00 00 4A 50 06 00 4C 23 45 3D 01 00 "},
    {"constant_minus_variable", "3 - a", false, "_sp0", "4C 23 45 3D 03 00 4C 52 45 2D 41 "},
    {"variable_mod_constant", "a Mod 4", false, "_sp0", "4C 52 45 3D 41 4C 23 45 25 04 00 "},
    {"right_grouping_frees_inner", "a + b * c", false, "_sp0",
     "4C 52 45 3D 42 4C 52 45 2A 43 4C 52 46 3D 41 4C 52 46 2B 45 "},
    {"folded_part_inside", "a + 2 * 3", false, "_sp0", "4C 52 45 3D 41 4C 23 45 2B 06 00 "},
};
void PrintTo(const EmitCase& c, std::ostream* os) {
  *os << c.name;
}
class Emit : public Expr, public ::testing::WithParamInterface<EmitCase> {};
TEST_P(Emit, writes_code) {
  mc.compiler.wideMode = GetParam().wide ? -1 : 0;
  EXPECT_EQ(siki(GetParam().expr), GetParam().result);
  EXPECT_EQ(code(), GetParam().code);
}
INSTANTIATE_TEST_SUITE_P(code_siki, Emit, ::testing::ValuesIn(kEmits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Expr, inner_temporary_is_freed_after_two_register_operands) {
  siki("a + b * c");
  EXPECT_EQ(mc.hensuulabel.getVarReg("_sp0"), "F");
  EXPECT_EQ(mc.hensuulabel.getVarReg("_sp1"), "no");
}

TEST_F(Expr, base_moves_the_temporaries) {
  EXPECT_EQ(siki("a + 1", 1), "_sp1");
  EXPECT_EQ(mc.hensuulabel.getVarReg("_sp1"), "E");
  EXPECT_EQ(mc.hensuulabel.getVarReg("_sp0"), "no");
}

TEST_F(Expr, temporaries_are_reused_by_later_expressions) {
  siki("a + 1");
  mc.codeout.codeText.clear();
  EXPECT_EQ(siki("b + 1"), "_sp0");
  EXPECT_EQ(code(), "4C 52 45 3D 42 4C 23 45 2B 01 00 ");
}

TEST_F(Expr, event_routine_temporaries_take_event_registers) {
  mc.compiler.currentScope = "Timer_Event";
  mc.hensuulabel.addVar("t");
  EXPECT_EQ(siki("t + 1"), "_sp0");
  EXPECT_EQ(code(), "4C 52 57 3D 56 4C 23 57 2B 01 00 ");
}

struct UnknownCase {
  const char* name;
  std::string_view expr;
  std::string_view token;
};
const UnknownCase kUnknown[] = {
    {"operators_need_blanks", "a+b", "a+b"},
    {"operator_words_keep_their_case", "a mod b", "mod"},
    {"unclosed_parenthesis", "( a + b", "("},
    {"undeclared_name", "1 + nobody", "nobody"},
};
void PrintTo(const UnknownCase& c, std::ostream* os) {
  *os << c.name;
}
class Unknown : public Expr, public ::testing::WithParamInterface<UnknownCase> {};
TEST_P(Unknown, reported_with_box_and_log) {
  EXPECT_EQ(siki(GetParam().expr), "code_siki_error");
  const std::string text = "Vatiabl(s) " + std::string(GetParam().token) + "  can not be found.";
  EXPECT_EQ(host.boxes, std::vector<std::string>{text});
  EXPECT_EQ(host.log, (std::vector<LogLine>{{LogKind::Error, "error:" + text}}));
}
INSTANTIATE_TEST_SUITE_P(code_siki, Unknown, ::testing::ValuesIn(kUnknown),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Expr, malformed_structure_and_arithmetic_faults_throw) {
  for (auto e : {"a +", "a + b )", "- 5", "+", "1 / 0", "1 Mod 0", "&H7FFFFFFF * 2 And 1", "1E+300 * 1E+300",
                 "1E+309 - 1", "a < 1E+309", "&O77777777777 + 0"})
    EXPECT_THROW(siki(e), CompileFault) << e;
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Expr, no_operand_or_operands_in_a_row_are_expression_errors) {
  mc.compiler.lineIndex = 7;
  for (auto e : {"a b", "", "   ", "1 2 + 3"}) {
    host.boxes.clear();
    host.log.clear();
    host.marks.clear();
    EXPECT_THROW(siki(e), CompileStop) << e;
    EXPECT_EQ(host.boxes, std::vector<std::string>{"Expression error Line: 8"}) << e;
    EXPECT_EQ(host.log, (std::vector<LogLine>{{LogKind::Error, "error:Expression error Line: 8"}})) << e;
    EXPECT_EQ(host.marks, std::vector<int>{7}) << e;
  }
}

TEST(NumberText, recognises_numbers_only) {
  for (auto t : {"0", "-5", "+5", "1.5", ".5", "5.", "1E+15", "2e-3", "&H10", "&hFFFFFFFF", "&O17"})
    EXPECT_TRUE(isNumberText(t)) << t;
  for (auto t : {"", "-", ".", "1E", "a1", "1a", "&H", "&HG", "&H123456789", "&O8", "1+2", "--1"})
    EXPECT_FALSE(isNumberText(t)) << t;
  EXPECT_EQ(numberValue("&HFFFF"), -1);
  EXPECT_EQ(numberValue("&HFFFFFFFF"), -1);
  EXPECT_EQ(numberValue("&H10000"), 65536);
  EXPECT_EQ(numberValue("&O17"), 15);
  EXPECT_EQ(numberValue("&O177777"), -1);
  EXPECT_EQ(numberValue("&O37777777777"), -1);
  EXPECT_EQ(numberValue("3D2"), 300);
  EXPECT_EQ(numberValue("1E-400"), 0);
  EXPECT_THROW(numberValue("1E+309"), CompileFault);
  EXPECT_THROW(numberValue("&O40000000000"), CompileFault);
}

// The window toolkit puts the user's locale in force; a decimal comma must change no constant.
class DecimalCommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"})
      if (std::setlocale(LC_ALL, name) != nullptr) return;
    GTEST_SKIP() << "no locale with a decimal comma on this machine";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(DecimalCommaLocale, folds_and_constants_keep_their_fractions) {
  FakeHost host;
  MacroCompiler mc{host};
  mc.hensuulabel.hensuuInit();
  EXPECT_EQ(mc.codeout.code_siki("1.5 * 2", 0), "3");
  EXPECT_EQ(mc.codeout.code_siki("0.25 + 0.5", 0), "0.75");
  EXPECT_EQ(HensuuLabel::hexVal("3.75"), 3.75);
}

}  // namespace
}  // namespace kelmore
