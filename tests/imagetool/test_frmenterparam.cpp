// The parameter dialog: fields loaded from the entry, the address box following the memory choice, storing,
// cancelling and refusing.
// Layer: tests (Qt).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "../widgets/qtprint.h"
#include "../widgets/scriptedprompter.h"
#include "imagetool/frmenterparam.h"
#include "listfixture.h"

namespace kelmore::imagetool {
namespace {

using widgets::test::ScriptedPrompter;

class ParamDialog : public testing::Test {
 protected:
  ImageList list;
  ScriptedPrompter prompter;
  Capacities capacities = capacitiesOf(modelInfo("PX-B"));
  FrmEnterParam dialog{nullptr, list, capacities, prompter};

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

// A text the frames of another model offer was stored and could only overflow; the same text is taken where
// the model has the area.
TEST_F(ParamDialog, an_area_the_model_lacks_keeps_the_dialog_open) {
  struct Case {
    const char* model;
    const char* memory;
    const char* refusal;  // "" when stored
  };
  const Case cases[] = {
      {"PX-5200", "F 7", "\"F 7\" is no image memory of this model."},
      {"PX-D", "RAM", "\"RAM\" is no image memory of this model."},
      {"PX-D", "F 8", "\"F 8\" is no image memory."},
      {"PX-B", "F 7", ""},
      {"PX-5200", "RAM", ""},
  };
  for (const Case& c : cases) {
    list.setMemory(0, "VRAM");
    capacities = capacitiesOf(modelInfo(c.model));
    prompter.boxes.clear();
    const QString flag = run([this, &c] {
      dialog.Combo1->setEditText(c.memory);
      dialog.cmdOK->click();
      EXPECT_EQ(dialog.isVisible(), *c.refusal != 0) << c.model << " " << c.memory;
    });
    if (*c.refusal) {
      EXPECT_EQ(prompter.texts(), QStringList{c.refusal}) << c.model;
      EXPECT_EQ(flag, "") << "closed by its close box";
      EXPECT_EQ(list.at(0).imgMemory, "VRAM") << c.model << " " << c.memory;
    } else {
      EXPECT_TRUE(prompter.boxes.empty()) << c.model;
      EXPECT_EQ(flag, "OK");
      EXPECT_EQ(list.at(0).imgMemory, c.memory) << c.model;
    }
  }
}

}  // namespace
}  // namespace kelmore::imagetool
