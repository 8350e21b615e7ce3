// The image download's send against a scripted device, and its bytes against Ferrant's from the same file.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include <fstream>

#include "imagetool/imagedownload.h"
#include "imagetool/imageexport.h"
#include "imagetool/imagefile.h"
#include "listfixture.h"
#include "loader/sender.h"

namespace kelmore::imagetool {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Records what the download does; `failAt` makes the n-th call (0-based) of a kind fail. The macro
// commands' steps are recorded too, so a stray one shows in the calls.
class FakeDevice : public link::CheckedDevice {
 public:
  bool open = false;
  std::vector<std::string> calls;
  Bytes sent;
  bool openFails = false;
  int outFailsAt = -1;
  bool readFails = false;

  bool isOpen() const override { return open; }
  bool ifOpen() override {
    calls.push_back("ifOpen");
    open = true;
    return !openFails;
  }
  void ifClose() override {
    calls.push_back("ifClose");
    open = false;
  }
  bool ifOut(std::uint8_t byte) override {
    if (static_cast<int>(sent.size()) == outFailsAt) return false;
    sent.push_back(byte);
    return true;
  }
  bool dummyWrite(int count) override {
    calls.push_back("dummyWrite " + std::to_string(count));
    return true;
  }
  bool printText(std::string_view text) override {
    calls.push_back("printText " + std::string(text));
    return true;
  }
  bool dummyRead() override {
    calls.push_back("dummyRead");
    return !readFails;
  }
  bool userModeIn() override { return other("userModeIn"); }
  bool userModeOut() override { return other("userModeOut"); }
  bool writeMemorySw(int, int) override { return other("writeMemorySw"); }
  bool fromRamMacroDefine(std::span<const std::uint8_t>) override { return other("fromRamMacroDefine"); }
  bool fromMacroDefine(int, int, int, std::span<const std::uint8_t>) override {
    return other("fromMacroDefine");
  }
  bool fromMacroDefineWmr(int, int, std::span<const std::uint8_t>) override {
    return other("fromMacroDefineWmr");
  }
  bool MacroGo(int, int, int) override { return other("MacroGo"); }
  bool cursorSet(int, int) override { return other("cursorSet"); }
  void pause(int) override { other("pause"); }

