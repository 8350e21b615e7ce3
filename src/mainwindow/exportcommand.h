// File > Export: the checks before the dialog, the save dialog, the export file and the boxes after it.
// Layer: main window (Qt).
//
// Boxes and the dialog go through the window's Prompter; failures are logged through `addlog` as
// "error:" lines. The dialog keeps the last name chosen and proposes it next time; the first time it
// starts in the folder of the current source file, or the home folder for an untitled one.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "mainwindow/codeexport.h"

class QWidget;

namespace kelmore::widgets {
class Prompter;
}

namespace kelmore::mainwindow {

// What the command reads of the main window, and its log.
struct ExportSources {
  std::function<QString()> codeText;                       // the code pane's text
  std::function<bool()> sourceChanged;                     // the source differs from the one compiled
  std::function<int()> targetArea;                         // 0..4
  std::function<bool(std::int32_t lastIndex)> fitsMemory;  // shows and logs its own message when not
  std::function<std::filesystem::path()> sourceFile;       // empty while untitled
  std::function<void(const QString&)> addlog;
};

inline constexpr const char* kExportFilter =
    "All Files (*);;Varlesk Format (*.dat);;Hex Format (*.mot);;Binary (*.bin);;TEXT (*.txt)";
inline constexpr const char* kExportSelectedFilter = "Varlesk Format (*.dat)";
inline constexpr const char* kStaleSourceTitle = "Macro Compiler";

class ExportCommand {
 public:
  // `clock` stamps PRT line files; nullptr: the system's local time.
  ExportCommand(QWidget* window, widgets::Prompter& prompter, ExportSources sources,
                const ExportClock* clock = nullptr);
  ~ExportCommand();

  void menuExport_Click();

  // The name chosen in the last dialog.
  const QString& exportFileName() const { return exportFileName_; }

 private:
  QString dialogStart() const;
  void fail(const QString& text);

  QWidget* window_;
  widgets::Prompter& prompter_;
  ExportSources sources_;
  std::unique_ptr<ExportClock> ownClock_;
  const ExportClock* clock_;
  QString exportFileName_;
};

}  // namespace kelmore::mainwindow
