// The image list operations: label names, add, insert, exchange, remove, drops, and the view the compiler
// reads.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include <functional>

#include "imagetool/imagefile.h"
#include "imagetool/imagelist.h"
#include "listfixture.h"

namespace kelmore::imagetool {
namespace {

using testkit::BitmapFolder;
using testkit::FakeUi;
using testkit::labels;
using testkit::record;
using Labels = std::vector<std::string>;

class ListOps : public testing::Test {
 protected:
  BitmapFolder dir{"imagelist"};
  FakeUi ui;
  ImageList list;

  // A list of `n` VRAM entries labelled L0, L1, ...
  void fill(int n) {
    std::vector<ImageRecord> records;
    for (int i = 0; i < n; ++i) records.push_back(record("L" + std::to_string(i), "VRAM", 8, 8));
    list.assign(records);
  }
};

TEST_F(ListOps, label_names_take_the_first_free_number) {
  list.assign({record("Image0000", "FROM", 8, 8), record("Image0002", "FROM", 8, 8)});
  EXPECT_EQ(list.newLabelName(), "Image0001");
  list.assign({record("image0000", "FROM", 8, 8)});
  EXPECT_EQ(list.newLabelName(), "Image0000") << "labels differing in case are different";
  list.assign({record("Image0000", "FROM", 8, 8), record("Image0001", "FROM", 8, 8)});
  EXPECT_EQ(list.newLabelName(), "Image0002");
  // A freed label is found again after later ones were handed out.
  list.setLabel(0, "Mine");
  EXPECT_EQ(list.newLabelName(), "Image0000");
  list.imgCurrent = 1;
  list.removeImage();
  EXPECT_EQ(list.newLabelName(), "Image0000");
}

TEST_F(ListOps, label_uses_count_duplicates) {
  list.assign({record("A", "FROM", 8, 8), record("A", "FROM", 8, 8), record("B", "FROM", 8, 8)});
  EXPECT_EQ(list.labelUses("A"), 2);
  list.setLabel(1, "B");
  EXPECT_EQ(list.labelUses("A"), 1);
  EXPECT_EQ(list.labelUses("B"), 2);
}

TEST_F(ListOps, add_at_end_takes_the_chosen_bitmap) {
  const std::string a = dir.bmp("a.bmp", 128, 64);
  ui.choices = {{a}};
  list.addImageAtEnd(ui);
  ASSERT_EQ(list.count(), 1);
  const ImageRecord& r = list.at(0);
  EXPECT_EQ(r.imgLabel, "Image0000");
  EXPECT_EQ(r.imgFileName, "a.bmp");
  EXPECT_EQ(r.imgPath, a);
  EXPECT_EQ(r.imgX, 128);
  EXPECT_EQ(r.imgY, 64);
  EXPECT_EQ(r.imgCheck, 1);
  EXPECT_EQ(r.imgMemory, "FROM");
  EXPECT_EQ(list.imgCurrent, 0);
  EXPECT_TRUE(list.modified());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ListOps, add_cancelled_or_refused_adds_nothing) {
  fill(2);
  list.addImageAtEnd(ui);  // cancel
  ui.choices = {{dir.text("note.txt", "hello")}};
  list.addImageAtEnd(ui);
  EXPECT_EQ(labels(list), (Labels{"L0", "L1"}));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"This is not a BMP file."}));
}

// A refused file once removed the new entry twice, taking an existing image with it.
TEST_F(ListOps, insert_of_a_refused_file_loses_no_image) {
  fill(3);
  ui.choices = {{dir.text("note.txt", "hello")}, {}};
  list.insertImage(1, ui);
  EXPECT_EQ(labels(list), (Labels{"L0", "L1", "L2"}));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"This is not a BMP file."}));
  list.insertImage(1, ui);  // cancel
  EXPECT_EQ(labels(list), (Labels{"L0", "L1", "L2"}));
  EXPECT_TRUE(ui.messages.size() == 1);
}

