// Code text: compiled macro code held as text, three characters a byte, with label tokens until fix-up.
// Layer: common (plain C++, no Qt).
//
// Byte k stands at characters 3k..3k+2: two upper-case hex digits and a separator, a blank after an
// instruction byte, "." after a Data byte. A 16-bit field is two cells, low byte first; a 32-bit field four.
// A label token ("L", four hex digits of the slot, then a blank for a relative field or "a" for an absolute
// one) takes the six characters of the two-byte field it stands for, so addresses counted from the text's
// length stay right while tokens are in it. This unit alone writes and reads cells, fields and tokens;
// offsets are character offsets from 0, and a reader past the end of the text reads 0.
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
inline constexpr std::size_t kField16Chars = 2 * kCellChars;
inline constexpr char kLabelTokenMark = 'L';  // never a hex digit or separator, so a scan finds every token
inline constexpr std::size_t kLabelTokenChars = kField16Chars;
inline constexpr int kLabelSlots = 4096;

// The address of the byte whose cell holds character `offset`.
constexpr std::size_t byteAddress(std::size_t offset) {
  return offset / kCellChars;
}
// The character offset of byte `address`.
constexpr std::size_t cellOffset(std::size_t address) {
  return address * kCellChars;
}

// --- writing ---

// Appends one byte as two upper-case hex digits and its separator.
void appendCodeByte(std::string& codeText, std::uint8_t value, char separator = kCodeSeparator);
// Appends a 16-bit or 32-bit field as instruction bytes, low byte first.
void appendField16(std::string& codeText, std::uint16_t value);
void appendField32(std::string& codeText, std::uint32_t value);
// Overwrites the two digits of the cell at `offset`; its separator stays.
void writeCodeByte(std::string& codeText, std::size_t offset, std::uint8_t value);
// Overwrites the six characters at `offset` (a 16-bit field or the label token in its place) with the two
// instruction bytes of `value`, low byte first. std::out_of_range when the text is shorter.
void writeField16(std::string& codeText, std::size_t offset, std::uint16_t value);
// Every separator becomes a blank: the Data markers are gone, the bytes stay.
void blankSeparators(std::string& codeText);

// --- reading ---

// The value of one cell: hex digits from its start up to the first other character; 0 without a leading
// hex digit. Only the first three characters are looked at.
std::uint8_t parseByteCell(std::string_view cell);
// Whether the digits of a cell at `offset` are in the text (the last cell may lack its separator).
constexpr bool hasCell(std::string_view codeText, std::size_t offset) {
  return offset + 2 <= codeText.size();
}
// The byte of the cell at `offset`, read as parseByteCell reads its two digits.
std::uint8_t readCodeByte(std::string_view codeText, std::size_t offset);
// A field of two or four cells at `offset`, low byte first.
std::uint16_t readField16(std::string_view codeText, std::size_t offset);
std::uint32_t readField32(std::string_view codeText, std::size_t offset);
// The byte of a cell written as an instruction byte (two upper-case hex digits and a blank); nothing for a
// Data byte, a token or any other text.
std::optional<std::uint8_t> readInstructionByte(std::string_view codeText, std::size_t offset);
// The two digits of the cell at `offset` exactly as the text has them (fewer at the end of the text).
std::string_view cellDigits(std::string_view codeText, std::size_t offset);
// The separator of the cell at `offset`; '\0' when the text ends before it.
char cellSeparator(std::string_view codeText, std::size_t offset);

// Bytes in a code text as the code pane counts them: (length - 1) / 3 + 1, and 0 for an empty text.
std::size_t codeByteCount(std::string_view codeText);
// Every cell of the text parsed in turn; a short last cell is parsed as it stands.
std::vector<std::uint8_t> codeTextToBytes(std::string_view codeText);

// --- label tokens ---

struct LabelTokenRef {
  int slot = 0;
  bool absolute = false;
  friend bool operator==(const LabelTokenRef&, const LabelTokenRef&) = default;
};

// "L001A" for slot 26: the token without its form character, as the label list shows it. The slot must
// lie in 0..4095 (std::out_of_range otherwise), and so for labelToken.
std::string labelTokenName(int slot);
// "L001A " or "L001Aa" for slot 26.
std::string labelToken(int slot, bool absolute);
// Reads a token from the first six characters of `text`; nothing when they are not one.
std::optional<LabelTokenRef> parseLabelToken(std::string_view text);

}  // namespace kelmore
