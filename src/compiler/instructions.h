// The macro instruction set: one table of opcodes, operand layouts, lengths and mnemonics, the operator and
// condition bytes, and the one decoder that steps through a code text instruction by instruction.
// Layer: compiler (plain C++, no Qt).
//
// Every pass that reads code (the emitters' opcode bytes, the optimiser's walk, the listing) takes lengths
// and names from here; nobody keeps a second list. The decoder works on the code text itself (three
// characters a byte, "." after Data bytes, label tokens still allowed in the last field of an instruction)
// and never reads past its end: a byte that starts no instruction is one data byte, and an instruction
// whose bytes run past the end of the text is reported as Truncated, covering the rest of the text.
//
// Character offsets here are 0-based (the byte at offset o has address o / 3).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/codetext.h"
#include "common/numbers.h"

namespace kelmore {

enum class Opcode : std::uint8_t {
  PrintConst,    // P#
  PrintReg,      // PR
  LoadImm,       // L#
  LoadReg,       // LR
  CompareImm,    // C#
  CompareReg,    // CR
  Jump,          // JP
  Call,          // JS
  Return,        // RT
  EventEnable,   // EE
  EventDisable,  // ED
  EventTouch,    // ES
  EventTimer,    // ET
  EventPort,     // EP
  EventReturn,   // RE
  Wait,          // WT
  VramImm,       // V#
  VramReg,       // VR
  VramRead,      // vR
  Push,          // PS
  Pop,           // PL
  End,           // BK
  TargetMemory,  // SG
  Mem8,          // W1
  Mem16,         // W2
  Mem32,         // W4
  Mode,          // MD
};

// What follows the two opcode bytes.
enum class Operands : std::uint8_t {
  None,            // nothing
  Counted,         // 16-bit count n, then n bytes (P# literal bytes, PR register codes)
  RegOpImm,        // reg, operator, imm (2 or 4 bytes); operators 69/64 take no imm, 3E/3C one count byte
  RegOpReg,        // dst, operator, src
  RegCondImmSkip,  // reg, condition, imm (2 or 4 bytes), skip
  RegCondRegSkip,  // reg1, condition, reg2, skip
  Skip,            // skip
  FlagSkip,        // flag (01 set, 00 clear), skip
  PortEvent,       // enable, comparison, port character, value (2), mask (2), skip
  RegByte,         // reg, byte
  RegReg,          // reg1, reg2
  Reg,             // reg
  Byte,            // one byte (memory code, mode character)
};

struct OpcodeInfo {
  Opcode opcode;
  std::string_view mnemonic;  // "P#", "L#", "vR", ...
  std::uint8_t first;         // the two ASCII opcode bytes
  std::uint8_t second;
  std::string_view text;  // the opcode as it stands in the code text, "50 23 "
  Operands operands;
  std::uint8_t length;      // bytes of the 16-bit form (Counted: the 4-byte header; L#: the imm form)
  std::uint8_t wideLength;  // bytes after "4D 44 31"
};

// In the order the listing compares them.
inline constexpr std::array<OpcodeInfo, 27> kOpcodes{{
    {Opcode::PrintConst, "P#", 0x50, 0x23, "50 23 ", Operands::Counted, 4, 4},
    {Opcode::PrintReg, "PR", 0x50, 0x52, "50 52 ", Operands::Counted, 4, 4},
    {Opcode::LoadImm, "L#", 0x4C, 0x23, "4C 23 ", Operands::RegOpImm, 6, 8},
    {Opcode::LoadReg, "LR", 0x4C, 0x52, "4C 52 ", Operands::RegOpReg, 5, 5},
    {Opcode::CompareImm, "C#", 0x43, 0x23, "43 23 ", Operands::RegCondImmSkip, 8, 10},
    {Opcode::CompareReg, "CR", 0x43, 0x52, "43 52 ", Operands::RegCondRegSkip, 7, 7},
    {Opcode::Jump, "JP", 0x4A, 0x50, "4A 50 ", Operands::Skip, 4, 4},
    {Opcode::Call, "JS", 0x4A, 0x53, "4A 53 ", Operands::Skip, 4, 4},
    {Opcode::Return, "RT", 0x52, 0x54, "52 54 ", Operands::None, 2, 2},
    {Opcode::EventEnable, "EE", 0x45, 0x45, "45 45 ", Operands::None, 2, 2},
    {Opcode::EventDisable, "ED", 0x45, 0x44, "45 44 ", Operands::None, 2, 2},
    {Opcode::EventTouch, "ES", 0x45, 0x53, "45 53 ", Operands::FlagSkip, 5, 5},
    {Opcode::EventTimer, "ET", 0x45, 0x54, "45 54 ", Operands::FlagSkip, 5, 5},
    {Opcode::EventPort, "EP", 0x45, 0x50, "45 50 ", Operands::PortEvent, 11, 11},
    {Opcode::EventReturn, "RE", 0x52, 0x45, "52 45 ", Operands::None, 2, 2},
    {Opcode::Wait, "WT", 0x57, 0x54, "57 54 ", Operands::None, 2, 2},
    {Opcode::VramImm, "V#", 0x56, 0x23, "56 23 ", Operands::RegByte, 4, 4},
    {Opcode::VramReg, "VR", 0x56, 0x52, "56 52 ", Operands::RegReg, 4, 4},
    {Opcode::VramRead, "vR", 0x76, 0x52, "76 52 ", Operands::RegReg, 4, 4},
    {Opcode::Push, "PS", 0x50, 0x53, "50 53 ", Operands::Reg, 3, 3},
    {Opcode::Pop, "PL", 0x50, 0x4C, "50 4C ", Operands::Reg, 3, 3},
    {Opcode::End, "BK", 0x42, 0x4B, "42 4B ", Operands::None, 2, 2},
    {Opcode::TargetMemory, "SG", 0x53, 0x47, "53 47 ", Operands::Byte, 3, 3},
    {Opcode::Mem8, "W1", 0x57, 0x31, "57 31 ", Operands::None, 2, 2},
    {Opcode::Mem16, "W2", 0x57, 0x32, "57 32 ", Operands::None, 2, 2},
    {Opcode::Mem32, "W4", 0x57, 0x34, "57 34 ", Operands::None, 2, 2},
    {Opcode::Mode, "MD", 0x4D, 0x44, "4D 44 ", Operands::Byte, 3, 3},
}};

// opcodeInfo() indexes the table by opcode, and each row's text spells its two bytes.
static_assert(
    [] {
      for (std::size_t i = 0; i < kOpcodes.size(); ++i) {
        const OpcodeInfo& row = kOpcodes[i];
        const char spelled[] = {hexDigit(row.first >> 4),  hexDigit(row.first),  kCodeSeparator,
                                hexDigit(row.second >> 4), hexDigit(row.second), kCodeSeparator};
        if (row.opcode != static_cast<Opcode>(i) || row.text != std::string_view(spelled, sizeof spelled))
          return false;
      }
      return true;
    }(),
    "kOpcodes is in Opcode order and its texts match its bytes");

constexpr const OpcodeInfo& opcodeInfo(Opcode op) {
  return kOpcodes[static_cast<std::size_t>(op)];
}
// "50 23 " for P#: what an emitter appends first.
constexpr std::string_view opcodeText(Opcode op) {
  return opcodeInfo(op).text;
}

// L# operators that no emitter writes but the walk and the listing know.
inline constexpr std::uint8_t kOpIncrement = 0x69;   // "i": reg + 1, no imm (4 bytes)
inline constexpr std::uint8_t kOpDecrement = 0x64;   // "d": reg - 1, no imm (4 bytes)
inline constexpr std::uint8_t kOpShiftRight = 0x3E;  // ">": one count byte (5 bytes)
inline constexpr std::uint8_t kOpShiftLeft = 0x3C;   // "<": one count byte (5 bytes)
inline constexpr std::uint8_t kOpLoad = 0x3D;        // "=": load, or the equal condition

// MD operand: "0" 16-bit immediates, "1" 32-bit immediates.
inline constexpr std::uint8_t kModeNarrow = 0x30;
inline constexpr std::uint8_t kModeWide = 0x31;

// The three instructions every code text starts with: ED, ET cleared, EP cleared.
inline constexpr std::string_view kPreamble = "45 44 45 54 00 00 00 45 50 00 00 30 00 00 00 00 00 00 ";

// Operator and condition tokens as the source writes them and the byte each stands for.
struct OperatorInfo {
  std::string_view token;
  std::uint8_t byte;
  bool arithmetic;        // L# / LR operator ("=" loads)
  bool condition;         // C# / CR condition
  std::uint8_t inverted;  // the opposite condition's byte (conditions only)
};

inline constexpr std::array<OperatorInfo, 14> kOperators{{
    {"=", 0x3D, true, true, 0x21},
    {"+", 0x2B, true, false, 0},
    {"-", 0x2D, true, false, 0},
    {"*", 0x2A, true, false, 0},
    {"/", 0x2F, true, false, 0},
    {"Mod", 0x25, true, false, 0},
    {"Or", 0x7C, true, false, 0},
    {"And", 0x26, true, false, 0},
    {"Xor", 0x5E, true, false, 0},
    {"<", 0x3C, false, true, 0x29},
    {">", 0x3E, false, true, 0x28},
    {"<>", 0x21, false, true, 0x3D},
    {"<=", 0x28, false, true, 0x3E},
    {">=", 0x29, false, true, 0x3C},
}};

// The source text of an operator or condition byte ("%" gives "Mod", "(" gives "<="); empty for others.
constexpr std::string_view opName(std::uint8_t byte) {
  for (const auto& op : kOperators)
    if (op.byte == byte) return op.token;
  return {};
}

// The inverted condition of a condition byte; nothing for a byte that is no condition.
constexpr std::optional<std::uint8_t> invertedCondition(std::uint8_t byte) {
  for (const auto& op : kOperators)
    if (op.condition && op.byte == byte) return op.inverted;
  return std::nullopt;
}

// --- decoding ---

enum class ItemKind : std::uint8_t {
  Instruction,  // a known opcode, all its bytes present
  DataByte,     // one byte that starts no instruction (a Data byte, or an unknown byte)
  Truncated,    // a known opcode whose bytes run past the end of the text; covers the rest of the text
};

struct CodeItem {
  ItemKind kind = ItemKind::DataByte;
  const OpcodeInfo* info = nullptr;  // Instruction and Truncated
  std::size_t offset = 0;            // character offset of the first byte
  std::size_t end = 0;               // character offset just past the item, at most the text's length
  std::size_t lengthBytes = 0;       // bytes the item covers
  bool wide = false;                 // 4-byte immediates (the mode in force where the item starts)

