// Port choice, module check outcomes and texts, and the comm settings rules.
// Layer: tests (plain C++).
#include "mainwindow/portcheck.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelmore::mainwindow {
namespace {

TEST(PortChoice, port_numbers_and_module_addresses) {
  EXPECT_EQ(commPortNumber("COM1"), 1);
  EXPECT_EQ(commPortNumber("COM12"), 12);
  EXPECT_EQ(commPortNumber("COM0"), 0);
  EXPECT_EQ(commPortNumber("TCP"), 0);
  // The address items are hexadecimal: "0A" is module 10, "0F" module 15.
  EXPECT_EQ(moduleAddressValue(""), "");
  EXPECT_EQ(moduleAddressValue("00"), "0");
  EXPECT_EQ(moduleAddressValue("09"), "9");
  EXPECT_EQ(moduleAddressValue("0A"), "10");
  EXPECT_EQ(moduleAddressValue("0F"), "15");
  EXPECT_EQ(moduleAddressValue("zz"), "zz");
}

TEST(PortChoice, tool_tip_shows_settings_or_address_and_port) {
  PortChoice choice{"COM3", "", "9600,e,7,2", "10.0.0.7", "10000"};
  EXPECT_EQ(commListToolTipText(choice), "9600,e,7,2");
  choice.port = "TCP";
  EXPECT_EQ(commListToolTipText(choice), "10.0.0.7:10000");
}

class FakeProbe : public ModuleProbe {
 public:
  int check = 0;
  std::string name = "PX256X64";
  std::vector<std::string> calls;

  void setSerialLink(int port, const std::string& settings) override {
    calls.push_back("serial " + std::to_string(port) + " " + settings);
  }
  void setTcpLink(const std::string& address, long port) override {
    calls.push_back("tcp " + address + " " + std::to_string(port));
  }
  void setModuleAdd(const std::string& address) override { calls.push_back("moduleAdd " + address); }
  int ifCheck_silent() override {
    calls.push_back("ifCheck_silent");
    return check;
  }
  std::string detectModuleName() override {
    calls.push_back("moduleName");
    return name;
  }
};

TEST(ModuleCheck, copies_the_choice_into_the_device) {
  FakeProbe serial;
  configureLink(serial, {"COM12", "0B", "9600,n,8,1", "10.0.0.1", "10000"});
  EXPECT_EQ(serial.calls, (std::vector<std::string>{"serial 12 9600,n,8,1", "moduleAdd 11"}));
  FakeProbe tcp;
  configureLink(tcp, {"TCP", "", "9600,n,8,1", "10.0.0.1", "10001"});
  EXPECT_EQ(tcp.calls, (std::vector<std::string>{"tcp 10.0.0.1 10001", "moduleAdd "}));
}

struct ProbeCase {
  const char* name;
  bool tcp;
  int check;
  const char* moduleName;
  CheckOutcome outcome;
  bool asksName;
};

const ProbeCase kProbeCases[] = {
    {"serial_ok", false, 0, "PX256X64", CheckOutcome::Ok, true},
    {"serial_no_port", false, 1, "", CheckOutcome::PortUnavailable, false},
    {"serial_no_cts", false, 2, "", CheckOutcome::NoCts, false},
    {"tcp_unreachable", true, 1, "", CheckOutcome::LanUnreachable, false},
    {"no_answer", false, 0, "PX0X0", CheckOutcome::NoAnswer, true},
    {"tcp_no_answer", true, 0, "PX0X0", CheckOutcome::NoAnswer, true},
};

class Probe : public testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, checks_the_link_then_asks_the_name) {
  const auto& c = GetParam();
  FakeProbe device;
  device.check = c.check;
  device.name = c.moduleName;
  const ModuleCheck result = probeModule(device, c.tcp);
  EXPECT_EQ(result.outcome, c.outcome);
  EXPECT_EQ(result.moduleName, c.outcome == CheckOutcome::Ok ? c.moduleName : "");
  EXPECT_EQ(device.calls.size(), c.asksName ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(port, Probe, testing::ValuesIn(kProbeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModuleCheck, failure_texts_as_the_user_sees_them) {
  EXPECT_EQ(checkFailureTitle(), "Comm Error");
  EXPECT_EQ(
      checkFailureText(CheckOutcome::LanUnreachable),
      "Address Not Available.\r\n Wrong Address\r\n LAN Cable disconnected\r\n No Power of LAN Adapter\r\n"
      "or other.");
  EXPECT_EQ(checkFailureText(CheckOutcome::PortUnavailable),
            "No avail port.\r\nor Another application using.");
  EXPECT_EQ(checkFailureText(CheckOutcome::NoCts), "Cable unlink,or Display no power.");
  EXPECT_EQ(
      checkFailureText(CheckOutcome::NoAnswer),
      "Responce Error!\r\n Please check if the displayModule is  disconnected,\r\n DisplayModule Power is "
      "OFF\r\n or Wrong Module Address.\r\n Unable to program macro.");
}

TEST(ModuleCheck, port_check_report) {
  EXPECT_EQ(portCheckTitle(), "CommCheck");
  EXPECT_EQ(portCheckText("COM1", "38400,n,8,1", "0A", "PX256X64"),
            "OK.\r\n Port:COM1\r\n Advanced:38400,n,8,1\r\n ModuleAddress:0A\r\n ModuleName:PX256X64");
}

struct SettingsCase {
  const char* name;
  const char* commSetting;
  const char* ip;
  const char* port;
  std::optional<std::string_view> error;
};

const SettingsCase kSettingsCases[] = {
    {"defaults", "38400,n,8,1", "192.168.1.100", "10000", std::nullopt},
    {"upper_case_parity_two_stop", "9600,E,7,2", "module.local", "1", std::nullopt},
    {"five_data_bits_top_port", "1200,o,5,1", "10.0.0.1", "65535", std::nullopt},
    {"three_fields", "38400,n,8", "10.0.0.1", "10000", kBadCommSetting},
    {"five_fields", "38400,n,8,1,1", "10.0.0.1", "10000", kBadCommSetting},
    {"bad_parity", "38400,x,8,1", "10.0.0.1", "10000", kBadCommSetting},
    {"nine_data_bits", "38400,n,9,1", "10.0.0.1", "10000", kBadCommSetting},
    {"three_stop_bits", "38400,n,8,3", "10.0.0.1", "10000", kBadCommSetting},
    {"zero_baud", "0,n,8,1", "10.0.0.1", "10000", kBadCommSetting},
    {"blank_inside", "38400, n,8,1", "10.0.0.1", "10000", kBadCommSetting},
    {"quote_in_settings", "38400,n,8,1\"", "10.0.0.1", "10000", kBadCommSetting},
    {"empty_address", "38400,n,8,1", "", "10000", kBadIpAddress},
    {"address_with_blank", "38400,n,8,1", "10.0.0 .1", "10000", kBadIpAddress},
    {"address_with_quote", "38400,n,8,1", "10.0.0.1\"", "10000", kBadIpAddress},
    {"address_with_line_break", "38400,n,8,1", "10.0.0.1\n", "10000", kBadIpAddress},
    {"port_zero", "38400,n,8,1", "10.0.0.1", "0", kBadTcpPort},
    {"port_too_big", "38400,n,8,1", "10.0.0.1", "65536", kBadTcpPort},
    {"port_not_a_number", "38400,n,8,1", "10.0.0.1", "10x", kBadTcpPort},
};

class Settings : public testing::TestWithParam<SettingsCase> {};

TEST_P(Settings, are_validated_before_they_are_kept) {
  const auto& c = GetParam();
  const auto error = commSettingsError(c.commSetting, c.ip, c.port);
  if (c.error)
    EXPECT_EQ(error, std::string(*c.error));
  else
    EXPECT_EQ(error, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(port, Settings, testing::ValuesIn(kSettingsCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelmore::mainwindow
