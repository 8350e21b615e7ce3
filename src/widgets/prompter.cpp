// The real message boxes and file dialogs.
// Layer: widgets (the window kit, Qt).
#include "widgets/prompter.h"

#include <QFileDialog>

namespace kelmore::widgets {

QMessageBox::Icon qtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Critical:
      return QMessageBox::Critical;
    case BoxIcon::Information:
      return QMessageBox::Information;
    case BoxIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton QtPrompter::ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, title.isEmpty() ? QString::fromLatin1(kAppTitle) : title, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString QtPrompter::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QStringList QtPrompter::openFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                      const QString& filter, const QString& selectedFilter) {
  QString selected = selectedFilter;
  return QFileDialog::getOpenFileNames(parent, caption, dir, filter,
                                       selected.isEmpty() ? nullptr : &selected);
}

QString QtPrompter::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter, const QString& selectedFilter) {
  QString selected = selectedFilter;
  return QFileDialog::getSaveFileName(parent, caption, dir, filter,
                                      selectedFilter.isEmpty() ? nullptr : &selected);
}

}  // namespace kelmore::widgets