 private:
  bool other(std::string call) {
    calls.push_back(std::move(call));
    return true;
  }
};

const std::vector<std::string> kClosing = {"ifOpen", "dummyWrite 1000", "printText Completed.", "dummyRead",
                                           "ifClose"};

struct LineCase {
  const char* name;
  std::string_view file;
  Bytes bytes;
  bool completed;
};

const LineCase kLines[] = {
    {"comments_only", "***\r\n*** RAM ***\r\n\r\n", {}, true},
    {"user_mode_out",
     "PRT 1fh 28h 65h 02h 4fh 55h 54h\r\n",
     {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54},
     true},
    {"pad_byte", "PRT ffh\r\n", {0xFF}, true},
    {"lone_keyword", "PRT \r\nPRT\r\n", {}, true},
    {"two_digits_are_hex", "PRT 12 1F;\r\n", {0x12, 0x1F}, true},
    {"blanks_around_and_lf_lines", "   PRT 01h 02h;  \n  PRT 03h\n", {1, 2, 3}, true},
    {"commas_and_tabs", "PRT,01h\t02h,,03H;\r\n", {1, 2, 3}, true},
    {"keyword_case", "prt 01h\r\nPRT 02h\r\n", {2}, true},
    {"last_line_without_end", "PRT 01h\r\nPRT 02h", {1, 2}, true},
    {"decimal_number_stops", "PRT 01h 255\r\nPRT 02h\r\n", {1}, false},
    {"one_character_stops", "PRT 01h 1\r\n", {1}, false},
    {"lone_semicolon_stops", "PRT 01h ;\r\n", {1}, false},
    {"letters_stop", "PRT 0gh\r\n", {}, false},
    {"glued_keyword_stops", "PRTX 01h\r\n", {}, false},
};

class Lines : public testing::TestWithParam<LineCase> {};

TEST_P(Lines, send_the_bytes_of_prt_lines) {
  FakeDevice device;
  const DownloadResult result = sendCommandFile(GetParam().file, GetParam().file.size(), device);
  EXPECT_EQ(device.sent, GetParam().bytes);
  EXPECT_EQ(result.completed, GetParam().completed);
  if (GetParam().completed) {
    EXPECT_EQ(result.message, "Completed.");
    EXPECT_EQ(device.calls, kClosing);
  } else {
    EXPECT_EQ(result.message, "File data error.");
    EXPECT_EQ(device.calls, (std::vector<std::string>{"ifOpen", "ifClose"}));
  }
  EXPECT_FALSE(device.open);
}
INSTANTIATE_TEST_SUITE_P(download, Lines, testing::ValuesIn(kLines),
                         [](const auto& i) { return std::string(i.param.name); });

struct FailureCase {
  const char* name;
  std::function<void(FakeDevice&)> spoil;
  Bytes sent;
  std::vector<std::string> calls;
};

const FailureCase kFailures[] = {
    {"open_fails", [](FakeDevice& d) { d.openFails = true; }, {}, {"ifOpen", "ifClose"}},
    {"a_byte_mid_way", [](FakeDevice& d) { d.outFailsAt = 2; }, {1, 2}, {"ifOpen", "ifClose"}},
    {"closing_read",
     [](FakeDevice& d) { d.readFails = true; },
     {1, 2, 3, 4},
     {"ifOpen", "dummyWrite 1000", "printText Completed.", "dummyRead", "ifClose"}},
};

class LinkFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(LinkFailure, ends_the_send_without_completed) {
  FakeDevice device;
  GetParam().spoil(device);
  const DownloadResult result = sendCommandFile("PRT 01h 02h\r\nPRT 03h 04h;\r\n", 100, device);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.message, "Transfer failed.");
  EXPECT_EQ(device.sent, GetParam().sent);
  EXPECT_EQ(device.calls, GetParam().calls);
  EXPECT_FALSE(device.open);
}
INSTANTIATE_TEST_SUITE_P(download, LinkFailure, testing::ValuesIn(kFailures),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(DownloadProgress, follows_the_characters_read) {
  // Below 100 the step is 1: the bar reaches 100 after 100 characters and stays.
  EXPECT_EQ(progressPercent(50, 99), 50);
  EXPECT_EQ(progressPercent(150, 99), 100);
  EXPECT_EQ(progressPercent(0, 0), 0);
  EXPECT_EQ(progressPercent(500, 1000), 50);
  FakeDevice device;
  std::vector<int> seen;
  // Lines of 7 and 3 characters (line ends not counted) of an export of 1000: step 10.
  sendCommandFile("PRT 01h\r\n***\r\n", 1000, device, [&](int percent) { seen.push_back(percent); });
  EXPECT_EQ(seen, (std::vector<int>{0, 1}));
}

// Ferrant's port, recording what it writes.
class RecordingPort : public loader::BytePort {
 public:
  Bytes written;
  loader::PortStatus open(const std::string&) override { return loader::PortStatus::Ok; }
  loader::PortStatus write(std::span<const std::uint8_t> bytes) override {
    written.insert(written.end(), bytes.begin(), bytes.end());
    return loader::PortStatus::Ok;
  }
  loader::PortStatus drain() override { return loader::PortStatus::Ok; }
  void close() override {}
};

TEST(DownloadAndLoader, send_the_same_bytes_from_an_exported_file) {
  testkit::BitmapFolder dir("download-ferrant");
  struct Model {
    const char* name;
    const char* memory;
  };
  for (const Model m : {Model{"PX-5200", "F 1"}, Model{"PX-B", "F 0"}}) {
    const ModelInfo& model = modelInfo(m.name);
    const Capacities capacities = capacitiesOf(model);
    ImageList list;
    ImageRecord ram = testkit::record("R", "RAM", 24, 16);
    ram.imgPath = dir.bmp("r.bmp", 24, 16);
    ImageRecord odd = testkit::record("O", m.memory, 33, 8);  // odd: padded
    odd.imgPath = dir.bmp("o.bmp", 33, 8);
    ImageRecord next = testkit::record("N", m.memory, 40, 24);
    next.imgPath = dir.bmp("n.bmp", 40, 24);
    list.assign({ram, odd, next});
    const Allocation allocation = allocateMemory(list, capacities);
    ExportAreas areas;
    areas.ram = true;
    areas.from.fill(true);
    const auto path = dir.root() / "images.dat";
    const ExportResult exported = exportImagesToFile(path, {list, allocation, capacities, model}, areas,
                                                     [] { return ExportTime{2026, 1, 2, 3, 4, 5}; });
    ASSERT_TRUE(exported.ok()) << exported.message;

    FakeDevice device;
    ASSERT_TRUE(sendCommandFile(exported.text, exported.count, device).completed) << m.name;
    RecordingPort port;
    ASSERT_TRUE(loader::writeFileToPort(path.string(), "COM1", port).completed) << m.name;
    EXPECT_EQ(device.sent, port.written) << m.name;
    // The image bytes are there: 48 of RAM, 34 + 120 of flash, and the commands around them.
    EXPECT_GT(device.sent.size(), 48u + 34u + 120u) << m.name;
  }
}

}  // namespace
}  // namespace kelmore::imagetool
