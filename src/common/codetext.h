// Code text: compiled macro code held as text, three characters a byte, with label tokens until fix-up.
// Layer: common (plain C++, no Qt).
//
// Byte k stands at characters 3k..3k+2: two upper-case hex digits and a separator, a blank after an
// instruction byte, "." after a Data byte. A label token ("L", four hex digits of the slot, then a blank for
// a relative field or "a" for an absolute one) takes the six characters of the two-byte field it stands for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore {

inline constexpr std::size_t kCellChars = 3;
inline constexpr char kCodeSeparator = ' ';
inline constexpr char kDataSeparator = '.';
inline constexpr std::size_t kLabelTokenChars = 6;
inline constexpr int kLabelSlots = 4096;

// The address of the byte whose cell holds character `offset` (0-based).
constexpr std::size_t byteAddress(std::size_t offset) {
  return offset / kCellChars;
}

// Appends one byte as two upper-case hex digits and its separator.
void appendCodeByte(std::string& codeText, std::uint8_t value, char separator = kCodeSeparator);

// The value of one cell: hex digits from its start up to the first other character; 0 without a leading
// hex digit. Only the first three characters are looked at.
std::uint8_t parseByteCell(std::string_view cell);

// Bytes in a code text as the code pane counts them: (length - 1) / 3 + 1, and 0 for an empty text.
std::size_t codeByteCount(std::string_view codeText);

// Every cell of the text parsed in turn; a short last cell is parsed as it stands.
std::vector<std::uint8_t> codeTextToBytes(std::string_view codeText);

struct LabelTokenRef {
  int slot = 0;
  bool absolute = false;
  friend bool operator==(const LabelTokenRef&, const LabelTokenRef&) = default;
};

// "L001A " or "L001Aa" for slot 26. The slot must lie in 0..4095.
std::string labelToken(int slot, bool absolute);

// Reads a token from the first six characters of `text`; nothing when they are not one.
std::optional<LabelTokenRef> parseLabelToken(std::string_view text);

}  // namespace kelmore
