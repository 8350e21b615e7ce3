// frmListExport: the export window of the image tool. Check boxes for RAM and FROM 0-7, Export to a PRT
// file, Write to the module through the main window's device, the port box and the port scan.
// Layer: image tool (Qt).
//
// The window reads the list and the allocation its caller made. Write exports to temp.txt in the data
// folder and sends it under the main window's operation guard, with a progress display of its own (the
// main window is hidden meanwhile); its controls wait while any device operation runs, and the window
// cannot be closed until the send has ended. Close (the key or the close box) unloads the window: its owner
// drops it once the modal showing ends, so the box checks and the last export file go with it; an export or
// a download only hides it.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <filesystem>
#include <optional>

#include "imagetool/allocation.h"
#include "imagetool/imageexport.h"
#include "imagetool/imagelist.h"
#include "widgets/imagetoolwindow.h"

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;

namespace kelmore::widgets {
class OperationProgress;
}

namespace kelmore::imagetool {

class frmListExport : public QDialog {
  Q_OBJECT
 public:
  // The list, allocation and capacities stay the caller's; the model is set before each showing.
  frmListExport(QWidget* parent, const widgets::ImageToolHost& host, const ImageList& list,
                const Allocation& allocation, const Capacities& capacities, ExportClock clock = {});
  void setModel(const ModelInfo& model) { model_ = &model; }

  // Where Write puts the command file.
  static std::filesystem::path commandFilePath();

  // True once Close ended the last showing: the owner drops the window.
  bool unloaded() const { return unloaded_; }

  QCheckBox* chkRAM = nullptr;
  std::array<QCheckBox*, kImageFlashPages> chkFROM{};
  QPushButton* cmdChkAll = nullptr;
  QPushButton* cmdRemove = nullptr;
  QPushButton* cmdExport2File = nullptr;
  QPushButton* cmdWrite = nullptr;
  QPushButton* cmdSearch = nullptr;
  QPushButton* cmdClose = nullptr;
  QComboBox* comList = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QProgressBar* ProgressBar2 = nullptr;
  widgets::OperationProgress* progress = nullptr;

 public slots:
  void Form_Activate();
  void cmdChkAll_Click();
  void cmdRemove_Click();
  void cmdExport2File_Click();
  void cmdWrite_Click();
  void cmdSearch_Click();
  void cmdClose_Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void createControls();
  ExportAreas checkedAreas() const;
  // The opening of Export and Write: the three buttons disabled and the checked areas; with none checked,
  // "No Image to be exported.", the buttons back and nothing.
  std::optional<ExportAreas> startExport();
  void enableButtons(bool enabled);
  void message(const QString& text, const QString& title = {});

  widgets::ImageToolHost host_;
  const ImageList& list_;
  const Allocation& allocation_;
  const Capacities& capacities_;
  const ModelInfo* model_ = &kOtherModel;
  ExportClock clock_;
  bool writing_ = false;
  bool unloaded_ = false;
  QString exportFile_;  // the save dialog's file name: proposed again while the window stays loaded
};

}  // namespace kelmore::imagetool
