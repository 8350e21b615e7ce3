// Window compile benchmark: a 6,000-line source compiled through the real main window offscreen, from the
// compile command until the code pane, the listing and the three lists are filled and laid out.
// Layer: bench (Qt). Figure to reach: under 100 ms a compile.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTreeWidget>

#include "generatedsource.h"
#include "mainwindow/compilerviews.h"
#include "mainwindow/form1.h"
#include "mainwindow/modulechoice.h"
#include "mainwindow/progressform.h"

namespace {

using kelmore::mainwindow::Form1;

constexpr int kLines = 6000;

void compileInWindow(benchmark::State& state) {
  Form1::Options options;
  options.splash = false;
  options.arguments = {QStringLiteral("kelmore")};
  Form1 form(options);
  form.Form_Load();
  form.choice().cmbSeries->setCurrentText(QStringLiteral("PX-5200"));
  form.source->setPlainText(QString::fromStdString(kelmore::bench::generateSource(kLines)));
  // The caret in the middle of the program, so both panes carry a red span.
  form.source->setTextCursor(QTextCursor(form.source->document()->findBlockByNumber(kLines / 2)));
  QApplication::processEvents();
  for (auto _ : state) {
    form.menuCompilego_Click();
    QApplication::processEvents();  // the panes lay out and paint what they were given
    if (form.logWindow()->windowTitle() != QStringLiteral("Compile completed.")) {
      state.SkipWithError(form.logWindow()->logText().toStdString().c_str());
      break;
    }
  }
  state.counters["lines"] = kLines;
  state.counters["code_bytes"] = static_cast<double>(form.views().codePaneText().size() / 3);
  state.counters["listing_lines"] = static_cast<double>(form.views().mnemonic->document()->blockCount());
  state.counters["labels"] = static_cast<double>(form.views().ListViewLabel->topLevelItemCount());
}
BENCHMARK(compileInWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window reads and writes its settings: keep them away from the user's.
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
  qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
