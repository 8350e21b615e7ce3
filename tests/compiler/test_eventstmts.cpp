// Event statements compiled whole, byte for byte after the optimiser and the fix-up, per model, with their
// errors; and the listing of a program with events and a Data table.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "compiler/mnemonic.h"
#include "controlflow_fixture.h"
#include "golden.h"

namespace kelmore {
namespace {

using testkit::compileLines;
using testkit::expressionError;
using testkit::unexpectedError;
using testkit::unknownOperand;

// Code after the preamble; addresses count from 18 (0x12). Event fields hold the skip from the end of
// their instruction to the routine's entry.
struct CodeCase {
  const char* name;
  const char* model;
  std::vector<std::string_view> lines;
  std::string_view code;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << c.name;
}

const CodeCase kCodeCases[] = {
    {"timer_enable_binds_the_timer_routine",
     "PX-5200",
     {"Sub Start()", "EventTimerSet enable, 100", "EventEnable", "End Sub", "Sub Timer_Event()", "End Sub"},
     "4C 23 3F 3D 64 00 "  // TimerInterval (?) = 100
     "45 54 01 06 00 "     // ET on, 6 bytes on to Timer_Event
     "45 45 "
     "45 44 42 4B "
     "52 45 "},
    {"timer_disable_still_sets_the_interval",
     "PX-5200",
     {"Sub Start()", "EventTimerSet disable, 0", "EventDisable", "End Sub"},
     "4C 23 3F 3D 00 00 45 54 00 00 00 45 44 45 44 42 4B "},
    {"timer_mode_in_any_case_operands_as_written",
     "PX-6203",
     {"Sub Start()", "t = 8", "EventTimerSet ENABLE , t Mod 4", "End Sub", "Sub timer_event()", "End Sub"},
     "4C 23 41 3D 08 00 "
     "4C 52 42 3D 41 4C 23 42 25 04 00 4C 52 3F 3D 42 "  // _sp0 (B) = t Mod 4; TimerInterval = _sp0
     "45 54 01 04 00 "
     "45 44 42 4B "
     "52 45 "},
    {"timer_interval_from_a_system_variable",
     "PX-B",
     {"Sub Start()", "EventTimerSet off, Com", "End Sub"},
     "4C 52 3F 3D 40 45 54 00 00 00 45 44 42 4B "},
};

class Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Code, compiles_to) {
  const CodeCase& c = GetParam();
  const auto result = compileLines(c.model, c.lines);
  ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
  EXPECT_EQ(result.code(), c.code);
}

INSTANTIATE_TEST_SUITE_P(events, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct ErrorCase {
  const char* name;
  const char* model;
  std::vector<std::string_view> lines;
  std::vector<std::string> events;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<std::string> boxLogMark(const std::string& text, int line) {
  return {"box:" + text, "log:error:" + text, "mark:" + std::to_string(line)};
}

const ErrorCase kErrorCases[] = {
    {"timer_routine_missing",
     "PX-5200",
     {"Sub Start()", "EventTimerSet enable, 100", "End Sub"},
     boxLogMark("Event timer routine is not defiined.", 1)},
    {"timer_routine_only_a_label",
     "PX-5200",
     {"Sub Start()", "Timer_Event:", "EventTimerSet enable, 100", "End Sub"},
     boxLogMark("Event timer routine is not defiined.", 2)},
    {"timer_without_its_comma",
     "PX-5200",
     {"Sub Start()", "EventTimerSet 100", "End Sub"},
     boxLogMark("',' is missing.", 1)},
    {"timer_without_an_interval",
     "PX-5200",
     {"Sub Start()", "EventTimerSet disable,", "End Sub"},
     expressionError(1)},
    {"timer_on_a_model_without_the_interval",
     "PX-9999",
     {"Sub Start()", "EventTimerSet disable, 5", "End Sub"},
     boxLogMark("'EventTimerSet' is not ready.", 1)},
    {"timer_operator_in_the_wrong_case",
     "PX-5200",
     {"Sub Start()", "t = 8", "EventTimerSet disable, t mod 4", "End Sub"},
     unknownOperand("mod", 2)},
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report) {
  const ErrorCase& c = GetParam();
  const auto result = compileLines(c.model, c.lines);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errors(), c.events);
}

INSTANTIATE_TEST_SUITE_P(events, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore
