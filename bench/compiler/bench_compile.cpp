// Compile benchmark: generated sources of 1,000 and 30,000 lines through the whole compiler.
// Layer: bench (plain C++). Figures to reach: time per line flat within 25 % across the two sizes, and a
// 30,000-line source in under 100 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compiler.h"
#include "compiler/host.h"
#include "generatedsource.h"

namespace kelmore {
namespace {

// One image, for the label form of CopyBmp.
class OneImage : public ImageListView {
 public:
  std::int16_t imgCount() const override { return 1; }

 protected:
  ImageEntry imageAt(int) const override { return {"logo", 128, 64, 1, "F 1", 0x0100}; }
};

// A host that answers and forgets, so the figure is the compiler's own.
class QuietHost : public CompilerHost {
 public:
  std::string source;
  std::string lastError;
  std::size_t codeChars = 0;
  std::string sourceText() override { return source; }
  int caretLine() override { return 3; }
  void saveSelection() override {}
  void restoreSelection() override {}
  void markLine(int) override {}
  void setCodeText(std::string_view text) override { codeChars = text.size(); }
  void colourCode(std::size_t, std::size_t, Rgb) override {}
  void setCodeVisible(bool) override {}
  void setAddressText(std::string_view) override {}
  void clearList(CompilerList) override {}
  void addListItem(CompilerList, std::string_view, std::string_view, std::string_view) override {}
  std::string listToolTip(CompilerList) override { return {}; }
  void setListToolTip(CompilerList, std::string_view) override {}
  void clearLog() override {}
  void addlog(std::string_view message, LogKind kind) override {
    if (kind == LogKind::Error) lastError = message;
  }
  void setProgressMax(float) override {}
  float progressMax() override { return 100; }
  void setProgressValue(float) override {}
  void setCloseVisible(bool) override {}
  void refreshWindow() override {}
  void messageBox(std::string_view) override {}
  // A model that takes every statement.
  std::string modelName() override { return "QT-R5xxP"; }
  int targetArea() override { return 1; }
  const ImageListView& images() override { return images_; }

 private:
  OneImage images_;
};

void BM_Compile(benchmark::State& state) {
  QuietHost host;
  host.source = bench::generateSource(static_cast<int>(state.range(0)), bench::SourceForms::Every);
  const auto lines = static_cast<double>(std::count(host.source.begin(), host.source.end(), '\n'));
  MacroCompiler mc(host);
  for (auto _ : state) {
    if (!mc.Compile()) {
      state.SkipWithError(("compile failed: " + host.lastError).c_str());
      break;
    }
    benchmark::DoNotOptimize(host.codeChars);
  }
  state.counters["lines"] = lines;
  state.counters["code_bytes"] = static_cast<double>(host.codeChars / 3);
  state.counters["per_line"] =
      benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Compile)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmore

BENCHMARK_MAIN();
