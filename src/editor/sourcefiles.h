// The File menu's logic: New, the templates, Open, Save, Save As, Close, a dropped file, the question
// about unsaved changes, the start-up file, TMP.tvr and the file association.
// Layer: editor (plain C++, no Qt).
//
// The current file name is kept as the caption shows it: "Macro-Editor" and the path, or "New.tvr" while
// untitled. The text counts as changed exactly when it differs from savedText. A failed read changes
// nothing; a failed write is shown, keeps the changed state and stops the command that asked for it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/boxicon.h"
#include "editor/association.h"

namespace kelmore::editor {

// The source pane as the file commands see it; text is UTF-8 with "\n" between lines.
class SourcePane {
 public:
  virtual ~SourcePane() = default;
  virtual std::string text() const = 0;
  // A new document: caret at its start, row 1, tab stops every 4 characters, a fresh undo history whose
  // first entry is this text.
  virtual void setDocument(const std::string& text) = 0;
};

enum class Answer { Yes, No, Cancel };

// Boxes and file dialogs; a cancelled dialog gives nothing.
class SourcePrompter {
 public:
  virtual ~SourcePrompter() = default;
  virtual Answer askYesNoCancel(const std::string& text, const std::string& title) = 0;
  virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
  // An empty title is the application's.
  virtual void showMessage(const std::string& text, const std::string& title, BoxIcon icon) = 0;
  virtual std::optional<std::string> saveFileName(const std::string& folder) = 0;
  virtual std::optional<std::string> openFileName(const std::string& folder) = 0;
};

// What the commands do to the main window beyond the pane.
class SourceHost {
 public:
  virtual ~SourceHost() = default;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void initCompileWin() = 0;  // empties the code, listing and list panes
  virtual void closeWindow() = 0;     // the window's own close, which asks Form_QueryUnload
};

struct SourcePlaces {
  std::filesystem::path assets;   // template1.tvr, template2.tvr
  std::filesystem::path tmpFile;  // TMP.tvr
  std::string versionText;        // follows "Compiler Version :" in a template
  AssociationPlaces association;
  std::filesystem::path program;  // the executable the desktop entry opens
  std::filesystem::path icon;
};

class SourceFiles {
 public:
  SourceFiles(SourcePane& pane, SourcePrompter& prompter, SourceHost& host, SourcePlaces places);

  // Start-up: a name ending ".tvr" (any case) is loaded and named; anything else, or a file that cannot
  // be read, starts untitled with the placeholder text.
  void startUp(std::string_view commandLineName);

  // Loads a file as a new document (keywords respelled, the line count shown); false when it cannot be
  // read, after the message, with nothing changed. The caller names the text.
  bool Load(const std::string& path);
  // Writes the pane's text; true and savedText updated when written, else the failure is shown. Text with
  // characters the code page lacks is written (with "?") only when the user says so after seeing them.
  bool Save(const std::string& path);

  void menuWhite_Click();
  void menuTemplate1_Click();
  void menuTemplate2_Click();
  void menuOpen_Click();
  void menuSave_Click();
  void menuAdd_Click();
  void menuClose_Click();
  void openDroppedFile(const std::string& path);
  // Before the window closes: true when it may close.
  bool Form_QueryUnload();
  // The pane's text to TMP.tvr, whatever its state; a failure is shown.
  bool TMP_Save();
  bool TMP_Load();
  void menuFileAssociation_Click();

  std::string caption() const;
  const std::string& fileName() const { return fileName_; }
  bool isUntitled() const;
  const std::string& savedText() const { return savedText_; }
  bool isChanged() const;

 private:
  bool promptToSave();  // true: go on with the command
  bool confirmLostCharacters(const std::string& text);
  std::optional<std::string> chooseSaveName();  // with ".tvr" added to a name typed without an ending
  void loadTemplate(const char* name);
  void name(const std::string& fileName);
  void setCurrentDir(const std::string& path);
  void showFailure(const std::string& error);

  SourcePane& pane_;
  SourcePrompter& prompter_;
  SourceHost& host_;
  SourcePlaces places_;
  std::string fileName_;
  std::string savedText_;
  std::string currentDir_;
};

}  // namespace kelmore::editor
