// The File menu's logic.
// Layer: editor (plain C++, no Qt).
#include "editor/sourcefiles.h"

#include <exception>
#include <system_error>
#include <vector>

#include "common/strings.h"
#include "common/strreplace.h"
#include "editor/respace.h"
#include "editor/sourcefile.h"

namespace kelmore::editor {
namespace {

constexpr int kConfirmTitle = 101;
constexpr int kSaveChangeText = 2010;
constexpr int kUntitledName = 2011;
constexpr int kCaptionHead = 2012;
constexpr int kPlaceholderText = 2013;
constexpr int kAssociationQuestion = 4402;
constexpr int kNotTvrText = 4403;
constexpr std::string_view kVersionLabel = "Compiler Version :";
// The source of every file error shown; the description follows two blanks.
constexpr std::string_view kErrorSource = "Kelmore";

}  // namespace

SourceFiles::SourceFiles(SourcePane& pane, SourcePrompter& prompter, SourceHost& host, SourcePlaces places)
    : pane_(pane), prompter_(prompter), host_(host), places_(std::move(places)) {
  std::error_code ec;
  currentDir_ = std::filesystem::current_path(ec).string();
  fileName_ = resString(kUntitledName);
}

std::string SourceFiles::caption() const {
  return std::string(resString(kCaptionHead)) + fileName_;
}

bool SourceFiles::isUntitled() const {
  return fileName_ == resString(kUntitledName);
}

bool SourceFiles::isChanged() const {
  return savedText_ != pane_.text();
}

void SourceFiles::name(const std::string& fileName) {
  fileName_ = fileName;
  host_.setCaption(caption());
}

void SourceFiles::setCurrentDir(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) currentDir_ = folder.string();
}

void SourceFiles::showFailure(const std::string& error) {
  prompter_.showMessage(std::string(kErrorSource) + "  " + error, {}, BoxIcon::None);
}

void SourceFiles::startUp(std::string_view commandLineName) {
  const std::string path(commandLineName);
  if (hasTvrExtension(path) && Load(path)) {
    name(path);
    host_.initCompileWin();
    return;
  }
  pane_.setDocument(std::string(resString(kPlaceholderText)));
  savedText_ = pane_.text();
  name(std::string(resString(kUntitledName)));
}

bool SourceFiles::Load(const std::string& path) {
  const SourceRead read = readSourceFile(path);
  if (!read.ok) {
    showFailure(read.error);
    return false;
  }
  const ColouredText coloured = colourSourceText(read.text);
  pane_.setDocument(coloured.text);
  setCurrentDir(path);
  // The load-time respelling is part of the file as loaded: it is no unsaved change.
  savedText_ = pane_.text();
  prompter_.showMessage(std::to_string(coloured.lines) + " lines loaded.", "Loaded", BoxIcon::Information);
  return true;
}

bool SourceFiles::Save(const std::string& path) {
  const std::string text = pane_.text();
  if (!confirmLostCharacters(text)) return false;
  const SourceWrite written = writeSourceFile(path, text);
  if (!written.ok) {
    showFailure(written.error);
    return false;
  }
  savedText_ = text;
  return true;
}

bool SourceFiles::confirmLostCharacters(const std::string& text) {
  std::vector<LostCharacter> lost;
  try {
    lost = unencodableCharacters(text);
  } catch (const std::exception&) {
    return true;  // a code page that cannot be converted at all fails the write itself, with its message
  }
  if (lost.empty()) return true;
  // One row a line, and no more rows than a box can show.
  constexpr int kMaxRows = 10;
  std::string list;
  int rows = 0;
  for (std::size_t i = 0; i < lost.size(); ++i) {
    const bool sameLine = i > 0 && lost[i].line == lost[i - 1].line;
    if (!sameLine && ++rows > kMaxRows) {
      list += "\n ...";
      break;
    }
    list += sameLine ? " " : "\n line " + std::to_string(lost[i].line) + ": ";
    list += lost[i].character;
  }
  return prompter_.askYesNo(
      "These characters are not in the code page and are saved as \"?\":" + list + "\nSave anyway?",
      std::string(resString(kConfirmTitle)));
}

