// The image tool from the main window: the Image key and the Tool menu, the model followed at every show,
// the main window hidden meanwhile, the compiler reading the tool's list, and quitting with changes.
// Layer: tests (Qt).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <fstream>

#include "../platform/pty.h"
#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "imagetool/frmenterparam.h"
#include "imagetool/frmimage.h"
#include "imagetool/frmlistexport.h"
#include "listfixture.h"
#include "mainwindow/commwindows.h"
#include "mainwindow/compilerviews.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "mainwindow/progressform.h"
#include "platform/paths.h"

namespace kelmore::imagetool {
namespace {

using mainwindow::Form1;

class ToolHook : public testing::Test {
 protected:
  widgets::test::ScriptedPrompter prompter;
  testkit::BitmapFolder dir{"toolhook"};
  std::unique_ptr<Form1> form;

  void SetUp() override {
    std::filesystem::remove(platform::configDir() / "Config.dat");
    Form1::Options options;
    options.arguments = {QStringLiteral("kelmore")};
    options.prompter = &prompter;
    options.splash = false;
    options.imageTool = FrmImage::factory();
    form = std::make_unique<Form1>(options);
    form->Form_Load();
  }
  static FrmImage* tool() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* found = qobject_cast<FrmImage*>(w)) return found;
    return nullptr;
  }
};

TEST_F(ToolHook, image_key_shows_the_tool_with_the_current_model) {
  ASSERT_EQ(tool(), nullptr) << "made on first use";
  form->choice().cmbSeries->setCurrentText("PX-D");
  form->tbImage->trigger();
  FrmImage* window = tool();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(window->capacities().ramCapacity, 0);
  EXPECT_FALSE(window->ram.stack->isVisible());

  window->menuClose_Click();
  EXPECT_TRUE(form->isVisible());
  form->choice().cmbSeries->setCurrentText("PX-5200");
  form->ImageTool->trigger();  // the Tool menu
  EXPECT_EQ(tool(), window) << "the same window, its list kept";
  EXPECT_EQ(window->capacities().ramCapacity, 1024);
  EXPECT_EQ(window->capacities().fromCapacity[0], 32768);
  EXPECT_FALSE(window->from[5].stack->isVisible());
  window->menuClose_Click();
}

TEST_F(ToolHook, compiler_reads_the_tools_list) {
  EXPECT_EQ(form->views().images().imgCount(), 0);
  form->tbImage->trigger();
  FrmImage* window = tool();
  ASSERT_NE(window, nullptr);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.bmp("logo.bmp", 64, 32)))});
  window->dropFiles(-1, data);
  const ImageListView& images = form->views().images();
  ASSERT_EQ(images.imgCount(), 1);
  EXPECT_EQ(images.image(0).imgLabel, "Image0000");
  EXPECT_EQ(images.image(0).imgX, 64);
  window->menuClose_Click();
}

