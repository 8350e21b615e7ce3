// The Export command.
// Layer: main window (Qt).
#include "mainwindow/exportcommand.h"

#include <QDir>
#include <exception>

#include "common/codetext.h"
#include "widgets/prompter.h"
#include "widgets/resstrings.h"

namespace kelmore::mainwindow {

using widgets::resText;

namespace {

constexpr int kResNoCode = 1003;
constexpr int kResStaleSource = 4351;

}  // namespace

ExportCommand::ExportCommand(QWidget* window, widgets::Prompter& prompter, ExportSources sources,
                             const ExportClock* clock)
    : window_(window), prompter_(prompter), sources_(std::move(sources)) {
  if (!clock) {
    ownClock_ = std::make_unique<SystemExportClock>();
    clock = ownClock_.get();
  }
  clock_ = clock;
}

ExportCommand::~ExportCommand() = default;

void ExportCommand::fail(const QString& text) {
  prompter_.message(window_, text);
  sources_.addlog(QStringLiteral("error:") + text);
}

QString ExportCommand::dialogStart() const {
  if (!exportFileName_.isEmpty()) return exportFileName_;
  const std::filesystem::path source = sources_.sourceFile();
  if (source.empty() || !source.has_parent_path()) return QDir::homePath();
  return QString::fromStdString(source.parent_path().string());
}

void ExportCommand::menuExport_Click() {
  const QString text = sources_.codeText();
  if (text.isEmpty()) {
    fail(resText(kResNoCode));
    return;
  }
  if (sources_.sourceChanged() &&
      prompter_.ask(window_, QMessageBox::NoIcon, QString::fromLatin1(kStaleSourceTitle),
                    resText(kResStaleSource), QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
    return;
  const std::string codeText = text.toStdString();
  if (!sources_.fitsMemory(static_cast<std::int32_t>((codeText.size() - 1) / kCellChars))) return;

  const QString chosen =
      prompter_.saveFileName(window_, {}, dialogStart(), QString::fromLatin1(kExportFilter),
                             QString::fromLatin1(kExportSelectedFilter));
  if (chosen.isEmpty()) return;
  exportFileName_ = chosen;

  ExportResult result;
  try {
    result =
        exportCode(codeText, sources_.targetArea(), std::filesystem::path(chosen.toStdString()), *clock_);
  } catch (const std::exception& error) {
    // A code or area the framing cannot carry: nothing is written.
    result = {ExportResult::Kind::NotSaved, std::string(kExportNotSaved) + " " + error.what()};
  }
  const QString message = QString::fromStdString(result.message);
  if (result.kind == ExportResult::Kind::NotSaved)
    fail(message);
  else
    prompter_.message(window_, message);
}

}  // namespace kelmore::mainwindow
