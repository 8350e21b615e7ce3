// The image parameter dialog.
// Layer: image tool (Qt).
#include "imagetool/frmenterparam.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "common/models.h"
#include "imagetool/parameters.h"
#include "widgets/qtstrings.h"
#include "widgets/resstrings.h"

namespace kelmore::imagetool {
namespace {

constexpr int kTwipsPerPixel = 15;

}  // namespace

FrmEnterParam::FrmEnterParam(QWidget* parent, ImageList& list, const Capacities& capacities,
                             widgets::Prompter& prompter)
    : QDialog(parent), list_(list), capacities_(capacities), prompter_(prompter) {
  setWindowTitle(QStringLiteral("VRAM Image setting"));
  setModal(true);
  cmbMemory = new QLabel(QStringLiteral("Memory"), this);
  Combo1 = new QComboBox(this);
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);
  // The same list for every model: the frames' lists follow the model, this one does not.
  for (std::string_view area : kFivePageImageChoices) Combo1->addItem(widgets::fromStd(area));
  Label1 = new QLabel(QStringLiteral("Start Address"), this);
  txtAdrs = new QLineEdit(QStringLiteral("0"), this);
  Label2 = new QLabel(QStringLiteral("Size X"), this);
  txtX = new QLineEdit(this);
  Label3 = new QLabel(QStringLiteral("Sixe Y"), this);
  txtY = new QLineEdit(this);
  cmdOK = new QPushButton(QStringLiteral("Set"), this);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  for (QPushButton* button : {cmdOK, cmdCancel}) {
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFixedSize(1095 / kTwipsPerPixel, 375 / kTwipsPerPixel);
  }
  for (QLineEdit* box : {txtAdrs, txtX, txtY}) {
    box->setFixedWidth(1095 / kTwipsPerPixel);
    box->installEventFilter(this);
  }
  Combo1->setFixedWidth(1335 / kTwipsPerPixel);

  auto* grid = new QGridLayout(this);
  grid->addWidget(cmbMemory, 0, 0);
  grid->addWidget(Combo1, 0, 1);
  grid->addWidget(Label1, 1, 0);
  grid->addWidget(txtAdrs, 1, 1);
  grid->addWidget(Label2, 2, 0);
  grid->addWidget(txtX, 2, 1);
  grid->addWidget(Label3, 3, 0);
  grid->addWidget(txtY, 3, 1);
  grid->addWidget(cmdOK, 0, 2, 2, 1, Qt::AlignTop);
  grid->addWidget(cmdCancel, 1, 2, 2, 1, Qt::AlignBottom);
  setTabOrder(Combo1, txtAdrs);
  setTabOrder(txtAdrs, txtX);
  setTabOrder(txtX, txtY);
  setTabOrder(txtY, cmdOK);
  setTabOrder(cmdOK, cmdCancel);
  resize(5175 / kTwipsPerPixel, 1530 / kTwipsPerPixel);

  connect(cmdOK, &QPushButton::clicked, this, &FrmEnterParam::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmEnterParam::cmdCancel_Click);
  connect(Combo1, &QComboBox::activated, this, &FrmEnterParam::Combo1_Click);
  widgets::loadResStrings(this);
}

void FrmEnterParam::loadFields() {
  const ImageRecord& r = list_.at(list_.imgCurrent);
  txtAdrs->setText(QString::number(r.imgAddress));
  txtX->setText(QString::number(r.imgX));
  txtY->setText(QString::number(r.imgY));
  Combo1->setEditText(r.imgMemory.empty() ? QStringLiteral("VRAM") : QString::fromStdString(r.imgMemory));
  Combo1_Click();
}

QString FrmEnterParam::showModal() {
  loadFields();
  (txtAdrs->isEnabled() ? txtAdrs : txtX)->setFocus();
  exec();
  return Flag;
}

void FrmEnterParam::Combo1_Click() {
  const bool vram = Combo1->currentText() == QStringLiteral("VRAM");
  txtAdrs->setEnabled(vram);
  Label1->setEnabled(vram);
}

void FrmEnterParam::cmdOK_Click() {
  const ParameterTexts texts{txtAdrs->text().toStdString(), txtX->text().toStdString(),
                             txtY->text().toStdString(), Combo1->currentText().toStdString()};
  if (const auto refusal = setParameters(list_, list_.imgCurrent, texts, capacities_)) {
    prompter_.message(this, QString::fromStdString(*refusal));
    return;
  }
  Flag = QStringLiteral("OK");
  accept();
}

void FrmEnterParam::cmdCancel_Click() {
  Flag = QStringLiteral("CAN");
  reject();
}

void FrmEnterParam::keyPressEvent(QKeyEvent* event) {
  // Neither button is a default or cancel button: Enter and Esc press neither.
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void FrmEnterParam::closeEvent(QCloseEvent* event) {
  Flag.clear();  // the caller sees a cancel
  QDialog::closeEvent(event);
}

bool FrmEnterParam::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn)
    if (auto* box = qobject_cast<QLineEdit*>(watched))
      QTimer::singleShot(0, box,
                         &QLineEdit::selectAll);  // after the click that gave the focus placed the caret
  return QDialog::eventFilter(watched, event);
}

}  // namespace kelmore::imagetool
