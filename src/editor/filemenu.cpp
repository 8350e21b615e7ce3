// The File menu for the main window.
// Layer: editor (Qt).
#include "editor/filemenu.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "editor/sourceeditor.h"
#include "editor/sourcefile.h"
#include "platform/paths.h"
#include "widgets/prompter.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::editor {
namespace {

const QString kFilter = QStringLiteral("PMacro(*.tvr)");

using widgets::fromStd;
using widgets::resTextOr;

}  // namespace

class FileMenu::Pane : public SourcePane {
 public:
  explicit Pane(SourceEditor* editor) : editor_(editor) {}
  std::string text() const override { return editor_->sourceText().toStdString(); }
  void setDocument(const std::string& text) override { editor_->setDocumentText(fromStd(text)); }

 private:
  SourceEditor* editor_;
};

class FileMenu::Dialogs : public SourcePrompter {
 public:
  Dialogs(QWidget* window, widgets::Prompter& prompter) : window_(window), prompter_(prompter) {}
  Answer askYesNoCancel(const std::string& text, const std::string& title) override {
    switch (prompter_.ask(window_, QMessageBox::Question, fromStd(title), fromStd(text),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
      case QMessageBox::Yes:
        return Answer::Yes;
      case QMessageBox::No:
        return Answer::No;
      default:
        return Answer::Cancel;
    }
  }
  bool askYesNo(const std::string& text, const std::string& title) override {
    return prompter_.ask(window_, QMessageBox::Question, fromStd(title), fromStd(text),
                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }
  void showMessage(const std::string& text, const std::string& title, BoxIcon icon) override {
    prompter_.message(window_, fromStd(text), fromStd(title), widgets::qtIcon(icon));
  }
  std::optional<std::string> saveFileName(const std::string& folder) override {
    const QString name = prompter_.saveFileName(window_, {}, fromStd(folder), kFilter);
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
  }
  std::optional<std::string> openFileName(const std::string& folder) override {
    const QString name = prompter_.openFileName(window_, {}, fromStd(folder), kFilter);
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
  }

 private:
  QWidget* window_;
  widgets::Prompter& prompter_;
};

class FileMenu::Host : public SourceHost {
 public:
  Host(QWidget* window, std::function<void()> initCompileWin)
      : window_(window), initCompileWin_(std::move(initCompileWin)) {}
  void setCaption(const std::string& caption) override { window_->setWindowTitle(fromStd(caption)); }
  void initCompileWin() override {
    if (initCompileWin_) initCompileWin_();
  }
  void closeWindow() override { window_->close(); }

 private:
  QWidget* window_;
  std::function<void()> initCompileWin_;
};

SourcePlaces defaultSourcePlaces(const QString& versionText) {
  SourcePlaces places;
  places.assets = platform::assetDir();
  places.tmpFile = tmpSourcePath();
  places.versionText = versionText.toStdString();
  places.association = associationPlaces();
  places.program = QCoreApplication::applicationFilePath().toStdString();
  places.icon = places.assets / "kelmore.png";
  return places;
}

FileMenu::FileMenu(QWidget* window, SourceEditor* editor, widgets::Prompter& prompter,
                   std::function<void()> initCompileWin, const QString& versionText)
    : FileMenu(window, editor, prompter, std::move(initCompileWin), defaultSourcePlaces(versionText)) {}

FileMenu::FileMenu(QWidget* window, SourceEditor* editor, widgets::Prompter& prompter,
                   std::function<void()> initCompileWin, SourcePlaces places)
    : QObject(window),
      window_(window),
      pane_(std::make_unique<Pane>(editor)),
      dialogs_(std::make_unique<Dialogs>(window, prompter)),
      host_(std::make_unique<Host>(window, std::move(initCompileWin))),
      files_(std::make_unique<SourceFiles>(*pane_, *dialogs_, *host_, std::move(places))) {
  createActions(editor);
  // Files dropped on the pane or anywhere on the window open like File > Open.
  connect(editor, &SourceEditor::filesDropped, this, [this](const QStringList& paths) {
    if (!paths.isEmpty()) openDroppedFile(paths.front());
  });
  window_->setAcceptDrops(true);
  window_->installEventFilter(this);
}

FileMenu::~FileMenu() = default;

void FileMenu::createActions(SourceEditor* editor) {
  const auto action = [this](int id, const char* design, auto slot) {
    auto* a = new QAction(resTextOr(id, design), this);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  menuWhite = action(2202, "&New", [this] { menuWhite_Click(); });
  menuTemplate1 = action(2203, "Template &1", [this] { menuTemplate1_Click(); });
  menuTemplate2 = action(2204, "Template &2", [this] { menuTemplate2_Click(); });
  menuOpen = action(2205, "&Open", [this] { menuOpen_Click(); });
  menuSave = action(2206, "&Save", [this] { menuSave_Click(); });
  menuAdd = action(2207, "Save &As", [this] { menuAdd_Click(); });
  menuClose = action(2208, "&Close", [this] { menuClose_Click(); });
  menuUndo = action(2210, "&Undo", [editor] { editor->textUndo(); });
  menuRedo = action(2211, "&Redo", [editor] { editor->textRedo(); });
  menuCut = action(2212, "Cu&t", [editor] { editor->textCut(); });
  menuCopy = action(2213, "&Copy", [editor] { editor->textCopy(); });
  menuPaste = action(2214, "&Paste", [editor] { editor->textPaste(); });
  menuAllSellect = action(2215, "Select &All", [editor] { editor->textAllSellect(); });
  menuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  menuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  menuCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  menuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  menuPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  menuAllSellect->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  menuPop = new QAction(resTextOr(2244, "&Pop-up Help"), this);
  menuPop->setCheckable(true);
  menuPop->setChecked(editor->popupHints());
  connect(menuPop, &QAction::toggled, editor, &SourceEditor::setPopupHints);
  menuFileAssociation = action(2246, "&File Association", [this] { menuFileAssociation_Click(); });
}

QMenu* FileMenu::insertMenus(QMenuBar* bar, QAction* before) {
  auto* file = new QMenu(resTextOr(2200, "&File"), bar);
  QMenu* fresh = file->addMenu(resTextOr(2201, "&New"));
  fresh->addAction(menuWhite);
  fresh->addAction(menuTemplate1);
  fresh->addAction(menuTemplate2);
  file->addAction(menuOpen);
  file->addAction(menuSave);
  file->addAction(menuAdd);
  file->addSeparator();
  file->addAction(menuClose);

  auto* edit = new QMenu(resTextOr(2209, "&Edit"), bar);
  edit->addAction(menuUndo);
  edit->addAction(menuRedo);
  edit->addSeparator();
  edit->addAction(menuCut);
  edit->addAction(menuCopy);
  edit->addAction(menuPaste);
  edit->addAction(menuAllSellect);

  bar->insertMenu(before, file);
  bar->insertMenu(before, edit);
  return file;
}

bool FileMenu::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().front().isLocalFile()) {
      drop->acceptProposedAction();
      if (event->type() == QEvent::Drop) openDroppedFile(data->urls().front().toLocalFile());
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void FileMenu::startUp(const QString& commandLineName) {
  files_->startUp(commandLineName.toStdString());
}
void FileMenu::menuWhite_Click() {
  files_->menuWhite_Click();
}
void FileMenu::menuTemplate1_Click() {
  files_->menuTemplate1_Click();
}
void FileMenu::menuTemplate2_Click() {
  files_->menuTemplate2_Click();
}
void FileMenu::menuOpen_Click() {
  files_->menuOpen_Click();
}
void FileMenu::menuSave_Click() {
  files_->menuSave_Click();
}
void FileMenu::menuAdd_Click() {
  files_->menuAdd_Click();
}
void FileMenu::menuClose_Click() {
  files_->menuClose_Click();
}
void FileMenu::menuFileAssociation_Click() {
  files_->menuFileAssociation_Click();
}
void FileMenu::openDroppedFile(const QString& path) {
  files_->openDroppedFile(platform::absolutePath(path.toStdString()).string());
}
bool FileMenu::Form_QueryUnload() {
  return files_->Form_QueryUnload();
}
bool FileMenu::TMP_Save() {
  return files_->TMP_Save();
}

}  // namespace kelmore::editor
