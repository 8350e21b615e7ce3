// The image download end to end: an exported file sent through the device object to the simulated module,
// against what Ferrant sends from the same file.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include "../link/rig.h"
#include "imagetool/imagedownload.h"
#include "imagetool/imageexport.h"
#include "imagetool/imagefile.h"
#include "listfixture.h"
#include "loader/sender.h"

namespace kelmore::imagetool {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

struct Exported {
  std::filesystem::path path;
  ExportResult result;
  Bytes ramImage;
};

Exported exportThree(const testkit::BitmapFolder& dir, std::string_view modelName) {
  const ModelInfo& model = modelInfo(modelName);
  const Capacities capacities = capacitiesOf(model);
  ImageList list;
  ImageRecord ram = testkit::record("R", "RAM", 24, 16);
  ram.imgPath = dir.bmp("r.bmp", 24, 16);
  ImageRecord odd = testkit::record("O", "F 0", 33, 8);
  odd.imgPath = dir.bmp("o.bmp", 33, 8);
  odd.imgCheck = 0;  // nega: every byte 00
  ImageRecord next = testkit::record("N", "FROM", 40, 24);
  next.imgPath = dir.bmp("n.bmp", 40, 24);
  list.assign({ram, odd, next});
  const Allocation allocation = allocateMemory(list, capacities);
  ExportAreas areas;
  areas.ram = true;
  areas.from.fill(true);
  Exported e;
  e.path = dir.root() / (std::string(modelName) + ".dat");
  e.result = exportImagesToFile(e.path, {list, allocation, capacities, model}, areas,
                                [] { return ExportTime{2026, 1, 2, 3, 4, 5}; });
  e.ramImage = bmpToPrt(readBitmapFile(ram.imgPath).image, true).bytes;
  return e;
}

TEST(DownloadEndToEnd, the_module_takes_what_ferrant_sends_then_the_closing_commands) {
  testkit::BitmapFolder dir("download-e2e");
  for (std::string_view model : {"PX-5200", "PX-B"}) {
    const Exported e = exportThree(dir, model);
    ASSERT_TRUE(e.result.ok()) << e.result.message;

    link::testkit::Rig rig;
    link::CheckedPx5000 device(*rig.px);
    const DownloadResult result = sendCommandFile(e.result.text, e.result.count, device);
    EXPECT_TRUE(result.completed) << model << ": " << result.message;
    EXPECT_FALSE(rig.px->isOpen());

    RecordingPort port;
    ASSERT_TRUE(loader::writeFileToPort(e.path.string(), "COM1", port).completed);
    Bytes expected = port.written;
    expected.insert(expected.end(), link::kPushThroughBytes, 0x00);
    for (char c : kCompleted) expected.push_back(static_cast<std::uint8_t>(c));
    expected.insert(expected.end(), {0x1F, 0x28, 0x65, 0x40, 0x40});
    EXPECT_EQ(rig.sent(), expected) << model;

    // The module holds the RAM image and left user set mode.
    const sim::ModuleMemory& memory = rig.device->module().memory();
    ASSERT_GE(memory.imageRam.size(), e.ramImage.size()) << model;
    EXPECT_EQ(Bytes(memory.imageRam.begin(),
                    memory.imageRam.begin() + static_cast<std::ptrdiff_t>(e.ramImage.size())),
              e.ramImage)
        << model;
    EXPECT_FALSE(memory.imageFlash.empty()) << model;
    EXPECT_FALSE(memory.userMode) << model;
  }
}

TEST(DownloadEndToEnd, a_link_that_stops_taking_bytes_never_reads_completed) {
  testkit::BitmapFolder dir("download-e2e");
  const Exported e = exportThree(dir, "PX-5200");
  ASSERT_TRUE(e.result.ok()) << e.result.message;
  link::testkit::Rig rig;
  rig.device->stallAfter = 20;
  link::CheckedPx5000 device(*rig.px);
  const DownloadResult result = sendCommandFile(e.result.text, e.result.count, device);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.message, "Transfer failed.");
  EXPECT_FALSE(rig.px->isOpen());
  EXPECT_LE(rig.sent().size(), 20u);
}

}  // namespace
}  // namespace kelmore::imagetool
