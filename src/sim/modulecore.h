// The simulated display module's inner working: takes the wire bytes as they arrive, deframes FrameBcc,
// parses the command set, keeps the module's memory and answers its queries.
// Layer: sim (the simulated module; plain C++, no Qt). Not thread-safe: SimModule serialises calls.
//
// Every command is recorded with its bytes (deframed) and the arrival times of its first and last byte.
// Bytes outside any command (text, the zero bytes of a dummy write) are recorded as "text" runs: one record
// until a command comes or endTextRun is called. Replies:
// user mode in gives 4 bytes, the dot-size queries "X: www" / "Y: hhh", the memory-switch and port
// queries 4 bytes whose fourth is the value. The image commands write image RAM and flash and keep the
// last real-time bit image.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelmore::sim {

using SimClock = std::chrono::steady_clock;

struct ModuleConfig {
  int dotWidth = 256;
  int dotHeight = 64;
  // Set: the module takes FrameBcc frames for this address; else a raw byte stream.
  std::optional<std::uint8_t> address;
  // The WMR-STD way: a flash macro header is followed by its code in 1024-byte blocks.
  bool blockDownload = false;
};

struct Received {
  std::string name;  // e.g. "userModeIn", "ramMacro", "flashMacro", "block", "cursorSet", "text"
  std::vector<std::uint8_t> bytes;
  SimClock::time_point first;
  SimClock::time_point last;
};

struct ModuleMemory {
  std::vector<std::uint8_t> ramMacro;
  std::array<std::vector<std::uint8_t>, 4> flashMacro;  // FROM macro 1..4
  std::array<std::uint8_t, 256> memorySwitch{};
  std::array<std::uint8_t, 256> portValue{};
  std::optional<int> lastStarted;  // macro number of the last MacroGo
  // Image memory, as far as written: RAM by its 24-bit address; flash by page (the address's third byte)
  // and offset, one page after the other.
  std::vector<std::uint8_t> imageRam;
  std::vector<std::uint8_t> imageFlash;
  std::vector<std::uint8_t> bitImage;  // the data of the last real-time bit image
  bool userMode = false;
};

class ModuleCore {
 public:
  explicit ModuleCore(ModuleConfig config);

  // Takes wire bytes that arrived at `at` and returns what the module answers.
  std::vector<std::uint8_t> feed(std::span<const std::uint8_t> wire, SimClock::time_point at);

  const ModuleConfig& config() const { return config_; }
  const std::vector<Received>& received() const { return received_; }
  const std::vector<std::uint8_t>& wire() const { return wire_; }
  // Data bytes of each frame taken, in order; and frames refused (bad address or check byte), as texts.
  const std::vector<std::size_t>& frameSizes() const { return frameSizes_; }
  const std::vector<std::string>& frameErrors() const { return frameErrors_; }
  const ModuleMemory& memory() const { return memory_; }
  ModuleMemory& memory() { return memory_; }
  void clearRecords();
  // The text run under way is complete: the next text byte starts a record of its own.
  void endTextRun() { textEnded_ = true; }

 private:
  void takeData(std::uint8_t byte, SimClock::time_point at, std::vector<std::uint8_t>& reply);
  void finish(const std::string& name, SimClock::time_point at, std::vector<std::uint8_t>& reply);

  ModuleConfig config_;
  ModuleMemory memory_;
  std::vector<Received> received_;
  std::vector<std::uint8_t> wire_;
  std::vector<std::size_t> frameSizes_;
  std::vector<std::string> frameErrors_;
  bool textEnded_ = false;

  // Deframer state.
  std::vector<std::uint8_t> frame_;
  // Parser state: the bytes of the command under way and when its first byte came.
  std::vector<std::uint8_t> pending_;
  SimClock::time_point pendingFirst_{};
  std::size_t blockBytesLeft_ = 0;  // block download: code bytes still to come in blocks
  std::vector<std::uint8_t> blockCode_;
  int blockArea_ = 0;
  std::size_t blockLength_ = 0;
};

}  // namespace kelmore::sim
