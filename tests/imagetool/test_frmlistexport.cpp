// The export window: its boxes, Export and Write against the simulated module, and what ends a Write.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>

#include "../link/rig.h"
#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "imagetool/frmlistexport.h"
#include "listfixture.h"
#include "widgets/operationguard.h"

namespace kelmore::imagetool {
namespace {

class FakeHostDevice : public widgets::ImageToolDevice {
 public:
  link::testkit::Rig rig;
  widgets::OperationGuard guard{nullptr, nullptr};
  QComboBox box;
  bool checkAnswer = true;
  int checks = 0;
  int codas = 0;

  FakeHostDevice() { box.addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3")}); }
  link::PX5000& device() override { return *rig.px; }
  widgets::OperationGuard& operations() override { return guard; }
  QComboBox* portBox() override { return &box; }
  bool commCheck() override {
    ++checks;
    return checkAnswer;
  }
  void commCoda() override { ++codas; }
  QString scanPorts(const QString&) override { return QStringLiteral("COM3"); }
};

struct Window {
  explicit Window(std::vector<ImageRecord> records, std::string_view model = "PX-5200") {
    list.assign(std::move(records));
    capacities = capacitiesOf(modelInfo(model));
    allocation = allocateMemory(list, capacities);
    host.prompter = &prompter;
    host.device = &device;
    window = std::make_unique<frmListExport>(nullptr, host, list, allocation, capacities,
                                             [] { return ExportTime{2026, 1, 2, 3, 4, 5}; });
    window->setModel(modelInfo(model));
    window->show();
  }
  QStringList texts() const { return prompter.texts(); }
  bool buttonsEnabled() const {
    return window->cmdClose->isEnabled() && window->cmdExport2File->isEnabled() &&
           window->cmdWrite->isEnabled();
  }

  widgets::test::ScriptedPrompter prompter;
  FakeHostDevice device;
  widgets::ImageToolHost host;
  ImageList list;
  Capacities capacities;
  Allocation allocation;
  std::unique_ptr<frmListExport> window;
};

std::vector<ImageRecord> twoImages(const testkit::BitmapFolder& dir) {
  ImageRecord ram = testkit::record("R", "RAM", 24, 16);
  ram.imgPath = dir.bmp("r.bmp", 24, 16);
  ImageRecord flash = testkit::record("F", "F 0", 16, 8);
  flash.imgPath = dir.bmp("f.bmp", 16, 8);
  return {ram, flash};
}

TEST(ExportWindow, boxes_show_the_use_and_refuse_what_overflows) {
  testkit::BitmapFolder dir("frmlistexport");
  auto records = twoImages(dir);
  records.push_back(testkit::record("Five", "F 5", 8, 8));  // PX-5200 has no page 5
  Window w(records);
  EXPECT_EQ(w.window->chkRAM->text(), "RAM :    48 Byte");
  EXPECT_EQ(w.window->chkFROM[0]->text(), "ROM: 0-      16 Byte");
  EXPECT_TRUE(w.window->chkRAM->isEnabled());
  EXPECT_FALSE(w.window->chkFROM[1]->isEnabled());  // empty
  EXPECT_FALSE(w.window->chkFROM[5]->isEnabled());  // over its capacity of 0
  w.window->cmdChkAll_Click();
  EXPECT_TRUE(w.window->chkRAM->isChecked());
  EXPECT_TRUE(w.window->chkFROM[0]->isChecked());
  EXPECT_FALSE(w.window->chkFROM[5]->isChecked());
  w.window->cmdRemove_Click();
  EXPECT_FALSE(w.window->chkFROM[0]->isChecked());
  EXPECT_EQ(w.window->comList->currentText(), "COM1");
}

TEST(ExportWindow, nothing_checked_gives_the_same_message_for_export_and_write) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdExport2File_Click();
  w.window->cmdWrite_Click();
  EXPECT_EQ(w.texts(), (QStringList{"No Image to be exported.", "No Image to be exported."}));
  EXPECT_EQ(w.device.checks, 0);
  EXPECT_TRUE(w.buttonsEnabled());
}

TEST(ExportWindow, write_sends_to_the_module_and_says_completed) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  w.window->cmdWrite_Click();
  EXPECT_EQ(w.texts(), QStringList{"Completed."});
  EXPECT_EQ(w.prompter.boxes.back().title, "Export");
  EXPECT_EQ(w.prompter.boxes.back().icon, QMessageBox::Information);
  EXPECT_EQ(w.device.checks, 1);
  EXPECT_EQ(w.device.codas, 1);
  EXPECT_FALSE(w.window->isVisible());
  EXPECT_TRUE(w.buttonsEnabled());
  EXPECT_EQ(w.window->ProgressBar2->value(), 100);
  EXPECT_FALSE(w.device.rig.sent().empty());
  EXPECT_TRUE(std::filesystem::exists(frmListExport::commandFilePath()));
}

TEST(ExportWindow, a_busy_link_sends_nothing_and_gives_the_buttons_back) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  w.device.rig.px->ifOpenf = -1;
  w.window->cmdWrite_Click();
  EXPECT_TRUE(w.texts().isEmpty());
  EXPECT_EQ(w.device.checks, 0);
  EXPECT_TRUE(w.device.rig.sent().empty());
  EXPECT_TRUE(w.buttonsEnabled());
}

