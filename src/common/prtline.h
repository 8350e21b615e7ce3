// PRT lines: the command-file line that carries bytes as "PRT 1fh 28h ...;", its writer, its grammar and
// the one reader of it.
// Layer: common (plain C++, no Qt).
//
// A writer puts one item a byte: a blank, two lower-case hex digits and "h"; a data line may end with ";"
// straight after its last item. Lines that are not PRT lines ("***" comments, empty lines) are skipped by
// readers. The reader takes the item rule of the program that reads.
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

// The reading of a command file line for sending it, one reader for both programs. A line is split at
// runs of kPrtDelimiters; a line that is no PRT line is skipped; every item gives one byte; the first item
// that fails is a data error, which stops the send: the bytes of the items before it on the line are kept
// for the caller. The item rule names the program whose reading it is:
// - Download, the image download: the line trimmed of blanks, tabs and line ends begins "PRT" and what
//   follows those three characters is items ("PRTX 01h" has the item "X"). An item is two hex digits, then
//   "h" (either case) or nothing, then one ";" or nothing ("1fh;;" passes as well, as it always has).
// - Ferrant: the first item begins "PRT" ("PRTX" passes) and is the keyword. An item gives the byte of its
//   first two characters, both hex digits; whatever follows them is ignored ("PRT 1fx" sends 1F).
enum class ItemRule { Download, Ferrant };

// Tab, CR and LF delimit too: the image tool writes "PRT " lines, and a line may end in blanks.
inline constexpr std::string_view kPrtDelimiters = " ,\t\r\n";
inline constexpr std::string_view kPrtDataError = "File data error.";

struct PrtLineBytes {
  enum class Kind { Skipped, Bytes, DataError };
  Kind kind = Kind::Skipped;
  std::vector<std::uint8_t> bytes;  // for DataError: the bytes of the items before the bad one
};
PrtLineBytes readPrtLine(std::string_view line, ItemRule rule);

}  // namespace kelmore
