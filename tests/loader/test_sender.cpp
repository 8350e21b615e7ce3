// Sending a command file: the bytes in order, every failure with its message, and the real serial port
// at the far end of a pseudo-terminal.
// Layer: tests (plain C++).
#include "loader/sender.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "loader/serialbyteport.h"
#include "platform/paths.h"
#include "platform/serialport.h"
#include "sim/simmodule.h"

namespace kelmore::loader {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Waits for the module's thread end as soon as the bytes are in; the limit only ends a wait that never
// would, so a busy machine may take its time.
constexpr std::chrono::milliseconds kArrival = 30s;
// Real time a failing job may take beyond its stall limit on a busy machine.
constexpr std::chrono::milliseconds kBeyondStall = 2s;

// Records what the sender does with it; each step can be told to fail.
class FakePort : public BytePort {
 public:
  PortStatus open(const std::string& portName) override {
    openedName = portName;
    ++opens;
    isOpen = openStatus == PortStatus::Ok;
    return openStatus;
  }
  PortStatus write(std::span<const std::uint8_t> bytes) override {
    EXPECT_TRUE(isOpen);
    for (std::uint8_t b : bytes) {
      if (sent.size() == failAfter) return PortStatus::WriteFailed;
      sent.push_back(b);
    }
    return PortStatus::Ok;
  }
  PortStatus drain() override {
    ++drains;
    return drainStatus;
  }
  void close() override {
    isOpen = false;
    ++closes;
  }

  PortStatus openStatus = PortStatus::Ok;
  PortStatus drainStatus = PortStatus::Ok;
  std::size_t failAfter = SIZE_MAX;
  std::string openedName;
  Bytes sent;
  bool isOpen = false;
  int opens = 0;
  int drains = 0;
  int closes = 0;
};

class SenderTest : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("kelmore-sender-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }

  std::string file(const std::string& text, const std::string& name = "cmd.dat") {
    std::ofstream(root / name, std::ios::binary) << text;
    return (root / name).string();
  }

  fs::path root;
  FakePort port;
};

// An image command file as the image tool writes it, CR LF line ends, its lone "PRT " line included.
constexpr std::string_view kImageFile =
    "*** PX display module Image file ***\r\n"
    "***\r\n"
    "*** 2026/12/10 10:00:00\r\n"
    "\r\n"
    "*** User Set Mode\r\n"
    "PRT 1fh 28h 65h 01h 49h 4eh\r\n"
    "PRT 1fh 28h 65h 10h 00h 00h 00h 02h 00h 00h\r\n"
    "PRT 0ah 0bh;\r\n"
    "PRT \r\n"
    "\r\n"
    "*** Exit user set mode\r\n"
    "PRT 1fh 28h 65h 02h 4fh 55h 54h\r\n"
    "*** End of File\r\n";

TEST_F(SenderTest, image_command_file_goes_out_whole) {
  const SendResult result = writeFileToPort(file(std::string(kImageFile)), "COM3", port);
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.message, "Job completed.");
  EXPECT_EQ(port.openedName, "COM3");
  EXPECT_EQ(port.sent, (Bytes{0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E, 0x1F, 0x28, 0x65, 0x10, 0x00, 0x00, 0x00,
                              0x02, 0x00, 0x00, 0x0A, 0x0B, 0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54}));
  EXPECT_EQ(port.drains, 1);
  EXPECT_FALSE(port.isOpen);
}

struct FileCase {
  const char* name;
  std::string_view text;
  Bytes sent;
  std::string_view message;
};

const FileCase kFiles[] = {
    {"empty_file", "", {}, "Job completed."},
    {"last_line_without_line_end", "PRT 01h\nPRT 02h", {0x01, 0x02}, "Job completed."},
    {"blank_before_line_end_is_no_error", "PRT 01h \nPRT 02h\n", {0x01, 0x02}, "Job completed."},
    {"tab_delimited_items", "PRT\t01h\t02h\n", {0x01, 0x02}, "Job completed."},
    {"bad_token_stops_the_file", "PRT 01h\nPRT 02h zz 03h\nPRT 04h\n", {0x01, 0x02}, "File data error."},
    {"lone_semicolon_stops_the_file", "PRT 01h\nPRT ;\nPRT 02h\n", {0x01}, "File data error."},
    {"comments_and_other_lines_skipped", "***\nprt 05h\nDB 01h\n\nPRT 06h\n", {0x06}, "Job completed."},
};

