// Tests of the instruction table and the decoder: every length form, Data and unknown bytes, the end.
// Layer: tests (plain C++).
#include "compiler/instructions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code_builder.h"

namespace kelmore {
namespace {

using testkit::CodeBuilder;

TEST(OpcodeTable, each_opcode_text_decodes_to_its_own_row) {
  for (const auto& info : kOpcodes) {
    EXPECT_EQ(&opcodeInfo(info.opcode), &info) << info.mnemonic;
    // A long enough tail of zero bytes makes every form complete.
    const std::string text = std::string(info.text) + "00 00 00 00 00 00 00 00 00 00 ";
    const CodeItem item = decodeAt(text, 0, false);
    ASSERT_EQ(item.kind, ItemKind::Instruction) << info.mnemonic;
    EXPECT_EQ(item.info->opcode, info.opcode) << info.mnemonic;
  }
}

TEST(OpcodeTable, conditions_invert_in_pairs_and_operators_have_no_inverse) {
  for (const auto& op : kOperators) {
    if (op.condition) {
      ASSERT_TRUE(invertedCondition(op.byte)) << op.token;
      EXPECT_EQ(invertedCondition(*invertedCondition(op.byte)), op.byte) << op.token;
    } else {
      EXPECT_FALSE(invertedCondition(op.byte)) << op.token;
    }
  }
  EXPECT_EQ(invertedCondition(0x3C), 0x29);  // < becomes >=
  EXPECT_EQ(invertedCondition(0x3E), 0x28);  // > becomes <=
}

TEST(OpcodeTable, op_names) {
  EXPECT_EQ(opName('%'), "Mod");
  EXPECT_EQ(opName('|'), "Or");
  EXPECT_EQ(opName('&'), "And");
  EXPECT_EQ(opName('^'), "Xor");
  EXPECT_EQ(opName('!'), "<>");
  EXPECT_EQ(opName('('), "<=");
  EXPECT_EQ(opName(')'), ">=");
  for (char c : std::string("=+-*/<>")) EXPECT_EQ(opName(static_cast<std::uint8_t>(c)), std::string(1, c));
  EXPECT_EQ(opName('i'), "");
  EXPECT_EQ(opName(0), "");
}

struct DecodeCase {
  const char* name;
  std::string text;
  bool wide;
  ItemKind kind;
  std::size_t lengthBytes;
};

std::vector<DecodeCase> decodeCases() {
  using O = Opcode;
  return {
      {"print_const_counts_its_bytes", CodeBuilder().print("ABC").text(), false, ItemKind::Instruction, 7},
      {"print_reg_counts_its_registers", CodeBuilder().printReg("AB").text(), false, ItemKind::Instruction,
       6},
      {"print_count_is_16_bit", CodeBuilder().counted(O::PrintConst, std::string(256, 'x')).text(), false,
       ItemKind::Instruction, 260},
      {"load_imm", CodeBuilder().op(O::LoadImm, {'A', '=', 5, 0}).text(), false, ItemKind::Instruction, 6},
      {"load_imm_wide", CodeBuilder().op(O::LoadImm, {'A', '+', 5, 0, 0, 0}).text(), true,
       ItemKind::Instruction, 8},
      {"load_increment", CodeBuilder().op(O::LoadImm, {'A', 0x69}).text(), true, ItemKind::Instruction, 4},
      {"load_decrement", CodeBuilder().op(O::LoadImm, {'A', 0x64}).text(), false, ItemKind::Instruction, 4},
      {"load_shift_right", CodeBuilder().op(O::LoadImm, {'A', 0x3E, 2}).text(), true, ItemKind::Instruction,
       5},
      {"load_shift_left", CodeBuilder().op(O::LoadImm, {'A', 0x3C, 2}).text(), false, ItemKind::Instruction,
       5},
      {"load_absolute_label_token", CodeBuilder().op(O::LoadImm, {'A', '='}).token(3, true).text(), false,
       ItemKind::Instruction, 6},
      {"load_reg", CodeBuilder().op(O::LoadReg, {'A', '=', 'B'}).text(), true, ItemKind::Instruction, 5},
      {"compare_imm", CodeBuilder().op(O::CompareImm, {'A', '<', 10, 0}).token(1).text(), false,
       ItemKind::Instruction, 8},
      {"compare_imm_wide", CodeBuilder().op(O::CompareImm, {'A', '<', 10, 0, 0, 0}).token(1).text(), true,
       ItemKind::Instruction, 10},
      {"compare_reg_is_never_wide", CodeBuilder().op(O::CompareReg, {'A', '<', 'B'}).token(1).text(), true,
       ItemKind::Instruction, 7},
      {"jump_with_token", CodeBuilder().op(O::Jump).token(0x1A).text(), false, ItemKind::Instruction, 4},
      {"call", CodeBuilder().op(O::Call, {4, 0}).text(), false, ItemKind::Instruction, 4},
      {"event_port", CodeBuilder().op(O::EventPort, {1, 0, '0', 0, 0, 0, 0, 0, 0}).text(), false,
       ItemKind::Instruction, 11},
      {"event_timer", CodeBuilder().op(O::EventTimer, {0, 0, 0}).text(), false, ItemKind::Instruction, 5},
      {"vram_read", CodeBuilder().op(O::VramRead, {'A', 'B'}).text(), false, ItemKind::Instruction, 4},
      {"push", CodeBuilder().op(O::Push, {'A'}).text(), false, ItemKind::Instruction, 3},
      {"target_memory", CodeBuilder().op(O::TargetMemory, {0x20}).text(), false, ItemKind::Instruction, 3},
      {"mode", CodeBuilder().op(O::Mode, {'1'}).text(), false, ItemKind::Instruction, 3},
      {"return", CodeBuilder().op(O::Return).text(), false, ItemKind::Instruction, 2},
      {"data_byte_is_never_an_opcode", CodeBuilder().data({0x50, 0x23, 0x00, 0x00}).text(), false,
       ItemKind::DataByte, 1},
      {"unknown_byte", CodeBuilder().bytes({0xFF, 0x50}).text(), false, ItemKind::DataByte, 1},
      {"lower_case_hex_is_no_opcode", "4a 50 00 00 ", false, ItemKind::DataByte, 1},
      {"count_past_the_end", CodeBuilder().op(O::PrintConst, {5, 0}).bytes({1, 2}).text(), false,
       ItemKind::Truncated, 6},
      {"count_itself_missing", CodeBuilder().op(O::PrintConst, {5}).text(), false, ItemKind::Truncated, 3},
      {"operator_missing", CodeBuilder().op(O::LoadImm, {'A'}).text(), false, ItemKind::Truncated, 3},
      {"last_field_short", CodeBuilder().op(O::Jump, {5}).text(), false, ItemKind::Truncated, 3},
      {"last_separator_may_be_missing", "52 54", false, ItemKind::Instruction, 2},
      {"opcode_cut", "4A 5", false, ItemKind::DataByte, 1},
  };
}

class Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, gives_kind_and_length) {
  const auto& c = GetParam();
  const CodeItem item = decodeAt(c.text, 0, c.wide);
  EXPECT_EQ(item.kind, c.kind);
  EXPECT_EQ(item.lengthBytes, c.lengthBytes);
  EXPECT_LE(item.end, c.text.size());
  if (c.kind == ItemKind::Truncated) {
    EXPECT_EQ(item.end, c.text.size());
  }
}

INSTANTIATE_TEST_SUITE_P(instructions, Decode, ::testing::ValuesIn(decodeCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// The opcodes and lengths a walk meets.
std::vector<std::pair<std::string, std::size_t>> walk(std::string_view text) {
  std::vector<std::pair<std::string, std::size_t>> items;
  CodeWalker walker(text);
  while (!walker.atEnd()) {
    const CodeItem item = walker.next();
    items.emplace_back(item.kind == ItemKind::Instruction ? std::string(item.info->mnemonic) : "data",
                       item.lengthBytes);
  }
  return items;
}

TEST(CodeWalker, mode_instructions_switch_the_immediate_width) {
  using O = Opcode;
  const std::string text = CodeBuilder()
                               .op(O::LoadImm, {'A', '=', 1, 0})
                               .op(O::Mode, {'1'})
                               .op(O::LoadImm, {'A', '=', 1, 0, 0, 0})
                               .op(O::CompareImm, {'A', '=', 1, 0, 0, 0, 4, 0})
                               .op(O::Mode, {'0'})
                               .op(O::LoadImm, {'A', '=', 1, 0})
                               .op(O::Mode, {'1'})
                               .op(O::Mode, {'7'})  // any other byte means 16 bits
                               .op(O::CompareImm, {'A', '=', 1, 0, 4, 0})
                               .text();
  const std::vector<std::pair<std::string, std::size_t>> expected{
      {"L#", 6}, {"MD", 3}, {"L#", 8}, {"C#", 10}, {"MD", 3}, {"L#", 6}, {"MD", 3}, {"MD", 3}, {"C#", 8}};
  EXPECT_EQ(walk(text), expected);
}

TEST(CodeWalker, preamble_and_data) {
  const std::string text = CodeBuilder(kPreamble).data({0x45, 0x45}).op(Opcode::EventEnable).text();
  const std::vector<std::pair<std::string, std::size_t>> expected{{"ED", 2},   {"ET", 5},   {"EP", 11},
                                                                  {"data", 1}, {"data", 1}, {"EE", 2}};
  EXPECT_EQ(walk(text), expected);
}

}  // namespace
}  // namespace kelmore
