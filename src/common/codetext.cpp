// Code text cells and label tokens.
// Layer: common (plain C++, no Qt).
#include "common/codetext.h"

#include <stdexcept>

#include "common/numbers.h"

namespace kelmore {

void appendCodeByte(std::string& codeText, std::uint8_t value, char separator) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  codeText.push_back(kDigits[value >> 4]);
  codeText.push_back(kDigits[value & 0x0F]);
  codeText.push_back(separator);
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

std::size_t codeByteCount(std::string_view codeText) {
  return codeText.empty() ? 0 : (codeText.size() - 1) / kCellChars + 1;
}

std::vector<std::uint8_t> codeTextToBytes(std::string_view codeText) {
  std::vector<std::uint8_t> bytes;
  const std::size_t count = codeByteCount(codeText);
  bytes.reserve(count);
  for (std::size_t k = 0; k < count; ++k) bytes.push_back(parseByteCell(codeText.substr(k * kCellChars)));
  return bytes;
}

std::string labelToken(int slot, bool absolute) {
  if (slot < 0 || slot >= kLabelSlots) throw std::out_of_range("label slot out of range");
  std::string token = "L";
  token += hexUpper(static_cast<unsigned>(slot), 4);
  token += absolute ? 'a' : ' ';
  return token;
}

std::optional<LabelTokenRef> parseLabelToken(std::string_view text) {
  if (text.size() < kLabelTokenChars || text[0] != 'L') return std::nullopt;
  int slot = 0;
  for (std::size_t i = 1; i <= 4; ++i) {
    const int digit = hexDigitValue(text[i]);
    if (digit < 0 || (text[i] >= 'a' && text[i] <= 'f')) return std::nullopt;
    slot = slot * 16 + digit;
  }
  if (text[5] != ' ' && text[5] != 'a') return std::nullopt;
  return LabelTokenRef{slot, text[5] == 'a'};
}

}  // namespace kelmore
