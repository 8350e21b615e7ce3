// The image tool window offscreen: previews of a list of nine images, scrolling, drops built from URLs,
// the frames' memory choice with the dialog, duplicate labels, the usage bars, Close and the file commands.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>

#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "imagetool/cblfile.h"
#include "imagetool/frmenterparam.h"
#include "imagetool/frmimage.h"
#include "listfixture.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::imagetool {
namespace {

using testkit::BitmapFolder;
using widgets::test::ScriptedPrompter;

class ToolWindow : public testing::Test {
 protected:
  BitmapFolder dir{"frmimage"};
  ScriptedPrompter prompter;
  QWidget mainWindow;
  QComboBox model;
  std::vector<QString> opened;
  std::unique_ptr<FrmImage> window;

  void SetUp() override {
    std::filesystem::remove(platform::configDir() / "imgpath.tmp");
    model.setEditable(true);
    model.setEditText("PX-5200");
    window = make();
  }
  std::unique_ptr<FrmImage> make() {
    return std::make_unique<FrmImage>(widgets::ImageToolHost{&mainWindow, &model, &prompter},
                                      [this](const QString& path) { opened.push_back(path); });
  }
  // Drops the files on `target` as the desktop does: a QDropEvent carrying file URLs.
  static void drop(QWidget* target, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const auto& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the widget's handler: the application only routes drops that a drag started.
    static_cast<QObject*>(target)->event(&event);
    EXPECT_TRUE(event.isAccepted());
  }
  std::vector<std::string> bitmaps(int n, int width = 128, int height = 64) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) paths.push_back(dir.bmp("b" + std::to_string(i) + ".bmp", width, height));
    return paths;
  }
  FrameControls& frame(int i) { return window->frames[static_cast<std::size_t>(i)]; }
  bool selected(int i) {
    return frame(i).Frame->palette().color(QPalette::Window) == QColor(0x80, 0x80, 0xFF);
  }
  // Answers the parameter dialog once it is up.
  void answerDialog(const std::function<void(FrmEnterParam&)>& answer) {
    QTimer::singleShot(0, window.get(), [this, answer] {
      auto* dialog = window->findChild<FrmEnterParam*>();
      ASSERT_NE(dialog, nullptr);
      ASSERT_TRUE(dialog->isVisible());
      answer(*dialog);
    });
  }
};

TEST_F(ToolWindow, empty_list_shows_eight_empty_frames) {
  EXPECT_EQ(window->windowTitle(), "Image Label List");
  EXPECT_EQ(window->Text1->text(), "0");
  EXPECT_EQ(window->VScroll1->maximum(), 0);
  EXPECT_TRUE(selected(0));
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(frame(i).LblNum->text(), "") << i;
    EXPECT_EQ(frame(i).Check1->checkState(), Qt::PartiallyChecked) << i;
    EXPECT_TRUE(frame(i).Check1->isEnabled()) << i;
  }
}

TEST_F(ToolWindow, nine_images_by_drop_on_the_window) {
  std::vector<std::string> paths = bitmaps(8);
  paths.push_back(dir.bmp("wide.bmp", 256, 32));
  drop(window.get(), paths);
  EXPECT_EQ(window->Text1->text(), "9");
  EXPECT_EQ(window->VScroll1->maximum(), 2);
  EXPECT_EQ(window->list().imgCurrent, 8);
  EXPECT_EQ(window->list().imgTop, 1);
  EXPECT_EQ(frame(0).LblNum->text(), "2");
  EXPECT_EQ(frame(7).LblNum->text(), "9");
  EXPECT_TRUE(selected(7));
  EXPECT_EQ(frame(7).txtLabel->text(), "Image0008");
  EXPECT_EQ(frame(7).FileName->text(), "wide.bmp");
  EXPECT_EQ(frame(7).Resolution->text(), "256x32");
  EXPECT_EQ(frame(7).CmbPage->currentText(), "FROM");
  EXPECT_EQ(frame(7).Check1->checkState(), Qt::Checked);
  // 128 × 64 fills the height (990 × 495 twips at 652, 120); 256 × 32 the width (1335 × 150 at 480, 292).
  EXPECT_EQ(frame(0).Image->geometry(), QRect(11, 0, 66, 33));
  EXPECT_EQ(frame(7).Image->geometry(), QRect(0, 11, 89, 10));
  EXPECT_TRUE(frame(7).Image->property("loaded").toBool());
  // Each 128 × 64 image takes 1024 bytes: the first 32 go to page 0.
  EXPECT_EQ(frame(0).txtPage->text(), "0");
  EXPECT_EQ(frame(0).txtAdrs->text(), "1024");
}

