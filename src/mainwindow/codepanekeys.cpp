// Code pane caret moves and address texts.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/codepanekeys.h"

#include "common/codetext.h"
#include "common/numbers.h"

namespace kelmore::mainwindow {
namespace {

constexpr int kAddressDigits = 4;
// Left and Backspace from any caret before the middle of the second cell go to the first cell.
constexpr std::size_t kLeftToStartBelow = 5;
constexpr std::size_t kReverseModulus = 65536;

// Back by `step` to the start of a cell; the text's start when the caret is too near it.
std::size_t back(std::size_t start, std::size_t step, std::size_t nearStart) {
  return start < nearStart ? 0 : start - step - start % kCellChars;
}

// On by `step` to the start of a cell; the last cell when fewer than `step` characters follow.
std::size_t forward(std::size_t start, std::size_t step, std::size_t textLength) {
  return textLength > start && textLength - start > step ? start + step - start % kCellChars
                                                         : textLength - kCellChars;
}

}  // namespace

std::optional<PaneSelection> selectionAfterKey(PaneKey key, std::size_t start, std::size_t textLength) {
  if (key == PaneKey::None || textLength < kCellChars) return std::nullopt;
  std::size_t moved = start;
  switch (key) {
    case PaneKey::Backspace:
    case PaneKey::Left:
      moved = back(start, kCellChars, kLeftToStartBelow);
      break;
    case PaneKey::Right:
      moved = forward(start, kCellChars, textLength);
      break;
    case PaneKey::Up:
      moved = back(start, kPaneRowChars, kPaneRowChars);
      break;
    case PaneKey::Down:
      moved = forward(start, kPaneRowChars, textLength);
      break;
    case PaneKey::PageUp:
      moved = back(start, kPanePageChars, kPanePageChars);
      break;
    case PaneKey::PageDown:
      moved = forward(start, kPanePageChars, textLength);
      break;
    case PaneKey::Home:
      moved = 0;
      break;
    case PaneKey::End:
      moved = textLength - kCellChars;
      break;
    case PaneKey::Other:
    case PaneKey::None:
      break;
  }
  return PaneSelection{moved, kSelectedCellChars};
}

AddressTexts addressTexts(PaneSelection selection, bool reverse) {
  const std::size_t cells = (selection.length + kCellChars - 1) / kCellChars;
  const std::size_t distance = reverse ? kReverseModulus - cells : cells;
  return {"Add: " + hexUpper(byteAddress(selection.start), kAddressDigits),
          "RAdd: " + hexUpper(distance, kAddressDigits)};
}

}  // namespace kelmore::mainwindow