TEST_F(ListOps, insert_places_the_files_and_selects_the_entry_after) {
  fill(3);
  ui.choices = {{dir.bmp("x.bmp", 16, 8), dir.bmp("y.bmp", 16, 8)}};
  list.insertImage(1, ui);
  EXPECT_EQ(labels(list), (Labels{"L0", "Image0000", "Image0001", "L1", "L2"}));
  EXPECT_EQ(list.at(2).imgFileName, "y.bmp");
  EXPECT_EQ(list.imgCurrent, 3);
}

TEST_F(ListOps, exchange_cancel_or_refusal_keeps_the_entry) {
  list.assign({record("Keep", "RAM", 8, 16, 0)});
  list.imgCurrent = 0;
  EXPECT_FALSE(list.exchangeImage(ui));
  ui.choices = {{dir.text("bad.bmp", "BMnot really")}};
  EXPECT_FALSE(list.exchangeImage(ui));
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.at(0).imgLabel, "Keep");
  EXPECT_EQ(list.at(0).imgX, 8);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"This is not a BMP file."}));
  EXPECT_FALSE(list.modified());
}

TEST_F(ListOps, exchange_keeps_label_and_area_and_inserts_further_files) {
  list.assign({record("Keep", "RAM", 8, 16), record("Next", "VRAM", 8, 8)});
  list.imgCurrent = 0;
  ui.choices = {{dir.bmp("one.bmp", 24, 16), dir.bmp("two.bmp", 32, 8)}};
  EXPECT_TRUE(list.exchangeImage(ui));
  EXPECT_EQ(labels(list), (Labels{"Keep", "Image0000", "Next"}));
  EXPECT_EQ(list.at(0).imgMemory, "RAM");
  EXPECT_EQ(list.at(0).imgX, 24);
  EXPECT_EQ(list.at(0).imgFileName, "one.bmp");
  EXPECT_EQ(list.at(1).imgFileName, "two.bmp");
  EXPECT_EQ(list.at(1).imgMemory, "FROM");
}

TEST_F(ListOps, exchange_on_the_append_slot_does_nothing) {
  fill(1);
  list.imgCurrent = 1;
  ui.choices = {{dir.bmp("one.bmp", 8, 8)}};
  EXPECT_FALSE(list.exchangeImage(ui));
  EXPECT_EQ(list.count(), 1);
}

// Insert and Insert Blank once stopped at 999 images.
TEST_F(ListOps, the_thousandth_image_can_be_inserted) {
  fill(999);
  ui.choices = {{dir.bmp("last.bmp", 8, 8)}};
  list.insertImage(0, ui);
  EXPECT_EQ(list.count(), 1000);
  EXPECT_TRUE(ui.messages.empty());
  list.insertImage(0, ui);
  list.insertBlank(0, ui);
  list.addImageAtEnd(ui);
  list.dropFilesOnForm({dir.bmp("more.bmp", 8, 8)}, ui);
  EXPECT_EQ(list.count(), 1000);
  EXPECT_EQ(ui.messages, std::vector<std::string>(4, "No more than 1000 images cannot be loaded."));

  fill(999);
  ui.dialogAnswers = {true};
  list.insertBlank(999, ui);
  EXPECT_EQ(list.count(), 1000);
}

TEST_F(ListOps, insert_blank_set_keeps_and_cancel_removes) {
  list.assign({record("A", "FROM", 40, 16), record("B", "FROM", 8, 8)});
  ui.onDialog = [this] {
    const ImageRecord& r = list.at(list.imgCurrent);
    EXPECT_EQ(r.imgMemory, "VRAM");
    EXPECT_EQ(r.imgLabel, "Image0000");
    EXPECT_EQ(r.imgX, 40) << "the dialog proposes the size of the entry that moved up";
    EXPECT_EQ(r.imgY, 16);
  };
  ui.dialogAnswers = {true, false};
  list.insertBlank(0, ui);
  EXPECT_EQ(labels(list), (Labels{"Image0000", "A", "B"}));
  EXPECT_EQ(list.imgCurrent, 1);
  ui.onDialog = nullptr;
  list.insertBlank(1, ui);
  EXPECT_EQ(labels(list), (Labels{"Image0000", "A", "B"}));
  EXPECT_EQ(list.imgCurrent, 1);
  EXPECT_EQ(ui.dialogs, 2);
}

