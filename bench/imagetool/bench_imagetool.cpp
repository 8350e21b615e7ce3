// Image list benchmark: 1000 one-bit bitmaps of 128 × 64 dots dropped on the list, then the allocation.
// Layer: bench (plain C++). Figure to reach: the whole drop and allocation in under 1 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../tests/common/bmpfile.h"
#include "imagetool/allocation.h"
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

}  // namespace
}  // namespace kelmore::imagetool

BENCHMARK_MAIN();
