// CompilerViews: the main window's compile views and the compiler's host. The code pane, the listing pane,
// the address boxes, the variable, label and routine lists and the compile log window, and the host calls
// both compile stages make on them.
// Layer: main window (Qt).
//
// The panes and boxes are children of the window given at construction; the window places panes() and the
// address boxes. The log window is made on first use. The source editor, the model and target boxes and
// the Prompter belong to the window and outlive this object. Spans of the host calls count bytes of the
// UTF-8 text the pane was last given.
//
// A compile writes the code pane three times and the lists row by row. While a Batch lives, the panes and
// lists keep what they are given and show it once, when the outermost Batch ends or before a message box
// or a window refresh; outside a Batch every call shows at once.
#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compiler/host.h"
#include "compiler/mnemonic.h"
#include "mainwindow/codepane.h"
#include "mainwindow/panetext.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;
class QWidget;

namespace kelmore::editor {
class SourceEditor;
}

namespace kelmore::widgets {
class Prompter;
}

namespace kelmore::mainwindow {

class progressform;

class CompilerViews : public CompilerHost, public mnemonic::MnemonicHost {
 public:
  CompilerViews(QWidget* window, editor::SourceEditor& source, const QComboBox& model,
                const QComboBox& target, widgets::Prompter& prompter);
  ~CompilerViews() override;

  class Batch {
   public:
    explicit Batch(CompilerViews& views) : views_(views) { ++views_.batchDepth_; }
    ~Batch() {
      if (--views_.batchDepth_ == 0) views_.showHeld();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    CompilerViews& views_;
  };

  // --- views ---
  CodePane* code = nullptr;
  QPlainTextEdit* mnemonic = nullptr;
  QLineEdit* addText = nullptr;
  QLineEdit* raddText = nullptr;
  QTreeWidget* ListViewAZ = nullptr;
  QTreeWidget* ListViewLabel = nullptr;
  QTreeWidget* ListViewRoutine = nullptr;
  progressform* logWindow();
  // Hides the log window if it was ever made.
  void hideLogWindow();

  // The code pane, the listing pane and the three lists, arranged for the window to place.
  QWidget* panes() const { return panes_; }
  // Start-up, after the window was localised: the panes' fonts and the lists' columns.
  void startUp();
  // Empties the code, listing and list panes and resets the address boxes.
  void initCompileWin();
  // The address boxes without an address: "Add:" and "RAdd:".
  void resetAddressBoxes();

  // --- CompilerHost and MnemonicHost ---
  std::string sourceText() override;
  int caretLine() override;
  void saveSelection() override;
  void restoreSelection() override;
  void markLine(int line) override;
  void setCodeText(std::string_view text) override;
  void colourCode(std::size_t start, std::size_t length, Rgb colour) override;
  void setCodeVisible(bool visible) override;
  void setAddressText(std::string_view text) override;
  void clearList(CompilerList list) override;
  void addListItem(CompilerList list, std::string_view text, std::string_view subItem1,
                   std::string_view subItem2) override;
  std::string listToolTip(CompilerList list) override;
  void setListToolTip(CompilerList list, std::string_view tip) override;
  void clearLog() override;
  void addlog(std::string_view message, LogKind kind) override;
  void setProgressMax(float maximum) override;
  float progressMax() override;
  void setProgressValue(float value) override;
  void setCloseVisible(bool visible) override;
  void refreshWindow() override;
  void messageBox(std::string_view text) override;
  std::string modelName() override;
  int targetArea() override;
  const ImageListView& images() override;
  // Where the image list comes from (the image tool, once it exists); no list reads as no images.
  void setImageSource(std::function<const ImageListView*()> source) { imageSource_ = std::move(source); }
  void activateLog() override;
  // The code pane's text, every line break a LF; the commands read it here rather than from the widget.
  std::string codePaneText() override;
  void setMnemonicText(std::string_view text) override;
  void colourMnemonic(std::size_t start, std::size_t length, Rgb colour) override;

 private:
  // What a pane or list holds that it does not show yet.
  enum class Held { Nothing, Colours, Text };
  struct HeldRows {
    bool clear = false;
    std::vector<std::array<std::string, 3>> rows;
  };

  CodePane* createCodePane();
  void createPanes();
  QTreeWidget* listFor(CompilerList list) const;
  HeldRows& heldRows(CompilerList list);
  // Shows what is held now when no Batch lives.
  void changed();
  void showHeld();
  static void showPane(QPlainTextEdit* pane, const PaneText& text, Held held);

  QWidget* window_;
  editor::SourceEditor& source_;
  const QComboBox& model_;
  const QComboBox& target_;
  widgets::Prompter& prompter_;
  QWidget* panes_ = nullptr;
  QPointer<progressform> logWindow_;
  std::unique_ptr<ImageListView> noImages_;
  std::function<const ImageListView*()> imageSource_;
  PaneText codeText_;  // what the code and listing panes were given
  PaneText mnemonicText_;
  Held codeHeld_ = Held::Nothing;
  Held mnemonicHeld_ = Held::Nothing;
  std::array<HeldRows, 3> heldRows_;
  int batchDepth_ = 0;
  int savedAnchor_ = 0;
  int savedPosition_ = 0;
};

}  // namespace kelmore::mainwindow
