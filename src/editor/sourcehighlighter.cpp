// The source pane's colours.
// Layer: editor (Qt).
#include "editor/sourcehighlighter.h"

#include <QColor>

#include "editor/linecolour.h"

namespace kelmore::editor {

std::vector<int> utf16Offsets(const QByteArray& utf8) {
  std::vector<int> at(static_cast<std::size_t>(utf8.size()) + 1, 0);
  int unit = 0;
  for (qsizetype i = 0; i < utf8.size(); ++i) {
    at[static_cast<std::size_t>(i)] = unit;
    const auto b = static_cast<unsigned char>(utf8[i]);
    if ((b & 0xC0) != 0x80) unit += (b >= 0xF0) ? 2 : 1;  // a four-byte character is a surrogate pair
  }
  at.back() = unit;
  return at;
}

SourceHighlighter::SourceHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  for (std::size_t i = 0; i < formats_.size(); ++i) {
    const Rgb c = colourOf(static_cast<ColourClass>(i));
    formats_[i].setForeground(QColor(c.red, c.green, c.blue));
  }
}

void SourceHighlighter::highlightBlock(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  const std::vector<ColourSpan> spans = colourLine(std::string_view(utf8.constData(), utf8.size()));
  if (spans.empty()) return;
  const std::vector<int> at = utf16Offsets(utf8);
  for (const ColourSpan& s : spans) {
    const int from = at[s.start];
    setFormat(from, at[s.start + s.length] - from, formats_[static_cast<std::size_t>(s.cls)]);
  }
}

}  // namespace kelmore::editor