TEST(ExportWindow, a_refused_check_sends_nothing_and_hides) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  w.device.checkAnswer = false;
  w.window->cmdWrite_Click();
  EXPECT_TRUE(w.texts().isEmpty());
  EXPECT_EQ(w.device.codas, 1);
  EXPECT_TRUE(w.device.rig.sent().empty());
  EXPECT_FALSE(w.window->isVisible());
}

TEST(ExportWindow, a_link_failure_mid_way_is_told_and_never_completed) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  w.device.rig.device->stallAfter = 10;
  w.window->cmdWrite_Click();
  EXPECT_EQ(w.texts(), QStringList{"Transfer failed."});
  EXPECT_EQ(w.device.codas, 1);
  EXPECT_TRUE(w.window->isVisible());
  EXPECT_TRUE(w.buttonsEnabled());
  EXPECT_FALSE(w.device.rig.px->isOpen());
}

TEST(ExportWindow, closing_and_a_second_write_wait_for_the_send) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  int tries = 0;
  w.device.rig.env.onEvents = [&] {
    if (tries++ > 0) return;
    EXPECT_FALSE(w.window->cmdWrite->isEnabled());
    EXPECT_FALSE(w.window->cmdClose->isEnabled());
    w.window->close();
    EXPECT_TRUE(w.window->isVisible());
    w.window->cmdWrite_Click();  // as a second press would: the running operation keeps it out
    EXPECT_FALSE(w.window->cmdWrite->isEnabled());
  };
  w.window->cmdWrite_Click();
  EXPECT_GT(tries, 0);
  EXPECT_EQ(w.texts(), QStringList{"Completed."});
  EXPECT_EQ(w.device.checks, 1);
}

TEST(ExportWindow, a_failed_export_sends_nothing) {
  testkit::BitmapFolder dir("frmlistexport");
  auto records = twoImages(dir);
  std::filesystem::remove(records[0].imgPath);
  Window w(records);
  w.window->cmdChkAll_Click();
  w.window->cmdWrite_Click();
  EXPECT_EQ(w.texts(), (QStringList{"Image No.1 is not accecible.", " File convert error."}));
  EXPECT_EQ(w.device.checks, 0);
  EXPECT_TRUE(w.window->isVisible());
  EXPECT_TRUE(w.buttonsEnabled());
}

TEST(ExportWindow, export_writes_the_chosen_file_and_search_sets_both_port_boxes) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  const auto path = dir.root() / "out.dat";
  w.prompter.fileNames = {QString::fromStdString(path.string())};
  w.window->cmdExport2File_Click();
  EXPECT_TRUE(w.texts().isEmpty());
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(w.window->isVisible());
  w.window->cmdSearch_Click();
  EXPECT_EQ(w.window->comList->currentText(), "COM3");
  EXPECT_EQ(w.device.box.currentText(), "COM3");
}

