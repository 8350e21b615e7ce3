// Event statements compiled whole, byte for byte after the optimiser and the fix-up, per model, with their
// errors; and the listing of a program with events and a Data table.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "compiler/mnemonic.h"
#include "controlflow_fixture.h"
#include "golden.h"

namespace kelmore {
namespace {

using testkit::CodeCase;
using testkit::compileLines;
using testkit::ErrorCase;
using testkit::errorExitAt;
using testkit::expectCode;
using testkit::expectErrors;
using testkit::expressionError;
using testkit::unexpectedError;
using testkit::unknownOperand;

// Addresses count from 18 (0x12). Event fields hold the skip from the end of their instruction to the
// routine's entry.
const CodeCase kCodeCases[] = {
    {"touch_enable_with_a_constant_mode",
     "QT-R5xxP",
     {"Sub Start()", "EventTouchSet enable, 3", "End Sub", "Sub Touch_Event()", "End Sub"},
     "50 23 04 00 1F 50 01 03 "  // the set-up command and the mode in one print
     "45 53 01 04 00 "
     "45 44 42 4B "
     "52 45 "},
    {"touch_enable_with_a_register_mode",
     "QT-R5xxP",
     {"Sub Start()", "a = 2", "EventTouchSet Enable, a", "End Sub", "Sub Touch_Event()", "End Sub"},
     "4C 23 41 3D 02 00 50 23 03 00 1F 50 01 50 52 01 00 41 45 53 01 04 00 45 44 42 4B 52 45 "},
    {"touch_disable_needs_no_routine",
     "QT-R5xxP",
     {"Sub Start()", "EventTouchSet disable,", "End Sub"},
     "45 53 00 00 00 45 44 42 4B "},
    {"port_equal",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 * &HFF = &H12", "End Sub", "Sub Port_Event()", "End Sub"},
     "45 50 01 00 30 12 00 FF 00 04 00 45 44 42 4B 52 45 "},
    {"port_words_in_any_case_and_port4",
     "QT-R5xxP",
     {"Sub Start()", "EventPortSet ENABLE, PORT4 * &HF00F <> &H1234", "EventPortSet off, Port1 * 1 = 0",
      "End Sub", "Sub Port_Event()", "End Sub"},
     "45 50 01 01 34 34 12 0F F0 0F 00 "
     "45 50 00 00 31 00 00 01 00 04 00 "
     "45 44 42 4B "
     "52 45 "},
    {"port_values_rounded_half_to_even_and_in_twos_complement",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port1 * -1 = 2.5", "EventPortSet enable, port0 * 3.5 <> 65535",
      "End Sub", "Sub Port_Event()", "End Sub"},
     "45 50 01 00 31 02 00 FF FF 0F 00 "
     "45 50 01 01 30 FF FF 04 00 04 00 "
     "45 44 42 4B "
     "52 45 "},
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
  expectCode(c.model, c.lines, c.code);
}

INSTANTIATE_TEST_SUITE_P(events, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

const ErrorCase kErrorCases[] = {
    {"touch_on_a_model_without_touch",
     "PX-5200",
     {"Sub Start()", "EventTouchSet enable, 3", "End Sub", "Sub Touch_Event()", "End Sub"},
     unexpectedError(1)},
    {"touch_without_its_comma",
     "QT-R5xxP",
     {"Sub Start()", "EventTouchSet disable", "End Sub"},
     unexpectedError(1)},
    {"touch_routine_missing",
     "QT-R5xxP",
     {"Sub Start()", "EventTouchSet enable, 3", "End Sub"},
     errorExitAt("Event touch routine is not defined.", 1)},
    {"touch_mode_above_a_byte",
     "QT-R5xxP",
     {"Sub Start()", "EventTouchSet enable, 256", "End Sub", "Sub Touch_Event()", "End Sub"},
     unexpectedError(1)},
    {"touch_enable_without_a_mode",
     "QT-R5xxP",
     {"Sub Start()", "EventTouchSet enable,", "End Sub", "Sub Touch_Event()", "End Sub"},
     expressionError(1)},
    {"port_without_a_data_value",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 * 1 =", "End Sub", "Sub Port_Event()", "End Sub"},
     expressionError(1)},
    {"port_on_a_model_without_ports",
     "PX-B",
     {"Sub Start()", "EventPortSet enable, port0 * 1 = 1", "End Sub", "Sub Port_Event()", "End Sub"},
     unexpectedError(1)},
    {"port_routine_missing",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 * 1 = 1", "End Sub"},
     errorExitAt("Event port routine is not defined.", 1)},
    {"port4_on_a_model_without_it",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, Port4 * 1 = 1", "End Sub", "Sub Port_Event()", "End Sub"},
     errorExitAt("'Port4'  is not ready.", 1)},
    {"port_no_model_has",
     "QT-R5xxP",
     {"Sub Start()", "EventPortSet enable, port2 * 1 = 1", "End Sub", "Sub Port_Event()", "End Sub"},
     expressionError(1)},
    {"port_text_that_names_no_port",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, p0 * 1 = 1", "End Sub", "Sub Port_Event()", "End Sub"},
     expressionError(1)},
    {"port_without_its_mask",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 = 1", "End Sub", "Sub Port_Event()", "End Sub"},
     unexpectedError(1)},
    {"port_without_its_comparison",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 * 1", "End Sub", "Sub Port_Event()", "End Sub"},
     unexpectedError(1)},
    {"port_data_variable",
     "PX-5200",
     {"Sub Start()", "a = 1", "EventPortSet enable, port0 * a = a", "End Sub", "Sub Port_Event()", "End Sub"},
     errorExitAt("Variable can not use for data value.", 2)},
    {"port_mask_variable",
     "PX-5200",
     {"Sub Start()", "a = 1", "EventPortSet enable, port0 * a <> 1", "End Sub", "Sub Port_Event()",
      "End Sub"},
     errorExitAt("Variable can not use for mask value.", 2)},
    {"port_data_beyond_16_bits",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 * 1 = &H10000", "End Sub", "Sub Port_Event()", "End Sub"},
     unexpectedError(1)},
    {"port_mask_below_16_bits",
     "PX-5200",
     {"Sub Start()", "EventPortSet enable, port0 * -32769 = 1", "End Sub", "Sub Port_Event()", "End Sub"},
     unexpectedError(1)},
    {"timer_routine_missing",
     "PX-5200",
     {"Sub Start()", "EventTimerSet enable, 100", "End Sub"},
     errorExitAt("Event timer routine is not defiined.", 1)},
    {"timer_routine_only_a_label",
     "PX-5200",
     {"Sub Start()", "Timer_Event:", "EventTimerSet enable, 100", "End Sub"},
     errorExitAt("Event timer routine is not defiined.", 2)},
    {"timer_without_its_comma",
     "PX-5200",
     {"Sub Start()", "EventTimerSet 100", "End Sub"},
     errorExitAt("',' is missing.", 1)},
    {"timer_without_an_interval",
     "PX-5200",
     {"Sub Start()", "EventTimerSet disable,", "End Sub"},
     expressionError(1)},
    {"timer_on_a_model_without_the_interval",
     "PX-9999",
     {"Sub Start()", "EventTimerSet disable, 5", "End Sub"},
     errorExitAt("'EventTimerSet'  is not ready.", 1)},
    {"timer_operator_in_the_wrong_case",
     "PX-5200",
     {"Sub Start()", "t = 8", "EventTimerSet disable, t mod 4", "End Sub"},
     unknownOperand("mod", 2)},
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report) {
  const ErrorCase& c = GetParam();
  expectErrors(c.model, c.lines, c.events);
}

INSTANTIATE_TEST_SUITE_P(events, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

// Event set-ups with their routines' skips, a text print, and a labelled Data table of eight-byte rows.
TEST(Listing, program_with_events_and_a_data_table) {
  const auto result = compileLines("QT-R5xxP", {
                                                   "Sub Start()",
                                                   "EventTimerSet enable, 50",
                                                   "EventPortSet enable, port1 * &H0F <> 3",
                                                   "EventTouchSet enable, 1",
                                                   "EventEnable",
                                                   "Cls",
                                                   "Print \"Hi\", 13",
                                                   "GoTo done",
                                                   "table:",
                                                   "Data \"ABC\", 1, 2, 3, 4, 5, 6, 7, 8",
                                                   "done:",
                                                   "EventDisable",
                                                   "End Sub",
                                                   "Sub Timer_Event()",
                                                   "EventTimerSet disable, 0",
                                                   "End Sub",
                                                   "Sub Port_Event()",
                                                   "End Sub",
                                                   "Sub Touch_Event()",
                                                   "End Sub",
                                               });
  ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
  const MacroCompiler& mc = *result.mc;
  const mnemonic::LabelsByAddress labels =
      mnemonic::labelsByAddress(mc.hensuulabel.labelName(), mc.hensuulabel.labelAddressValues());
  mnemonic::ListingInput input;
  input.model = "QT-R5xxP";
  input.labels = &labels;
  EXPECT_EQ(testkit::withLf(mnemonic::buildListing(result.host->codeView, input).text),
            testkit::golden("events_and_data.txt"));
}

}  // namespace
}  // namespace kelmore
