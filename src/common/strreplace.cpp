// strReplace.
// Layer: common (plain C++, no Qt).
#include "common/strreplace.h"

namespace kelmore {

int strReplace(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return 0;
  std::size_t pos = text.find(find);
  if (pos == std::string::npos) return 0;
  // One pass into a fresh buffer keeps this linear where replacing in place would shift the tail each time.
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  int count = 0;
  for (; pos != std::string::npos; pos = text.find(find, from)) {
    out.append(text, from, pos - from);
    out.append(replacement);
    from = pos + find.size();
    ++count;
  }
  out.append(text, from, std::string::npos);
  text = std::move(out);
  return count;
}

}  // namespace kelmore
