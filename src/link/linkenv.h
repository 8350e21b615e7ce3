// The world as the display module link sees it: message boxes, plain sleeps, the event pump and the clock.
// Layer: link (plain C++, no Qt). The main window implements it; tests script it on virtual time.
//
// Every call comes from the one user-interface thread. Texts are UTF-8. `doEvents` may run other command
// handlers of the window (re-entrancy through PX5000::ifOpenf is the caller's guard). `sleepMs` blocks
// without processing events. `now` is a monotonic clock; the link measures its bounded waits on it, so a
// virtual clock that `sleepMs` advances makes every wait of the link run at once in a test.
#pragma once

#include <chrono>
#include <string_view>

namespace kelmore::link {

enum class BoxIcon { None, Critical, Information };

class LinkEnv {
 public:
  using Clock = std::chrono::steady_clock;

  virtual ~LinkEnv() = default;

  // A modal box with an OK button. An empty title means the application's own title.
  virtual void messageBox(std::string_view text, std::string_view title, BoxIcon icon) = 0;
  // A plain sleep of the thread; no events are processed meanwhile.
  virtual void sleepMs(int ms) = 0;
  // Lets the window process its pending events once, then returns.
  virtual void doEvents() = 0;
  virtual Clock::time_point now() = 0;
};

// Real sleeps and the real clock, no events and no boxes (boxes go to standard error): for programs and
// tests without a window.
class PlainLinkEnv : public LinkEnv {
 public:
  void messageBox(std::string_view text, std::string_view title, BoxIcon icon) override;
  void sleepMs(int ms) override;
  void doEvents() override {}
  Clock::time_point now() override { return Clock::now(); }
};

}  // namespace kelmore::link
