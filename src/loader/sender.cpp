// Sending a command file's PRT bytes to a port.
// Layer: loader (plain C++, no Qt).
#include "loader/sender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kelmore::loader {

namespace {

// A command file read line by line, whatever the length of a line. Only a regular file is taken: a FIFO or
// a device in the list would otherwise hold the open or the read for ever.
class LineFile {
 public:
  explicit LineFile(const std::string& fileName) {
    do {
      fd_ = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~LineFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  bool readFailed() const { return readFailed_; }

  // The next line without its LF; false at the end of the file or on a read error (readFailed() tells).
  bool nextLine(std::string& line) {
    line.clear();
    for (;;) {
      if (pos_ == end_) {
        if (atEnd_) return !line.empty();
        const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          readFailed_ = n < 0;
          atEnd_ = true;
          continue;
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(n);
      }
      const char* start = buffer_ + pos_;
      const char* stop = static_cast<const char*>(::memchr(start, '\n', end_ - pos_));
      if (stop != nullptr) {
        line.append(start, static_cast<std::size_t>(stop - start));
        pos_ += static_cast<std::size_t>(stop - start) + 1;
        return true;
      }
      line.append(start, end_ - pos_);
      pos_ = end_;
    }
  }

 private:
  int fd_ = -1;
  char buffer_[16384];
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  bool readFailed_ = false;
};

SendResult failed(std::string_view message) {
  return SendResult{false, message};
}

}  // namespace

SendResult writeFileToPort(const std::string& fileName, const std::string& portName, BytePort& port,
                           const std::function<void()>& afterLine) {
  LineFile file(fileName);
  if (!file.isOpen()) return failed(kFailOpenFile);

  switch (port.open(portName)) {
    case PortStatus::Ok:
      break;
    case PortStatus::SetupRefused:
      port.close();
      return failed(kFailSetPort);
    default:
      port.close();
      return failed(kFailOpenPort);
  }

  // Unless a write already failed, the bytes written are let out (bounded) before the port closes; a job
  // completes only when they have left. An earlier failure keeps its own message.
  auto finish = [&](std::string_view message) {
    const bool drained = port.drain() == PortStatus::Ok;
    port.close();
    if (message != kJobCompleted) return failed(message);
    return drained ? SendResult{true, kJobCompleted} : failed(kFailWritePort);
  };

  std::string line;
  while (file.nextLine(line)) {
    const PrtLineBytes parsed = readPrtLine(line, ItemRule::Ferrant);
    if (!parsed.bytes.empty() && port.write(parsed.bytes) != PortStatus::Ok) {
      port.close();
      return failed(kFailWritePort);
    }
    if (parsed.kind == PrtLineBytes::Kind::DataError) return finish(kFileDataError);
    if (afterLine) afterLine();
  }
  return finish(file.readFailed() ? kFailReadFile : kJobCompleted);
}

}  // namespace kelmore::loader
