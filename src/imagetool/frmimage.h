// FrmImage: the "Image Label List" window. Eight preview frames over the image list, a scroll bar, the
// usage bars of the module's image RAM and flash pages, the File, Edit and Option menus and the toolbar.
// Layer: image tool (Qt).
//
// Every edit goes through a list operation of ImageList and ends in updateViewer, which allocates the
// memory for the selected model and redraws the frames. The window owns the list the compiler reads. While
// it is shown the main window is hidden; Close (the menu, the Door key or the close box) writes imgpath.tmp,
// hides the window, keeps the list and shows the main window again. New, Open and quitting ask before
// unsaved changes are dropped. Boxes and file dialogs go through the host's Prompter.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "imagetool/allocation.h"
#include "imagetool/imagelist.h"
#include "widgets/imagetoolwindow.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QScrollBar;
class QStackedWidget;

namespace kelmore::imagetool {

class FrmEnterParam;
class frmListExport;

// The controls of one preview frame.
struct FrameControls {
  QFrame* Frame = nullptr;  // takes clicks and drops
  QLabel* LblNum = nullptr;
  QLineEdit* txtLabel = nullptr;
  QLabel* FileName = nullptr;
  QLabel* Path = nullptr;
  QLabel* Resolution = nullptr;
  QComboBox* CmbPage = nullptr;
  QLabel* txtPage = nullptr;
  QLineEdit* txtAdrs = nullptr;
  QCheckBox* Check1 = nullptr;
  QLabel* Image = nullptr;  // the picture inside the preview box
};

// A usage bar with the box behind it that shows when the bar is hidden (over capacity).
struct UsageControls {
  QStackedWidget* stack = nullptr;
  QProgressBar* bar = nullptr;
  QLabel* caption = nullptr;
  QLabel* text = nullptr;  // txtFuel
};

class FrmImage : public QMainWindow, public widgets::ImageToolWindow {
  Q_OBJECT
 public:
  using OpenFile = std::function<void(const QString& path)>;

  // `openFile` shows a bitmap in the desktop's viewer (a double click); empty: the desktop's opener.
  explicit FrmImage(const widgets::ImageToolHost& host, OpenFile openFile = {});
  ~FrmImage() override;

  static widgets::ImageToolFactory factory();

  // --- ImageToolWindow ---
  void showTool() override;
  const ImageListView& imageList() const override { return list_; }
  bool queryQuit() override;
  QString exportPortText() const override;

  ImageList& list() { return list_; }
  const Capacities& capacities() const { return capacities_; }
  const Allocation& allocation() const { return allocation_; }
  const QString& listFileName() const { return fileName_; }
  frmListExport* exportWindow() const { return export_; }

  // --- controls ---
  std::array<FrameControls, ImageList::kFrames> frames{};
  QScrollBar* VScroll1 = nullptr;
  QLineEdit* Text1 = nullptr;
  UsageControls ram;
  std::array<UsageControls, kImageFlashPages> from{};
  QAction* menuNew = nullptr;
  QAction* menuOpen = nullptr;
  QAction* menuSave = nullptr;
  QAction* menuSaveAs = nullptr;
  QAction* Export2 = nullptr;
  QAction* menuClose = nullptr;
  QAction* InsertiMAGE = nullptr;
  QAction* InsBlank = nullptr;
  QAction* Exchange = nullptr;
  QAction* Remove = nullptr;
  QAction* Add2End = nullptr;
  QAction* WithBMP = nullptr;

 public slots:
  void updateSelection();
  void updateViewer();
  void menuNew_Click();
  void menuOpen_Click();
  void menuSave_Click();
  void menuSaveAs_Click();
  void menuClose_Click();
  // Allocation, the export window (modal), then the redraw.
  void convertList();
  void InsertiMAGE_Click();
  void InsBlank_Click();
  void Exchange_Click();
  void Remove_Click();
  void Add2End_Click();
  void Frame_Click(int i);
  void Frame_DblClick(int i);
  void CmbPage_Click(int i);
  void Resolution_Click(int i);
  void txtLabel_Change(int i);
  void Check1_Click(int i);
  void VScroll1_Change(int value);

  // Files dropped: on the window (frame -1) they are appended, on a frame inserted at its entry.
  void dropFiles(int frame, const QMimeData& data);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class Ui;

  void createActions();
  void createMenus();
  void createToolBar();
  void createPanes();
  QFrame* createFrame(int i);
  void Form_Load();
  void drawFrame(int i);
  void drawPicture(int i, const ImageRecord& r);
  void markDuplicates();
  void showUsage();
  // The dialog on the entry imgCurrent with `flag` preset; true for "OK".
  bool enterParam(const QString& flag);
  // Asks to save unsaved changes; false when the user cancelled (or the save failed).
  bool keepChanges();
  bool saveTo(const QString& path);

  widgets::ImageToolHost host_;
  OpenFile openFile_;
  std::unique_ptr<Ui> ui_;
  ImageList list_;
  Capacities capacities_;
  Allocation allocation_;
  FrmEnterParam* dialog_ = nullptr;
  frmListExport* export_ = nullptr;  // made on first use; an export keeps it, its Close drops it
  QString fileName_;                 // the list file; empty while untitled
  // What each frame's picture shows, so an unchanged frame is not reloaded.
  struct Shown {
    std::string path;
    int widthDots = -1;
    int heightDots = -1;
  };
  std::array<Shown, ImageList::kFrames> shown_{};
  bool drawing_ = false;
};

}  // namespace kelmore::imagetool
