// The compile views: code and listing panes, address boxes, lists and log window, as the compiler's host.
// Layer: main window (Qt).
#include "mainwindow/compilerviews.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeWidget>

#include "mainwindow/editor/sourceeditor.h"
#include "mainwindow/progressform.h"
#include "mainwindow/prompter.h"
#include "mainwindow/resstrings.h"

namespace kelmore::mainwindow {
namespace {

QString fromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor toColour(Rgb rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

// The document position of byte `offset` of the text a pane was given (line ends CR LF, CR or LF become
// one paragraph break in the document).
int documentPosition(const std::string& raw, std::size_t offset) {
  QString prefix = QString::fromUtf8(raw.data(), static_cast<qsizetype>(std::min(offset, raw.size())));
  prefix.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return static_cast<int>(prefix.size());
}

QString paneText(std::string_view raw) {
  QString text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// Colours a span of a pane through extra selections, so the document itself is never edited. Black over
// the whole text is the plain state. `raw` is the text the pane was given; spans count its bytes.
void colourSpan(QPlainTextEdit* pane, const std::string& raw, std::size_t start, std::size_t length,
                Rgb colour) {
  QList<QTextEdit::ExtraSelection> marks = pane->extraSelections();
  if (colour == kBlack && start == 0 && length >= raw.size()) {
    pane->setExtraSelections({});
    return;
  }
  const int total = pane->document()->characterCount() - 1;
  QTextEdit::ExtraSelection mark;
  mark.cursor = QTextCursor(pane->document());
  mark.cursor.setPosition(std::min(documentPosition(raw, start), total));
  mark.cursor.setPosition(std::min(documentPosition(raw, start + length), total), QTextCursor::KeepAnchor);
  mark.format.setForeground(toColour(colour));
  marks.append(mark);
  pane->setExtraSelections(marks);
}

// The image list while there is no image tool: no images.
class NoImages : public ImageListView {
 public:
  std::int16_t imgCount() const override { return 0; }

 protected:
  ImageEntry imageAt(int) const override { return {}; }
};

}  // namespace

CompilerViews::CompilerViews(QWidget* window, editor::SourceEditor& source, const QComboBox& model,
                             const QComboBox& target, Prompter& prompter)
    : window_(window),
      source_(source),
      model_(model),
      target_(target),
      prompter_(prompter),
      noImages_(std::make_unique<NoImages>()) {
  createPanes();
}

CompilerViews::~CompilerViews() = default;

// The one place the code pane is made.
CodePane* CompilerViews::createCodePane() {
  return new CodePane(window_);
}

void CompilerViews::createPanes() {
  code = createCodePane();
  mnemonic = new QPlainTextEdit(window_);
  mnemonic->setReadOnly(true);
  mnemonic->setLineWrapMode(QPlainTextEdit::NoWrap);

  const auto readOnlyBox = [this](const char* text, int width) {
    auto* box = new QLineEdit(QString::fromUtf8(text), window_);
    box->setReadOnly(true);
    box->setFixedWidth(width);
    return box;
  };
  addText = readOnlyBox("Add:", 90);
  raddText = readOnlyBox("RAdd:", 90);
  setResTip(addText, 2518);
  setResTip(raddText, 2519);
  addText->setToolTip(QStringLiteral("Address of object code"));
  raddText->setToolTip(QStringLiteral("Distance between start and end of the selection."));
  QObject::connect(code, &CodePane::addressChanged, addText, [this](const QString& add, const QString& radd) {
    addText->setText(add);
    raddText->setText(radd);
  });

  const auto listView = [this] {
    auto* view = new QTreeWidget(window_);
    view->setRootIsDecorated(false);
    view->setColumnCount(0);
    view->setHeaderLabels({});
    return view;
  };
  // Columns are added at start-up; the design views have none.
  ListViewAZ = listView();
  ListViewLabel = listView();
  ListViewRoutine = listView();

  auto* lists = new QSplitter(Qt::Horizontal, window_);
  lists->addWidget(ListViewAZ);
  lists->addWidget(ListViewLabel);
  lists->addWidget(ListViewRoutine);
  auto* panes = new QSplitter(Qt::Vertical, window_);
  panes->addWidget(code);
  panes->addWidget(mnemonic);
  panes->addWidget(lists);
  panes_ = panes;
}

void CompilerViews::addListColumns() {
  ListViewAZ->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Variable")});
  ListViewRoutine->setHeaderLabels({QStringLiteral("Routine"), QStringLiteral("Argument")});
  ListViewLabel->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Label"), QStringLiteral("Add")});
  // The design widths are in scale units of about 40 pixels.
  const auto widths = [](QTreeWidget* view, std::initializer_list<double> units) {
    int column = 0;
    for (double unit : units) view->setColumnWidth(column++, static_cast<int>(unit * 40));
  };
  widths(ListViewAZ, {0.5, 9});
  widths(ListViewRoutine, {8.5, 11});
  widths(ListViewLabel, {3, 9, 3});
}

void CompilerViews::initCompileWin() {
  code->clear();
  mnemonic->clear();
  addText->setText(QStringLiteral("Add:"));
  raddText->setText(QStringLiteral("RAdd:"));
  ListViewAZ->clear();
  ListViewRoutine->clear();
  ListViewLabel->clear();
}

progressform* CompilerViews::logWindow() {
  if (!logWindow_) {
    logWindow_ = new progressform(window_);
    loadResStrings(logWindow_);
  }
  return logWindow_;
}

void CompilerViews::hideLogWindow() {
  if (logWindow_) logWindow_->hide();
}

// ---------------------------------------------------------------------------------------------------------
// The compiler's host

std::string CompilerViews::sourceText() {
  return source_.sourceText().toStdString();
}

int CompilerViews::caretLine() {
  return source_.textCursor().blockNumber();
}

void CompilerViews::saveSelection() {
  savedAnchor_ = source_.textCursor().anchor();
  savedPosition_ = source_.textCursor().position();
}

void CompilerViews::restoreSelection() {
  QTextCursor cursor = source_.textCursor();
  const int end = source_.document()->characterCount() - 1;
  cursor.setPosition(std::min(savedAnchor_, end));
  cursor.setPosition(std::min(savedPosition_, end), QTextCursor::KeepAnchor);
  source_.setTextCursor(cursor);
  source_.setFocus();
}

void CompilerViews::markLine(int line) {
  QTextCursor cursor(source_.document());
  const QTextBlock block = source_.document()->findBlockByNumber(line);
  if (block.isValid()) {
    cursor.setPosition(block.position());
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
  } else {
    cursor.select(QTextCursor::Document);
  }
  QTextEdit::ExtraSelection mark;
  mark.cursor = cursor;
  mark.format.setForeground(Qt::red);
  source_.setExtraSelections({mark});
  source_.setTextCursor(cursor);
  source_.setFocus();
}

void CompilerViews::setCodeText(std::string_view text) {
  codeRaw_ = std::string(text);
  code->setExtraSelections({});
  code->setPlainText(paneText(text));
}

void CompilerViews::colourCode(std::size_t start, std::size_t length, Rgb colour) {
  colourSpan(code, codeRaw_, start, length, colour);
}

void CompilerViews::setCodeVisible(bool visible) {
  code->setVisible(visible);
}

void CompilerViews::setAddressText(std::string_view text) {
  addText->setText(fromStd(text));
}

QTreeWidget* CompilerViews::listFor(CompilerList list) const {
  switch (list) {
    case CompilerList::Variables:
      return ListViewAZ;
    case CompilerList::Labels:
      return ListViewLabel;
    case CompilerList::Routines:
      break;
  }
  return ListViewRoutine;
}

void CompilerViews::clearList(CompilerList list) {
  listFor(list)->clear();
}

void CompilerViews::addListItem(CompilerList list, std::string_view text, std::string_view subItem1,
                                std::string_view subItem2) {
  auto* item = new QTreeWidgetItem(listFor(list));
  item->setText(0, fromStd(text));
  item->setText(1, fromStd(subItem1));
  item->setText(2, fromStd(subItem2));
}

std::string CompilerViews::listToolTip(CompilerList list) {
  return listFor(list)->toolTip().toStdString();
}

void CompilerViews::setListToolTip(CompilerList list, std::string_view tip) {
  listFor(list)->setToolTip(fromStd(tip));
}

void CompilerViews::clearLog() {
  logWindow()->clearLog();
}

void CompilerViews::addlog(std::string_view message, LogKind) {
  logWindow()->addlog(fromStd(message));
}

void CompilerViews::setProgressMax(float maximum) {
  logWindow()->setProgressMax(maximum);
}

float CompilerViews::progressMax() {
  return logWindow()->progressMax();
}

void CompilerViews::setProgressValue(float value) {
  logWindow()->setProgressValue(value);
}

void CompilerViews::setCloseVisible(bool visible) {
  logWindow()->CndClose->setVisible(visible);
}

void CompilerViews::refreshWindow() {
  window_->repaint();
}

void CompilerViews::messageBox(std::string_view text) {
  prompter_.message(window_, fromStd(text));
}

std::string CompilerViews::modelName() {
  return model_.currentText().toStdString();
}

int CompilerViews::targetArea() {
  return target_.currentIndex();
}

const ImageListView& CompilerViews::images() {
  const ImageListView* list = imageSource_ ? imageSource_() : nullptr;
  return list ? *list : *noImages_;
}

void CompilerViews::activateLog() {
  progressform* log = logWindow();
  log->show();
  log->activateWindow();
  log->repaint();
}

std::string CompilerViews::codePaneText() {
  return code->toPlainText().toStdString();
}

void CompilerViews::setMnemonicText(std::string_view text) {
  mnemonicRaw_ = std::string(text);
  mnemonic->setExtraSelections({});
  mnemonic->setPlainText(paneText(text));
}

void CompilerViews::colourMnemonic(std::size_t start, std::size_t length, Rgb colour) {
  colourSpan(mnemonic, mnemonicRaw_, start, length, colour);
}

}  // namespace kelmore::mainwindow
