// The parameter dialog's texts to an entry: numbers as typed, and the refusals.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include "imagetool/parameters.h"
#include "listfixture.h"

namespace kelmore::imagetool {
namespace {

struct ParamCase {
  const char* name;
  ParameterTexts texts;
  const char* refusal;  // "" for a stored entry
  std::int32_t address;
  int x;
  int y;
  const char* memory;
  const char* model = "PX-B";
};
const ParamCase kParams[] = {
    {"plain", {"4096", "128", "64", "VRAM"}, "", 4096, 128, 64, "VRAM"},
    {"leading_number_only", {"0", "12abc", "abc", "vram"}, "", 0, 12, 0, "VRAM"},
    {"halves_to_even", {"1", "2.5", "3.5", "RAM"}, "", 1, 2, 4, "RAM"},
    {"hex_and_blanks", {"&H1 0", " 8", "1 6", " f 7 "}, "", 16, 8, 16, "F 7"},
    {"negative_address", {"-1", "8", "8", "VRAM"}, "Start Address must be 0 to 2147483647.", 0, 0, 0, ""},
    {"address_beyond_32_bits",
     {"2147483648", "8", "8", "VRAM"},
     "Start Address must be 0 to 2147483647.",
     0,
     0,
     0,
     ""},
    {"width_beyond_16_bits", {"0", "32768", "8", "VRAM"}, "Size X must be 0 to 32767.", 0, 0, 0, ""},
    {"negative_height", {"0", "8", "-8", "VRAM"}, "Size Y must be 0 to 32767.", 0, 0, 0, ""},
    {"too_many_bytes", {"0", "4096", "72", "VRAM"}, "Image is too large.", 0, 0, 0, ""},
    {"unknown_memory", {"0", "8", "8", "F 9"}, "\"F 9\" is no image memory.", 0, 0, 0, ""},
    // An area is taken only where the model has it; stored, it could only overflow.
    {"page_7_on_five_pages",
     {"0", "8", "8", "F 7"},
     "\"F 7\" is no image memory of this model.",
     0,
     0,
     0,
     "",
     "PX-5200"},
    {"page_5_as_typed_on_five_pages",
     {"0", "8", "8", "f 5"},
     "\"f 5\" is no image memory of this model.",
     0,
     0,
     0,
     "",
     "PX-5200B"},
    {"ram_without_image_ram",
     {"0", "8", "8", "RAM"},
     "\"RAM\" is no image memory of this model.",
     0,
     0,
     0,
     "",
     "PX-D"},
    {"unknown_stays_unknown_on_any_model",
     {"0", "8", "8", "F 9"},
     "\"F 9\" is no image memory.",
     0,
     0,
     0,
     "",
     "PX-D"},
    {"page_7_on_eight_pages", {"0", "8", "8", "F 7"}, "", 0, 8, 8, "F 7", "PX-D"},
    {"ram_with_image_ram", {"0", "8", "8", "RAM"}, "", 0, 8, 8, "RAM", "PX-5200"},
    {"floating_areas_on_five_pages", {"0", "8", "8", "F any"}, "", 0, 8, 8, "F any", "PX-5100"},
    {"vram_without_image_ram", {"7", "8", "8", "VRAM"}, "", 7, 8, 8, "VRAM", "PX-D"},
};

class Parameters : public testing::TestWithParam<ParamCase> {};

TEST_P(Parameters, store_or_refuse) {
  const ParamCase& c = GetParam();
  ImageList list;
  list.assign({testkit::record("A", "", 0, 0)});
  const auto refusal = setParameters(list, 0, c.texts, capacitiesOf(modelInfo(c.model)));
  if (*c.refusal) {
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(*refusal, c.refusal);
    EXPECT_FALSE(list.modified()) << "a refusal stores nothing";
    return;
  }
  ASSERT_FALSE(refusal.has_value()) << *refusal;
  EXPECT_EQ(list.at(0).imgAddress, c.address);
  EXPECT_EQ(list.at(0).imgX, c.x);
  EXPECT_EQ(list.at(0).imgY, c.y);
  EXPECT_EQ(list.at(0).imgMemory, c.memory);
  EXPECT_EQ(list.at(0).imgLabel, "A");
}

INSTANTIATE_TEST_SUITE_P(texts, Parameters, testing::ValuesIn(kParams),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore::imagetool
