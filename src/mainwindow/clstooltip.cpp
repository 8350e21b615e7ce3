// The editor's hint tooltip and the find window.
// Layer: main window (Qt).
#include "mainwindow/clstooltip.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>

namespace kelmore::mainwindow {

void clsTooltip::CreateToolTip(QWidget* control) {
  control_ = control;
  if (tip_ && tip_->parentWidget() == control) return;
  tip_ = new QLabel(control, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
  tip_->setPalette(QToolTip::palette());
  tip_->setForegroundRole(QPalette::ToolTipText);
  tip_->setBackgroundRole(QPalette::ToolTipBase);
  tip_->setFont(QToolTip::font());
  tip_->setFrameStyle(QFrame::Box | QFrame::Plain);
  tip_->setMargin(tip_->style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, tip_));
  tip_->setAutoFillBackground(true);
  tip_->setFocusPolicy(Qt::NoFocus);
  tip_->setAttribute(Qt::WA_ShowWithoutActivating);
}

void clsTooltip::SetToolTipParam(const QString& text, QPoint position) {
  if (!control_) return;
  text_ = text;
  tip_->setText(text);
  tip_->adjustSize();
  tip_->move(control_->mapToGlobal(position));
  tip_->show();
}

void clsTooltip::HideToolTip() {
  if (tip_) tip_->hide();
}

void clsTooltip::DestroyToolTip() {
  HideToolTip();
  control_.clear();
  text_.clear();
}

frmSearch::frmSearch(QPlainTextEdit* source, QWidget* parent) : QDialog(parent), source_(source) {
  setWindowTitle(tr("Find"));
  setModal(false);
  txtFind = new QLineEdit(this);
  cmdFind = new QPushButton(tr("Find"), this);
  cmdFindNext = new QPushButton(tr("Find Next"), this);
  cmdFind->setDefault(true);
  connect(cmdFind, &QPushButton::clicked, this, &frmSearch::cmdFind_Click);
  connect(cmdFindNext, &QPushButton::clicked, this, &frmSearch::cmdFindNext_Click);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(txtFind, 1);
  layout->addWidget(cmdFind);
  layout->addWidget(cmdFindNext);
}

bool frmSearch::findFrom(int position) {
  if (!source_ || txtFind->text().isEmpty()) return false;
  QTextDocument* document = source_->document();
  QTextCursor hit = document->find(txtFind->text(), position);
  if (hit.isNull() && position > 0) hit = document->find(txtFind->text(), 0);
  if (hit.isNull()) {
    QApplication::beep();
    return false;
  }
  source_->setTextCursor(hit);
  source_->ensureCursorVisible();
  return true;
}

bool frmSearch::cmdFind_Click() {
  return findFrom(0);
}

bool frmSearch::cmdFindNext_Click() {
  return source_ && findFrom(source_->textCursor().selectionEnd());
}

}  // namespace kelmore::mainwindow