// The change mark follows the content: an edit that was undone, or the allocation placing an image, is no
// change. It once stayed set after any edit, so Ins_Blank and Cancel asked to save an unchanged list.
struct MarkCase {
  const char* name;
  std::function<void(ImageList&, FakeUi&)> edit;
  bool modified;
};
const MarkCase kMarks[] = {
    {"insert_blank_cancelled",
     [](ImageList& l, FakeUi& ui) {
       l.imgCurrent = 1;
       l.insertBlank(1, ui);
     },
     false},
    {"insert_blank_set",
     [](ImageList& l, FakeUi& ui) {
       ui.dialogAnswers = {true};
       l.insertBlank(0, ui);
     },
     true},
    {"label_changed_and_back",
     [](ImageList& l, FakeUi&) {
       l.setLabel(0, "Other");
       l.setLabel(0, "V");
     },
     false},
    {"memory_changed_and_back",
     [](ImageList& l, FakeUi&) {
       l.setMemory(1, "RAM");
       l.setMemory(1, "FROM");
     },
     false},
    {"placed_address_is_the_allocations", [](ImageList& l, FakeUi&) { l.place(1, 3, 512); }, false},
    {"vram_address_typed", [](ImageList& l, FakeUi&) { l.setAddress(0, 64); }, true},
    {"check_changed", [](ImageList& l, FakeUi&) { l.setCheck(1, 0); }, true},
    {"size_changed", [](ImageList& l, FakeUi&) { l.setSize(1, 16, 16); }, true},
    {"entry_removed", [](ImageList& l, FakeUi&) { l.removeImage(); }, true},
    {"append_slot_filled_only", [](ImageList& l, FakeUi&) { l.setMemory(2, "VRAM"); }, false},
};

class ChangeMark : public testing::TestWithParam<MarkCase> {};

TEST_P(ChangeMark, follows_the_content) {
  ImageList list;
  FakeUi ui;
  list.assign({record("V", "VRAM", 8, 8, 32), record("F", "FROM", 8, 8, 0)});
  GetParam().edit(list, ui);
  EXPECT_EQ(list.modified(), GetParam().modified);
  list.markSaved();
  EXPECT_FALSE(list.modified());
}

INSTANTIATE_TEST_SUITE_P(edits, ChangeMark, testing::ValuesIn(kMarks),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ListOps, insert_blank_far_down_scrolls) {
  fill(20);
  list.imgTop = 0;
  ui.dialogAnswers = {true};
  list.insertBlank(7, ui);
  EXPECT_EQ(list.imgCurrent, 8);
  EXPECT_EQ(list.imgTop, 1);
}

// The vacated slot once kept the removed image's file, size and area for the append slot.
TEST_F(ListOps, remove_clears_the_whole_slot) {
  list.assign({record("A", "FROM", 8, 8), record("B", "RAM", 64, 32)});
  list.imgCurrent = 1;
  list.removeImage();
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.imgCurrent, 1) << "the selection is the append slot";
  const ImageRecord& slot = list.at(1);
  EXPECT_EQ(slot.imgLabel, "");
  EXPECT_EQ(slot.imgMemory, "");
  EXPECT_EQ(slot.imgX, 0);
  EXPECT_EQ(slot.imgY, 0);
  list.removeImage();  // on the append slot: nothing
  EXPECT_EQ(list.count(), 1);
  list.imgCurrent = 0;
  list.removeImage();
  EXPECT_EQ(list.count(), 0);
}

