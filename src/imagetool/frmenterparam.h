// FrmEnterParam: the "VRAM Image setting" dialog that gives the selected entry of the image list its start
// address, size and memory area.
// Layer: image tool (Qt).
//
// The caller presets Flag, runs the dialog modally on the entry imgCurrent and reads Flag afterwards: "Set"
// leaves "OK" (after the fields were stored), "Cancel" "CAN", the close box "". The fields are reloaded
// from the entry at every showing. A number outside its field, a text that names no memory area or an area
// the current model lacks keeps the dialog open with a message.
#pragma once

#include <QDialog>
#include <QString>

#include "imagetool/allocation.h"
#include "imagetool/imagelist.h"
#include "widgets/prompter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelmore::imagetool {

class FrmEnterParam : public QDialog {
  Q_OBJECT
 public:
  // `capacities` are the current model's, read at every "Set".
  FrmEnterParam(QWidget* parent, ImageList& list, const Capacities& capacities, widgets::Prompter& prompter);

  QString Flag;

  QLabel* cmbMemory = nullptr;
  QComboBox* Combo1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* txtAdrs = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtX = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txtY = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

  // Loads the fields from the entry imgCurrent and shows the dialog modally; returns Flag.
  QString showModal();

 public slots:
  void cmdOK_Click();
  void cmdCancel_Click();
  void Combo1_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void loadFields();

  ImageList& list_;
  const Capacities& capacities_;
  widgets::Prompter& prompter_;
};

}  // namespace kelmore::imagetool
