// Benchmarks of the optimiser passes and the listing, alone and inside a whole 30,000-line compile.
// Layer: bench.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "code_builder.h"
#include "compiler/compiler.h"
#include "compiler/mnemonic.h"
#include "compiler/optimizer.h"
#include "fake_host.h"

namespace kelmore {
namespace {

using testkit::CodeBuilder;
using O = Opcode;

constexpr int kSourceLines = 30000;

// Code as 30,000 lines of prints, conditions and jumps would leave it, with a label every few lines.
struct GeneratedCode {
  std::string text;
  std::vector<std::int32_t> labels;
};

GeneratedCode generatedCode() {
  GeneratedCode code;
  CodeBuilder b(kPreamble);
  for (int line = 0; line < kSourceLines; line += 6) {
    const int slot = static_cast<int>(code.labels.size()) % kLabelSlots;
    if (code.labels.size() < kLabelSlots) code.labels.push_back(b.address());
    b.print("Hello").print(", ").printReg("AB");
    b.op(O::CompareImm, {'A', '<', 0x0A, 0x00, 0x0A, 0x00})
        .op(O::LoadImm, {'B', '=', 0, 0})
        .op(O::Jump, {6, 0})
        .op(O::LoadImm, {'B', '=', 1, 0})
        .op(O::CompareImm, {'B', '=', 1, 0, 4, 0})
        .op(O::Jump)
        .token(slot);
    b.op(O::LoadImm, {'A', '+', 1, 0}).data({1, 2, 3});
  }
  code.text = b.text();
  return code;
}

void BM_OptimizerPasses(benchmark::State& state) {
  const GeneratedCode code = generatedCode();
  for (auto _ : state) {
    std::string text = code.text;
    std::vector<std::int32_t> labels = code.labels;
    std::int32_t markStart = static_cast<std::int32_t>(text.size() / 2 / 3 * 3);
    std::int32_t markEnd = markStart + 30;
    optimizer::joinPrints(O::PrintConst, text, labels, markStart, markEnd);
    optimizer::joinPrints(O::PrintReg, text, labels, markStart, markEnd);
    optimizer::foldIf(text, labels, markStart, markEnd);
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["code_bytes"] = static_cast<double>(code.text.size() / 3);
}
BENCHMARK(BM_OptimizerPasses)->Unit(benchmark::kMillisecond);

void BM_Listing(benchmark::State& state) {
  const GeneratedCode code = generatedCode();
  std::vector<std::string> names;
  for (std::size_t i = 0; i < code.labels.size(); ++i) names.push_back("L" + std::to_string(i));
  const mnemonic::LabelsByAddress labels = mnemonic::labelsByAddress(names, code.labels);
  mnemonic::ListingInput input;
  input.model = "PX-5200";
  input.labels = &labels;
  for (auto _ : state) {
    const mnemonic::Listing listing = mnemonic::buildListing(code.text, input);
    benchmark::DoNotOptimize(listing.text.data());
  }
}
BENCHMARK(BM_Listing)->Unit(benchmark::kMillisecond);

// A source of conditions, loops and assignments; the compile runs the three passes itself.
// 20 lines with one If block: its two labels a block keep the whole source inside the 4096 label slots.
std::string source() {
  static constexpr std::string_view kBlock =
      "If x < 10 Then\r\n y = y + 1\r\nElse\r\n y = 2\r\nEnd If\r\n"
      "x = x + 1\r\nz = x * 3\r\ny = z - x\r\nz = z + y\r\nx = x - 1\r\n"
      "x = x + 1\r\nz = x * 3\r\ny = z - x\r\nz = z + y\r\nx = x - 1\r\n"
      "x = x + 1\r\nz = x * 3\r\ny = z - x\r\nz = z + y\r\nx = x - 1\r\n";
  static constexpr int kBlockLines = 20;
  std::string text = "Sub start()\r\nx = 0\r\ny = 0\r\nz = 0\r\n";
  int lines = 5;
  for (; lines + kBlockLines <= kSourceLines; lines += kBlockLines) text += kBlock;
  for (; lines < kSourceLines; ++lines) text += "x = x + 1\r\n";
  return text + "End Sub\r\n";
}

// The listing stage's panes, kept in memory.
class ListingPanes : public mnemonic::MnemonicHost {
 public:
  std::string code;
  std::string listing;
  float maximum = 0;
  void activateLog() override {}
  void addlog(std::string_view, LogKind) override {}
  void setProgressMax(float m) override { maximum = m; }
  float progressMax() override { return maximum; }
  void setProgressValue(float) override {}
  std::string modelName() override { return "PX-5200"; }
  std::string codePaneText() override { return code; }
  void setCodeText(std::string_view text) override { code = std::string(text); }
  void colourCode(std::size_t, std::size_t, Rgb) override {}
  void setMnemonicText(std::string_view text) override { listing = std::string(text); }
  void colourMnemonic(std::size_t, std::size_t, Rgb) override {}
};

void BM_CompileOptimiseList(benchmark::State& state) {
  testkit::FakeHost host;
  host.source = source();
  host.caret = 5;
  for (auto _ : state) {
    MacroCompiler mc(host);
    if (!mc.Compile()) {
      state.SkipWithError(host.lastLog().c_str());
      return;
    }
    ListingPanes panes;
    panes.code = host.codeView;
    mnemonic::makeMnemonic(panes, mc);
    benchmark::DoNotOptimize(panes.listing.data());
    host.log.clear();
    host.colours.clear();
    host.progressValues.clear();
  }
}
BENCHMARK(BM_CompileOptimiseList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmore
