// Config.dat: every layout, empty values, short and missing files, and the written form.
// Layer: tests (plain C++).
#include "mainwindow/configfile.h"

#include <gtest/gtest.h>

namespace kelmore::mainwindow {
namespace {

std::optional<std::string> S(const char* text) {
  return std::string(text);
}

struct ParseCase {
  const char* name;
  std::optional<std::string> content;
  ConfigValues expected;
};

const ParseCase kParseCases[] = {
    {"missing_file_defaults_with_com1",
     std::nullopt,
     {S("COM1"), S(""), S("38400,n,8,1"), S("192.168.1.100"), S("10000"), S("FROM Macro1"), S("PX-*")}},
    {"empty_file_defaults_with_com1",
     S(""),
     {S("COM1"), S(""), S("38400,n,8,1"), S("192.168.1.100"), S("10000"), S("FROM Macro1"), S("PX-*")}},
    {"unknown_tag_defaults_with_com0",
     S("\"kelmor99\"\r\n\"x\"\r\n"),
     {S("COM0"), S(""), S("38400,n,8,1"), S("192.168.1.100"), S("10000"), S("FROM Macro1"), S("PX-*")}},
    {"kelmor10_resets_settings_only",
     S("\"kelmor10\"\r\n\"*** Interface ***\"\r\n\"COM3\"\r\n\"*** module ***\"\r\n\"FROM Macro2\"\r\n"),
     {S("COM3"), std::nullopt, S("38400,n,8,1"), std::nullopt, std::nullopt, S("FROM Macro2"), std::nullopt}},
    {"kelmor20_port_settings_target",
     S("\"kelmor20\"\r\n\"l\"\r\n\"COM2\"\r\n\"9600,e,7,2\"\r\n\"l\"\r\n\"RAM Macro\"\r\n"),
     {S("COM2"), std::nullopt, S("9600,e,7,2"), std::nullopt, std::nullopt, S("RAM Macro"), std::nullopt}},
    {"kelmor21_keeps_model",
     S("\"kelmor21\"\r\n\"l\"\r\n\"TCP\"\r\n\"\"\r\n\"19200,n,8,1\"\r\n\"10.0.0.5\"\r\n\"2000\"\r\n\"l\"\r\n"
       "\"FROM Macro4\"\r\n"),
     {S("TCP"), S(""), S("19200,n,8,1"), S("10.0.0.5"), S("2000"), S("FROM Macro4"), std::nullopt}},
    {"kelmor22_every_tag",
     S("\"kelmor22\"\r\n\"*** Interface ***\"\r\n\"COM12\"\r\n\"0A\"\r\n\"115200,o,8,2\"\r\n\"10.1.2.3\"\r\n"
       "\"10001\"\r\n\"*** module ***\"\r\n\"FROM Macro3\"\r\n\"QT-R500\"\r\n"),
     {S("COM12"), S("0A"), S("115200,o,8,2"), S("10.1.2.3"), S("10001"), S("FROM Macro3"), S("QT-R500")}},
    {"kelmor22_empty_values_take_defaults",
     S("\"kelmor22\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"),
     {S("COM0"), S(""), S("38400,n,8,1"), S("192.168.1.100"), S("10000"), S("FROM Macro1"), S("PX-*")}},
    {"kelmor22_lf_line_ends",
     S("\"kelmor22\"\n\"l\"\n\"COM5\"\n\"\"\n\"38400,n,8,1\"\n\"h\"\n\"1\"\n\"l\"\n\"RAM "
       "Macro\"\n\"PX-D\"\n"),
     {S("COM5"), S(""), S("38400,n,8,1"), S("h"), S("1"), S("RAM Macro"), S("PX-D")}},
    {"short_file_defaults_with_com1",
     S("\"kelmor22\"\r\n\"l\"\r\n\"COM5\"\r\n"),
     {S("COM1"), S(""), S("38400,n,8,1"), S("192.168.1.100"), S("10000"), S("FROM Macro1"), S("PX-*")}},
};

class ConfigParse : public testing::TestWithParam<ParseCase> {};

TEST_P(ConfigParse, applies_the_values_of_its_layout) {
  EXPECT_EQ(parseConfig(GetParam().content), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(config, ConfigParse, testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFormat, writes_the_ten_kelmor22_lines) {
  const ConfigValues values{S("TCP"),   S("0F"),          S("38400,n,8,1"), S("10.0.0.9"),
                            S("10000"), S("FROM Macro1"), S("PX-5200")};
  EXPECT_EQ(
      formatConfig(values),
      "\"kelmor22\"\r\n\"*** Interface ***\"\r\n\"TCP\"\r\n\"0F\"\r\n\"38400,n,8,1\"\r\n\"10.0.0.9\"\r\n"
      "\"10000\"\r\n\"*** module ***\"\r\n\"FROM Macro1\"\r\n\"PX-5200\"\r\n");
}

TEST(ConfigFormat, reads_back_what_it_wrote) {
  const ConfigValues values{S("COM16"), S(""),          S("9600,e,7,2"), S("module.local"),
                            S("65535"), S("RAM Macro"), S("WMR-STD")};
  EXPECT_EQ(parseConfig(formatConfig(values)), values);
}

TEST(ConfigFormat, a_quote_or_line_break_in_a_value_cannot_break_the_layout) {
  const ConfigValues values{S("COM1"),   S(""),          S("38400,n,8,1"), S("a\"b"),
                            S("1\r\n0"), S("RAM Macro"), S("PX\n\"x\"")};
  const std::string text = formatConfig(values);
  const ConfigValues back = parseConfig(text);
  EXPECT_EQ(back.ipAddress, S("ab"));
  EXPECT_EQ(back.tcpPort, S("10"));
  EXPECT_EQ(back.target, S("RAM Macro"));
  EXPECT_EQ(back.model, S("PXx"));
}

}  // namespace
}  // namespace kelmore::mainwindow
