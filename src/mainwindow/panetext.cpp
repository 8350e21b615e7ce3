// Pane texts: colour runs and the byte-to-pane position map.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/panetext.h"

#include <algorithm>

namespace kelmore::mainwindow {

void ColourRuns::paint(std::size_t start, std::size_t length, Rgb colour, std::size_t textSize) {
  const std::size_t begin = std::min(start, textSize);
  const std::size_t end = begin + std::min(length, textSize - begin);
  if (begin == end) return;
  std::vector<Run> next;
  next.reserve(runs_.size() + 2);
  const auto append = [&next](Run run) {
    if (run.length == 0) return;
    if (!next.empty() && next.back().colour == run.colour &&
        next.back().start + next.back().length == run.start)
      next.back().length += run.length;
    else
      next.push_back(run);
  };
  bool placed = false;
  const auto place = [&] {
    if (!placed && colour != kBlack) append({begin, end - begin, colour});
    placed = true;
  };
  for (const Run& run : runs_) {
    const std::size_t runEnd = run.start + run.length;
    if (runEnd <= begin) {
      append(run);
      continue;
    }
    if (run.start < begin) append({run.start, begin - run.start, run.colour});
    if (run.start >= end) place();
    if (runEnd > end) {
      place();
      const std::size_t from = std::max(run.start, end);
      append({from, runEnd - from, run.colour});
    }
  }
  place();
  runs_ = std::move(next);
}

std::vector<std::size_t> documentPositions(std::string_view text, std::span<const std::size_t> offsets) {
  std::vector<std::size_t> positions;
  positions.reserve(offsets.size());
  std::size_t at = 0;
  std::size_t position = 0;
  for (const std::size_t offset : offsets) {
    for (const std::size_t stop = std::min(offset, text.size()); at < stop; ++at) {
      const auto byte = static_cast<unsigned char>(text[at]);
      if ((byte & 0xC0) == 0x80) continue;                           // inside a character
      if (byte == '\n' && at > 0 && text[at - 1] == '\r') continue;  // CR LF is one break
      position += (byte & 0xF8) == 0xF0 ? 2 : 1;                     // beyond the BMP: a surrogate pair
    }
    positions.push_back(position);
  }
  return positions;
}

std::string paneLines(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
      continue;
    }
    lines += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return lines;
}

}  // namespace kelmore::mainwindow
