// The texts of the link's waits, and the plain environment: real sleeps and clock, boxes on standard error.
// Layer: link (plain C++, no Qt).
#include "link/linkenv.h"

#include <iostream>
#include <thread>

namespace kelmore::link {

std::string_view waitText(LinkWait wait) {
  switch (wait) {
    case LinkWait::Pause:
      return "Waiting for the module";
    case LinkWait::Reply:
      return "Waiting for the module's answer";
    case LinkWait::Connect:
      return "Connecting to the module";
    case LinkWait::Echo:
      return "Waiting for the address to answer";
    case LinkWait::Cts:
      return "Waiting for CTS";
    case LinkWait::Send:
      return "Waiting for the module to take the data";
  }
  return {};
}

void PlainLinkEnv::messageBox(std::string_view text, std::string_view title, BoxIcon) {
  std::cerr << (title.empty() ? std::string_view("Kelmore") : title) << ": " << text << '\n';
}

void PlainLinkEnv::sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kelmore::link
