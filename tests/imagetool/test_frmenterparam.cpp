// The parameter dialog: fields loaded from the entry, the address box following the memory choice, storing,
// cancelling and refusing.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "../widgets/scriptedprompter.h"
#include "imagetool/frmenterparam.h"
#include "listfixture.h"

namespace kelmore::imagetool {
namespace {

using mainwindow::test::ScriptedPrompter;

class ParamDialog : public testing::Test {
 protected:
  ImageList list;
  ScriptedPrompter prompter;
  FrmEnterParam dialog{nullptr, list, prompter};

  void SetUp() override {
    list.assign({testkit::record("A", "", 16, 24, 100)});
    list.imgCurrent = 0;
  }
  // Shows the dialog modally and runs `inside` while it is up.
  QString run(const std::function<void()>& inside) {
    QTimer::singleShot(0, &dialog, [this, inside] {
      inside();
      if (dialog.isVisible()) dialog.close();
    });
    return dialog.showModal();
  }
};

TEST_F(ParamDialog, empty_memory_opens_as_vram_and_set_stores_it) {
  const QString flag = run([this] {
    EXPECT_EQ(dialog.Combo1->currentText(), "VRAM");
    EXPECT_TRUE(dialog.txtAdrs->isEnabled());
    EXPECT_EQ(dialog.txtAdrs->text(), "100");
    EXPECT_EQ(dialog.txtX->text(), "16");
    EXPECT_EQ(dialog.txtY->text(), "24");
    dialog.txtX->setText("12abc");
    dialog.cmdOK->click();
  });
  EXPECT_EQ(flag, "OK");
  EXPECT_EQ(list.at(0).imgMemory, "VRAM");
  EXPECT_EQ(list.at(0).imgX, 12);
}

TEST_F(ParamDialog, ram_greys_the_address_which_is_stored_all_the_same) {
  run([this] {
    dialog.Combo1->setCurrentIndex(dialog.Combo1->findText("RAM"));
    emit dialog.Combo1->activated(dialog.Combo1->currentIndex());
    EXPECT_FALSE(dialog.txtAdrs->isEnabled());
    EXPECT_FALSE(dialog.Label1->isEnabled());
    dialog.cmdOK->click();
  });
  EXPECT_EQ(list.at(0).imgMemory, "RAM");
  EXPECT_EQ(list.at(0).imgAddress, 100);
}

TEST_F(ParamDialog, focus_starts_in_the_first_enabled_box) {
  run([this] { EXPECT_EQ(dialog.focusWidget(), dialog.txtAdrs); });
  list.setMemory(0, "RAM");
  run([this] { EXPECT_EQ(dialog.focusWidget(), dialog.txtX); });
}

TEST_F(ParamDialog, cancel_and_close_box_leave_the_entry) {
  dialog.Flag = "1";
  EXPECT_EQ(run([this] {
              dialog.txtX->setText("99");
              dialog.cmdCancel->click();
            }),
            "CAN");
  dialog.Flag = "1";
  EXPECT_EQ(run([this] { dialog.txtX->setText("99"); }), "") << "the close box is a cancel";
  EXPECT_EQ(list.at(0).imgX, 16);
  EXPECT_FALSE(list.modified());
}

// Numbers beyond their field were stored cut to the field's type.
TEST_F(ParamDialog, out_of_range_keeps_the_dialog_open_with_a_message) {
  run([this] {
    dialog.txtAdrs->setText("-5");
    dialog.cmdOK->click();
    EXPECT_TRUE(dialog.isVisible());
    dialog.txtAdrs->setText("5");
    dialog.txtY->setText("40000");
    dialog.cmdOK->click();
    EXPECT_TRUE(dialog.isVisible());
  });
  EXPECT_EQ(prompter.texts(),
            (QStringList{"Start Address must be 0 to 2147483647.", "Size Y must be 0 to 32767."}));
  EXPECT_EQ(list.at(0).imgAddress, 100);
}

TEST_F(ParamDialog, fixed_list_and_captions) {
  QStringList items;
  for (int i = 0; i < dialog.Combo1->count(); ++i) items << dialog.Combo1->itemText(i);
  EXPECT_EQ(items, (QStringList{"VRAM", "RAM", "FROM", "F 0", "F 1-4", "F 1", "F 2", "F 3", "F 4"}));
  EXPECT_EQ(dialog.Label3->text(), "Sixe Y");
  EXPECT_EQ(dialog.windowTitle(), "VRAM Image setting");
  EXPECT_FALSE(dialog.cmdOK->isDefault());
  // A typed area outside the list is taken when it is one of the tool's areas.
  run([this] {
    dialog.Combo1->setEditText("f 7");
    dialog.cmdOK->click();
  });
  EXPECT_EQ(list.at(0).imgMemory, "F 7");
}

}  // namespace
}  // namespace kelmore::imagetool
