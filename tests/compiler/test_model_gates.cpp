// Model gates of the statements: every gated statement on every model of the list and on one outside it.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <algorithm>

#include "common/models.h"
#include "controlflow_fixture.h"

namespace kelmore {
namespace {

using testkit::compileLines;
using testkit::unexpectedError;

enum class Refusal { Unexpected, NotReady };

struct GateCase {
  const char* name;
  std::string_view statement;  // compiled as line 2, after "a = 1"
  std::vector<std::string_view> acceptedBy;
  Refusal refusal;
};

void PrintTo(const GateCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<std::string_view> kWidthModels{"QT-R500", "QT-R5xxP", "PX-*", "PX-5200B", "PX-6203"};
// "Every model but ..." takes a model outside the list too.
const std::vector<std::string_view> kDrawingModels{"PX-5100",  "PX-5200", "PX-5200B", "PX-6203", "QT-R500",
                                                   "QT-R5xxP", "PX-*",    "WMR-STD",  "PX-6901"};
const std::vector<std::string_view> kStackModels{"PX-5200B", "PX-6203", "PX-D",    "QT-R500",
                                                 "QT-R5xxP", "PX-*",    "WMR-STD", "PX-6901"};

const GateCase kGateCases[] = {
    {"sel16", "Sel16", kWidthModels, Refusal::Unexpected},
    {"sel32", "Sel32", kWidthModels, Refusal::Unexpected},
    {"target_memory", "TargetMem MacroMem", kWidthModels, Refusal::Unexpected},
    {"target_memory_gpfrom", "TargetMem GPFRom", {"PX-*", "PX-5200B"}, Refusal::Unexpected},
    {"target_memory_gpfrom2", "TargetMem GPFRom2", {"PX-*", "QT-R500", "QT-R5xxP"}, Refusal::Unexpected},
    {"poke", "Poke 1,2", {"PX-*", "QT-R500", "QT-R5xxP", "PX-6203", "PX-5200B"}, Refusal::Unexpected},
    {"random", "Random 1,2", kDrawingModels, Refusal::NotReady},
    {"spring", "Spring 1,2,3", kDrawingModels, Refusal::NotReady},
    {"curtain", "Curtain", kDrawingModels, Refusal::NotReady},
    {"line", "Line 0,0,1,1", kDrawingModels, Refusal::NotReady},
    {"pset", "Pset 1,1", kDrawingModels, Refusal::NotReady},
    {"push", "Push a", kStackModels, Refusal::NotReady},
    {"pop", "Pop a", kStackModels, Refusal::NotReady},
    {"port_2", "PortDirection 2,255", {"QT-R5xxP"}, Refusal::Unexpected},
    {"port_3", "PortDirection 3,\"iiiioooo\"", {"QT-R5xxP"}, Refusal::Unexpected},
};

class Gate : public ::testing::TestWithParam<GateCase> {};

TEST_P(Gate, accepts_exactly_its_models) {
  const GateCase& c = GetParam();
  std::vector<std::string_view> models(kModelNames.begin(), kModelNames.end());
  models.push_back("PX-6901");  // a model name outside the list
  for (std::string_view model : models) {
    SCOPED_TRACE(model);
    const auto result = compileLines(model, {"Sub Start()", "a = 1", c.statement, "End Sub"});
    const bool accepted = std::find(c.acceptedBy.begin(), c.acceptedBy.end(), model) != c.acceptedBy.end();
    ASSERT_EQ(result.ok, accepted) << ::testing::PrintToString(result.errors());
    if (accepted) continue;
    std::vector<std::string> expected;
    if (c.refusal == Refusal::NotReady) {
      const std::string_view keyword = c.statement.substr(0, c.statement.find(' '));
      expected.push_back("box:'" + std::string(keyword) + "'  is not ready.");
    }
    for (std::string& e : unexpectedError(2)) expected.push_back(std::move(e));
    EXPECT_EQ(result.errors(), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(models, Gate, ::testing::ValuesIn(kGateCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore
