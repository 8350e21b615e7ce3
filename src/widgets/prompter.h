// Message boxes and file dialogs of every window, behind one interface that tests script.
// Layer: widgets (the window kit, Qt).
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "common/boxicon.h"

class QWidget;

namespace kelmore::widgets {

// The Qt icon of a box that plain code asks for.
QMessageBox::Icon qtIcon(BoxIcon icon);

// The title every box of the application carries unless it names its own.
inline constexpr const char* kAppTitle = "Kelmore";

class Prompter {
 public:
  virtual ~Prompter() = default;
  // A modal box; returns the button pressed (the only one for an OK box). An empty title is kAppTitle.
  virtual QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                          const QString& text, QMessageBox::StandardButtons buttons) = 0;
  // File dialogs; an empty result means the user cancelled. `selectedFilter` is the entry of `filter`
  // the save dialog starts with (empty: the first).
  virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                               const QString& filter) = 0;
  virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                               const QString& filter, const QString& selectedFilter = {}) = 0;
  // The open dialog with several files allowed; `selectedFilter` as for the save dialog. A prompter that
  // offers one file at a time answers with that one.
  virtual QStringList openFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, const QString& selectedFilter = {}) {
    (void)selectedFilter;
    const QString name = openFileName(parent, caption, dir, filter);
    return name.isEmpty() ? QStringList() : QStringList{name};
  }

  // An OK box.
  void message(QWidget* parent, const QString& text, const QString& title = {},
               QMessageBox::Icon icon = QMessageBox::NoIcon) {
    ask(parent, icon, title, text, QMessageBox::Ok);
  }
};

// The real boxes and dialogs.
class QtPrompter : public Prompter {
 public:
  QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                  const QString& text, QMessageBox::StandardButtons buttons) override;
  QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                       const QString& filter) override;
  QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                       const QString& selectedFilter = {}) override;
  QStringList openFileNames(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter, const QString& selectedFilter = {}) override;
};

}  // namespace kelmore::widgets