struct ScrollCase {
  const char* name;
  int images;
  int maximum;
};
const ScrollCase kScrolls[] = {
    {"empty", 0, 0},
    {"seven_fit_the_frames", 7, 0},
    {"eight_scroll_by_one", 8, 1},
    {"nine_scroll_by_two", 9, 2},
};

TEST_F(ToolWindow, scroll_range_follows_the_count) {
  for (const ScrollCase& c : kScrolls) {
    std::vector<ImageRecord> records(static_cast<std::size_t>(c.images), testkit::record("L", "VRAM", 8, 8));
    window->list().assign(records);
    window->updateViewer();
    EXPECT_EQ(window->VScroll1->minimum(), 0) << c.name;
    EXPECT_EQ(window->VScroll1->maximum(), c.maximum) << c.name;
    EXPECT_EQ(window->VScroll1->pageStep(), 8) << c.name;
    EXPECT_EQ(window->Text1->text(), QString::number(c.images)) << c.name;
  }
}

TEST_F(ToolWindow, scrolling_moves_the_frames_and_keeps_unchanged_pictures) {
  drop(window.get(), bitmaps(9));
  window->VScroll1->setValue(0);
  EXPECT_EQ(window->list().imgTop, 0);
  EXPECT_EQ(frame(0).LblNum->text(), "1");
  EXPECT_FALSE(selected(7)) << "entry 8 is selected, shown in no frame";
  // A frame showing the same file at the same size is not read again.
  dir.text("b0.bmp", "no longer a bitmap");
  window->updateViewer();
  EXPECT_TRUE(frame(0).Image->property("loaded").toBool());
  // A changed size redraws: the file is read again and now shows black.
  window->list().setSize(0, 64, 64);
  window->updateViewer();
  EXPECT_FALSE(frame(0).Image->property("loaded").toBool());
  EXPECT_EQ(frame(0).Image->geometry(), QRect(28, 0, 33, 33));
}

