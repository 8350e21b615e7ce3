// The model table: one row per model, the model list drawn from it, and the reading of unknown names.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/models.h"

namespace kelmore {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A second row of a name would never be found: the first one answers every look-up.
TEST(ModelTable, every_row_is_reachable_by_its_name) {
  std::set<std::string_view> names;
  for (const ModelInfo& row : kModels) {
    EXPECT_FALSE(row.name.empty());
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_EQ(&modelInfo(row.name), &row) << row.name;
  }
}

TEST(ModelTable, model_list_holds_the_listed_rows_in_order) {
  std::vector<std::string_view> listed;
  for (const ModelInfo& row : kModels)
    if (row.listed) listed.push_back(row.name);
  EXPECT_EQ(std::vector<std::string_view>(kModelNames.begin(), kModelNames.end()), listed);
  EXPECT_FALSE(modelInfo("PX-6901").listed);
}

// Variable names are compared without regard to case: a second spelling in one model would be dead.
TEST(ModelTable, system_variable_names_are_distinct_within_a_model) {
  for (const ModelInfo& row : kModels) {
    std::set<std::string> names;
    for (const SystemVariable& variable : row.systemVariables)
      EXPECT_TRUE(names.insert(lower(variable.name)).second) << row.name << " " << variable.name;
  }
}

struct UnknownCase {
  const char* name;
  std::string_view model;
};
constexpr UnknownCase kUnknowns[] = {
    {"typed_name", "LN-C"},
    {"other_letter_case", "px-5200"},
    {"trailing_blank", "PX-5200 "},
    {"empty", ""},
};
class Unknown : public testing::TestWithParam<UnknownCase> {};
TEST_P(Unknown, reads_as_the_other_model) {
  const ModelInfo& info = modelInfo(GetParam().model);
  EXPECT_EQ(&info, &kOtherModel);
  EXPECT_EQ(info.ramMacroBytes, 256);
  EXPECT_EQ(info.flashMacroBytes, 4096);
  EXPECT_TRUE(info.chainedFlash);
  EXPECT_TRUE(info.systemVariables.empty());
  EXPECT_EQ(info.stepOne, IncrementForm::AddImmediate);
  // It takes the port event on ports 0 and 1, no touch event and no SetFont size.
  EXPECT_TRUE(info.portEvents);
  EXPECT_FALSE(info.touchEvents);
  EXPECT_EQ(info.eventPorts, "01");
  EXPECT_EQ(info.characterSetCommand, 0x03);
  EXPECT_EQ(fontSizeCode(info, "6x8"), std::nullopt);
}
INSTANTIATE_TEST_SUITE_P(models, Unknown, testing::ValuesIn(kUnknowns),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore
