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

#include "editor/sourceeditor.h"
#include "mainwindow/progressform.h"
#include "widgets/prompter.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::mainwindow {

using widgets::fromStd;
using widgets::loadResStrings;
using widgets::setResTip;

namespace {

QColor toColour(Rgb rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
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
                             const QComboBox& target, widgets::Prompter& prompter)
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

void CompilerViews::startUp() {
  // Hex cells and listing lines need no text shaping; without it a long code text lays out in half the
  // time. Set after localisation, which gives every control the window's font.
  for (QPlainTextEdit* pane : {static_cast<QPlainTextEdit*>(code), mnemonic}) {
    QFont font = pane->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    pane->setFont(font);
  }

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
  setCodeText("");
  setMnemonicText("");
  resetAddressBoxes();
  clearList(CompilerList::Variables);
  clearList(CompilerList::Routines);
  clearList(CompilerList::Labels);
}

void CompilerViews::resetAddressBoxes() {
  addText->setText(QStringLiteral("Add:"));
  raddText->setText(QStringLiteral("RAdd:"));
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
// Showing what the views hold

void CompilerViews::changed() {
  if (batchDepth_ == 0) showHeld();
}

void CompilerViews::showHeld() {
  showPane(code, codeText_, codeHeld_);
  codeHeld_ = Held::Nothing;
  showPane(mnemonic, mnemonicText_, mnemonicHeld_);
  mnemonicHeld_ = Held::Nothing;
  for (CompilerList list : {CompilerList::Variables, CompilerList::Labels, CompilerList::Routines}) {
    HeldRows& held = heldRows(list);
    QTreeWidget* view = listFor(list);
    if (held.clear) view->clear();
    if (!held.rows.empty()) {
      QList<QTreeWidgetItem*> items;
      items.reserve(static_cast<qsizetype>(held.rows.size()));
      for (const auto& row : held.rows)
        items.append(new QTreeWidgetItem(QStringList{fromStd(row[0]), fromStd(row[1]), fromStd(row[2])}));
      view->addTopLevelItems(items);
    }
    held = {};
  }
}

// The text once, then its colours as one extra selection a run, so the document itself is never edited.
void CompilerViews::showPane(QPlainTextEdit* pane, const PaneText& text, Held held) {
  if (held == Held::Nothing) return;
  if (held == Held::Text) {
    pane->setExtraSelections({});
    // Emptied first: Qt replaces a long text in place at about twice the cost.
    pane->clear();
    pane->setPlainText(fromStd(paneLines(text.text)));
  }
  const std::vector<ColourRuns::Run>& runs = text.colours.runs();
  std::vector<std::size_t> offsets;
  offsets.reserve(runs.size() * 2);
  for (const ColourRuns::Run& run : runs) {
    offsets.push_back(run.start);
    offsets.push_back(run.start + run.length);
  }
  const std::vector<std::size_t> positions = documentPositions(text.text, offsets);
  const auto last = static_cast<std::size_t>(pane->document()->characterCount() - 1);
  QList<QTextEdit::ExtraSelection> marks;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(pane->document());
    mark.cursor.setPosition(static_cast<int>(std::min(positions[2 * i], last)));
    mark.cursor.setPosition(static_cast<int>(std::min(positions[2 * i + 1], last)), QTextCursor::KeepAnchor);
    mark.format.setForeground(toColour(runs[i].colour));
    marks.append(mark);
  }
  pane->setExtraSelections(marks);
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
  codeText_.set(text);
  codeHeld_ = Held::Text;
  changed();
}

void CompilerViews::colourCode(std::size_t start, std::size_t length, Rgb colour) {
  codeText_.colours.paint(start, length, colour, codeText_.text.size());
  codeHeld_ = std::max(codeHeld_, Held::Colours);
  changed();
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

CompilerViews::HeldRows& CompilerViews::heldRows(CompilerList list) {
  return heldRows_[static_cast<std::size_t>(list)];
}

void CompilerViews::clearList(CompilerList list) {
  heldRows(list) = {true, {}};
  changed();
}

void CompilerViews::addListItem(CompilerList list, std::string_view text, std::string_view subItem1,
                                std::string_view subItem2) {
  heldRows(list).rows.push_back({std::string(text), std::string(subItem1), std::string(subItem2)});
  changed();
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
  showHeld();
  window_->repaint();
}

void CompilerViews::messageBox(std::string_view text) {
  showHeld();  // the box shows over the views as they stand
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
  return paneLines(codeText_.text);
}

void CompilerViews::setMnemonicText(std::string_view text) {
  mnemonicText_.set(text);
  mnemonicHeld_ = Held::Text;
  changed();
}

void CompilerViews::colourMnemonic(std::size_t start, std::size_t length, Rgb colour) {
  mnemonicText_.colours.paint(start, length, colour, mnemonicText_.text.size());
  mnemonicHeld_ = std::max(mnemonicHeld_, Held::Colours);
  changed();
}

}  // namespace kelmore::mainwindow
