// String table look-up.
// Layer: common (plain C++, no Qt).
#include "common/strings.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace kelmore {
namespace {

struct Entry {
  int id;
  std::string_view text;
};

constexpr auto kStrings = [] {
  auto table = std::to_array<Entry>({
#define S(id, text) {id, text},
#include "common/stringtable.inc"
#undef S
  });
  std::ranges::sort(table, {}, &Entry::id);
  return table;
}();

static_assert(std::ranges::adjacent_find(kStrings, {}, &Entry::id) == kStrings.end(), "duplicate string id");

}  // namespace

std::string_view resString(int id) {
  const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                   [](const Entry& e, int key) { return e.id < key; });
  return it != std::end(kStrings) && it->id == id ? it->text : std::string_view{};
}

}  // namespace kelmore
