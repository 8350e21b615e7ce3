// The checked device on PX5000: a step counts as sent only when the device object kept no link error and
// raised no DeviceError for it, whichever command sequence it belongs to.
// Layer: tests of the link (plain C++, no Qt).
#include "link/checkeddevice.h"

#include <gtest/gtest.h>

#include <functional>

#include "rig.h"

namespace kelmore::link {
namespace {

using testkit::Rig;

struct StepCase {
  const char* name;
  std::function<bool(CheckedDevice&)> step;
  bool sent;  // the step reports sent, and bytes of it reached the module
};

const StepCase kSteps[] = {
    {"one_byte", [](CheckedDevice& d) { return d.ifOut(0x41); }, true},
    {"user_mode_in", [](CheckedDevice& d) { return d.userModeIn(); }, true},
    {"auto_start_switch", [](CheckedDevice& d) { return d.writeMemorySw(kAutoStartSwitch, macroNumber(2)); },
     true},
    {"macro_run", [](CheckedDevice& d) { return d.MacroGo(macroNumber(0), 0, 0); }, true},
    {"push_through", [](CheckedDevice& d) { return d.dummyWrite(kPushThroughBytes); }, true},
    // Refused arguments: nothing of the command goes out.
    {"switch_value_past_a_byte", [](CheckedDevice& d) { return d.writeMemorySw(kAutoStartSwitch, 256); },
     false},
    {"macro_number_past_a_byte", [](CheckedDevice& d) { return d.MacroGo(macroNumber(128), 0, 0); }, false},
    {"empty_text", [](CheckedDevice& d) { return d.printText(""); }, false},
};

class Step : public testing::TestWithParam<StepCase> {};

TEST_P(Step, counts_as_sent_only_without_an_error) {
  Rig rig;
  CheckedPx5000 device(*rig.px);
  ASSERT_TRUE(device.ifOpen());
  rig.sent();
  EXPECT_EQ(GetParam().step(device), GetParam().sent);
  EXPECT_EQ(!rig.sent().empty(), GetParam().sent);
  device.ifClose();
  EXPECT_FALSE(device.isOpen());
}

INSTANTIATE_TEST_SUITE_P(link, Step, testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckedDevice, an_open_that_fails_is_no_open) {
  Rig rig;
  rig.px->commPort(5);  // no such port
  CheckedPx5000 device(*rig.px);
  EXPECT_FALSE(device.ifOpen());
  device.ifClose();
}

TEST(CheckedDevice, a_stalled_link_fails_the_step_and_every_later_one) {
  Rig rig;
  rig.device->stallAfter = 10;
  CheckedPx5000 device(*rig.px);
  ASSERT_TRUE(device.ifOpen());
  EXPECT_FALSE(device.dummyWrite(kPushThroughBytes));
  EXPECT_FALSE(device.userModeOut());
  EXPECT_FALSE(device.dummyRead());
  device.ifClose();
  EXPECT_LE(rig.sent().size(), 10u);
}

}  // namespace
}  // namespace kelmore::link