class SenderFile : public SenderTest, public testing::WithParamInterface<FileCase> {};

TEST_P(SenderFile, sends_and_tells) {
  const SendResult result = writeFileToPort(file(std::string(GetParam().text)), "COM1", port);
  EXPECT_EQ(port.sent, GetParam().sent);
  EXPECT_EQ(result.message, GetParam().message);
  EXPECT_EQ(result.completed, GetParam().message == "Job completed.");
  EXPECT_EQ(port.drains, 1);  // the bytes before a data error still leave
  EXPECT_FALSE(port.isOpen);
}

INSTANTIATE_TEST_SUITE_P(loader, SenderFile, testing::ValuesIn(kFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SenderTest, a_line_of_any_length_is_read_whole) {
  std::string line = "PRT";
  Bytes want;
  for (int i = 0; i < 3000; ++i) {
    line += ' ';
    line += "0123456789abcdef"[i % 16];
    line += "eh";
    want.push_back(static_cast<std::uint8_t>((i % 16) * 16 + 14));
  }
  const SendResult result = writeFileToPort(file(line + "\r\nPRT 01h\r\n"), "COM1", port);
  want.push_back(0x01);
  EXPECT_EQ(result.message, "Job completed.");
  EXPECT_EQ(port.sent, want);
}

TEST_F(SenderTest, file_that_cannot_be_opened_touches_no_port) {
  const std::string missing = (root / "missing.dat").string();
  fs::create_directory(root / "folder.dat");
  ASSERT_EQ(::mkfifo((root / "pipe.dat").c_str(), 0600), 0);
  for (const std::string& name : {missing, (root / "folder.dat").string(), (root / "pipe.dat").string()}) {
    const SendResult result = writeFileToPort(name, "COM1", port);
    EXPECT_FALSE(result.completed) << name;
    EXPECT_EQ(result.message, "Fail to open the file.") << name;
  }
  EXPECT_EQ(port.opens, 0);
}

TEST_F(SenderTest, port_failures_send_nothing_and_say_which) {
  const std::string name = file("PRT 01h\n");
  port.openStatus = PortStatus::OpenFailed;
  SendResult result = writeFileToPort(name, "COM16", port);
  EXPECT_EQ(result.message, "Fail to open Comport.");
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(port.openedName, "COM16");

  port.openStatus = PortStatus::SetupRefused;
  result = writeFileToPort(name, "COM2", port);
  EXPECT_EQ(result.message, "Fail to set Comport.");
  EXPECT_FALSE(result.completed);
  EXPECT_TRUE(port.sent.empty());
  EXPECT_FALSE(port.isOpen);
}

TEST_F(SenderTest, failed_write_ends_the_job_without_completing) {
  port.failAfter = 3;
  const SendResult result = writeFileToPort(file("PRT 01h 02h\nPRT 03h 04h\nPRT 05h\n"), "COM1", port);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.message, "Fail to write Comport.");
  EXPECT_EQ(port.sent, (Bytes{0x01, 0x02, 0x03}));
  EXPECT_FALSE(port.isOpen);
}

TEST_F(SenderTest, bytes_that_never_leave_do_not_complete_the_job) {
  port.drainStatus = PortStatus::WriteFailed;
  SendResult result = writeFileToPort(file("PRT 01h\n"), "COM1", port);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.message, "Fail to write Comport.");
  // A data error keeps its own message.
  result = writeFileToPort(file("PRT 01h zz\n"), "COM1", port);
  EXPECT_EQ(result.message, "File data error.");
}

TEST_F(SenderTest, after_line_runs_for_each_line) {
  int lines = 0;
  writeFileToPort(file("***\nPRT 01h\n\nPRT 02h\n"), "COM1", port, [&] { ++lines; });
  EXPECT_EQ(lines, 4);
}

