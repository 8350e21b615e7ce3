// The plain environment: real sleeps and clock, boxes on standard error.
// Layer: link (plain C++, no Qt).
#include "link/linkenv.h"

#include <iostream>
#include <thread>

namespace kelmore::link {

void PlainLinkEnv::messageBox(std::string_view text, std::string_view title, BoxIcon) {
  std::cerr << (title.empty() ? std::string_view("Kelmore") : title) << ": " << text << '\n';
}

void PlainLinkEnv::sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kelmore::link