// The second bar stood at 96 % when "Completed." showed, the first short of its end when not every area
// was sent, and the progress line widened the window while the transfer ran.
TEST(ExportWindow, write_keeps_the_window_size_and_ends_with_full_bars) {
  testkit::BitmapFolder dir("frmlistexport");
  auto records = twoImages(dir);
  records[0] = testkit::record("R", "RAM", 128, 64);
  records[0].imgPath = dir.bmp("big.bmp", 128, 64);
  Window w(records);
  QApplication::processEvents();
  const QSize before = w.window->size();
  w.window->chkRAM->setChecked(true);  // the FROM image stays behind
  QSize widest = before;
  int sizeChanges = 0;
  w.device.rig.env.onEvents = [&] {
    // The longest line the progress shows: a wait for the module's reply with its countdown.
    w.window->progress->waitBegins(link::LinkWait::Reply,
                                   widgets::OperationProgress::Clock::now() + std::chrono::seconds(5));
    QApplication::processEvents();
    if (w.window->size() != before) ++sizeChanges;
    widest = widest.expandedTo(w.window->size());
  };
  int bar1 = -1;
  int bar2 = -1;
  w.prompter.onBox = [&](const widgets::test::Box& box) {
    if (box.text != "Completed.") return;
    EXPECT_EQ(w.window->ProgressBar1->maximum(), 2);
    bar1 = w.window->ProgressBar1->value();
    bar2 = w.window->ProgressBar2->value();
  };
  w.window->cmdWrite_Click();
  ASSERT_EQ(w.texts(), QStringList{"Completed."});
  EXPECT_EQ(bar1, 2);
  EXPECT_EQ(bar2, 100);
  EXPECT_EQ(sizeChanges, 0) << "widest " << widest.width() << " x " << widest.height() << " from "
                            << before.width() << " x " << before.height();
}

// Close unloads the window: the box checks are gone with it. An export only hides it, and its save dialog
// then proposes the file exported last.
TEST(ExportWindow, close_unloads_and_an_export_keeps_the_last_file) {
  testkit::BitmapFolder dir("frmlistexport");
  Window w(twoImages(dir));
  w.window->cmdChkAll_Click();
  const auto path = QString::fromStdString((dir.root() / "first.dat").string());
  w.prompter.fileNames = {path};
  w.window->cmdExport2File_Click();
  EXPECT_FALSE(w.window->isVisible());
  EXPECT_FALSE(w.window->unloaded());
  w.window->show();
  EXPECT_TRUE(w.window->chkRAM->isChecked()) << "the checks survive while the window stays loaded";
  w.prompter.fileNames = {path};
  w.window->cmdExport2File_Click();
  ASSERT_EQ(w.prompter.saveDialogs.size(), 2u);
  EXPECT_EQ(w.prompter.saveDialogs[0].dir, QDir::homePath() + "/*.dat");
  EXPECT_EQ(w.prompter.saveDialogs[1].dir, path);
  w.window->show();
  w.window->cmdClose->click();
  EXPECT_FALSE(w.window->isVisible());
  EXPECT_TRUE(w.window->unloaded());
  w.window->show();
  EXPECT_FALSE(w.window->unloaded()) << "a window shown again is loaded";
}

// Page 4 holding exactly its own images stays exportable beside a FROM image that fits nowhere.
TEST(ExportWindow, a_from_image_that_fits_nowhere_leaves_page_4_exportable) {
  std::vector<ImageRecord> records;
  for (int page = 0; page <= 4; ++page)
    for (int k = page == 0 ? 1 : 0; k < 2; ++k)  // 32767 bytes take 32768: page 0 holds one, 1..4 two
      records.push_back(testkit::record("P" + std::to_string(page) + std::to_string(k),
                                        "F " + std::to_string(page), 32767, 8));
  records.push_back(testkit::record("Over", "FROM", 8, 8));
  Window w(records);
  EXPECT_EQ(w.allocation.result, "ERROR FROM:7 Overflow");
  EXPECT_TRUE(w.window->chkFROM[4]->isEnabled());
  EXPECT_EQ(w.window->chkFROM[4]->text(), "ROM: 4-   65536 Byte");
  EXPECT_FALSE(w.window->chkFROM[7]->isEnabled());
}

}  // namespace
}  // namespace kelmore::imagetool
