// The toolbar, the view switch and the help entries.
// Layer: main window (Qt).
#include "mainwindow/toolbar.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QToolBar>

#include "mainwindow/toolkeys.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::mainwindow {

using widgets::fromStd;
using widgets::resText;
using widgets::setResCaption;
using widgets::setResTip;

namespace {

QAction* menuAction(QObject* parent, int id) {
  auto* action = new QAction(resText(id), parent);
  setResCaption(action, id);
  return action;
}

// Buttons that show a state: the two-state ones, and those whose command shows itself running.
bool showsState(ToolCommand command) {
  return command == ToolCommand::Check || command == ToolCommand::View || command == ToolCommand::Compile ||
         command == ToolCommand::Rewrite || command == ToolCommand::Start || command == ToolCommand::AutoExec;
}

}  // namespace

ToolBar::ToolBar(QMainWindow* window, ToolHandlers& handlers) : QObject(window), handlers_(handlers) {
  tbX = window->addToolBar(QStringLiteral("tbX"));
  tbX->setObjectName(QStringLiteral("tbX"));
  tbX->setMovable(false);
  tbX->setFloatable(false);
  for (const ToolKey& row : kToolKeys) {
    const QString key = fromStd(row.key);
    QAction* action = tbX->addAction(key);
    action->setObjectName(key);
    action->setCheckable(showsState(row.command));
    action->setToolTip(resText(row.tipId));
    setResTip(action, row.tipId);
    // triggered comes from a click only; a state set in code never comes back here.
    connect(action, &QAction::triggered, this, [this, key] { tbX_ButtonClick(key); });
  }
  menuViewN = menuAction(this, 2217);
  menuViewD = menuAction(this, 2218);
  for (QAction* action : {menuViewN, menuViewD}) action->setCheckable(true);
  menuViewN->setChecked(true);
  connect(menuViewN, &QAction::triggered, this, &ToolBar::menuViewN_Click);
  connect(menuViewD, &QAction::triggered, this, &ToolBar::menuViewD_Click);

  menuMan = menuAction(this, 2241);
  menuTopics = menuAction(this, 2242);
  menuKeyword = menuAction(this, 2243);
  menuKeyword->setShortcut(QKeySequence(Qt::Key_F1));
  connect(menuMan, &QAction::triggered, this, [this] { handlers_.menuMan_Click(); });
  connect(menuTopics, &QAction::triggered, this, [this] { handlers_.menuTopics_Click(); });
  connect(menuKeyword, &QAction::triggered, this, [this] { handlers_.menuKeyword_Click(); });
}

QAction* ToolBar::button(std::string_view key) const {
  const QString name = fromStd(key);
  for (QAction* action : tbX->actions())
    if (action->objectName() == name) return action;
  return nullptr;
}

bool ToolBar::detailed() const {
  return button("view")->isChecked();
}

void ToolBar::tbX_ButtonClick(const QString& key) {
  const std::optional<ToolCommand> command = toolCommand(key.toStdString());
  if (!command) {
    handlers_.beep();
    return;
  }
  QAction* pressed = button(key.toStdString());
  switch (*command) {
    case ToolCommand::New:
      return handlers_.menuWhite_Click();
    case ToolCommand::Open:
      return handlers_.menuOpen_Click();
    case ToolCommand::Save:
      return handlers_.menuSave_Click();
    case ToolCommand::Cut:
      return handlers_.textCut();
    case ToolCommand::Copy:
      return handlers_.textCopy();
    case ToolCommand::Paste:
      return handlers_.textPaste();
    case ToolCommand::Undo:
      return handlers_.textUndo();
    case ToolCommand::Redo:
      return handlers_.textRedo();
    case ToolCommand::Image:
      return handlers_.ImageTool_Click();
    case ToolCommand::Search:
      return handlers_.showSearch();
    case ToolCommand::Check:
      // A click while the check runs (it lets the window work) keeps the button pressed and starts nothing.
      pressed->setChecked(true);
      if (checkRunning_) return;
      checkRunning_ = true;
      handlers_.checkSource();
      checkRunning_ = false;
      pressed->setChecked(false);
      return;
    case ToolCommand::View:
      // The click has toggled the button already; its state now names the view.
      return viewSet(pressed->isChecked() ? QStringLiteral("detail") : QStringLiteral("normal"));
    // The four commands below press their button themselves while they run.
    case ToolCommand::Compile:
      pressed->setChecked(false);
      return handlers_.menuCompilego_Click();
    case ToolCommand::Rewrite:
      pressed->setChecked(false);
      return handlers_.Rewrite();
    case ToolCommand::Start:
      pressed->setChecked(false);
      return handlers_.Start();
    case ToolCommand::AutoExec:
      pressed->setChecked(false);
      return handlers_.AutoExec();
    case ToolCommand::Topics:
      return handlers_.menuTopics_Click();
  }
}

void ToolBar::viewSet(const QString& mode) {
  const bool normal = mode == QStringLiteral("normal");
  menuViewD->setChecked(!normal);
  menuViewN->setChecked(normal);
  button("view")->setChecked(!normal);
  handlers_.Form_Resize();
}

}  // namespace kelmore::mainwindow
