// What kelmore-sim tells its user: the program's start-up hint names the ports.map Kelmore reads, and the
// log hands over every record once, with its full length, however the reads cut it.
// Layer: tests (plain C++, no Qt).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/simlog.h"
#include "sim/simmodule.h"

extern char** environ;

namespace kelmore::sim {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr milliseconds kPatience{5000};

// The first `count` lines the program prints, with the environment changed as given (nullopt: unset).
std::vector<std::string> firstLines(
    const std::vector<std::pair<std::string, std::optional<std::string>>>& env, std::size_t count) {
  std::vector<std::string> storage;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const auto& [name, value] : env) replaced = replaced || entry.starts_with(name + "=");
    if (!replaced) storage.push_back(entry);
  }
  for (const auto& [name, value] : env)
    if (value) storage.push_back(name + "=" + *value);
  std::vector<char*> envp;
  for (auto& entry : storage) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int out[2];
  if (::pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string program = KELMORE_SIM_PROGRAM;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::vector<std::string> lines;
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (spawned == 0 && lines.size() < count && std::chrono::steady_clock::now() < deadline) {
    pollfd pfd{out[0], POLLIN, 0};
    if (::poll(&pfd, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; lines.size() < count && (end = text.find('\n')) != std::string::npos;) {
      lines.push_back(text.substr(0, end));
      text.erase(0, end + 1);
    }
  }
  ::close(out[0]);
  if (spawned == 0) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
  return lines;
}

struct HintCase {
  const char* name;
  const char* config;  // XDG_CONFIG_HOME below the test's folder; nullptr: unset; "relative": a relative one
  const char* mapUnder;
};

const HintCase kHints[] = {
    {"config_home_set", "config", "config/kelmore/ports.map"},
    {"config_home_unset", nullptr, "home/.config/kelmore/ports.map"},
    // Not an absolute path: the variable does not count.
    {"config_home_relative", "relative", "home/.config/kelmore/ports.map"},
};

class StartupHint : public testing::TestWithParam<HintCase> {};

TEST_P(StartupHint, names_the_ports_map_kelmore_reads) {
  const HintCase& c = GetParam();
  const fs::path dir = fs::temp_directory_path() / ("kelmore-simhint-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "home");
  std::optional<std::string> config;
  if (c.config)
    config = std::string_view(c.config) == "relative" ? std::string("relative") : (dir / c.config).string();
  const auto lines = firstLines({{"HOME", (dir / "home").string()}, {"XDG_CONFIG_HOME", config}}, 3);
  fs::remove_all(dir);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[0].starts_with("Simulated display module (256 x 64 dots) on /dev/pts/")) << lines[0];
  EXPECT_EQ(lines[1], "Add this line to " + (dir / c.mapUnder).string() + " to reach it as COM1:");
  EXPECT_EQ(lines[2], "COM1=" + lines[0].substr(lines[0].rfind(' ') + 1));
}

INSTANTIATE_TEST_SUITE_P(sim, StartupHint, testing::ValuesIn(kHints),
                         [](const auto& i) { return std::string(i.param.name); });

// --- the log ---

// A simulated module on TCP whose observer writes the log lines, and a link that sends raw bytes.
class Log : public testing::Test {
 protected:
  void SetUp() override {
    module_.emplace(ModuleConfig{}, SimModule::OnTcp{}, [this](const Received& r) {
      std::lock_guard lock(mutex_);
      lines_.push_back(logLine(r, start_));
    });
    ASSERT_NE(module_->tcpPort(), 0);
    link_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(module_->tcpPort());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(link_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  void TearDown() override {
    if (link_ >= 0) ::close(link_);
  }
  // Sends the bytes and waits until the module has read them all.
  void send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::send(link_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    sent_ += bytes.size();
    ASSERT_TRUE(module_->waitForWire(sent_, kPatience));
  }
  void send(std::string_view text) { send(std::vector<std::uint8_t>(text.begin(), text.end())); }
  // The log once it holds `count` lines (or what it holds after the patience is spent).
  std::vector<std::string> lines(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (lines_.size() >= count || std::chrono::steady_clock::now() > deadline) return lines_;
      }
      std::this_thread::sleep_for(milliseconds(10));
    }
  }

  const SimClock::time_point start_ = SimClock::now();
  std::mutex mutex_;
  std::vector<std::string> lines_;
  std::optional<SimModule> module_;
  int link_ = -1;
  std::size_t sent_ = 0;
};

// Line text after the time stamp.
std::string untimed(const std::string& line) {
  return line.substr(10);
}

const std::vector<std::uint8_t> kDotQuery{0x1F, 0x28, 0x65, 0x40, 0x40};

TEST_F(Log, a_text_run_over_several_reads_is_one_line_of_its_full_length) {
  // The close of a flash download: the dummy write, the status text, the wait for the module.
  send(std::vector<std::uint8_t>(1000, 0x00));
  send("Completed. [FROM Macro 1] ");
  send(kDotQuery);
  const auto log = lines(2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(untimed(log[0]).starts_with("text             1026 bytes: 00 00")) << log[0];
  EXPECT_TRUE(log[0].ends_with(std::string(1000, '.') + "Completed. [FROM Macro 1] \"\n")) << log[0];
  EXPECT_EQ(untimed(log[1]), "dotQuery         5 bytes: 1F 28 65 40 40\n");
}

TEST_F(Log, a_quiet_line_ends_the_text_run_and_later_text_is_a_line_of_its_own) {
  send("AB");
  // No command follows: the quiet line completes the run.
  EXPECT_EQ(lines(1).size(), 1u);
  send("CD");
  send(kDotQuery);
  const auto log = lines(3);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(untimed(log[0]), "text             2 bytes: 41 42  \"AB\"\n");
  EXPECT_EQ(untimed(log[1]), "text             2 bytes: 43 44  \"CD\"\n");
  EXPECT_EQ(untimed(log[2]), "dotQuery         5 bytes: 1F 28 65 40 40\n");
  // The module's own records are the same three.
  const auto received = module_->received();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(std::string(received[1].bytes.begin(), received[1].bytes.end()), "CD");
}

TEST_F(Log, a_closed_connection_completes_its_text) {
  send("bye");
  ::close(link_);
  link_ = -1;
  const auto log = lines(1);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(untimed(log[0]), "text             3 bytes: 62 79 65  \"bye\"\n");
}

}  // namespace
}  // namespace kelmore::sim
