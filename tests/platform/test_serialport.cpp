// Serial port tests against real pseudo-terminals: exclusive open, settings, bounded reads, writes and waits.
// Layer: tests (plain C++).
#include "platform/serialport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../common/tempfolder.h"

namespace kelmore::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// These tests measure real time on a real pseudo-terminal, and run alone. A wait for bytes ends as soon
// as they are in, so its limit is generous; a call may overrun its own deadline on a busy machine by
// this much, which still tells a bounded wait from one of seconds or none at all.
constexpr std::chrono::milliseconds kArrival = 10s;
constexpr std::chrono::milliseconds kOverrun = 2s;

// The master end of a pseudo-terminal; the port under test opens its slave path.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) slave_ = ::ptsname(master_);
  }
  ~Pty() { closeMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  const std::string& slavePath() const { return slave_; }
  int master() const { return master_; }
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void send(const std::string& text) {
    ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // What arrives within `wait`, returning early once `want` bytes are in.
  std::string receive(std::size_t want, std::chrono::milliseconds wait = kArrival) {
    std::string got;
    const auto end = Clock::now() + wait;
    while (Clock::now() < end && got.size() < want) {
      pollfd pfd{master_, POLLIN, 0};
      if (::poll(&pfd, 1, 10) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  int master_ = -1;
  std::string slave_;
};

class SerialPortTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(pty.slavePath().empty()) << "no pseudo-terminal"; }
  void openDefault() { ASSERT_EQ(port.open(pty.slavePath(), SerialSettings{}), PortError::None); }

  Pty pty;
  SerialPort port;
};

std::span<const std::uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct RefusedCase {
  const char* name;
  SerialSettings settings;
};

const RefusedCase kRefused[] = {
    {"baud_not_a_standard_rate", {12345, 'n', 8, 1, true}}, {"nine_data_bits", {38400, 'n', 9, 1, true}},
    {"four_data_bits", {38400, 'n', 4, 1, true}},           {"unknown_parity", {38400, 'x', 8, 1, true}},
    {"upper_case_parity", {38400, 'N', 8, 1, true}},        {"three_stop_bits", {38400, 'n', 8, 3, true}},
};

class RefusedSettings : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedSettings, give_setup_and_leave_the_port_closed_and_free) {
  Pty pty;
  ASSERT_FALSE(pty.slavePath().empty());
  SerialPort port;
  EXPECT_EQ(port.open(pty.slavePath(), GetParam().settings), PortError::Setup);
  EXPECT_FALSE(port.isOpen());
  SerialPort other;
  EXPECT_EQ(other.open(pty.slavePath(), SerialSettings{}), PortError::None);
}

INSTANTIATE_TEST_SUITE_P(open, RefusedSettings, testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SerialPortOpen, a_missing_or_busy_port_reads_as_such_whatever_the_settings) {
  const SerialSettings refused{12345, 'n', 8, 1, true};
  SerialPort port;
  EXPECT_EQ(port.open("/dev/kelmore-no-such-port", refused), PortError::NotFound);
  Pty pty;
  ASSERT_FALSE(pty.slavePath().empty());
  SerialPort holder;
  ASSERT_EQ(holder.open(pty.slavePath(), SerialSettings{}), PortError::None);
  EXPECT_EQ(port.open(pty.slavePath(), refused), PortError::Busy);
  EXPECT_FALSE(port.isOpen());
}

TEST(SerialPortOpen, tells_missing_and_non_terminal_devices_apart) {
  SerialPort port;
  EXPECT_EQ(port.open("/dev/kelmore-no-such-port", SerialSettings{}), PortError::NotFound);
  const testkit::TempFolder folder("kelmore-serial");
  const auto file = folder / "plain-file";
  std::FILE* out = std::fopen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fclose(out);
  EXPECT_EQ(port.open(file.string(), SerialSettings{}), PortError::NotFound);
  EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortTest, second_open_is_busy_until_the_first_closes) {
  openDefault();
  SerialPort second;
  EXPECT_EQ(second.open(pty.slavePath(), SerialSettings{}), PortError::Busy);
  EXPECT_FALSE(second.isOpen());
  port.close();
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(second.open(pty.slavePath(), SerialSettings{}), PortError::None);
}

TEST_F(SerialPortTest, exclusive_mode_is_set_while_open_and_cleared_by_close) {
  openDefault();
  const int probe = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);  // root passes TIOCEXCL
  if (probe < 0) GTEST_SKIP() << "exclusive mode keeps even the probe out";
  int exclusive = 0;
  ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  port.close();
  ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(probe);
}

