// Image list benchmarks: 1000 one-bit bitmaps of 128 × 64 dots dropped on the list, then the allocation;
// and the command file export of the same 1000 images.
// Layer: bench (plain C++). Figures to reach: the drop and allocation, and the export, each under 1 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../tests/common/bmpfile.h"
#include "imagetool/allocation.h"
#include "imagetool/imageexport.h"
#include "imagetool/imagelist.h"

namespace kelmore::imagetool {
namespace {

class QuietUi : public ListUi {
 public:
  std::vector<std::string> chooseBitmaps() override { return {}; }
  void message(std::string_view) override {}
  bool editParameters() override { return false; }
};

class Bitmaps {
 public:
  Bitmaps()
      : root_(std::filesystem::temp_directory_path() / ("kelmore-bench-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(root_);
    testkit::BmpSpec spec;
    spec.width = 128;
    spec.height = 64;
    spec.pixel = [](int x, int y) -> std::uint32_t { return (x ^ y) & 1; };
    const auto bytes = testkit::makeBmp(spec);
    for (int i = 0; i < ImageList::kImgMax; ++i) {
      paths.push_back((root_ / ("image" + std::to_string(i) + ".bmp")).string());
      testkit::writeFile(paths.back(), bytes);
    }
  }
  ~Bitmaps() { std::filesystem::remove_all(root_); }
  std::vector<std::string> paths;

 private:
  std::filesystem::path root_;
};

void BM_DropThousandAndAllocate(benchmark::State& state) {
  static const Bitmaps bitmaps;
  QuietUi ui;
  const Capacities capacities = capacitiesOf(modelInfo("PX-B"));
  for (auto _ : state) {
    ImageList list;
    list.dropFilesOnForm(bitmaps.paths, ui);
    const Allocation allocation = allocateMemory(list, capacities);
    benchmark::DoNotOptimize(allocation.ramUsed);
    if (list.count() != ImageList::kImgMax) state.SkipWithError("not every bitmap was taken");
  }
}
BENCHMARK(BM_DropThousandAndAllocate)->Unit(benchmark::kMillisecond);

// The eight flash pages of PX-B hold 512 of the images in blocks; the other 488 go to a RAM made large
// enough for them, so every image is read, converted and written.
void BM_ExportThousand(benchmark::State& state) {
  static const Bitmaps bitmaps;
  QuietUi ui;
  const ModelInfo& model = modelInfo("PX-B");
  Capacities capacities = capacitiesOf(model);
  constexpr int kFlashImages = 512;
  capacities.ramCapacity = (ImageList::kImgMax - kFlashImages) * 1024;
  ImageList list;
  list.dropFilesOnForm(bitmaps.paths, ui);
  for (int i = kFlashImages; i < list.count(); ++i) list.setMemory(i, "RAM");
  const Allocation allocation = allocateMemory(list, capacities);
  ExportAreas areas;
  areas.ram = true;
  areas.from.fill(true);
  const ExportClock clock = [] { return ExportTime{2026, 1, 1, 0, 0, 0}; };
  for (auto _ : state) {
    int images = 0;
    const ExportResult result =
        exportImages({list, allocation, capacities, model}, areas, clock, [&](int done) { images = done; });
    benchmark::DoNotOptimize(result.count);
    if (!result.ok() || images != ImageList::kImgMax) state.SkipWithError("not every image was exported");
  }
}
BENCHMARK(BM_ExportThousand)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmore::imagetool

BENCHMARK_MAIN();
