// The link's environment in a window: input typed during a wait reaches the editor during it and before
// the wait returns (keys still queued when a box of the operation opens would be dropped), and the link's
// waits reach the operation's progress display.
// Layer: tests (Qt).
#include "mainwindow/windowlinkenv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "../widgets/scriptedprompter.h"
#include "typing.h"
#include "widgets/operationguard.h"

namespace kelmore::mainwindow {
namespace {

class WindowEnv : public testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    editor = new QPlainTextEdit(&window);
    progress = new widgets::OperationProgress(&window);
    layout->addWidget(editor);
    layout->addWidget(progress);
    window.show();
    window.activateWindow();
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QWidget window;
  QPlainTextEdit* editor = nullptr;
  widgets::OperationProgress* progress = nullptr;
  widgets::test::ScriptedPrompter prompter;
  widgets::OperationGuard guard{&window, nullptr};
  WindowLinkEnv env{&window, prompter, guard};
};

struct WaitCase {
  const char* name;
  std::function<void(link::LinkEnv&)> wait;
};

const WaitCase kWaits[] = {
    {"pause", [](link::LinkEnv& env) { env.sleepMs(30); }},
    {"no_wait_at_all", [](link::LinkEnv& env) { env.sleepMs(0); }},
    {"event_pump", [](link::LinkEnv& env) { env.doEvents(); }},
};

class Typed : public WindowEnv, public testing::WithParamInterface<WaitCase> {};

TEST_P(Typed, before_a_wait_has_reached_the_editor_when_it_returns) {
  test::typeLetter(editor, 'k');
  GetParam().wait(env);
  EXPECT_EQ(editor->toPlainText(), "k");
}

INSTANTIATE_TEST_SUITE_P(window, Typed, testing::ValuesIn(kWaits),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(WindowEnv, typing_during_a_long_pause_lands_while_it_lasts) {
  QString seen = "not looked at";
  QTimer::singleShot(50, [&] {
    test::typeLetter(editor, 'a');
    QTimer::singleShot(200, [&] { seen = editor->toPlainText(); });
  });
  env.sleepMs(1000);
  EXPECT_EQ(seen, "a");
}

TEST_F(WindowEnv, the_pause_lasts_as_long_as_asked_however_busy_the_window_is) {
  QTimer busy;
  QObject::connect(&busy, &QTimer::timeout, [] {});
  busy.start(0);
  const auto start = link::LinkEnv::Clock::now();
  env.sleepMs(300);
  EXPECT_GE(link::LinkEnv::Clock::now() - start, std::chrono::milliseconds(300));
}

TEST_F(WindowEnv, waits_show_in_the_progress_of_the_operation_running) {
  using namespace std::chrono_literals;
  env.waitBegins(link::LinkWait::Reply, env.now() + 2s);  // no operation: nothing to show it in
  EXPECT_FALSE(progress->isVisibleTo(&window));
  {
    const widgets::OperationGuard::Scope operation(guard, "Port Check", *progress);
    ASSERT_TRUE(operation);
    EXPECT_TRUE(progress->isVisibleTo(&window));
    EXPECT_EQ(progress->text(), "Port Check");
    env.waitBegins(link::LinkWait::Reply, env.now() + 2s);
    // Real time: the display looks at the clock a moment after the wait began.
    EXPECT_TRUE(progress->text().startsWith("Port Check: Waiting for the module's answer ("))
        << qPrintable(progress->text());
    EXPECT_TRUE(progress->text().endsWith(" s left)")) << qPrintable(progress->text());
    EXPECT_NEAR(progress->barMaximum(), 2000, 200);
    env.waitEnds();
    const widgets::OperationGuard::Scope second(guard, "Run", *progress);
    EXPECT_FALSE(second);
  }
  EXPECT_FALSE(progress->isVisibleTo(&window));
  EXPECT_FALSE(guard.running());
}

}  // namespace
}  // namespace kelmore::mainwindow