// Through the main window: images placed by the tool, a VRAM entry from the dialog, then a compile whose
// CopyBmp sends each image's memory byte, address (low byte, bits 8..15), page, Y \ 8, X and Y \ 8.
TEST_F(ToolHook, compile_copies_images_as_the_tool_placed_them) {
  form->choice().cmbSeries->setCurrentText("PX-5200");
  form->tbImage->trigger();
  FrmImage* window = tool();
  ASSERT_NE(window, nullptr);
  // Two images of 32760 bytes fill pages 0 and 1; the third (16 bytes) fits page 0 no more and follows on
  // page 1 at 32760 (&H7FF8). The last two go to RAM, one after the other.
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.bmp("big0.bmp", 4095, 64))),
                QUrl::fromLocalFile(QString::fromStdString(dir.bmp("big1.bmp", 4095, 64))),
                QUrl::fromLocalFile(QString::fromStdString(dir.bmp("small.bmp", 16, 8))),
                QUrl::fromLocalFile(QString::fromStdString(dir.bmp("ram0.bmp", 24, 16))),
                QUrl::fromLocalFile(QString::fromStdString(dir.bmp("ram1.bmp", 8, 12)))});
  window->dropFiles(-1, data);
  ASSERT_EQ(window->list().count(), 5);
  window->VScroll1->setValue(0);
  for (int frame : {3, 4}) {
    QComboBox* memory = window->frames[static_cast<std::size_t>(frame)].CmbPage;
    memory->setCurrentIndex(memory->findText("RAM"));
    window->CmbPage_Click(frame);
  }
  // A VRAM image entered in the append slot through the dialog.
  QComboBox* slot = window->frames[5].CmbPage;
  slot->setCurrentIndex(slot->findText("VRAM"));
  QTimer::singleShot(0, window, [window] {
    auto* dialog = window->findChild<FrmEnterParam*>();
    ASSERT_NE(dialog, nullptr);
    dialog->txtAdrs->setText("&H1234");
    dialog->txtX->setText("240");
    dialog->txtY->setText("64");
    dialog->cmdOK->click();
  });
  window->CmbPage_Click(5);
  ASSERT_EQ(window->list().count(), 6);
  window->menuClose_Click();

  form->source->setPlainText(
      "Sub Start()\nCopyBmp Image0002\nCopyBmp Image0001\nCopyBmp Image0004\nCopyBmp Image0005\nEnd Sub");
  form->menuCompilego_Click();
  ASSERT_EQ(form->logWindow()->windowTitle(), "Compile completed.")
      << form->logWindow()->logText().toStdString();
  const std::string code = form->views().code->toPlainText().toStdString();
  const std::string copies =
      "50 23 3C 00 "
      "1F 28 66 10 01 F8 7F 01 01 00 10 00 01 00 01 "  // Image0002: FROM, page 1 at &H7FF8, 16 x 8
      "1F 28 66 10 01 00 00 01 08 00 FF 0F 08 00 01 "  // Image0001: FROM, page 1 at 0, 4095 x 64
      "1F 28 66 10 00 30 00 00 01 00 08 00 01 00 01 "  // Image0004: RAM at 48, 8 x 12 (one band)
      "1F 28 66 10 02 34 12 00 08 00 F0 00 08 00 01 "  // Image0005: VRAM at &H1234, 240 x 64
      "45 44 42 4B ";
  EXPECT_TRUE(code.ends_with(copies)) << code;

  // A model chosen while the tool is closed places the images anew: page 0 of PX-B holds all three.
  form->choice().cmbSeries->setCurrentText("PX-B");
  form->source->setPlainText("Sub Start()\nCopyBmp Image0002\nEnd Sub");
  form->menuCompilego_Click();
  EXPECT_TRUE(form->views().code->toPlainText().toStdString().ends_with(
      "50 23 0F 00 1F 28 66 10 01 F0 FF 00 01 00 10 00 01 00 01 45 44 42 4B "))
      << form->views().code->toPlainText().toStdString();

  // Labels are compared letter case included.
  form->source->setPlainText("Sub Start()\nCopyBmp image0001\nEnd Sub");
  form->menuCompilego_Click();
  EXPECT_EQ(form->logWindow()->windowTitle(), "Compile failed.");
  EXPECT_TRUE(form->logWindow()->logText().endsWith(
      QStringLiteral("\r\n 2Row has undefiened Image Label. Compile is aborted.\r\n")))
      << form->logWindow()->logText().toStdString();
}

TEST_F(ToolHook, quitting_asks_for_unsaved_images) {
  form->tbImage->trigger();
  FrmImage* window = tool();
  ASSERT_NE(window, nullptr);
  window->list().appendSlot();
  window->menuClose_Click();
  prompter.answers = {QMessageBox::Cancel};
  QCloseEvent stay;
  QApplication::sendEvent(form.get(), &stay);
  EXPECT_FALSE(stay.isAccepted());
  EXPECT_EQ(prompter.texts().back(), "The image list has been changed. Do you save it?");
}

// The Port menu's scan preselected only its first free port, whatever the export window's box named.
TEST_F(ToolHook, port_search_preselects_the_export_windows_port) {
  kelmore::testkit::Pty one, two;
  ASSERT_FALSE(one.path.empty() || two.path.empty());
  const auto map = platform::configDir() / "ports.map";
  std::ofstream(map) << "COM1=" << one.path << "\nCOM2=" << two.path << "\n";
  const auto preselected = [this] {
    QString port;
    QTimer::singleShot(0, [&port] {
      auto* scan = qobject_cast<mainwindow::CommScan*>(QApplication::activeModalWidget());
      ASSERT_NE(scan, nullptr);
      for (std::size_t i = 0; i < scan->optCOM.size(); ++i)
        if (scan->optCOM[i]->isChecked()) port = QStringLiteral("COM%1").arg(i + 1);
      scan->cmdClose->click();
    });
    form->choice().MenuSearchPort_Click();
    return port;
  };

  form->tbImage->trigger();
  FrmImage* window = tool();
  ASSERT_NE(window, nullptr);
  window->list().assign({testkit::record("A", "VRAM", 8, 8)});
  QTimer::singleShot(0, [window] {
    window->exportWindow()->comList->setCurrentText("COM2");
    window->exportWindow()->hide();  // as an export does: the window stays loaded
  });
  window->convertList();
  ASSERT_NE(window->exportWindow(), nullptr);
  EXPECT_EQ(preselected(), "COM2");
  EXPECT_EQ(form->choice().commList->currentText(), "COM1") << "Close keeps the port";

  // Close unloads the export window: the scan takes its first port again.
  QTimer::singleShot(0, [window] { window->exportWindow()->cmdClose->click(); });
  window->convertList();
  EXPECT_EQ(window->exportWindow(), nullptr);
  EXPECT_EQ(preselected(), "COM1");
  std::filesystem::remove(map);
  window->menuClose_Click();
}

}  // namespace
}  // namespace kelmore::imagetool