std::optional<std::string> SourceFiles::chooseSaveName() {
  const std::optional<std::string> chosen = prompter_.saveFileName(currentDir_);
  if (!chosen || chosen->empty()) return std::nullopt;
  return withTvrExtension(*chosen);
}

bool SourceFiles::promptToSave() {
  if (!isChanged()) return true;
  const Answer answer = prompter_.askYesNoCancel(fileName_ + std::string(resString(kSaveChangeText)),
                                                 std::string(resString(kConfirmTitle)));
  if (answer == Answer::No) return true;
  if (answer == Answer::Cancel) return false;
  if (!isUntitled()) return Save(fileName_);
  const std::optional<std::string> chosen = chooseSaveName();
  if (!chosen || !Save(*chosen)) return false;
  name(*chosen);
  return true;
}

void SourceFiles::menuWhite_Click() {
  if (!promptToSave()) return;
  pane_.setDocument({});
  savedText_.clear();
  name(std::string(resString(kUntitledName)));
  host_.initCompileWin();
}

void SourceFiles::menuTemplate1_Click() {
  loadTemplate("template1.tvr");
}
void SourceFiles::menuTemplate2_Click() {
  loadTemplate("template2.tvr");
}

void SourceFiles::loadTemplate(const char* file) {
  if (!promptToSave()) return;
  const SourceRead read = readSourceFile(places_.assets / file);
  if (!read.ok) {
    showFailure(read.error);
    return;
  }
  std::string text = read.text;
  strReplace(text, kVersionLabel, std::string(kVersionLabel) + places_.versionText);
  const ColouredText coloured = colourSourceText(text);
  pane_.setDocument(coloured.text);
  savedText_ = pane_.text();
  prompter_.showMessage(std::to_string(coloured.lines) + " lines loaded.", "Loaded", BoxIcon::Information);
  name(std::string(resString(kUntitledName)));
}

void SourceFiles::menuOpen_Click() {
  if (!promptToSave()) return;
  const std::optional<std::string> chosen = prompter_.openFileName(currentDir_);
  if (!chosen || chosen->empty() || !Load(*chosen)) return;
  name(*chosen);
  host_.initCompileWin();
}

void SourceFiles::menuSave_Click() {
  if (isUntitled()) {
    menuAdd_Click();
    return;
  }
  Save(fileName_);
}

void SourceFiles::menuAdd_Click() {
  const std::optional<std::string> chosen = chooseSaveName();
  if (!chosen || !Save(*chosen)) return;
  name(*chosen);
}

void SourceFiles::menuClose_Click() {
  host_.closeWindow();
}

void SourceFiles::openDroppedFile(const std::string& path) {
  // A file that is no source is refused before anything is asked.
  if (!hasTvrExtension(path)) {
    prompter_.showMessage(std::string(resString(kNotTvrText)), "Error", BoxIcon::Critical);
    return;
  }
  if (!promptToSave() || !Load(path)) return;
  name(path);
  host_.initCompileWin();
}

bool SourceFiles::Form_QueryUnload() {
  return promptToSave();
}

bool SourceFiles::TMP_Save() {
  const SourceWrite written = writeSourceFile(places_.tmpFile, pane_.text());
  if (!written.ok) showFailure(written.error);
  return written.ok;
}

bool SourceFiles::TMP_Load() {
  return Load(places_.tmpFile.string());
}

void SourceFiles::menuFileAssociation_Click() {
  if (!prompter_.askYesNo(std::string(resString(kAssociationQuestion)), "confirm")) return;
  const AssociationResult r = registerTvrAssociation(places_.association, places_.program, places_.icon);
  if (r.ok)
    prompter_.showMessage("(*.tvr) File association is changed.", {}, BoxIcon::Information);
  else
    prompter_.showMessage("File association failed. " + r.error, {}, BoxIcon::Critical);
}

}  // namespace kelmore::editor
