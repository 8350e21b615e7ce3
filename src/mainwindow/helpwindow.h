// The help viewer: a small window that shows the pages of the language reference.
// Layer: main window (Qt).
//
// Made hidden; each help command shows the window and the place the help map gives. A folder or page that
// is not there is said inside the window, never in a box. quit() closes the window.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>

#include "mainwindow/helpsystem.h"

class QTextBrowser;

namespace kelmore::mainwindow {

class HelpWindow : public QWidget, public HelpSystem {
  Q_OBJECT
 public:
  // `folder` holds the pages; the window stays on top of `owner` and goes with it.
  HelpWindow(std::filesystem::path folder, QWidget* owner);

  void contents() override;
  void context(int helpContext) override;
  void keyword(std::string_view word) override;
  void quit() override;

  QTextBrowser* browser() const { return browser_; }

 private:
  void showPlace(const HelpPlace& place);

  std::filesystem::path folder_;
  QTextBrowser* browser_ = nullptr;
};

}  // namespace kelmore::mainwindow
