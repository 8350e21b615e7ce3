// COM-name mapping tests: the name rule, ports.map, and the order of the devices found in a fake /dev and
// /sys.
// Layer: tests (plain C++).
#include "platform/comports.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform/paths.h"

namespace kelmore::platform {
namespace {

namespace fs = std::filesystem;

struct NameCase {
  const char* name;
  std::string_view text;
  int number;
};

const NameCase kNames[] = {
    {"first", "COM1", 1},
    {"two_digits", "COM10", 10},
    {"last", "COM16", 16},
    {"past_the_last", "COM17", 0},
    {"zero", "COM0", 0},
    {"leading_zero", "COM01", 0},
    {"lower_case", "com3", 0},
    {"bare_prefix", "COM", 0},
    {"trailing_blank", "COM3 ", 0},
    {"sign", "COM+3", 0},
    {"huge", "COM99999999999999999999", 0},
    {"empty", "", 0},
};

class ComName : public testing::TestWithParam<NameCase> {};

TEST_P(ComName, gives_its_number) {
  EXPECT_EQ(comNumber(GetParam().text), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(comports, ComName, testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.name); });

// A fake device folder and sysfs tty folder in a temporary place.
class FakeSystem : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("kelmore-comports-" + std::to_string(::getpid()));
    fs::remove_all(root);
    roots.devDir = root / "dev";
    roots.sysTtyDir = root / "sys" / "class" / "tty";
    roots.mapFile = root / "ports.map";
    fs::create_directories(roots.devDir);
    fs::create_directories(roots.sysTtyDir);
  }
  void TearDown() override { fs::remove_all(root); }

  void device(const std::string& name) { std::ofstream(roots.devDir / name).put('\0'); }
  // A ttyS* whose sysfs entry names `driver`.
  void uart(const std::string& name, const std::string& driver) {
    device(name);
    const fs::path driverDir = root / "sys" / "bus" / "drivers" / driver;
    fs::create_directories(driverDir);
    fs::create_directories(roots.sysTtyDir / name / "device");
    fs::create_directory_symlink(driverDir, roots.sysTtyDir / name / "device" / "driver");
  }
  void map(const std::string& text) { std::ofstream(roots.mapFile) << text; }
  std::string path(int number) { return comDevicePath(number, roots).value_or("-"); }
  std::string dev(const std::string& name) { return (roots.devDir / name).string(); }

  fs::path root;
  ComScanRoots roots;
};

TEST_F(FakeSystem, usb_adapters_come_first_then_uarts_with_a_driver_each_in_numeric_order) {
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSB1.lock", "ttyUSBx", "console", "ttyS"}) {
    device(name);
  }
  uart("ttyS1", "dw-apb-uart");
  uart("ttyS0", "dw-apb-uart");
  device("ttyS2");              // no sysfs entry: no driver
  uart("ttyS3", "serial8250");  // a legacy slot whose probe finds no UART (not a tty here)
  uart("ttyS4", "port");        // the serial core's front for the same legacy slots
  uart("ttyS12", "pnp-serial");

  EXPECT_EQ(path(1), dev("ttyUSB2"));
  EXPECT_EQ(path(2), dev("ttyUSB10"));
  EXPECT_EQ(path(3), dev("ttyACM0"));
  EXPECT_EQ(path(4), dev("ttyS0"));
  EXPECT_EQ(path(5), dev("ttyS1"));
  EXPECT_EQ(path(6), dev("ttyS12"));
  EXPECT_EQ(path(7), "-");
  EXPECT_EQ(path(0), "-");
  EXPECT_EQ(path(17), "-");
}

TEST_F(FakeSystem, a_map_line_wins_and_the_rest_stay_in_device_order) {
  device("ttyUSB0");
  device("ttyUSB1");
  map("# board ports\n"
      "\n"
      "COM2 = /dev/ttyMAPPED \r\n"
      "COM2=/dev/second-line-loses\n"
      "com1=/dev/lower-case-name\n"
      "COM3=\n"
      "COM16=/dev/ttyLAST\n"
      "no equals sign\n");
  EXPECT_EQ(path(1), dev("ttyUSB0"));
  EXPECT_EQ(path(2), "/dev/ttyMAPPED");
  EXPECT_EQ(path(3), "-");  // an empty path maps nothing and there is no third device
  EXPECT_EQ(path(16), "/dev/ttyLAST");
}

TEST_F(FakeSystem, every_call_looks_afresh) {
  EXPECT_EQ(path(1), "-");
  device("ttyACM3");
  EXPECT_EQ(path(1), dev("ttyACM3"));
  map("COM1=/dev/ttyOTHER\n");
  EXPECT_EQ(path(1), "/dev/ttyOTHER");
}

TEST_F(FakeSystem, a_map_that_is_no_regular_file_maps_nothing_and_never_blocks) {
  device("ttyUSB0");
  ASSERT_EQ(::mkfifo(roots.mapFile.c_str(), 0600), 0);  // no writer: a blocking open would wait for ever
  EXPECT_EQ(path(1), dev("ttyUSB0"));
  fs::remove(roots.mapFile);
  fs::create_symlink("/dev/zero", roots.mapFile);  // a read without end
  EXPECT_EQ(path(1), dev("ttyUSB0"));
}

TEST(LiveSystem, reads_ports_map_from_the_config_folder) {
  // Only inside the test's own config folder, never the user's ports.map.
  if (std::getenv("XDG_CONFIG_HOME") == nullptr) GTEST_SKIP() << "XDG_CONFIG_HOME not set";
  const fs::path mapFile = configDir() / "ports.map";
  std::ofstream(mapFile) << "COM16=/dev/ttyKELMORETEST\n";
  EXPECT_EQ(comDevicePath(16).value_or("-"), "/dev/ttyKELMORETEST");
  fs::remove(mapFile);
  EXPECT_NE(comDevicePath(16).value_or("-"), "/dev/ttyKELMORETEST");
  EXPECT_FALSE(comDevicePath(0).has_value());
}

}  // namespace
}  // namespace kelmore::platform
