// Ferrant's reading of one command-file line: the strict PRT rule of the loader.
// Layer: loader (plain C++, no Qt).
//
// A line is split at blanks, commas, tabs and line-end characters (runs count as one). A line whose first
// token does not begin "PRT" (case-sensitive; "PRTX" passes) is skipped. Every further token gives one byte
// from its first two characters, which must both be hex digits; what follows them ("h", ";") is ignored.
// The first token that fails stops the file; the bytes of the tokens before it on that line still go out.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelmore::loader {

// Tab, CR and LF delimit too: the image tool writes "PRT " lines, and a line may end in blanks.
inline constexpr std::string_view kTokenDelimiters = " ,\t\r\n";

struct LineBytes {
  enum class Kind { Skipped, Bytes, DataError };
  Kind kind = Kind::Skipped;
  std::vector<std::uint8_t> bytes;  // for DataError: the bytes of the tokens before the bad one
};

LineBytes readLoaderLine(std::string_view line);

}  // namespace kelmore::loader
