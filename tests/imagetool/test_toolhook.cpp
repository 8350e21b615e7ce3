// The image tool from the main window: the Image key and the Tool menu, the model followed at every show,
// the main window hidden meanwhile, the compiler reading the tool's list, and quitting with changes.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMimeData>
#include <QStackedWidget>
#include <QUrl>

#include "../mainwindow/scriptedprompter.h"
#include "imagetool/frmimage.h"
#include "listfixture.h"
#include "mainwindow/compilerviews.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "platform/paths.h"

namespace kelmore::imagetool {
namespace {

using mainwindow::Form1;

class ToolHook : public testing::Test {
 protected:
  mainwindow::test::ScriptedPrompter prompter;
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

}  // namespace
}  // namespace kelmore::imagetool
