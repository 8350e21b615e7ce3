// The memory allocation per model, the usage bars and the preview geometry.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include "imagetool/allocation.h"
#include "listfixture.h"

namespace kelmore::imagetool {
namespace {

using testkit::record;

struct Image {
  const char* memory;
  int x;
  int y;
  int repeat = 1;
  std::int32_t address = 0;  // typed, for VRAM
};
struct Place {
  int page;
  std::int32_t address;
};
struct AllocCase {
  const char* name;
  const char* model;
  std::vector<Image> images;
  std::vector<Place> places;  // per image, in list order
  std::int32_t ramUsed;
  std::array<std::int32_t, 8> fromUsed;
  const char* result;
};

const AllocCase kAllocations[] = {
    {"empty_list", "PX-5200", {}, {}, 0, {}, "OK"},
    {"odd_sizes_round_up_and_move_on",
     "PX-5200",
     {{"FROM", 30001, 8}, {"FROM", 30001, 8}},
     {{0, 0}, {1, 0}},
     0,
     {30002, 30002},
     "OK"},
    {"ram_in_order_without_rounding", "PX-B", {{"RAM", 3, 8}, {"RAM", 3, 15}}, {{0, 0}, {0, 3}}, 6, {}, "OK"},
    {"fixed_pages_before_floating_ones",
     "PX-B",
     {{"FROM", 10, 8}, {"F 0", 11, 8}, {"F 0", 5, 8}},
     {{0, 18}, {0, 0}, {0, 12}},
     0,
     {28},
     "OK"},
    {"f1_4_never_takes_page_0",
     "PX-B",
     {{"F 1-4", 8, 8}, {"F any", 8, 8}},
     {{1, 0}, {1, 8}},
     0,
     {0, 16},
     "OK"},
    {"vram_keeps_its_address_and_is_not_counted",
     "PX-5200",
     {{"VRAM", 128, 64, 1, 4096}},
     {{0, 4096}},
     0,
     {},
     "OK"},
    // 32767 bytes round to 32768: page 0 holds one, pages 1..4 two each; the tenth fits nowhere and goes to
    // page 7 at its start, which PX-5200 lacks: page 4 keeps its own, exact use. It was counted on page 4.
    {"from_that_fits_nowhere_goes_to_page_7_on_its_own",
     "PX-5200",
     {{"FROM", 32767, 8, 10}},
     {{0, 0}, {1, 0}, {1, 32768}, {2, 0}, {2, 32768}, {3, 0}, {3, 32768}, {4, 0}, {4, 32768}, {7, 0}},
     0,
     {32768, 65536, 65536, 65536, 65536, 0, 0, 32768},
     "ERROR FROM:7 Overflow"},
    {"second_from_overflow_follows_the_first_on_page_7",
     "PX-5200B",
     {{"F 0", 32767, 8}, {"FROM", 32767, 8, 10}},
     {{0, 0},
      {1, 0},
      {1, 32768},
      {2, 0},
      {2, 32768},
      {3, 0},
      {3, 32768},
      {4, 0},
      {4, 32768},
      {7, 0},
      {7, 32768}},
     0,
     {32768, 65536, 65536, 65536, 65536, 0, 0, 65536},
     "ERROR FROM:7 Overflow"},
    {"from_that_fits_nowhere_on_eight_pages_overflows_page_7",
     "PX-B",
     {{"F 7", 32767, 8, 2}, {"FROM", 32767, 8, 15}},
     {{7, 0},
      {7, 32768},
      {0, 0},
      {0, 32768},
      {1, 0},
      {1, 32768},
      {2, 0},
      {2, 32768},
      {3, 0},
      {3, 32768},
      {4, 0},
      {4, 32768},
      {5, 0},
      {5, 32768},
      {6, 0},
      {6, 32768},
      {7, 65536}},
     0,
     {65536, 65536, 65536, 65536, 65536, 65536, 65536, 98304},
     "ERROR FROM:7 Overflow"},
    {"f1_4_that_fits_nowhere_stays_on_page_4",
     "PX-5200",
     {{"F 1-4", 32767, 8, 9}},
     {{1, 0}, {1, 32768}, {2, 0}, {2, 32768}, {3, 0}, {3, 32768}, {4, 0}, {4, 32768}, {4, 65536}},
     0,
     {0, 65536, 65536, 65536, 98304},
     "ERROR FROM:4 Overflow"},
    {"page_the_model_lacks_overflows_as_itself",
     "PX-5200",
     {{"F 4", 10, 8}, {"F 7", 100, 8}},
     {{4, 0}, {7, 0}},
     0,
     {0, 0, 0, 0, 10, 0, 0, 100},
     "ERROR FROM:7 Overflow"},
    {"f5_on_five_pages",
     "PX-5200B",
     {{"F 5", 1, 8}},
     {{5, 0}},
     0,
     {0, 0, 0, 0, 0, 2},
     "ERROR FROM:5 Overflow"},
    {"ram_on_a_model_without_image_ram", "PX-D", {{"RAM", 1, 8}}, {{0, 0}}, 1, {}, "ERROR RAM overflow"},
    {"ram_overflow_comes_before_flash",
     "PX-5200",
     {{"RAM", 1025, 8}, {"F 7", 1, 8}},
     {{0, 0}, {7, 0}},
     1025,
     {0, 0, 0, 0, 0, 0, 0, 2},
     "ERROR RAM overflow"},
    {"other_models_have_eight_pages",
     "QT-R500",
     {{"F 7", 4, 8}},
     {{7, 0}},
     0,
     {0, 0, 0, 0, 0, 0, 0, 4},
     "OK"},
};

class Allocate : public testing::TestWithParam<AllocCase> {};

TEST_P(Allocate, places_every_image) {
  const AllocCase& c = GetParam();
  std::vector<ImageRecord> records;
  for (const Image& image : c.images)
    for (int k = 0; k < image.repeat; ++k)
      records.push_back(record("L", image.memory, image.x, image.y, image.address));
  ImageList list;
  list.assign(records);
  const Allocation a = allocateMemory(list, capacitiesOf(modelInfo(c.model)));
  ASSERT_EQ(list.count(), static_cast<int>(c.places.size()));
  for (int i = 0; i < list.count(); ++i) {
    EXPECT_EQ(list.at(i).imgPage, c.places[i].page) << "image " << i;
    EXPECT_EQ(list.at(i).imgAddress, c.places[i].address) << "image " << i;
  }
  EXPECT_EQ(a.ramUsed, c.ramUsed);
  EXPECT_EQ(a.fromUsed, c.fromUsed);
  EXPECT_EQ(a.result, c.result);
}

INSTANTIATE_TEST_SUITE_P(models, Allocate, testing::ValuesIn(kAllocations),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Allocate, does_not_mark_the_list_changed) {
  ImageList list;
  list.assign({record("A", "FROM", 8, 8)});
  allocateMemory(list, capacitiesOf(modelInfo("PX-B")));
  EXPECT_FALSE(list.modified());
}

struct CapacityCase {
  const char* model;
  std::int32_t ram;
  std::array<std::int32_t, 8> pages;
  std::size_t choices;
};
const CapacityCase kCapacities[] = {
    {"PX-5100", 1024, {32768, 65536, 65536, 65536, 65536, 0, 0, 0}, 9},
    {"PX-5200B", 4096, {32768, 65536, 65536, 65536, 65536, 0, 0, 0}, 9},
    {"PX-B", 4096, {65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536}, 11},
    {"PX-D", 0, {65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536}, 10},
    {"no such model", 4096, {65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536}, 11},
};

TEST(Capacities, follow_the_model_row) {
  for (const auto& c : kCapacities) {
    const Capacities caps = capacitiesOf(modelInfo(c.model));
    EXPECT_EQ(caps.ramCapacity, c.ram) << c.model;
    EXPECT_EQ(caps.fromCapacity, c.pages) << c.model;
    EXPECT_EQ(modelInfo(c.model).imageMemoryChoices.size(), c.choices) << c.model;
  }
  EXPECT_EQ(modelInfo("PX-D").imageMemoryChoices.front(), "VRAM");
  EXPECT_EQ(modelInfo("PX-D").imageMemoryChoices[1], "FROM");
}

TEST(UsageBars, show_percent_and_hide_over_capacity) {
  const Capacities caps = capacitiesOf(modelInfo("PX-5200"));
  Allocation a;
  a.ramUsed = 1023;
  a.fromUsed = {16384, 65537, 0, 0, 0, 0, 0, 0};
  const UsageBar ram = ramBar(a, caps);
  EXPECT_TRUE(ram.shown);
  EXPECT_EQ(ram.percent, 99);  // whole percent, truncated
  EXPECT_EQ(ram.text, "1023");
  const UsageBar page0 = flashBar(a, caps, 0);
  EXPECT_DOUBLE_EQ(page0.percent, 50.0);
  const UsageBar page1 = flashBar(a, caps, 1);
  EXPECT_FALSE(page1.shown);
  EXPECT_EQ(page1.percent, 100);
  EXPECT_EQ(page1.text, "65537");
  const UsageBar page5 = flashBar(a, caps, 5);
  EXPECT_FALSE(page5.present);
  EXPECT_EQ(page5.text, "");
  EXPECT_FALSE(ramBar(a, capacitiesOf(modelInfo("PX-D"))).present);
}

// An empty list uses nothing: "0" beside every bar, "" where the model has no such memory.
struct EmptyTextsCase {
  const char* model;
  const char* ram;
  std::array<const char*, 8> pages;
};
const EmptyTextsCase kEmptyTexts[] = {
    {"PX-5200", "0", {"0", "0", "0", "0", "0", "", "", ""}},
    {"PX-D", "", {"0", "0", "0", "0", "0", "0", "0", "0"}},
    {"PX-B", "0", {"0", "0", "0", "0", "0", "0", "0", "0"}},
};

TEST(UsageBars, empty_list_texts) {
  for (const auto& c : kEmptyTexts) {
    ImageList list;
    const Capacities caps = capacitiesOf(modelInfo(c.model));
    const Allocation a = allocateMemory(list, caps);
    EXPECT_EQ(a.result, "OK") << c.model;
    EXPECT_EQ(ramBar(a, caps).text, c.ram) << c.model;
    for (int p = 0; p < 8; ++p) {
      const UsageBar bar = flashBar(a, caps, p);
      EXPECT_EQ(bar.text, c.pages[static_cast<std::size_t>(p)]) << c.model << " page " << p;
      if (bar.present) {
        EXPECT_TRUE(bar.shown && bar.percent == 0) << c.model << " page " << p;
      }
    }
  }
}

struct PreviewCase {
  const char* name;
  int x;
  int y;
  PreviewRect rect;
};
const PreviewCase kPreviews[] = {
    {"wide_128x64_is_tall_side", 128, 64, {652, 120, 990, 495}},
    {"wide_256x32", 256, 32, {480, 292, 1335, 150}},
    {"square", 64, 64, {900, 120, 495, 495}},
    {"zero_width_fills_the_box", 0, 64, {480, 120, 1335, 495}},
    {"zero_height_fills_the_box", 64, 0, {480, 120, 1335, 495}},
    {"largest_sides_stay_in_32_bits", 32767, 8, {480, 367, 1335, 0}},
    {"one_dot_wide", 1, 32767, {1147, 120, 0, 495}},
};

TEST(Preview, box_in_twips) {
  for (const auto& c : kPreviews) {
    const PreviewRect r = previewRect(c.x, c.y);
    EXPECT_EQ(r.left, c.rect.left) << c.name;
    EXPECT_EQ(r.top, c.rect.top) << c.name;
    EXPECT_EQ(r.width, c.rect.width) << c.name;
    EXPECT_EQ(r.height, c.rect.height) << c.name;
  }
}

}  // namespace
}  // namespace kelmore::imagetool
