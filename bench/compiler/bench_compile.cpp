// Compile benchmark: generated sources of 1,000 and 30,000 lines through the whole compiler.
// Layer: bench (plain C++). Figures to reach: time per line flat within 25 % across the two sizes, and a
// 30,000-line source in under 100 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compiler.h"
#include "compiler/host.h"

namespace kelmore {
namespace {

class NoImages : public ImageListView {
 public:
  std::int16_t imgCount() const override { return 0; }

 protected:
  ImageEntry imageAt(int) const override { return {}; }
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
  std::string modelName() override { return "QT-R5xxP"; }
  int targetArea() override { return 1; }
  const ImageListView& images() override { return images_; }

 private:
  NoImages images_;
};

// Routines of a fixed shape: a user label, assignments and expressions, an If with Else, a For loop, a
// Select with two Cases, every event set-up, text and display statement, a Data table, a GoTo and a call.
// About ten labels a routine keeps 30,000 lines inside the 4096 label slots; globals only, so the 21
// registers suffice. The model has the touch event, so every statement form compiles.
std::string generateSource(int lines) {
  std::string s;
  int count = 0;
  auto add = [&](const std::string& line) {
    s += line;
    s += "\r\n";
    ++count;
  };
  for (int g = 0; g < 8; ++g) add("g" + std::to_string(g) + " = " + std::to_string(g * 3 + 1));
  add("i = 0");
  add("Sub Start()");
  add("End Sub");
  add("Sub P(a, b)");
  add("End Sub");
  for (const char* routine : {"Timer_Event", "Port_Event", "Touch_Event"}) {
    add(std::string("Sub ") + routine + "()");
    add("Print \"event\", 13");
    add("End Sub");
  }
  int routine = 0;
  while (count < lines) {
    const std::string n = std::to_string(routine);
    add("Sub R" + n + "()");
    add("top" + n + ": ' loop start");
    for (int k = 0; count < lines - 37 && k < 70; ++k) {
      // Built by appending: GCC 12 warns (falsely) about "literal" + string in release builds.
      std::string a = "g";
      a += std::to_string(k % 8);
      std::string b = "g";
      b += std::to_string((k + 3) % 8);
      switch (k % 5) {
        case 0:
          add(a + " = " + a + " + 1");
          break;
        case 1:
          add(a + " = ( " + b + " + 3 ) * " + a);
          break;
        case 2:
          add(a + " = " + b + " - 2 * 4 + &h10");
          break;
        case 3:
          add(a + " = " + b + " Mod 7 And 3");
          break;
        default:
          add(a + " = " + b);
          break;
      }
    }
    add("If g1 > 10 Then");
    add("g2 = g2 - 1");
    add("Else");
    add("g3 = g1 * 2");
    add("End If");
    add("For i = 1 To g4 + 1");
    add("g5 = g5 + i");
    add("If g5 > 100 Then");
    add("Exit For");
    add("End If");
    add("Continue");
    add("Next");
    add("Sleep g2 + 1");
    add("g0 = Peek(g1)");
    add("g1 = VPeek(16)");
    add("g2 = top" + n);
    add("P g1, g2 + 1");
    add("EventTimerSet enable, g1 + 10");
    add("EventPortSet enable, port1 * &H0F <> 3");
    add("EventTouchSet enable, g2");
    add("EventEnable");
    add("Cls");
    add("Print \"Total: \", g5, g6 + 48, 13");
    add("Print \"日本語の表示\"");
    add("Cursor 16, g3");
    add("KanjiOn sjis");
    add("CjkOff");
    add("SetFont 8x16");
    add("Data \"TABLE,\", 1, 2, &H10 + 3");
    add("EventDisable");
    add("Select Case g6 + 1");
    add("Case 1");
    add("g7 = 2");
    add("Case Else");
    add("g7 = 3");
    add("End Select");
    if (routine > 0) add("R" + std::to_string(routine - 1));
    add("GoTo top" + n);
    add("End Sub");
    ++routine;
  }
  return s;
}

void BM_Compile(benchmark::State& state) {
  QuietHost host;
  host.source = generateSource(static_cast<int>(state.range(0)));
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
