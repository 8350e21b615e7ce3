// The simulated module's pseudo-terminal and thread.
// Layer: sim (the simulated module; plain C++, no Qt).
#include "sim/simmodule.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kelmore::sim {
namespace {

constexpr int kPollMs = 5;

}  // namespace

void SimModule::answer(const std::vector<std::uint8_t>& bytes) {
  // A socket whose link went away must not raise SIGPIPE in the module.
  const bool socket = listener_ >= 0;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = socket ? ::send(master_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                             : ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      // A link that reads none of the answers must not keep the module from being stopped.
      {
        std::lock_guard lock(mutex_);
        if (stop_) return;
      }
      pollfd pfd{master_, POLLOUT, 0};
      ::poll(&pfd, 1, kPollMs);
    } else if (n < 0 && errno != EINTR) {
      return;
    }
  }
}

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

SimModule::SimModule(ModuleConfig config, OnTcp tcp, Observer observer)
    : core_(config), observer_(std::move(observer)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return;
  const int reuse = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(tcp.port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never reachable from another host
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 4) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener_);
    listener_ = -1;
    return;
  }
  tcpPort_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { run(); });
}

SimModule::~SimModule() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  closeMaster();
  if (listener_ >= 0) ::close(listener_);
}

bool SimModule::accept() {
  pollfd pfd{listener_, POLLIN, 0};
  if (::poll(&pfd, 1, kPollMs) <= 0) return false;
  master_ = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  return master_ >= 0;
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
  observed_ = 0;
}

bool SimModule::waitForWire(std::size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, limit, [&] { return core_.wire().size() >= count; });
}

std::vector<Received> SimModule::completeRecords(bool endRun) {
  const std::vector<Received>& records = core_.received();
  std::size_t complete = records.size();
  // Only a text run grows after it is recorded.
  if (complete > observed_ && records.back().name == "text") {
    if (endRun)
      core_.endTextRun();
    else
      --complete;
  }
  std::vector<Received> taken;
  if (observer_) {
    taken.assign(records.begin() + static_cast<std::ptrdiff_t>(observed_),
                 records.begin() + static_cast<std::ptrdiff_t>(complete));
  }
  observed_ = complete;
  return taken;
}

void SimModule::tell(const std::vector<Received>& records) {
  for (const Received& r : records) observer_(r);
}

void SimModule::run() {
  std::vector<std::uint8_t> buffer(4096);
  for (;;) {
    std::size_t room = buffer.size();
    std::vector<Received> taken;
    bool stopping = false;
    bool hungUp = false;
    {
      std::lock_guard lock(mutex_);
      stopping = stop_;
      if (!stopping && hangUpAfter_ && wireCount_ >= *hangUpAfter_) {
        hungUp = true;
        if (master_ >= 0) closeMaster();
        // On TCP only the connection goes; the module answers the next connect.
        if (listener_ >= 0) hangUpAfter_.reset();
      } else {
        if (deafAfter_) room = *deafAfter_ > wireCount_ ? std::min(room, *deafAfter_ - wireCount_) : 0;
        if (hangUpAfter_) room = std::min(room, *hangUpAfter_ - wireCount_);
      }
      taken = completeRecords(stopping || hungUp || SimClock::now() - lastArrival_ >= kQuietTime);
    }
    tell(taken);
    if (stopping) return;
    if (hungUp) {
      if (listener_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    if (listener_ >= 0 && master_ < 0 && !accept()) continue;
    if (room == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    pollfd pfd{master_, POLLIN, 0};
    if (::poll(&pfd, 1, kPollMs) <= 0) continue;
    const ssize_t n = ::read(master_, buffer.data(), room);
    if (listener_ >= 0 && (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))) {
      // The link closed or reset its connection: what it sent is complete; wait for the next.
      closeMaster();
      {
        std::lock_guard lock(mutex_);
        taken = completeRecords(true);
      }
      tell(taken);
      continue;
    }
    if (n <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      continue;
    }
    const auto at = SimClock::now();
    std::vector<std::uint8_t> reply;
    std::chrono::milliseconds delay{0};
    {
      std::lock_guard lock(mutex_);
      reply = core_.feed({buffer.data(), static_cast<std::size_t>(n)}, at);
      wireCount_ += static_cast<std::size_t>(n);
      lastArrival_ = at;
      taken = completeRecords(false);
      if (silent_) reply.clear();
      delay = replyDelay_;
    }
    arrived_.notify_all();
    tell(taken);
    if (reply.empty()) continue;
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    answer(reply);
  }
}

}  // namespace kelmore::sim