TEST_F(ListOps, append_slot_filled_then_appended) {
  fill(1);
  list.setMemory(1, "VRAM");
  list.setSize(1, 16, 8);
  EXPECT_EQ(list.count(), 1);
  list.appendSlot();
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.at(1).imgMemory, "VRAM");
  EXPECT_EQ(list.at(2).imgMemory, "");
}

TEST_F(ListOps, drop_on_form_appends_bitmaps_and_skips_others_silently) {
  fill(8);
  list.dropFilesOnForm({dir.bmp("a.bmp", 8, 8), dir.text("x.txt", "x"), dir.bmp("b.bmp", 8, 8, 24)}, ui);
  EXPECT_EQ(labels(list), (Labels{"L0", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "Image0000", "Image0001"}));
  EXPECT_EQ(list.at(9).imgFileName, "b.bmp");
  EXPECT_EQ(list.imgCurrent, 9);
  EXPECT_EQ(list.imgTop, 2);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ListOps, drop_on_image_inserts_in_order) {
  fill(3);
  list.dropFilesOnImage(1, {dir.bmp("a.bmp", 8, 8), dir.bmp("b.bmp", 8, 8)}, ui);
  EXPECT_EQ(labels(list), (Labels{"L0", "Image0000", "Image0001", "L1", "L2"}));
  EXPECT_EQ(list.at(2).imgFileName, "b.bmp");
  EXPECT_EQ(list.imgCurrent, 3);
  list.dropFilesOnImage(99, {dir.bmp("c.bmp", 8, 8)}, ui);
  EXPECT_EQ(list.at(5).imgFileName, "c.bmp");
}

TEST_F(ListOps, drop_stops_when_the_list_is_full) {
  fill(999);
  list.dropFilesOnImage(0, {dir.bmp("a.bmp", 8, 8), dir.bmp("b.bmp", 8, 8)}, ui);
  EXPECT_EQ(list.count(), 1000);
  EXPECT_EQ(list.at(0).imgFileName, "a.bmp");
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"No more than 1000 images cannot be loaded."}));
}

// An image beyond 32767 bytes was outside what the list can hold; it is refused where it enters.
TEST_F(ListOps, too_large_bitmaps_are_refused_with_their_names) {
  list.dropFilesOnForm({dir.bmp("big.bmp", 4096, 72), dir.bmp("ok.bmp", 4095, 64)}, ui);
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.at(0).imgFileName, "ok.bmp");
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Image is too large.\nbig.bmp"}));
  ui.messages.clear();
  ui.choices = {{dir.bmp("big.bmp", 4096, 72)}};
  list.addImageAtEnd(ui);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Image is too large.\nbig.bmp"}));
}

TEST_F(ListOps, height_off_the_bands_is_taken_with_a_note) {
  list.dropFilesOnForm({dir.bmp("tall.bmp", 16, 12), dir.bmp("even.bmp", 16, 16)}, ui);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.at(0).imgY, 12);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{
                             "The height is not a multiple of 8; the rows below the last 8 are not used:\n"
                             "tall.bmp"}));
}

TEST_F(ListOps, the_compiler_view_reads_entries_and_guards_slots) {
  list.assign({record("Logo", "F 1", 128, 64, 0)});
  list.place(0, 1, 512);
  const ImageListView& view = list;
  EXPECT_EQ(view.imgCount(), 1);
  const ImageEntry e = view.image(0);
  EXPECT_EQ(e.imgLabel, "Logo");
  EXPECT_EQ(e.imgX, 128);
  EXPECT_EQ(e.imgY, 64);
  EXPECT_EQ(e.imgPage, 1);
  EXPECT_EQ(e.imgMemory, "F 1");
  EXPECT_EQ(e.imgAddress, 512);
  EXPECT_EQ(view.image(1000).imgLabel, "");
  EXPECT_THROW(view.image(1001), std::out_of_range);
}

}  // namespace
}  // namespace kelmore::imagetool