// The simulated module stands at the far end; COM16 is mapped to its terminal in the test's ports.map.
class SerialEndToEnd : public SenderTest {
 protected:
  void SetUp() override {
    SenderTest::SetUp();
    if (std::getenv("XDG_CONFIG_HOME") == nullptr) GTEST_SKIP() << "XDG_CONFIG_HOME not set";
    ASSERT_FALSE(module.path().empty());
    mapCom16(module.path());
  }
  void TearDown() override {
    fs::remove(platform::configDir() / "ports.map");
    SenderTest::TearDown();
  }
  void mapCom16(const std::string& device) {
    std::ofstream(platform::configDir() / "ports.map") << "COM16=" << device << "\n";
  }
  std::vector<std::string> commandNames() {
    std::vector<std::string> names;
    for (const sim::Received& command : module.received()) names.push_back(command.name);
    return names;
  }

  sim::SimModule module;
};

TEST_F(SerialEndToEnd, the_bytes_arrive_at_the_module) {
  std::string text(kImageFile.substr(0, kImageFile.find("\r\n\r\n*** Exit")));
  Bytes want = {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E, 0x1F, 0x28, 0x65,
                0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x0A, 0x0B};
  for (int line = 0; line < 200; ++line) {
    text += "\r\nPRT";
    for (int i = 0; i < 16; ++i) {
      const int value = (line * 16 + i) % 256;
      char item[8];
      std::snprintf(item, sizeof item, " %02xh", value);
      text += item;
      want.push_back(static_cast<std::uint8_t>(value));
    }
    text += ";";
  }
  text += "\r\nPRT 1fh 28h 65h 02h 4fh 55h 54h\r\n";
  want.insert(want.end(), {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54});

  SerialBytePort serial;
  const SendResult result = writeFileToPort(file(text), "COM16", serial);
  EXPECT_EQ(result.message, "Job completed.");
  ASSERT_TRUE(module.waitForWire(want.size(), kArrival));
  EXPECT_EQ(module.wire(), want);
  const std::vector<std::string> names = commandNames();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "userModeIn");
  EXPECT_EQ(names.back(), "userModeOut");
}

TEST_F(SerialEndToEnd, cts_held_low_fails_the_job_within_the_stall_limit) {
  SerialBytePort serial(100ms);
  serial.injectCts(false);
  const auto start = std::chrono::steady_clock::now();
  const SendResult result = writeFileToPort(file("PRT 01h 02h\n"), "COM16", serial);
  // Real time, measured generously: the job gives up after its stall limit instead of waiting for CTS.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms + kBeyondStall);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.message, "Fail to write Comport.");
  EXPECT_FALSE(module.waitForWire(1, 50ms));
}

TEST_F(SerialEndToEnd, a_module_that_hangs_up_fails_the_job) {
  module.setHangUpAfter(16);
  std::string text;
  // More than the terminal buffers hold, so writes are still going when the line drops.
  for (int line = 0; line < 20000; ++line) text += "PRT 01h 02h 03h 04h 05h 06h 07h 08h;\r\n";
  SerialBytePort serial(500ms);
  const SendResult result = writeFileToPort(file(text), "COM16", serial);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.message, "Fail to write Comport.");
}

TEST_F(SerialEndToEnd, a_port_in_use_or_unmapped_fails_to_open) {
  platform::SerialPort holder;
  ASSERT_EQ(holder.open(module.path(), platform::SerialSettings{}), platform::PortError::None);
  SerialBytePort serial(100ms);
  const std::string name = file("PRT 01h\n");
  EXPECT_EQ(writeFileToPort(name, "COM16", serial).message, "Fail to open Comport.");
  holder.close();
  mapCom16("/dev/kelmore-no-such-port");
  EXPECT_EQ(writeFileToPort(name, "COM16", serial).message, "Fail to open Comport.");
  EXPECT_EQ(writeFileToPort(name, "COM0", serial).message, "Fail to open Comport.");
}

}  // namespace
}  // namespace kelmore::loader