  bool is(Opcode op) const { return kind == ItemKind::Instruction && info->opcode == op; }
};

// The offset of byte `index` of the item at `offset` (index 0 is the first opcode byte), and that byte.
constexpr std::size_t itemCell(std::size_t offset, std::size_t index) {
  return offset + cellOffset(index);
}
inline std::uint8_t itemByte(std::string_view codeText, std::size_t offset, std::size_t index) {
  return readCodeByte(codeText, itemCell(offset, index));
}

// Decodes the item that starts at character `offset` (< codeText.size()). An opcode matches when the five
// characters there are its two bytes with a blank between; anything else is one data byte.
CodeItem decodeAt(std::string_view codeText, std::size_t offset, bool wide);

// Steps through a code text from its start in 16-bit mode; MD "1" switches to 4-byte immediates, MD with
// any other byte back to 2-byte ones.
class CodeWalker {
 public:
  explicit CodeWalker(std::string_view codeText) : text_(codeText) {}

  bool atEnd() const { return offset_ >= text_.size(); }
  std::size_t offset() const { return offset_; }
  bool wide() const { return wide_; }

  // Decodes the item at the current offset and steps past it.
  CodeItem next();
  // Continues at `offset` (an item start the caller knows), keeping the mode.
  void seek(std::size_t offset) { offset_ = offset; }

 private:
  std::string_view text_;
  std::size_t offset_ = 0;
  bool wide_ = false;
};

}  // namespace kelmore
