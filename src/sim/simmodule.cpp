// The simulated module's pseudo-terminal and thread.
// Layer: sim (the simulated module; plain C++, no Qt).
#include "sim/simmodule.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kelmore::sim {
namespace {

constexpr int kPollMs = 5;

void writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      pollfd pfd{fd, POLLOUT, 0};
      ::poll(&pfd, 1, kPollMs);
    } else if (n < 0 && errno != EINTR) {
      return;
    }
  }
}

}  // namespace

SimModule::SimModule(ModuleConfig config, Observer observer) : core_(config), observer_(std::move(observer)) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    closeMaster();
    return;
  }
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    closeMaster();
    return;
  }
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) {
    closeMaster();
    return;
  }
  // Raw from the start: no echo of the module's answers, no line editing of the link's bytes.
  termios tio{};
  ::tcgetattr(slave_, &tio);
  cfmakeraw(&tio);
  ::tcsetattr(slave_, TCSANOW, &tio);
  path_ = name;
  thread_ = std::thread([this] { run(); });
}

SimModule::~SimModule() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  closeMaster();
}

void SimModule::closeMaster() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = -1;
  master_ = -1;
}

void SimModule::setSilent(bool silent) {
  std::lock_guard lock(mutex_);
  silent_ = silent;
}

void SimModule::setReplyDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  replyDelay_ = delay;
}

void SimModule::setDeafAfter(std::optional<std::size_t> wireBytes) {
  std::lock_guard lock(mutex_);
  deafAfter_ = wireBytes;
}

void SimModule::setHangUpAfter(std::optional<std::size_t> wireBytes) {
  std::lock_guard lock(mutex_);
  hangUpAfter_ = wireBytes;
}

std::vector<Received> SimModule::received() {
  std::lock_guard lock(mutex_);
  return core_.received();
}

std::vector<std::uint8_t> SimModule::wire() {
  std::lock_guard lock(mutex_);
  return core_.wire();
}

std::vector<std::size_t> SimModule::frameSizes() {
  std::lock_guard lock(mutex_);
  return core_.frameSizes();
}

std::vector<std::string> SimModule::frameErrors() {
  std::lock_guard lock(mutex_);
  return core_.frameErrors();
}

ModuleMemory SimModule::memory() {
  std::lock_guard lock(mutex_);
  return core_.memory();
}

void SimModule::clearRecords() {
  std::lock_guard lock(mutex_);
  core_.clearRecords();
}

bool SimModule::waitForWire(std::size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, limit, [&] { return core_.wire().size() >= count; });
}

void SimModule::run() {
  std::vector<std::uint8_t> buffer(4096);
  for (;;) {
    std::size_t room = buffer.size();
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
      if (hangUpAfter_ && wireCount_ >= *hangUpAfter_) {
        if (master_ >= 0) closeMaster();
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        continue;
      }
      if (deafAfter_) room = *deafAfter_ > wireCount_ ? std::min(room, *deafAfter_ - wireCount_) : 0;
      if (hangUpAfter_) room = std::min(room, *hangUpAfter_ - wireCount_);
    }
    if (room == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    pollfd pfd{master_, POLLIN, 0};
    if (::poll(&pfd, 1, kPollMs) <= 0) continue;
    const ssize_t n = ::read(master_, buffer.data(), room);
    if (n <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    const auto at = SimClock::now();
    std::vector<std::uint8_t> reply;
    std::vector<Received> taken;
    std::chrono::milliseconds delay{0};
    {
      std::lock_guard lock(mutex_);
      const std::size_t before = core_.received().size();
      reply = core_.feed({buffer.data(), static_cast<std::size_t>(n)}, at);
      wireCount_ += static_cast<std::size_t>(n);
      if (observer_)
        taken.assign(core_.received().begin() + static_cast<std::ptrdiff_t>(before), core_.received().end());
      if (silent_) reply.clear();
      delay = replyDelay_;
    }
    arrived_.notify_all();
    for (const Received& r : taken) observer_(r);
    if (reply.empty()) continue;
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    writeAll(master_, reply);
  }
}

}  // namespace kelmore::sim
