// PRT line reading grammar.
// Layer: common (plain C++, no Qt).
#include "common/prtline.h"

namespace kelmore {

std::vector<std::string_view> splitPrtItems(std::string_view rest, std::string_view delimiters) {
  std::vector<std::string_view> items;
  std::size_t pos = 0;
  while (pos < rest.size()) {
    const std::size_t start = rest.find_first_not_of(delimiters, pos);
    if (start == std::string_view::npos) break;
    std::size_t end = rest.find_first_of(delimiters, start);
    if (end == std::string_view::npos) end = rest.size();
    items.push_back(rest.substr(start, end - start));
    pos = end;
  }
  return items;
}

}  // namespace kelmore
