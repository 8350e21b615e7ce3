// Fuzz target of the PRT line reader: the shared grammar, the reader under both item rules and Ferrant's
// sending of a whole command file. Whatever a line holds, the bytes the reader takes are those a writer's
// line of the same bytes gives back, and the sender hands the port exactly the bytes its lines carry.
// Layer: fuzz (plain C++, no Qt).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/prtline.h"
#include "loader/sender.h"

namespace {

using namespace kelmore;

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// The shared grammar on one line: every item it takes is written again as the same byte.
void checkSharedGrammar(std::string_view line) {
  const auto rest = prtLineRest(line);
  if (!rest) return;
  std::vector<std::uint8_t> bytes;
  for (std::string_view item : splitPrtItems(*rest)) {
    require(!item.empty() && item.find(' ') == std::string_view::npos);
    if (const auto byte = parsePrtItem(item)) bytes.push_back(*byte);
  }
  // "PRT;" carries no byte but leaves ";" as an item: only a line with bytes ends in one.
  const std::string written = prtLine(bytes, !bytes.empty());
  const auto again = prtLineRest(written);
  require(again.has_value());
  std::size_t k = 0;
  for (std::string_view item : splitPrtItems(*again)) {
    const auto byte = parsePrtItem(item);
    require(byte.has_value() && k < bytes.size() && *byte == bytes[k]);
    ++k;
  }
  require(k == bytes.size());
}

// Ferrant's rule on one line: a line of bytes reads back the same from the writer's line.
PrtLineBytes checkFerrantLine(std::string_view line) {
  const PrtLineBytes read = readPrtLine(line, ItemRule::Ferrant);
  if (read.kind == PrtLineBytes::Kind::Skipped) require(read.bytes.empty());
  if (read.kind != PrtLineBytes::Kind::Skipped) {
    const PrtLineBytes again = readPrtLine(prtLine(read.bytes, true), ItemRule::Ferrant);
    require(again.kind == PrtLineBytes::Kind::Bytes && again.bytes == read.bytes);
  }
  return read;
}

// The image download's rule on one line: what it sends of a line reads back the same from the writer's
// line, under both rules; a line it takes whole, Ferrant takes alike, unless its keyword runs on into the
// first item ("PRT01h", where Ferrant reads the keyword "PRT01h").
void checkDownloadLine(std::string_view line, const PrtLineBytes& ferrant) {
  const PrtLineBytes read = readPrtLine(line, ItemRule::Download);
  if (read.kind == PrtLineBytes::Kind::Skipped) require(read.bytes.empty());
  // A line of no bytes is written "PRT;", whose ";" the grammar takes as an item: nothing to compare.
  if (read.kind == PrtLineBytes::Kind::Bytes && !read.bytes.empty()) {
    const std::string written = prtLine(read.bytes, true);
    const PrtLineBytes again = readPrtLine(written, ItemRule::Download);
    require(again.kind == PrtLineBytes::Kind::Bytes && again.bytes == read.bytes);
    require(readPrtLine(written, ItemRule::Ferrant).bytes == read.bytes);
  }
  if (read.kind != PrtLineBytes::Kind::Bytes) return;
  const std::string_view rest = *prtLineRest(line);
  if (rest.empty() || kPrtDelimiters.find(rest.front()) != std::string_view::npos)
    require(ferrant.kind == PrtLineBytes::Kind::Bytes && ferrant.bytes == read.bytes);
}

// Takes every byte; the bytes written are kept for the check.
class RecordingPort : public loader::BytePort {
 public:
  loader::PortStatus open(const std::string&) override { return loader::PortStatus::Ok; }
  loader::PortStatus write(std::span<const std::uint8_t> bytes) override {
    written.insert(written.end(), bytes.begin(), bytes.end());
    return loader::PortStatus::Ok;
  }
  loader::PortStatus drain() override { return loader::PortStatus::Ok; }
  void close() override {}
  std::vector<std::uint8_t> written;
};

// The command file: one memory file for the whole run, refilled for each input.
int commandFile() {
  static const int fd = memfd_create("command", MFD_CLOEXEC);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Lines end at LF, as the sender reads them.
  std::vector<std::uint8_t> expected;
  bool stopped = false;
  for (std::size_t start = 0; start < text.size() && !stopped;) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    checkSharedGrammar(line);
    const PrtLineBytes read = checkFerrantLine(line);
    checkDownloadLine(line, read);
    expected.insert(expected.end(), read.bytes.begin(), read.bytes.end());
    stopped = read.kind == PrtLineBytes::Kind::DataError;
    start = end + 1;
  }

  const int fd = commandFile();
  require(fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
  RecordingPort port;
  const loader::SendResult sent =
      loader::writeFileToPort("/proc/self/fd/" + std::to_string(fd), "COM1", port);
  require(port.written == expected);
  require(sent.completed == !stopped);
  require(sent.message == (stopped ? loader::kFileDataError : loader::kJobCompleted));
  return 0;
}
