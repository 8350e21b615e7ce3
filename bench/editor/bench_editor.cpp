// Editor figures: a 10,000-line source read, respelled and shown coloured in the pane (target under
// 500 ms), and one keystroke in it with its colouring, history step and hint (target under 16 ms).
// Layer: bench (Qt).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <filesystem>
#include <fstream>

#include "editor/respace.h"
#include "editor/sourceeditor.h"
#include "editor/sourcefile.h"

namespace {

using namespace kelmore::editor;

constexpr int kLines = 10000;

std::filesystem::path sourceFile() {
  static const std::filesystem::path path = [] {
    const char* lines[] = {
        "\tprint \"Hello, world\" ' greet",
        "For i = 1 To 10 Step 1",
        "  x = VPeek(3) + y * 2 - i",
        "  Cursor 0, 0: cls",
        "If x <> 4 Then",
        "  SetFont \"5x7\"",
        "End If",
        "next i",
    };
    const auto p =
        std::filesystem::temp_directory_path() / ("kelmore-bench-" + std::to_string(::getpid()) + ".tvr");
    std::ofstream out(p, std::ios::binary);
    for (int i = 0; i < kLines; ++i) out << lines[i % 8] << "\r\n";
    return p;
  }();
  return path;
}

void openAndColour(benchmark::State& state) {
  SourceEditor editor;
  editor.resize(800, 600);
  editor.show();
  for (auto _ : state) {
    const SourceRead read = readSourceFile(sourceFile());
    const ColouredText coloured = colourSourceText(read.text);
    editor.setDocumentText(QString::fromStdString(coloured.text));
    QApplication::processEvents();
    benchmark::DoNotOptimize(editor.document()->lastBlock().layout());
  }
  state.counters["lines"] = static_cast<double>(editor.document()->blockCount());
}
BENCHMARK(openAndColour)->Unit(benchmark::kMillisecond)->Iterations(5);

void keystroke(benchmark::State& state) {
  SourceEditor editor;
  editor.resize(800, 600);
  editor.show();
  editor.setDocumentText(QString::fromStdString(colourSourceText(readSourceFile(sourceFile()).text).text));
  editor.setFocus();
  QTextCursor c(editor.document()->findBlockByNumber(kLines / 2));
  c.movePosition(QTextCursor::EndOfBlock);
  editor.setTextCursor(c);
  QApplication::processEvents();
  int typed = 0;
  for (auto _ : state) {
    QTest::keyClick(&editor, (typed++ % 2) ? Qt::Key_A : Qt::Key_Backspace, Qt::NoModifier);
    QApplication::processEvents();
  }
  state.counters["steps"] = static_cast<double>(editor.history().count());
}
BENCHMARK(keystroke)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(sourceFile());
  return 0;
}
