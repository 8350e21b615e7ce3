// PRT lines: the command-file line that carries bytes as "PRT 1fh 28h ...;", its writer and the grammar
// every reader shares.
// Layer: common (plain C++, no Qt).
//
// A writer puts one item a byte: a blank, two lower-case hex digits and "h"; a data line may end with ";"
// straight after its last item. Lines that are not PRT lines ("***" comments, empty lines) are skipped by
// readers. Readers differ in what an item may be; the shared part is finding the items.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore {

inline constexpr std::string_view kPrtKeyword = "PRT";
inline constexpr std::string_view kPrtCommentMark = "***";

// " 1fh" for 0x1F.
std::string prtItem(std::uint8_t value);
// "PRT" and one item for each byte, then ";" when asked: "PRT 1fh 28h;". No bytes give "PRT" (or "PRT;").
std::string prtLine(std::span<const std::uint8_t> bytes, bool semicolon);

// The text after "PRT" when the trimmed line begins with those three characters (case-sensitive; "PRTX"
// passes too), nothing for any other line.
std::optional<std::string_view> prtLineRest(std::string_view line);

// The items of a PRT line's rest: split at runs of the `delimiters`, empty pieces dropped.
std::vector<std::string_view> splitPrtItems(std::string_view rest, std::string_view delimiters = " ");

// The item without one final ";".
std::string_view withoutSemicolon(std::string_view item);

// A written item: exactly two hex digits and "h" (either case of digit), with or without the final ";".
std::optional<std::uint8_t> parsePrtItem(std::string_view item);
// An item to send: two hex digits, with or without "h" (either case), with or without the final ";".
std::optional<std::uint8_t> parseSendItem(std::string_view item);

// The strict reading of a command file line, for sending it: a line is a PRT line when it begins "PRT" after
// blanks; its items, split at blanks, commas, tabs and line-end characters, are each two hex digits with or
// without "h" and one final ";". Any other item is a data error, which stops the send: the bytes of the
// items before it on the line are kept for the caller.
struct PrtLineBytes {
  enum class Kind { Skipped, Bytes, DataError };
  Kind kind = Kind::Skipped;
  std::vector<std::uint8_t> bytes;
};
PrtLineBytes readPrtLine(std::string_view line);
inline constexpr std::string_view kPrtSendDelimiters = " ,\t\r\n";
inline constexpr std::string_view kPrtDataError = "File data error.";

}  // namespace kelmore
