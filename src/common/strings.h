// The string table: interface texts and messages by numeric id, as UTF-8.
// Layer: common (plain C++, no Qt).
//
// The texts are the system's own, byte for byte (misspellings and Japanese texts included); the data lives
// in stringtable.inc. An unknown id gives an empty text.
#pragma once

#include <string_view>

namespace kelmore {

std::string_view resString(int id);

}  // namespace kelmore
