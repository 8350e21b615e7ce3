// The instruction decoder: the length of every instruction form, read from the code text.
// Layer: compiler (plain C++, no Qt).
#include "compiler/instructions.h"

#include <algorithm>

#include "common/codetext.h"

namespace kelmore {
namespace {

// The opcode whose text the five characters are, or nothing.
const OpcodeInfo* matchOpcode(std::string_view five) {
  for (const auto& info : kOpcodes)
    if (five == info.text.substr(0, 5)) return &info;
  return nullptr;
}

// Bytes of the instruction at `offset`, reading only what is present; nothing when a byte that decides
// the length lies past the end.
std::optional<std::size_t> instructionLength(std::string_view text, std::size_t offset,
                                             const OpcodeInfo& info, bool wide) {
  const auto present = [&](std::size_t index) { return offset + 3 * index + 2 <= text.size(); };
  switch (info.operands) {
    case Operands::Counted: {
      if (!present(3)) return std::nullopt;
      const std::size_t count = itemByte(text, offset, 2) + 256u * itemByte(text, offset, 3);
      return 4 + count;
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

std::uint8_t cellByte(std::string_view codeText, std::size_t offset) {
  if (offset >= codeText.size()) return 0;
  return parseByteCell(codeText.substr(offset, 2));
}

CodeItem decodeAt(std::string_view codeText, std::size_t offset, bool wide) {
  CodeItem item;
  item.offset = offset;
  item.wide = wide;
  const OpcodeInfo* info = offset + 5 <= codeText.size() ? matchOpcode(codeText.substr(offset, 5)) : nullptr;
  if (info != nullptr) {
    const auto length = instructionLength(codeText, offset, *info, wide);
    item.info = info;
    if (length && offset + 3 * (*length - 1) + 2 <= codeText.size()) {
      item.kind = ItemKind::Instruction;
      item.lengthBytes = *length;
      item.end = std::min(offset + 3 * *length, codeText.size());
      return item;
    }
    // Runs past the end: everything left belongs to it.
    item.kind = ItemKind::Truncated;
    item.end = codeText.size();
    item.lengthBytes = (item.end - offset + 2) / 3;
    return item;
  }
  item.kind = ItemKind::DataByte;
  item.lengthBytes = 1;
  item.end = std::min(offset + 3, codeText.size());
  return item;
}

CodeItem CodeWalker::next() {
  const CodeItem item = decodeAt(text_, offset_, wide_);
  if (item.is(Opcode::Mode)) wide_ = itemByte(text_, item.offset, 2) == kModeWide;
  offset_ = item.end;
  return item;
}

}  // namespace kelmore
