// A prompter for window tests: records every box and answers from a script, without showing anything.
// Layer: tests.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "widgets/prompter.h"

namespace kelmore::widgets::test {

struct FileDialog {
  QString dir;
  QString filter;
  QString selectedFilter;
};

struct Box {
  QMessageBox::Icon icon;
  QString title;  // as passed; empty is the application's title
  QString text;
};

class ScriptedPrompter : public Prompter {
 public:
  std::vector<Box> boxes;
  std::deque<QMessageBox::StandardButton> answers;  // default: the first button offered
  std::function<void(const Box&)> onBox;            // runs while the box "is shown"
  QStringList fileNames;                            // answers of the file dialogs, in turn
  std::vector<FileDialog> saveDialogs;              // what each save dialog was opened with

  QMessageBox::StandardButton ask(QWidget*, QMessageBox::Icon icon, const QString& title, const QString& text,
                                  QMessageBox::StandardButtons buttons) override {
    boxes.push_back({icon, title, text});
    if (onBox) onBox(boxes.back());
    if (!answers.empty()) {
      const auto answer = answers.front();
      answers.pop_front();
      return answer;
    }
    for (int bit = 1; bit != 0; bit <<= 1)
      if (buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit)))
        return static_cast<QMessageBox::StandardButton>(bit);
    return QMessageBox::NoButton;
  }
  QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return next(); }
  QString saveFileName(QWidget*, const QString&, const QString& dir, const QString& filter,
                       const QString& selectedFilter = {}) override {
    saveDialogs.push_back({dir, filter, selectedFilter});
    return next();
  }

  QStringList texts() const {
    QStringList list;
    for (const auto& box : boxes) list << box.text;
    return list;
  }

 private:
  QString next() { return fileNames.isEmpty() ? QString() : fileNames.takeFirst(); }
};

}  // namespace kelmore::widgets::test
