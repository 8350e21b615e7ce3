// A link environment on virtual time that records what the link asked of the world.
// Layer: tests of the link (plain C++, no Qt).
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "link/linkenv.h"

namespace kelmore::link::testkit {

struct Box {
  std::string text;
  std::string title;
  BoxIcon icon;
  friend bool operator==(const Box&, const Box&) = default;
};

// A wait the link reported: its kind and when it gives up, in milliseconds of the env's clock
// (waitsOpen tells whether one is shown now).
struct ShownWaitRecord {
  LinkWait wait;
  long long deadlineMs;
  friend bool operator==(const ShownWaitRecord&, const ShownWaitRecord&) = default;
  friend void PrintTo(const ShownWaitRecord& r, std::ostream* os) {
    *os << waitText(r.wait) << " until " << r.deadlineMs << " ms";
  }
};

// Sleeps only move the clock on; boxes and events are counted; the waits reported are recorded. An event hook
// lets a test act "from the window" while the link pumps events.
class VirtualEnv : public LinkEnv {
 public:
  void messageBox(std::string_view text, std::string_view title, BoxIcon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  void sleepMs(int ms) override {
    sleeps.push_back(ms);
    clock += std::chrono::milliseconds(ms);
    if (onSleep) onSleep(ms);
  }
  void doEvents() override {
    ++events;
    if (onEvents) onEvents();
  }
  Clock::time_point now() override { return clock; }
  void waitBegins(LinkWait wait, Clock::time_point deadline) override {
    waits.push_back(
        {wait,
         std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::time_point{}).count()});
    ++waitsOpen;
  }
  void waitEnds() override { waitsOpen = 0; }

  std::chrono::milliseconds elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock - Clock::time_point{});
  }
  int sleptMs() const {
    int total = 0;
    for (int ms : sleeps) total += ms;
    return total;
  }

  Clock::time_point clock{};
  std::vector<Box> boxes;
  std::vector<int> sleeps;
  int events = 0;
  std::vector<ShownWaitRecord> waits;
  int waitsOpen = 0;  // reports since the last waitEnds: 0 when no wait is shown
  std::function<void()> onEvents;
  std::function<void(int)> onSleep;
};

// Real sleeps and clock, with the boxes and the sleeps recorded: for runs against the simulated module.
class RealEnv : public LinkEnv {
 public:
  void messageBox(std::string_view text, std::string_view title, BoxIcon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  void sleepMs(int ms) override {
    sleptMs += ms;
    plain_.sleepMs(ms);
  }
  void doEvents() override {}
  Clock::time_point now() override { return Clock::now(); }
  void waitBegins(LinkWait, Clock::time_point) override {}
  void waitEnds() override {}

  std::vector<Box> boxes;
  int sleptMs = 0;  // every wait the link asked for: the sequence's pauses and its read polls

 private:
  PlainLinkEnv plain_;
};

}  // namespace kelmore::link::testkit
