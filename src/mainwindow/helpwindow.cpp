// The help viewer.
// Layer: main window (Qt).
#include "mainwindow/helpwindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kelmore::mainwindow {

HelpWindow::HelpWindow(std::filesystem::path folder, QWidget* owner)
    : QWidget(owner, Qt::Window), folder_(std::move(folder)) {
  setWindowTitle(QStringLiteral("Help"));
  browser_ = new QTextBrowser(this);
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(640, 560);
}

void HelpWindow::contents() {
  showPlace(helpContents());
}

void HelpWindow::context(int helpContext) {
  showPlace(helpForContext(helpContext));
}

void HelpWindow::keyword(std::string_view word) {
  showPlace(helpForKeyword(word));
}

void HelpWindow::quit() {
  close();
}

void HelpWindow::showPlace(const HelpPlace& place) {
  const std::filesystem::path page = folder_ / place.page;
  if (std::error_code ec; std::filesystem::is_regular_file(page, ec)) {
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(page.string()));
    if (!place.anchor.empty()) url.setFragment(QString::fromStdString(place.anchor));
    browser_->setSource(url);
  } else {
    // The reference is missing or incomplete where it was installed: say so where the user looks.
    browser_->clear();
    browser_->setPlainText(QStringLiteral("The help pages are not installed.\n") +
                           QString::fromStdString(page.string()) + QStringLiteral(" was not found."));
  }
  show();
  raise();
  activateWindow();
}

}  // namespace kelmore::mainwindow
