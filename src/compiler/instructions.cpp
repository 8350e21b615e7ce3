// The instruction decoder: the length of every instruction form, read from the code text.
// Layer: compiler (plain C++, no Qt).
#include "compiler/instructions.h"

#include <algorithm>

#include "common/codetext.h"

namespace kelmore {
namespace {

// An opcode's two bytes as the walk compares them: the separator of the second is not looked at.
constexpr std::size_t kOpcodeChars = kCellChars + 2;

// The opcode whose text the five characters are, or nothing.
const OpcodeInfo* matchOpcode(std::string_view five) {
  for (const auto& info : kOpcodes)
    if (five == info.text.substr(0, kOpcodeChars)) return &info;
  return nullptr;
}

// Bytes of the instruction at `offset`, reading only what is present; nothing when a byte that decides
// the length lies past the end.
std::optional<std::size_t> instructionLength(std::string_view text, std::size_t offset,
                                             const OpcodeInfo& info, bool wide) {
  const auto present = [&](std::size_t index) { return hasCell(text, itemCell(offset, index)); };
  switch (info.operands) {
    case Operands::Counted: {
      if (!present(3)) return std::nullopt;
      return std::size_t{4} + readField16(text, itemCell(offset, 2));
    }
    case Operands::RegOpImm: {
      if (!present(3)) return std::nullopt;
      const std::uint8_t op = itemByte(text, offset, 3);
      if (op == kOpIncrement || op == kOpDecrement) return 4;
      if (op == kOpShiftRight || op == kOpShiftLeft) return 5;
      return wide ? info.wideLength : info.length;
    }
    default:
      return wide ? info.wideLength : info.length;
  }
}

}  // namespace

CodeItem decodeAt(std::string_view codeText, std::size_t offset, bool wide) {
  CodeItem item;
  item.offset = offset;
  item.wide = wide;
  const OpcodeInfo* info =
      offset + kOpcodeChars <= codeText.size() ? matchOpcode(codeText.substr(offset, kOpcodeChars)) : nullptr;
  if (info != nullptr) {
    const auto length = instructionLength(codeText, offset, *info, wide);
    item.info = info;
    if (length && hasCell(codeText, itemCell(offset, *length - 1))) {
      item.kind = ItemKind::Instruction;
      item.lengthBytes = *length;
      item.end = std::min(itemCell(offset, *length), codeText.size());
      return item;
    }
    // Runs past the end: everything left belongs to it.
    item.kind = ItemKind::Truncated;
    item.end = codeText.size();
    item.lengthBytes = codeByteCount(codeText.substr(offset));
    return item;
  }
  item.kind = ItemKind::DataByte;
  item.lengthBytes = 1;
  item.end = std::min(itemCell(offset, 1), codeText.size());
  return item;
}

CodeItem CodeWalker::next() {
  const CodeItem item = decodeAt(text_, offset_, wide_);
  if (item.is(Opcode::Mode)) wide_ = itemByte(text_, item.offset, 2) == kModeWide;
  offset_ = item.end;
  return item;
}

}  // namespace kelmore