TEST_F(ToolWindow, drop_on_a_frame_inserts_there) {
  drop(window.get(), bitmaps(3));
  drop(frame(1).Frame, {dir.bmp("x.bmp", 8, 8), dir.text("x.txt", "x")});
  EXPECT_EQ(window->list().count(), 4);
  EXPECT_EQ(frame(1).FileName->text(), "x.bmp");
  EXPECT_EQ(frame(2).FileName->text(), "b1.bmp");
  EXPECT_TRUE(selected(2));
  EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(ToolWindow, vram_on_the_append_slot_appends_after_set) {
  drop(window.get(), bitmaps(1));
  frame(1).CmbPage->setCurrentIndex(frame(1).CmbPage->findText("VRAM"));
  answerDialog([](FrmEnterParam& dialog) {
    dialog.txtAdrs->setText("2048");
    dialog.txtX->setText("240");
    dialog.txtY->setText("64");
    dialog.cmdOK->click();
  });
  window->CmbPage_Click(1);
  ASSERT_EQ(window->list().count(), 2);
  EXPECT_EQ(frame(1).txtLabel->text(), "Image0001");
  EXPECT_EQ(frame(1).Resolution->text(), "240x64");
  EXPECT_EQ(frame(1).txtAdrs->text(), "2048");
  EXPECT_EQ(frame(1).FileName->text(), "");
  EXPECT_EQ(frame(1).txtPage->text(), "");
  EXPECT_EQ(frame(1).Check1->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(window->list().imgCurrent, 2);

  // Cancel after a VRAM choice brings the old area back.
  frame(0).CmbPage->setCurrentIndex(frame(0).CmbPage->findText("VRAM"));
  answerDialog([](FrmEnterParam& dialog) { dialog.cmdCancel->click(); });
  window->CmbPage_Click(0);
  EXPECT_EQ(window->list().at(0).imgMemory, "FROM");
}

TEST_F(ToolWindow, vram_on_a_bitmap_hides_its_file_picture_and_page) {
  drop(window.get(), bitmaps(1));
  frame(0).CmbPage->setCurrentIndex(frame(0).CmbPage->findText("VRAM"));
  answerDialog([](FrmEnterParam& dialog) { dialog.cmdOK->click(); });
  window->CmbPage_Click(0);
  EXPECT_EQ(window->list().at(0).imgMemory, "VRAM");
  EXPECT_EQ(window->list().at(0).imgFileName, "b0.bmp") << "the entry keeps its file";
  EXPECT_EQ(frame(0).FileName->text(), "");
  EXPECT_EQ(frame(0).Path->text(), "");
  EXPECT_EQ(frame(0).txtPage->text(), "");
  EXPECT_FALSE(frame(0).Image->isVisibleTo(frame(0).Frame));
  EXPECT_EQ(frame(0).Check1->checkState(), Qt::PartiallyChecked);
}

// Without a bitmap behind it, any area opens the dialog; its Cancel keeps the new area unless it was VRAM.
TEST_F(ToolWindow, cancel_keeps_a_new_area_other_than_vram) {
  window->list().assign({testkit::record("V", "VRAM", 16, 8, 300)});
  window->updateViewer();
  frame(0).CmbPage->setCurrentIndex(frame(0).CmbPage->findText("RAM"));
  answerDialog([](FrmEnterParam& dialog) {
    EXPECT_EQ(dialog.Flag, "0");
    EXPECT_EQ(dialog.Combo1->currentText(), "RAM");
    dialog.txtX->setText("99");
    dialog.cmdCancel->click();
  });
  window->CmbPage_Click(0);
  EXPECT_EQ(window->list().at(0).imgMemory, "RAM");
  EXPECT_EQ(window->list().at(0).imgX, 16);

  // A click on the size of a VRAM entry opens the dialog; Cancel leaves address and size.
  window->list().setMemory(0, "VRAM");
  window->list().setAddress(0, 300);  // RAM took the address of its place
  window->updateViewer();
  answerDialog([](FrmEnterParam& dialog) {
    EXPECT_EQ(dialog.txtAdrs->text(), "300");
    dialog.txtAdrs->setText("5");
    dialog.cmdCancel->click();
  });
  window->Resolution_Click(0);
  EXPECT_EQ(window->list().at(0).imgAddress, 300);
  EXPECT_EQ(frame(0).txtAdrs->text(), "300");
  // Not for an entry in another area.
  window->list().setMemory(0, "RAM");
  window->Resolution_Click(0);
  EXPECT_EQ(window->findChild<FrmEnterParam*>()->isVisible(), false);
}

TEST_F(ToolWindow, other_area_on_a_bitmap_takes_it_without_the_dialog) {
  drop(window.get(), bitmaps(1));
  frame(0).CmbPage->setCurrentIndex(frame(0).CmbPage->findText("RAM"));
  window->CmbPage_Click(0);
  EXPECT_EQ(window->list().at(0).imgMemory, "RAM");
  EXPECT_EQ(window->findChild<FrmEnterParam*>(), nullptr);
  EXPECT_EQ(window->ram.text->text(), "1024");
}

// A click toggles posi and nega; the greyed state once came between them, a third click away from posi.
TEST_F(ToolWindow, a_click_on_the_check_box_toggles_posi_and_nega) {
  drop(window.get(), bitmaps(1));
  const std::int16_t after[] = {0, 1, 0};
  for (std::int16_t value : after) {
    frame(0).Check1->click();
    EXPECT_EQ(window->list().at(0).imgCheck, value);
    EXPECT_EQ(frame(0).Check1->checkState(), value == 1 ? Qt::Checked : Qt::Unchecked);
  }
}

TEST_F(ToolWindow, duplicate_labels_are_marked) {
  drop(window.get(), bitmaps(3));
  frame(2).txtLabel->setText("Image0000");
  emit frame(2).txtLabel->textEdited("Image0000");
  EXPECT_TRUE(frame(0).txtLabel->property("duplicate").toBool());
  EXPECT_FALSE(frame(1).txtLabel->property("duplicate").toBool());
  EXPECT_TRUE(frame(2).txtLabel->property("duplicate").toBool());
  EXPECT_EQ(window->list().at(2).imgLabel, "Image0000");
}

TEST_F(ToolWindow, usage_bars_follow_the_model) {
  drop(window.get(), bitmaps(2));
  window->showTool();
  EXPECT_FALSE(window->from[5].stack->isVisible()) << "PX-5200 has five pages";
  EXPECT_TRUE(window->ram.stack->isVisible());
  EXPECT_EQ(window->from[0].bar->value(), 6);  // 2048 of 32768 bytes
  EXPECT_EQ(window->from[0].text->text(), "2048");
  model.setEditText("PX-D");
  EXPECT_FALSE(window->ram.stack->isVisible());
  EXPECT_TRUE(window->from[7].stack->isVisible());
  EXPECT_EQ(window->from[0].bar->value(), 3);
  EXPECT_EQ(frame(0).CmbPage->itemText(1), "FROM");
  // An image in RAM overflows a model without image RAM; the page the model lacks overflows on its own.
  model.setEditText("PX-5200");
  window->list().setMemory(0, "F 7");
  window->updateViewer();
  EXPECT_EQ(window->allocation().result, "ERROR FROM:7 Overflow");
  EXPECT_EQ(window->from[4].text->text(), "0");
  window->list().setMemory(0, "F 0");
  window->list().setMemory(1, "F 0");
  window->list().setSize(1, 32767, 8);
  window->updateViewer();
  EXPECT_EQ(window->from[0].stack->currentIndex(), 1) << "the bar is hidden over capacity";
  window->menuClose_Click();
}

TEST_F(ToolWindow, close_box_hides_keeps_the_list_and_writes_imgpath) {
  drop(window.get(), bitmaps(2));
  window->showTool();
  EXPECT_FALSE(mainWindow.isVisible());
  window->WithBMP->setChecked(true);
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(mainWindow.isVisible());
  EXPECT_EQ(window->list().count(), 2);
  EXPECT_EQ(platform::readRegularFile(platform::configDir() / "imgpath.tmp", 100).bytes, "\r\nY\r\n");
  window->showTool();
  EXPECT_EQ(window->list().count(), 2);
  window->menuClose_Click();
  // A new window restores the check mark but starts untitled.
  ASSERT_TRUE(writeImgPath({(dir.root() / "l.cbl").string(), true}).ok);
  auto second = make();
  EXPECT_TRUE(second->WithBMP->isChecked());
  EXPECT_EQ(second->listFileName(), "");
}

// An activation that reaches the tool after Door hid the main window again, leaving no window at all.
TEST_F(ToolWindow, door_brings_the_main_window_back_for_good) {
  mainWindow.show();
  window->showTool();
  EXPECT_FALSE(mainWindow.isVisible());
  window->menuClose_Click();
  ASSERT_TRUE(mainWindow.isVisible());
  // What a platform without a window manager delivers late: the hidden tool becomes the active window.
  QApplication::setActiveWindow(window.get());
  QApplication::processEvents();
  EXPECT_TRUE(mainWindow.isVisible());
  // While the tool is up, its activation still keeps the main window out of the way.
  window->showTool();
  mainWindow.show();
  QApplication::setActiveWindow(window.get());
  QApplication::processEvents();
  EXPECT_FALSE(mainWindow.isVisible());
  window->menuClose_Click();
}

// Ins_Blank, Cancel in the dialog, Door and quit asked to save a list that was as loaded.
TEST_F(ToolWindow, a_list_edited_back_to_as_loaded_asks_nothing_on_quit) {
  const std::string list = dir.text(
      "l.cbl", "*** image list ***\r\nNo = 1\r\nlabel = A\r\nX = 16\r\nY = 8\r\nMemory = VRAM\r\nEOF\r\n");
  prompter.fileNames = {QString::fromStdString(list)};
  window->menuOpen_Click();
  window->showTool();
  answerDialog([](FrmEnterParam& dialog) { dialog.cmdCancel->click(); });
  window->InsBlank_Click();
  EXPECT_EQ(window->list().count(), 1);
  window->menuClose_Click();
  EXPECT_TRUE(window->queryQuit());
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join(" | ").toStdString();
  // A real change still asks.
  answerDialog([](FrmEnterParam& dialog) { dialog.cmdOK->click(); });
  window->InsBlank_Click();
  prompter.answers = {QMessageBox::Cancel};
  EXPECT_FALSE(window->queryQuit());
  EXPECT_EQ(prompter.texts(), QStringList{"The image list has been changed. Do you save it?"});
}

// A stored entry in an area the model lacks loads and overflows as its own page, never on page 4.
TEST_F(ToolWindow, a_stored_page_the_model_lacks_overflows_on_its_own) {
  const std::string list =
      dir.text("l.cbl",
               "*** image list ***\r\nNo = 1\r\nlabel = A\r\nX = 8\r\nY = 8\r\n"
               "Memory = F 7\r\nNo = 2\r\nlabel = B\r\nX = 8\r\nY = 8\r\nMemory = F 4\r\nEOF\r\n");
  prompter.fileNames = {QString::fromStdString(list)};
  window->menuOpen_Click();
  ASSERT_EQ(window->list().count(), 2);
  EXPECT_TRUE(prompter.boxes.empty());
  EXPECT_EQ(frame(0).CmbPage->currentText(), "F 7");
  EXPECT_EQ(window->allocation().result, "ERROR FROM:7 Overflow");
  EXPECT_EQ(window->from[4].text->text(), "8");
  EXPECT_EQ(window->from[4].stack->currentIndex(), 0) << "page 4 is not over-full";
}

TEST_F(ToolWindow, new_asks_before_dropping_changes_and_forgets_the_name) {
  drop(window.get(), bitmaps(2));
  const QString file = QString::fromStdString((dir.root() / "saved.cbl").string());
  prompter.fileNames = {file};
  window->menuSave_Click();
  EXPECT_EQ(window->listFileName(), file);
  EXPECT_FALSE(window->list().modified());
  window->list().setLabel(0, "Changed");
  prompter.answers = {QMessageBox::Cancel};
  window->menuNew_Click();
  EXPECT_EQ(window->list().count(), 2);
  prompter.answers = {QMessageBox::No};
  window->menuNew_Click();
  EXPECT_EQ(window->list().count(), 0);
  EXPECT_EQ(window->listFileName(), "");
  EXPECT_EQ(prompter.texts(), (QStringList{"The image list has been changed. Do you save it?",
                                           "The image list has been changed. Do you save it?"}));
  // Saving now asks for a name again.
  drop(window.get(), bitmaps(1));
  prompter.fileNames = {QString::fromStdString((dir.root() / "other").string())};
  window->menuSave_Click();
  EXPECT_TRUE(std::filesystem::exists(dir.root() / "other.cbl"));
  EXPECT_EQ(prompter.saveDialogs.size(), 2u);
}

TEST_F(ToolWindow, open_reads_the_list_and_tells_refused_records) {
  const std::string text =
      "*** image list ***\r\nNo = 1\r\nlabel = A\r\nFile = b0.bmp\r\nX = 128\r\nY = 64\r\n"
      "Memory = from\r\nNo = 2\r\nX = 99999\r\nEOF\r\n";
  const std::string list = dir.text("l.cbl", text);
  bitmaps(1);
  prompter.fileNames = {QString::fromStdString(list)};
  window->menuOpen_Click();
  ASSERT_EQ(window->list().count(), 1);
  EXPECT_EQ(frame(0).FileName->text(), "b0.bmp");
  EXPECT_EQ(frame(0).CmbPage->currentText(), "FROM");
  EXPECT_EQ(window->windowTitle(), "Image Label List - l.cbl");
  EXPECT_EQ(prompter.texts(), (QStringList{"Line 9: X = 99999 is out of range."}));
  EXPECT_TRUE(frame(0).Image->property("loaded").toBool());
  // Quitting with the list unchanged asks nothing.
  EXPECT_TRUE(window->queryQuit());
  EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(ToolWindow, double_click_opens_the_bitmap) {
  drop(window.get(), bitmaps(1));
  window->Frame_DblClick(0);
  window->Frame_DblClick(1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toStdString(), (dir.root() / "b0.bmp").string());
}

TEST_F(ToolWindow, remove_and_exchange_from_the_menu) {
  drop(window.get(), bitmaps(3));
  window->list().imgCurrent = 0;
  prompter.fileNames = {QString::fromStdString(dir.text("n.txt", "x"))};
  window->Exchange->trigger();
  EXPECT_EQ(prompter.texts(), (QStringList{"This is not a BMP file."}));
  EXPECT_EQ(window->list().count(), 3);
  window->Remove->trigger();
  EXPECT_EQ(window->list().count(), 2);
  EXPECT_EQ(frame(0).FileName->text(), "b1.bmp");
}

// --- bitmaps of other depths and compressed bitmaps ---

// A 32-bit bitmap, as image editors write pictures with transparency.
std::string deepBitmap(const BitmapFolder& dir) {
  kelmore::testkit::BmpSpec spec{16, 8, 32, [](int, int) { return 0u; }, {}};
  const auto path = dir.root() / "deep.bmp";
  kelmore::testkit::writeFile(path, kelmore::testkit::makeBmp(spec));
  return path.string();
}

enum class Take { Add, Insert, DropOnWindow, DropOnFrame };
struct DepthCase {
  const char* name;
  Take take;
};
const DepthCase kDepthCases[] = {
    {"added", Take::Add},
    {"inserted", Take::Insert},
    {"dropped_on_the_window", Take::DropOnWindow},
    {"dropped_on_a_frame", Take::DropOnFrame},
};

class DepthRefusal : public ToolWindow, public testing::WithParamInterface<DepthCase> {};

TEST_P(DepthRefusal, says_the_depth_and_adds_nothing) {
  drop(window.get(), bitmaps(1));
  const std::string path = deepBitmap(dir);
  prompter.fileNames = {QString::fromStdString(path)};
  switch (GetParam().take) {
    case Take::Add:
      window->Add2End->trigger();
      break;
    case Take::Insert:
      window->InsertiMAGE->trigger();
      break;
    case Take::DropOnWindow:
      drop(window.get(), {path});
      break;
    case Take::DropOnFrame:
      drop(frame(0).Frame, {path});
      break;
  }
  EXPECT_EQ(prompter.texts(), (QStringList{"This Color Depth is not supported Yet. 32"}));
  ASSERT_EQ(window->list().count(), 1);
  EXPECT_EQ(frame(0).FileName->text(), "b0.bmp");
  EXPECT_EQ(window->Text1->text(), "1");
}

INSTANTIATE_TEST_SUITE_P(frmimage, DepthRefusal, testing::ValuesIn(kDepthCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ToolWindow, a_compressed_8_bit_bitmap_is_added_and_shown) {
  // 8 × 8, the top half black: one run a row, then the line end; index 0 white.
  kelmore::testkit::BmpSpec spec{8, 8, 8, [](int, int) { return 0u; }, {0xFFFFFF, 0x000000}};
  std::vector<std::uint8_t> codes;
  for (int row = 0; row < 8; ++row)
    codes.insert(codes.end(), {0x08, row < 4 ? std::uint8_t{0} : std::uint8_t{1}, 0x00, 0x00});
  codes.insert(codes.end(), {0x00, 0x01});
  const auto path = dir.root() / "rle8.bmp";
  kelmore::testkit::writeFile(path, kelmore::testkit::makeRleBmp(spec, codes));
  drop(window.get(), {path.string()});
  EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join("|").toStdString();
  ASSERT_EQ(window->list().count(), 1);
  EXPECT_EQ(frame(0).Resolution->text(), "8x8");
  EXPECT_TRUE(frame(0).Image->property("loaded").toBool());
  const QImage shown = frame(0).Image->pixmap().toImage();
  EXPECT_EQ(qGray(shown.pixel(0, 0)), 0);
  EXPECT_EQ(qGray(shown.pixel(0, 7)), 255);
}

}  // namespace
}  // namespace kelmore::imagetool
