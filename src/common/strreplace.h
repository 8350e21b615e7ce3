// strReplace: every occurrence of a text replaced in place, left to right.
// Layer: common (plain C++, no Qt).
#pragma once

#include <string>
#include <string_view>

namespace kelmore {

// Replaces each occurrence of `find` in `text` from left to right; the search goes on after each inserted
// replacement, so inserted text is never searched again. Exact comparison. Returns the number replaced.
// An empty `find` replaces nothing. Linear in the size of the text and the result.
int strReplace(std::string& text, std::string_view find, std::string_view replacement);

}  // namespace kelmore
