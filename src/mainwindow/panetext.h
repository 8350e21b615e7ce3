// Pane texts: what a read-only text pane of the main window was given, and its colours as merged runs.
// Layer: main window (plain C++, no Qt).
//
// Spans and runs count bytes of the UTF-8 text the pane was given. A pane shows CR LF, a lone CR and a lone
// LF each as one line break, and counts characters in UTF-16 units; documentPositions maps byte offsets to
// those positions in one pass.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/host.h"

namespace kelmore::mainwindow {

// A pane's colours: later spans paint over earlier ones; black is the pane's plain colour and needs no
// run. Runs are kept in order, never overlap, and neighbours of one colour are merged.
class ColourRuns {
 public:
  struct Run {
    std::size_t start = 0;
    std::size_t length = 0;
    Rgb colour;
    friend bool operator==(const Run&, const Run&) = default;
  };

  void clear() { runs_.clear(); }
  // Paints `length` bytes from `start`, cut at `textSize`.
  void paint(std::size_t start, std::size_t length, Rgb colour, std::size_t textSize);
  const std::vector<Run>& runs() const { return runs_; }

 private:
  std::vector<Run> runs_;
};

struct PaneText {
  std::string text;  // as given
  ColourRuns colours;
  void set(std::string_view given) {
    text = std::string(given);
    colours.clear();
  }
};

// The pane positions of ascending byte offsets of `text`; an offset past the end gives the end.
std::vector<std::size_t> documentPositions(std::string_view text, std::span<const std::size_t> offsets);

// The text as the pane gives it back: every line break a LF.
std::string paneLines(std::string_view text);

}  // namespace kelmore::mainwindow
