// The world as the display module link sees it: message boxes, plain sleeps, the event pump and the clock.
// Layer: link (plain C++, no Qt). The main window implements it; tests script it on virtual time.
//
// Every call comes from the one user-interface thread. Texts are UTF-8. `doEvents` and `sleepMs` may run
// other command handlers of the window (keeping a second operation out is the caller's guard). `now` is a
// monotonic clock; the link measures its bounded waits on it, so a virtual clock that `sleepMs` advances
// makes every wait of the link run at once in a test. Each wait that can last is reported (waitBegins,
// waitEnds) so the window can show it; nothing the link does depends on these two calls.
#pragma once

#include <chrono>
#include <string_view>

#include "common/boxicon.h"

namespace kelmore::link {

// The link's waits that the window shows while they last.
enum class LinkWait {
  Pause,    // a fixed pause of a device sequence
  Reply,    // a reply read, counting down its time-out
  Connect,  // the TCP connect
  Echo,     // the reachability check
  Cts,      // CTS before a frame
  Send,     // bytes the port does not take or cannot get out
};
// What the window says for a wait.
std::string_view waitText(LinkWait wait);

class LinkEnv {
 public:
  using Clock = std::chrono::steady_clock;

  virtual ~LinkEnv() = default;

  // A modal box with an OK button. An empty title means the application's own title.
  virtual void messageBox(std::string_view text, std::string_view title, BoxIcon icon) = 0;
  // Returns after `ms` milliseconds; a window takes its input meanwhile, a program without one sleeps.
  virtual void sleepMs(int ms) = 0;
  // Lets the window process its pending events once, then returns.
  virtual void doEvents() = 0;
  virtual Clock::time_point now() = 0;
  // A wait begins, or moves on with a new deadline (on now()'s clock): the latest it gives up. Waits do not
  // nest: waitEnds closes the one reported last.
  virtual void waitBegins(LinkWait wait, Clock::time_point deadline) = 0;
  virtual void waitEnds() = 0;
};

// Reports one wait for as long as it is in scope.
class ShownWait {
 public:
  ShownWait(LinkEnv& env, LinkWait wait, std::chrono::milliseconds limit) : env_(env), wait_(wait) {
    moveOn(limit);
  }
  ~ShownWait() { env_.waitEnds(); }
  ShownWait(const ShownWait&) = delete;
  ShownWait& operator=(const ShownWait&) = delete;
  // The wait now gives up `left` from now.
  void moveOn(std::chrono::milliseconds left) { env_.waitBegins(wait_, env_.now() + left); }

 private:
  LinkEnv& env_;
  LinkWait wait_;
};

// Real sleeps and the real clock, no events, no boxes (boxes go to standard error) and no wait shown: for
// programs and tests without a window.
class PlainLinkEnv : public LinkEnv {
 public:
  void messageBox(std::string_view text, std::string_view title, BoxIcon icon) override;
  void sleepMs(int ms) override;
  void doEvents() override {}
  Clock::time_point now() override { return Clock::now(); }
  void waitBegins(LinkWait, Clock::time_point) override {}
  void waitEnds() override {}
};

}  // namespace kelmore::link