TEST(SerialPortOpen, tells_no_permission_apart) {
  Pty pty;
  ASSERT_FALSE(pty.slavePath().empty());
  if (::geteuid() != 0) {
    // An ordinary user is refused a file without rights; root is not, so root tests as nobody below.
    const testkit::TempFolder folder("kelmore-serial");
    const auto file = folder / "no-rights";
    std::FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fclose(out);
    ::chmod(file.c_str(), 0);
    SerialPort port;
    EXPECT_EQ(port.open(file.string(), SerialSettings{}), PortError::NoPermission);
    return;
  }
  ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0600), 0);
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no unprivileged user";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(2);
    SerialPort port;
    ::_exit(port.open(pty.slavePath(), SerialSettings{}) == PortError::NoPermission ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

struct SettingsCase {
  const char* name;
  SerialSettings settings;
  speed_t speed;
  tcflag_t frame;  // stop bits and CRTSCTS as they must stand (a pty pins size and parity to 8N)
};

const SettingsCase kApplied[] = {
    {"default_38400_8n1_cts", {}, B38400, CRTSCTS},
    {"9600_7e2_no_flow", {9600, 'e', 7, 2, false}, B9600, CSTOPB},
    {"115200_8o1_cts", {115200, 'o', 8, 1, true}, B115200, CRTSCTS},
};

class AppliedSettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(AppliedSettings, reach_the_device_raw) {
  Pty pty;
  ASSERT_FALSE(pty.slavePath().empty());
  SerialPort port;
  ASSERT_EQ(port.open(pty.slavePath(), GetParam().settings), PortError::None);
  const int probe = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(probe, 0);
  termios tio{};
  ASSERT_EQ(::tcgetattr(probe, &tio), 0);
  ::close(probe);
  EXPECT_EQ(cfgetospeed(&tio), GetParam().speed);
  EXPECT_EQ(tio.c_cflag & (CSTOPB | CRTSCTS), GetParam().frame);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
}

INSTANTIATE_TEST_SUITE_P(open, AppliedSettings, testing::ValuesIn(kApplied),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialPortTest, bytes_pass_both_ways_unchanged) {
  openDefault();
  const std::string out("\x1f\x28\x65\x01\x49\x4e\r\n\x03\x11\x13\x00\xff", 13);
  const IoResult sent = port.write(bytesOf(out));
  EXPECT_EQ(sent.error, PortError::None);
  EXPECT_EQ(sent.count, out.size());
  EXPECT_EQ(pty.receive(out.size()), out);

  const std::string in("\r\n\x00\x7f\x11", 5);
  pty.send(in);
  std::vector<std::uint8_t> buffer(in.size());
  const IoResult got = port.read(buffer, kArrival);
  EXPECT_EQ(got.error, PortError::None);
  ASSERT_EQ(got.count, in.size());
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), in);
}

TEST_F(SerialPortTest, read_time_out_is_a_short_count_after_the_time_out) {
  openDefault();
  pty.send("ab");
  std::vector<std::uint8_t> buffer(6);
  const auto start = Clock::now();
  const IoResult got = port.read(buffer, 150ms);
  const auto took = Clock::now() - start;
  EXPECT_EQ(got.error, PortError::None);
  EXPECT_EQ(got.count, 2u);
  EXPECT_GE(took, 150ms);
  EXPECT_LT(took, 150ms + kOverrun);

  const IoResult none = port.read(buffer, 0ms);
  EXPECT_EQ(none.error, PortError::None);
  EXPECT_EQ(none.count, 0u);
}

TEST_F(SerialPortTest, read_gathers_bytes_that_arrive_in_pieces) {
  openDefault();
  std::thread peer([&] {
    for (const char* piece : {"12", "345", "6"}) {
      std::this_thread::sleep_for(30ms);
      pty.send(piece);
    }
  });
  std::vector<std::uint8_t> buffer(6);
  const IoResult got = port.read(buffer, 2000ms);
  peer.join();
  EXPECT_EQ(got.error, PortError::None);
  ASSERT_EQ(got.count, 6u);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "123456");
}

// A timer signal without SA_RESTART breaks every blocking call; the port must carry on regardless.
class SignalStorm {
 public:
  SignalStorm() {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, &previous_);
    itimerval every{{0, 3000}, {0, 3000}};
    ::setitimer(ITIMER_REAL, &every, nullptr);
  }
  ~SignalStorm() {
    itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &previous_, nullptr);
  }

 private:
  struct sigaction previous_ {};
};

TEST_F(SerialPortTest, interrupted_waits_carry_on) {
  openDefault();
  std::vector<std::uint8_t> buffer(3);
  {
    SignalStorm storm;
    std::thread peer([&] {
      std::this_thread::sleep_for(100ms);
      pty.send("xyz");
    });
    const IoResult got = port.read(buffer, 2000ms);
    peer.join();
    EXPECT_EQ(got.error, PortError::None);
    EXPECT_EQ(got.count, 3u);

    const auto start = Clock::now();
    const IoResult idle = port.read(buffer, 100ms);
    EXPECT_EQ(idle.error, PortError::None);
    EXPECT_EQ(idle.count, 0u);
    EXPECT_GE(Clock::now() - start, 100ms);

    port.injectCts(false);
    std::thread raise([&] {
      std::this_thread::sleep_for(60ms);
      port.injectCts(true);
    });
    const IoResult sent = port.write(bytesOf("ok"), 2000ms);
    raise.join();
    EXPECT_EQ(sent.error, PortError::None);
    EXPECT_EQ(sent.count, 2u);
  }
  EXPECT_EQ(pty.receive(3), "ok");

  // Signals while the queue is full must not stretch the stall limit.
  SignalStorm storm;
  const std::vector<std::uint8_t> block(4 << 20, 0x55);
  const auto start = Clock::now();
  const IoResult stalled = port.write(block, 150ms);
  EXPECT_EQ(stalled.error, PortError::Stalled);
  EXPECT_LT(Clock::now() - start, 150ms + kOverrun);
}

