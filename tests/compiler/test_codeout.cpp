// Emitter tests: the bytes each instruction emitter appends, and the checks that refuse wrong bytes.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "compiler/compiler.h"
#include "fake_host.h"

namespace kelmore {
namespace {

using testkit::FakeHost;

class Emitters : public ::testing::Test {
 protected:
  Emitters() {
    mc.hensuulabel.hensuuInit();
    mc.hensuulabel.addVar("a");  // A
    mc.hensuulabel.addVar("b");  // B
    for (int s = 0; s <= 26; ++s) mc.hensuulabel.addLabel("lab" + std::to_string(s));
  }
  FakeHost host;
  MacroCompiler mc{host};
};

struct EmitCase {
  const char* name;
  bool wide;
  std::function<void(CodeOut&)> emit;
  std::string_view code;
};

const EmitCase kEmitCases[] = {
    {"calcImm_add", false, [](CodeOut& c) { c.code_calcImm("a", 5, "+"); }, "4C 23 41 2B 05 00 "},
    {"calcImm_add_wide", true, [](CodeOut& c) { c.code_calcImm("a", 5, "+"); }, "4C 23 41 2B 05 00 00 00 "},
    {"calcImm_minus_one", false, [](CodeOut& c) { c.code_calcImm("a", -1, "="); }, "4C 23 41 3D FF FF "},
    {"calcImm_minus_one_wide_is_full_width", true, [](CodeOut& c) { c.code_calcImm("a", -1, "="); },
     "4C 23 41 3D FF FF FF FF "},
    {"calcImm_rounds_half_to_even", false,
     [](CodeOut& c) {
       c.code_calcImm("a", 2.5, "=");
       c.code_calcImm("a", 3.5, "=");
     },
     "4C 23 41 3D 02 00 4C 23 41 3D 04 00 "},
    {"calcImm_top_of_16_bits", false, [](CodeOut& c) { c.code_calcImm("a", 65535, "Mod"); },
     "4C 23 41 25 FF FF "},
    {"calcImm32_in_16_bit_mode", false, [](CodeOut& c) { c.code_calcImm32("a", 70000, "Xor"); },
     "4C 23 41 5E 70 11 01 00 "},
    {"calcImm_operator_bytes", false,
     [](CodeOut& c) {
       for (auto op : {"-", "*", "/", "Or", "And"}) c.code_calcImm("a", 0, op);
     },
     "4C 23 41 2D 00 00 4C 23 41 2A 00 00 4C 23 41 2F 00 00 4C 23 41 7C 00 00 4C 23 41 26 00 00 "},
    {"pokeImm_minus_one", false, [](CodeOut& c) { c.code_pokeImm("a", -1); }, "4C 23 61 3D FF FF "},
    {"inc", false, [](CodeOut& c) { c.code_inc("b"); }, "4C 23 42 69 "},
    {"calcReg_self_copy_is_nothing", false, [](CodeOut& c) { c.code_calcReg("a", "a", "="); }, ""},
    {"calcReg_self_add", false, [](CodeOut& c) { c.code_calcReg("a", "a", "+"); }, "4C 52 41 2B 41 "},
    {"calcReg_system_register_self_copy", false, [](CodeOut& c) { c.code_calcReg("Port0", "Port0", "="); },
     "4C 52 30 3D 30 "},
    {"calcPeek", false, [](CodeOut& c) { c.code_calcPeek("a", "b", "="); }, "4C 52 41 3D 62 "},
    {"pokeReg", false, [](CodeOut& c) { c.code_pokeReg("a", "Port0"); }, "4C 52 61 3D 30 "},
    {"vram", false,
     [](CodeOut& c) {
       c.code_vpokeImm("a", 0x7F);
       c.code_vpokeReg("a", "b");
       c.code_vpeek("b", "a");
     },
     "56 23 41 7F 56 52 41 42 76 52 42 41 "},
    {"jmpcImm_backwards", false, [](CodeOut& c) { c.code_jmpcImm("a", 10, "<=", -8); },
     "43 23 41 28 0A 00 F8 FF "},
    {"jmpcImm_wide", true, [](CodeOut& c) { c.code_jmpcImm("a", 10, ">=", 4); },
     "43 23 41 29 0A 00 00 00 04 00 "},
    {"jmpcReg", false, [](CodeOut& c) { c.code_jmpcReg("a", "b", "<>", 10); }, "43 52 41 21 42 0A 00 "},
    {"jmp", false, [](CodeOut& c) { c.code_jmp(6); }, "4A 50 06 00 "},
    {"jmpcImmLabel_minus_one", false, [](CodeOut& c) { c.code_jmpcImmLabel("a", -1, "=", "lab0"); },
     "43 23 41 3D FF FF L0000 "},
    {"jmpcRegLabel", false, [](CodeOut& c) { c.code_jmpcRegLabel("a", "b", ">", "LAB1"); },
     "43 52 41 3E 42 L0001 "},
    {"jmpLabel_slot_26", false,
     [](CodeOut& c) {
       c.codeText.clear();
       c.code_jmpLabel("lab26");
     },
     "4A 50 L001A "},
    {"callLabel", false, [](CodeOut& c) { c.code_callLabel("lab2"); }, "4A 53 L0002 "},
    {"calcLabel", false, [](CodeOut& c) { c.code_calcLabel("a", "lab3"); }, "4C 23 41 3D L0003a"},
    {"calcLabel_wide_has_four_bytes", true, [](CodeOut& c) { c.code_calcLabel("a", "lab3"); },
     "4C 23 41 3D L0003a00 00 "},
    {"print_empty", false, [](CodeOut& c) { c.code_print({}); }, "50 23 00 00 "},
    {"printReg", false,
     [](CodeOut& c) {
       const std::uint8_t regs[] = {'A', '0'};
       c.code_printReg(regs);
     },
     "50 52 02 00 41 30 "},
    {"printHex_trims_items", false, [](CodeOut& c) { c.code_printHex("1F, 28 ,61,14"); },
     "50 23 04 00 1F 28 61 14 "},
    {"outData", false,
     [](CodeOut& c) {
       const std::uint8_t bytes[] = {1, 0xAB, 0x0C};
       c.code_outData(bytes);
     },
     "01.AB.0C."},
};

void PrintTo(const EmitCase& c, std::ostream* os) {
  *os << c.name;
}

class Emit : public Emitters, public ::testing::WithParamInterface<EmitCase> {};

TEST_P(Emit, appends_exactly) {
  mc.compiler.wideMode = GetParam().wide ? -1 : 0;
  GetParam().emit(mc.codeout);
  EXPECT_EQ(mc.codeout.codeText, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(codeout, Emit, ::testing::ValuesIn(kEmitCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FaultCase {
  const char* name;
  bool wide;
  std::function<void(CodeOut&)> emit;
};

const FaultCase kFaultCases[] = {
    {"imm_above_16_bits", false, [](CodeOut& c) { c.code_calcImm("a", 65536, "="); }},
    {"imm_below_16_bits", false, [](CodeOut& c) { c.code_calcImm("a", -32769, "="); }},
    {"imm_above_32_bits", true, [](CodeOut& c) { c.code_calcImm("a", 4294967296.0, "="); }},
    {"imm_below_32_bits", true, [](CodeOut& c) { c.code_jmpcImm("a", -2147483649.0, "=", 0); }},
    {"imm_not_a_number", false, [](CodeOut& c) { c.code_calcImm("a", std::nan(""), "="); }},
    {"poke_into_system_register", false, [](CodeOut& c) { c.code_pokeImm("Port0", 1); }},
    {"poke_reg_into_system_register", false, [](CodeOut& c) { c.code_pokeReg("Port0", "a"); }},
    {"peek_through_system_register", false, [](CodeOut& c) { c.code_calcPeek("a", "Com", "="); }},
    {"unknown_variable", false, [](CodeOut& c) { c.code_calcImm("nobody", 1, "="); }},
    {"unknown_variable_in_compare", false, [](CodeOut& c) { c.code_jmpcReg("a", "nobody", "=", 0); }},
    {"comparison_as_operator", false, [](CodeOut& c) { c.code_calcImm("a", 1, "<"); }},
    {"operator_as_condition", false, [](CodeOut& c) { c.code_jmpcImm("a", 1, "+", 0); }},
    {"lower_case_operator", false, [](CodeOut& c) { c.code_calcReg("a", "b", "mod"); }},
    {"undeclared_label", false, [](CodeOut& c) { c.code_jmpLabel("nowhere"); }},
    {"hex_template_18_items", false,
     [](CodeOut& c) { c.code_printHex("1,2,3,4,5,6,7,8,9,A,B,C,D,E,F,10,11,12"); }},
    {"hex_template_item_above_FF", false, [](CodeOut& c) { c.code_printHex("1F,100"); }},
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.name;
}

class EmitFault : public Emitters, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(EmitFault, throws_and_writes_no_wrong_byte) {
  mc.compiler.wideMode = GetParam().wide ? -1 : 0;
  EXPECT_THROW(GetParam().emit(mc.codeout), CompileFault);
  // Whatever is appended before the check fails is a whole opcode at most, never a wrong operand byte.
  EXPECT_LE(mc.codeout.codeText.size(), 12u) << mc.codeout.codeText;
}

INSTANTIATE_TEST_SUITE_P(codeout, EmitFault, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Emitters, hex_template_of_17_items_is_accepted) {
  mc.codeout.code_printHex("1,2,3,4,5,6,7,8,9,A,B,C,D,E,F,10,FF");
  EXPECT_EQ(mc.codeout.codeText, "50 23 11 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 FF ");
}

TEST_F(Emitters, wide_immediate_range_ends) {
  mc.compiler.wideMode = -1;
  mc.codeout.code_calcImm("a", 4294967295.0, "=");
  mc.codeout.code_calcImm("a", -2147483648.0, "=");
  EXPECT_EQ(mc.codeout.codeText, "4C 23 41 3D FF FF FF FF 4C 23 41 3D 00 00 00 80 ");
}

TEST_F(Emitters, data_bytes_keep_their_addresses_after_the_preamble) {
  mc.codeout.codeText = "45 44 45 54 00 00 00 45 50 00 00 30 00 00 00 00 00 00 ";
  ASSERT_EQ(mc.codeout.currentAddress(), 18u);
  const std::uint8_t bytes[] = {1, 2, 3};
  mc.codeout.code_outData(bytes);
  EXPECT_EQ(mc.codeout.currentAddress(), 21u);
  EXPECT_EQ(mc.codeout.addressText(), "0015");
}

}  // namespace
}  // namespace kelmore
