// PRT lines: the command-file line that carries bytes as "PRT 1fh 28h ...;", and the grammar every
// reader shares.
// Layer: common (plain C++, no Qt).
//
// A line carries one item a byte: a blank, two lower-case hex digits and "h"; a data line may end with ";"
// straight after its last item. Lines that are not PRT lines ("***" comments, empty lines) are skipped by
// readers. Readers differ in what an item may be; the shared part is finding the items.
#pragma once

#include <string_view>
#include <vector>

namespace kelmore {

inline constexpr std::string_view kPrtKeyword = "PRT";

// The items of a PRT line's rest: split at runs of the `delimiters`, empty pieces dropped.
std::vector<std::string_view> splitPrtItems(std::string_view rest, std::string_view delimiters = " ");

}  // namespace kelmore