TEST_F(SerialPortTest, write_to_a_peer_that_never_reads_stalls_within_the_limit) {
  openDefault();
  const std::vector<std::uint8_t> block(4 << 20, 0x55);
  const auto start = Clock::now();
  const IoResult sent = port.write(block, 150ms);
  const auto took = Clock::now() - start;
  EXPECT_EQ(sent.error, PortError::Stalled);
  EXPECT_GT(sent.count, 0u);
  EXPECT_LT(sent.count, block.size());
  EXPECT_GE(took, 150ms);
  EXPECT_LT(took, 150ms + kOverrun);
}

TEST_F(SerialPortTest, pseudo_terminal_reports_cts_and_injection_overrides_it) {
  openDefault();
  EXPECT_TRUE(port.cts());
  port.injectCts(false);
  EXPECT_FALSE(port.cts());
  port.injectCts(std::nullopt);
  EXPECT_TRUE(port.cts());
}

TEST_F(SerialPortTest, cts_held_low_stalls_a_write_with_nothing_sent) {
  openDefault();
  port.injectCts(false);
  const auto start = Clock::now();
  const IoResult sent = port.write(bytesOf("abc"), 100ms);
  const auto took = Clock::now() - start;
  EXPECT_EQ(sent.error, PortError::Stalled);
  EXPECT_EQ(sent.count, 0u);
  EXPECT_GE(took, 100ms);
  EXPECT_LT(took, 100ms + kOverrun);
  EXPECT_EQ(pty.receive(1, 50ms), "");
}

TEST(SerialPortCts, low_cts_does_not_hold_a_port_without_flow_control) {
  Pty pty;
  ASSERT_FALSE(pty.slavePath().empty());
  SerialPort port;
  SerialSettings settings;
  settings.ctsFlow = false;
  ASSERT_EQ(port.open(pty.slavePath(), settings), PortError::None);
  port.injectCts(false);
  const IoResult sent = port.write(bytesOf("abc"), 100ms);
  EXPECT_EQ(sent.error, PortError::None);
  EXPECT_EQ(sent.count, 3u);
  EXPECT_EQ(pty.receive(3), "abc");
}

TEST_F(SerialPortTest, hang_up_is_reported_by_write_and_read) {
  openDefault();
  pty.closeMaster();
  const IoResult sent = port.write(bytesOf("abc"), 200ms);
  EXPECT_EQ(sent.error, PortError::HungUp);
  std::vector<std::uint8_t> buffer(4);
  const auto start = Clock::now();
  const IoResult got = port.read(buffer, kStallLimit);
  EXPECT_EQ(got.error, PortError::HungUp);
  EXPECT_LT(Clock::now() - start, kOverrun);  // at once, not at the end of its time-out
}

TEST_F(SerialPortTest, drain_returns_once_the_bytes_have_left) {
  openDefault();
  ASSERT_EQ(port.write(bytesOf("drained")).error, PortError::None);
  const auto start = Clock::now();
  EXPECT_EQ(port.drain(kStallLimit), PortError::None);
  EXPECT_LT(Clock::now() - start, kOverrun);  // once the bytes have left, not at the limit
  EXPECT_EQ(pty.receive(7), "drained");
}

TEST_F(SerialPortTest, purge_drops_pending_input) {
  openDefault();
  pty.send("stale");
  std::this_thread::sleep_for(200ms);  // for "stale" to reach the port's side
  port.purge();
  pty.send("new");
  std::vector<std::uint8_t> buffer(3);
  const IoResult got = port.read(buffer, kArrival);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(got.count)), "new");
}

TEST(SerialPortClosed, calls_on_a_closed_port_fail_at_once) {
  SerialPort port;
  std::vector<std::uint8_t> buffer(2);
  EXPECT_EQ(port.write(bytesOf("a")).error, PortError::Io);
  EXPECT_EQ(port.read(buffer, 1000ms).error, PortError::Io);
  EXPECT_EQ(port.drain(), PortError::Io);
  EXPECT_FALSE(port.cts());
  port.purge();
  port.close();
  EXPECT_FALSE(port.isOpen());
}

}  // namespace
}  // namespace kelmore::platform
