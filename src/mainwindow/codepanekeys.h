// The compiled-code pane's keys and address boxes: caret moves by whole byte cells, the address of the
// caret and the number of cells a selection touches.
// Layer: main window (plain C++, no Qt).
//
// Positions are character offsets in the pane's text, three characters a byte (two hex digits and a
// separator). A row of the pane is 16 cells, a page 16 rows.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kelmore::mainwindow {

inline constexpr std::size_t kPaneRowChars = 48;      // 16 cells
inline constexpr std::size_t kPanePageChars = 768;    // 16 rows
inline constexpr std::size_t kSelectedCellChars = 2;  // after a key, the two hex digits of the cell

// The keys that move the caret; Other, the rest of the pane's keys (Enter, Space, Esc, Tab, Shift, Ctrl,
// Alt and the like), which select the cell at the caret without moving it; None, every key beyond them
// (letters, digits, Delete, function keys), which changes nothing.
enum class PaneKey { Backspace, Left, Right, Up, Down, PageUp, PageDown, Home, End, Other, None };

struct PaneSelection {
  std::size_t start = 0;
  std::size_t length = 0;
  friend bool operator==(const PaneSelection&, const PaneSelection&) = default;
};

// The selection after `key` with the caret at `start` in a text of `textLength` characters: the hex
// digits of the cell the key moves to. Nothing for PaneKey::None, nor on a text shorter than one cell,
// where the last cell would lie before the start of the text.
std::optional<PaneSelection> selectionAfterKey(PaneKey key, std::size_t start, std::size_t textLength);

struct AddressTexts {
  std::string add;   // "Add: 0012"
  std::string radd;  // "RAdd: 0005"
  friend bool operator==(const AddressTexts&, const AddressTexts&) = default;
};

// The address of the cell at the selection's start and the number of cells the selection touches, or
// that number negated as a 16-bit two's complement when `reverse` (Shift, Ctrl or Alt held).
AddressTexts addressTexts(PaneSelection selection, bool reverse);

}  // namespace kelmore::mainwindow
