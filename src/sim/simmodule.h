// The simulated display module on the master side of a pseudo-terminal (the link opens path() as its
// serial port), or listening on a loopback TCP port (the link connects to 127.0.0.1:tcpPort()). A thread
// takes what arrives, timestamps it, feeds ModuleCore and writes the answers back.
// Layer: sim (the simulated module; plain C++, no Qt).
//
// It can be made silent (no answers), slow (answers after a delay), deaf (stops reading after a number of
// wire bytes, so the link's writes stall once the terminal's buffers are full) or hang up (close the
// master, at once or after a number of wire bytes). On TCP it takes one connection at a time; a hang-up
// closes the connection that reached its point, in the middle of a transfer, and the next connect is
// taken again. All members are safe to call from the test's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/modulecore.h"

namespace kelmore::sim {

class SimModule {
 public:
  // Called on the module's thread once for every record, when it is complete (the program logs with it):
  // a command as soon as it is taken; a text run once a command follows it, the line closes, the module
  // stops, or nothing has arrived for kQuietTime, which ends the run (later text is a record of its own).
  // So every byte taken is handed over once, in order, however the reads cut the records.
  using Observer = std::function<void(const Received&)>;
  // Long beside the gaps of a running transfer, even on a loaded machine; short for a user watching the log.
  static constexpr std::chrono::milliseconds kQuietTime{1000};

  explicit SimModule(ModuleConfig config = {}, Observer observer = nullptr);
  // Listens on 127.0.0.1:`port`; port 0 takes a free one.
  struct OnTcp {
    std::uint16_t port = 0;
  };
  SimModule(ModuleConfig config, OnTcp tcp, Observer observer = nullptr);
  ~SimModule();
  SimModule(const SimModule&) = delete;
  SimModule& operator=(const SimModule&) = delete;

  // The slave side, e.g. "/dev/pts/7"; empty when no pseudo-terminal could be made.
  const std::string& path() const { return path_; }
  // The loopback port listened on; 0 on a pseudo-terminal or when the port could not be taken.
  std::uint16_t tcpPort() const { return tcpPort_; }

  void setSilent(bool silent);
  void setReplyDelay(std::chrono::milliseconds delay);
  void setDeafAfter(std::optional<std::size_t> wireBytes);
  void setHangUpAfter(std::optional<std::size_t> wireBytes);

  // Copies of what the module has taken so far.
  std::vector<Received> received();
  std::vector<std::uint8_t> wire();
  std::vector<std::size_t> frameSizes();
  std::vector<std::string> frameErrors();
  ModuleMemory memory();
  void clearRecords();
  // Waits until at least `count` wire bytes have arrived; false after `limit`.
  bool waitForWire(std::size_t count, std::chrono::milliseconds limit);

 private:
  void run();
  // Writes the module's answer to the link, for as long as the module is not being stopped.
  void answer(const std::vector<std::uint8_t>& bytes);
  void closeMaster();
  // TCP: takes a waiting connection as the module's line; false when none came.
  bool accept();
  // With mutex_ held: the records complete since the last call; `endRun` completes the text run under way.
  std::vector<Received> completeRecords(bool endRun);
  void tell(const std::vector<Received>& records);

  ModuleCore core_;
  Observer observer_;
  std::string path_;
  int master_ = -1;
  int slave_ = -1;     // held so the master never reads a hang-up between the link's opens
  int listener_ = -1;  // TCP: the listening socket; master_ is then the connection taken
  std::uint16_t tcpPort_ = 0;

  std::mutex mutex_;
  std::condition_variable arrived_;
  bool stop_ = false;
  bool silent_ = false;
  std::chrono::milliseconds replyDelay_{0};
  std::optional<std::size_t> deafAfter_;
  std::optional<std::size_t> hangUpAfter_;
  std::size_t wireCount_ = 0;
  std::size_t observed_ = 0;  // records handed to the observer
  SimClock::time_point lastArrival_{};
  std::thread thread_;
};

}  // namespace kelmore::sim
