// Ferrant's strict PRT line rule.
// Layer: loader (plain C++, no Qt).
#include "loader/loaderline.h"

#include "common/numbers.h"
#include "common/prtline.h"

namespace kelmore::loader {

LineBytes readLoaderLine(std::string_view line) {
  LineBytes result;
  const std::vector<std::string_view> tokens = splitPrtItems(line, kTokenDelimiters);
  if (tokens.empty() || !tokens.front().starts_with(kPrtKeyword)) return result;
  result.kind = LineBytes::Kind::Bytes;
  result.bytes.reserve(tokens.size() - 1);
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    const std::string_view token = tokens[i];
    const int high = token.size() >= 1 ? hexDigitValue(token[0]) : -1;
    const int low = token.size() >= 2 ? hexDigitValue(token[1]) : -1;
    if (high < 0 || low < 0) {
      result.kind = LineBytes::Kind::DataError;
      return result;
    }
    result.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return result;
}

}  // namespace kelmore::loader
