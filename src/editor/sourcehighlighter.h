// The source pane's colours: the line colourer's spans applied to each block as formats.
// Layer: editor (Qt).
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>

namespace kelmore::editor {

class SourceHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  explicit SourceHighlighter(QTextDocument* document);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  std::array<QTextCharFormat, 6> formats_;  // by colour class
};

// UTF-16 offset of each UTF-8 byte offset of `utf8` (one entry more than the bytes, for the end).
std::vector<int> utf16Offsets(const QByteArray& utf8);

}  // namespace kelmore::editor
