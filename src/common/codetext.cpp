// Code text cells, fields and label tokens.
// Layer: common (plain C++, no Qt).
#include "common/codetext.h"

#include <stdexcept>

#include "common/numbers.h"

namespace kelmore {
namespace {

constexpr std::size_t kSlotDigits = 4;

bool isUpperHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void checkSlot(int slot) {
  if (slot < 0 || slot >= kLabelSlots) throw std::out_of_range("label slot out of range");
}

}  // namespace

void appendCodeByte(std::string& codeText, std::uint8_t value, char separator) {
  codeText.push_back(hexDigit(value >> 4));
  codeText.push_back(hexDigit(value));
  codeText.push_back(separator);
}

void appendField16(std::string& codeText, std::uint16_t value) {
  appendCodeByte(codeText, static_cast<std::uint8_t>(value & 0xFF));
  appendCodeByte(codeText, static_cast<std::uint8_t>(value >> 8));
}

void appendField32(std::string& codeText, std::uint32_t value) {
  appendField16(codeText, static_cast<std::uint16_t>(value & 0xFFFF));
  appendField16(codeText, static_cast<std::uint16_t>(value >> 16));
}

void writeCodeByte(std::string& codeText, std::size_t offset, std::uint8_t value) {
  if (!hasCell(codeText, offset)) throw std::out_of_range("code cell past the end of the text");
  codeText[offset] = hexDigit(value >> 4);
  codeText[offset + 1] = hexDigit(value);
}

void writeField16(std::string& codeText, std::size_t offset, std::uint16_t value) {
  if (offset > codeText.size() || codeText.size() - offset < kField16Chars)
    throw std::out_of_range("code field past the end of the text");
  std::string field;
  appendField16(field, value);
  codeText.replace(offset, kField16Chars, field);
}

void blankSeparators(std::string& codeText) {
  for (std::size_t i = 2; i < codeText.size(); i += kCellChars) codeText[i] = kCodeSeparator;
}

std::uint8_t parseByteCell(std::string_view cell) {
  unsigned value = 0;
  for (std::size_t i = 0; i < cell.size() && i < kCellChars; ++i) {
    const int digit = hexDigitValue(cell[i]);
    if (digit < 0) break;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t readCodeByte(std::string_view codeText, std::size_t offset) {
  if (offset >= codeText.size()) return 0;
  return parseByteCell(codeText.substr(offset, 2));
}

std::uint16_t readField16(std::string_view codeText, std::size_t offset) {
  return static_cast<std::uint16_t>(readCodeByte(codeText, offset) +
                                    256u * readCodeByte(codeText, offset + kCellChars));
}

std::uint32_t readField32(std::string_view codeText, std::size_t offset) {
  return readField16(codeText, offset) + 65536u * readField16(codeText, offset + kField16Chars);
}

std::optional<std::uint8_t> readInstructionByte(std::string_view codeText, std::size_t offset) {
  if (offset > codeText.size() || codeText.size() - offset < kCellChars) return std::nullopt;
  if (!isUpperHexDigit(codeText[offset]) || !isUpperHexDigit(codeText[offset + 1]) ||
      codeText[offset + 2] != kCodeSeparator)
    return std::nullopt;
  return readCodeByte(codeText, offset);
}

std::string_view cellDigits(std::string_view codeText, std::size_t offset) {
  if (offset >= codeText.size()) return {};
  return codeText.substr(offset, 2);
}

char cellSeparator(std::string_view codeText, std::size_t offset) {
  return offset + 2 < codeText.size() ? codeText[offset + 2] : '\0';
}

std::size_t codeByteCount(std::string_view codeText) {
  return codeText.empty() ? 0 : byteAddress(codeText.size() - 1) + 1;
}

std::vector<std::uint8_t> codeTextToBytes(std::string_view codeText) {
  std::vector<std::uint8_t> bytes;
  const std::size_t count = codeByteCount(codeText);
  bytes.reserve(count);
  // The download reads each cell whole, as the user may have left it in the code pane.
  for (std::size_t k = 0; k < count; ++k) bytes.push_back(parseByteCell(codeText.substr(cellOffset(k))));
  return bytes;
}

std::string labelTokenName(int slot) {
  checkSlot(slot);
  std::string name(1, kLabelTokenMark);
  name += hexUpper(static_cast<unsigned>(slot), kSlotDigits);
  return name;
}

std::string labelToken(int slot, bool absolute) {
  std::string token = labelTokenName(slot);
  token += absolute ? 'a' : kCodeSeparator;
  return token;
}

std::optional<LabelTokenRef> parseLabelToken(std::string_view text) {
  if (text.size() < kLabelTokenChars || text[0] != kLabelTokenMark) return std::nullopt;
  int slot = 0;
  for (std::size_t i = 1; i <= kSlotDigits; ++i) {
    if (!isUpperHexDigit(text[i])) return std::nullopt;
    slot = slot * 16 + hexDigitValue(text[i]);
  }
  const char form = text[kLabelTokenChars - 1];
  if (slot >= kLabelSlots || (form != kCodeSeparator && form != 'a')) return std::nullopt;
  return LabelTokenRef{slot, form == 'a'};
}

}  // namespace kelmore
