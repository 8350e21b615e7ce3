// PRT line writer, its grammar and the one reader with its two item rules.
// Layer: common (plain C++, no Qt).
#include "common/prtline.h"

#include <algorithm>

#include "common/numbers.h"
#include "common/text.h"

namespace kelmore {

std::string prtItem(std::uint8_t value) {
  // Items are written in lower case: " 1fh".
  const auto lower = [](char digit) { return digit >= 'A' ? static_cast<char>(digit - 'A' + 'a') : digit; };
  return {' ', lower(hexDigit(value >> 4)), lower(hexDigit(value)), 'h'};
}

std::string prtLine(std::span<const std::uint8_t> bytes, bool semicolon) {
  std::string line(kPrtKeyword);
  line.reserve(line.size() + 4 * bytes.size() + 1);
  for (std::uint8_t b : bytes) line += prtItem(b);
  if (semicolon) line.push_back(';');
  return line;
}

std::optional<std::string_view> prtLineRest(std::string_view line) {
  const std::string_view trimmed = trimWhitespace(line);
  if (!trimmed.starts_with(kPrtKeyword)) return std::nullopt;
  return trimmed.substr(kPrtKeyword.size());
}

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

std::string_view withoutSemicolon(std::string_view item) {
  if (item.ends_with(';')) item.remove_suffix(1);
  return item;
}

namespace {

// The byte of the item's first two characters, when both are hex digits.
std::optional<std::uint8_t> leadingHexPair(std::string_view item) {
  if (item.size() < 2) return std::nullopt;
  const int high = hexDigitValue(item[0]);
  const int low = hexDigitValue(item[1]);
  if (high < 0 || low < 0) return std::nullopt;
  return static_cast<std::uint8_t>(high * 16 + low);
}

}  // namespace

std::optional<std::uint8_t> parsePrtItem(std::string_view item) {
  item = withoutSemicolon(item);
  if (item.size() != 3 || (item[2] != 'h' && item[2] != 'H')) return std::nullopt;
  return leadingHexPair(item);
}

namespace {

// The text of the items after the keyword, or nothing when the line is no PRT line.
std::optional<std::string_view> itemsText(std::string_view line, ItemRule rule) {
  if (rule == ItemRule::Download) return prtLineRest(line);
  const std::size_t start = line.find_first_not_of(kPrtDelimiters);
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t end = std::min(line.find_first_of(kPrtDelimiters, start), line.size());
  if (!line.substr(start, end - start).starts_with(kPrtKeyword)) return std::nullopt;
  return line.substr(end);
}

std::optional<std::uint8_t> readItem(std::string_view item, ItemRule rule) {
  if (rule == ItemRule::Ferrant) return leadingHexPair(item);
  // The "h" may be left out; the ";" goes before the written form is read.
  item = withoutSemicolon(item);
  return item.size() == 2 ? leadingHexPair(item) : parsePrtItem(item);
}

}  // namespace

PrtLineBytes readPrtLine(std::string_view line, ItemRule rule) {
  PrtLineBytes result;
  const auto rest = itemsText(line, rule);
  if (!rest) return result;
  result.kind = PrtLineBytes::Kind::Bytes;
  for (std::string_view item : splitPrtItems(*rest, kPrtDelimiters)) {
    const auto value = readItem(item, rule);
    if (!value) {
      result.kind = PrtLineBytes::Kind::DataError;
      return result;
    }
    result.bytes.push_back(*value);
  }
  return result;
}

}  // namespace kelmore
