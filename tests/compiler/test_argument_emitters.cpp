// Display-command argument emitters: one argument as literal bytes or as the registers holding it.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <vector>

#include "compiler/compiler.h"
#include "fake_host.h"

namespace kelmore {
namespace {

using testkit::FakeHost;

class ArgumentEmitters : public ::testing::Test {
 protected:
  ArgumentEmitters() {
    mc.hensuulabel.hensuuInit();
    mc.hensuulabel.addVar("a");  // A
    mc.hensuulabel.addVar("b");  // B
  }
  FakeHost host;
  MacroCompiler mc{host};
};

using Args = std::vector<std::string_view>;

struct ArgCase {
  const char* name;
  bool wide;
  std::function<std::string_view(CodeOut&)> emit;
  std::string_view code;
};

const ArgCase kArgCases[] = {
    {"byte_constant", false, [](CodeOut& c) { return c.code_hiki1(Args{" 255 "}, 0); }, "50 23 01 00 FF "},
    {"byte_hex_constant", false,
     [](CodeOut& c) {
       return c.code_hiki1(Args{"1", "&H7f"}, 1);
     },
     "50 23 01 00 7F "},
    {"byte_rounds_half_to_even", false, [](CodeOut& c) { return c.code_hiki1(Args{"5 / 2"}, 0); },
     "50 23 01 00 02 "},
    {"byte_variable", false, [](CodeOut& c) { return c.code_hiki1(Args{"b"}, 0); }, "50 52 01 00 42 "},
    {"byte_expression", false, [](CodeOut& c) { return c.code_hiki1(Args{"a + 1"}, 0); },
     "4C 52 43 3D 41 4C 23 43 2B 01 00 50 52 01 00 43 "},
    {"word_constant", false, [](CodeOut& c) { return c.code_hiki2(Args{"300"}, 0); }, "50 23 02 00 2C 01 "},
    {"word_minus_one", false, [](CodeOut& c) { return c.code_hiki2(Args{"-1"}, 0); }, "50 23 02 00 FF FF "},
    {"word_hex_ffff", false, [](CodeOut& c) { return c.code_hiki2(Args{"&HFFFF"}, 0); },
     "50 23 02 00 FF FF "},
    {"word_lowest", false, [](CodeOut& c) { return c.code_hiki2(Args{"-65536"}, 0); }, "50 23 02 00 00 00 "},
    // _hiki (C) = a, _hiki / 256, then the value's register and _hiki: low byte, high byte.
    {"word_variable", false, [](CodeOut& c) { return c.code_hiki2(Args{"a"}, 0); },
     "4C 52 43 3D 41 4C 23 43 2F 00 01 50 52 02 00 41 43 "},
    {"word_variable_wide", true, [](CodeOut& c) { return c.code_hiki2(Args{"a"}, 0); },
     "4C 52 43 3D 41 4C 23 43 2F 00 01 00 00 50 52 02 00 41 43 "},
    {"word_system_variable", false, [](CodeOut& c) { return c.code_hiki2(Args{"Port0"}, 0); },
     "4C 52 43 3D 30 4C 23 43 2F 00 01 50 52 02 00 30 43 "},
    {"optional_byte_absent", false, [](CodeOut& c) { return c.code_hiki1s(Args{"1"}, 3, 0x0A); },
     "50 23 01 00 0A "},
    {"optional_byte_blank", false,
     [](CodeOut& c) {
       return c.code_hiki1s(Args{"1", "  "}, 1, 0xFF);
     },
     "50 23 01 00 FF "},
    {"optional_byte_given", false, [](CodeOut& c) { return c.code_hiki1s(Args{"7"}, 0, 1); },
     "50 23 01 00 07 "},
    {"optional_word_absent_300", false, [](CodeOut& c) { return c.code_hiki2s(Args{}, 0, 300); },
     "50 23 02 00 2C 01 "},
    {"optional_word_given", false,
     [](CodeOut& c) {
       return c.code_hiki2s(Args{"", "b"}, 1, 300);
     },
     "4C 52 43 3D 42 4C 23 43 2F 00 01 50 52 02 00 42 43 "},
};

void PrintTo(const ArgCase& c, std::ostream* os) {
  *os << c.name;
}

class Arg : public ArgumentEmitters, public ::testing::WithParamInterface<ArgCase> {};

TEST_P(Arg, appends_exactly) {
  mc.compiler.wideMode = GetParam().wide ? -1 : 0;
  EXPECT_EQ(GetParam().emit(mc.codeout), kEmitOk);
  EXPECT_EQ(mc.codeout.codeText, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(hiki, Arg, ::testing::ValuesIn(kArgCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArgumentEmitters, two_byte_register_argument_leaves_no_temporary) {
  ASSERT_EQ(mc.codeout.code_hiki2(Args{"a"}, 0), kEmitOk);
  EXPECT_EQ(mc.hensuulabel.getVarReg("_hiki"), "no");
  mc.hensuulabel.addVar("c");
  EXPECT_EQ(mc.hensuulabel.getVarReg("c"), "C");
}

struct ArgFaultCase {
  const char* name;
  std::function<std::string_view(CodeOut&)> emit;
};

const ArgFaultCase kArgFaultCases[] = {
    // One rule for one-byte fields: 300 is no byte (it used to become 2C).
    {"byte_300", [](CodeOut& c) { return c.code_hiki1(Args{"300"}, 0); }},
    {"byte_256", [](CodeOut& c) { return c.code_hiki1(Args{"&H100"}, 0); }},
    {"byte_negative", [](CodeOut& c) { return c.code_hiki1(Args{"-1"}, 0); }},
    {"optional_byte_given_300", [](CodeOut& c) { return c.code_hiki1s(Args{"300"}, 0, 1); }},
    {"word_65536", [](CodeOut& c) { return c.code_hiki2(Args{"65536"}, 0); }},
    {"word_below_range", [](CodeOut& c) { return c.code_hiki2(Args{"-65537"}, 0); }},
    {"required_byte_absent", [](CodeOut& c) { return c.code_hiki1(Args{"1"}, 1); }},
    {"required_byte_blank",
     [](CodeOut& c) {
       return c.code_hiki1(Args{"1", " "}, 1);
     }},
    {"required_word_blank", [](CodeOut& c) { return c.code_hiki2(Args{""}, 0); }},
    {"byte_default_256", [](CodeOut& c) { return c.code_hiki1s(Args{}, 0, 256); }},
    {"byte_default_negative", [](CodeOut& c) { return c.code_hiki1s(Args{}, 0, -1); }},
    {"word_default_negative", [](CodeOut& c) { return c.code_hiki2s(Args{}, 0, -1); }},
};

void PrintTo(const ArgFaultCase& c, std::ostream* os) {
  *os << c.name;
}

class ArgFault : public ArgumentEmitters, public ::testing::WithParamInterface<ArgFaultCase> {};

TEST_P(ArgFault, throws_before_any_byte) {
  EXPECT_THROW(GetParam().emit(mc.codeout), CompileFault);
  EXPECT_EQ(mc.codeout.codeText, "");
}

INSTANTIATE_TEST_SUITE_P(hiki, ArgFault, ::testing::ValuesIn(kArgFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ErrorWordCase {
  const char* name;
  std::function<std::string_view(CodeOut&)> emit;
  std::string_view word;
};

const ErrorWordCase kErrorWordCases[] = {
    {"byte", [](CodeOut& c) { return c.code_hiki1(Args{"x"}, 0); }, "code_hiki1_error"},
    {"word", [](CodeOut& c) { return c.code_hiki2(Args{"a + x"}, 0); }, "code_hiki2_error"},
    {"optional_byte", [](CodeOut& c) { return c.code_hiki1s(Args{"x"}, 0, 1); }, "code_hiki1s_error"},
    {"optional_word", [](CodeOut& c) { return c.code_hiki2s(Args{"x"}, 0, 1); }, "code_hiki2s_error"},
};

class ErrorWord : public ArgumentEmitters, public ::testing::WithParamInterface<ErrorWordCase> {};

TEST_P(ErrorWord, passes_on_the_unrecognised_operand) {
  EXPECT_EQ(GetParam().emit(mc.codeout), GetParam().word);
  EXPECT_EQ(host.boxes, std::vector<std::string>{"Vatiabl(s) x  can not be found."});
}

INSTANTIATE_TEST_SUITE_P(hiki, ErrorWord, ::testing::ValuesIn(kErrorWordCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelmore
