// Bounded reads of regular files.
// Layer: platform (plain C++, no Qt).
#include "platform/fileread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace kelmore::platform {
namespace {

FileRead failed(const std::filesystem::path& path, ReadError error, const char* reason) {
  return {{}, error, path.string() + ": " + reason};
}

// The whole file within `maxBytes`, or (`headOnly`) its first `maxBytes` bytes.
FileRead readRegular(const std::filesystem::path& path, std::size_t maxBytes, bool headOnly) {
  // Not blocking on open: a FIFO would otherwise wait for a writer before the check below could run.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return failed(path, errno == ENOENT || errno == ENOTDIR ? ReadError::Missing : ReadError::Io,
                  std::strerror(errno));

  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    // A device, a FIFO or a folder has no end to read up to, or nothing to read.
    ::close(fd);
    return failed(path, ReadError::NotRegular, "not a regular file");
  }
  if (!headOnly && static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    ::close(fd);
    return failed(path, ReadError::TooLarge, std::strerror(EFBIG));
  }

  FileRead result;
  result.bytes.reserve(std::min<std::uintmax_t>(static_cast<std::uintmax_t>(info.st_size), maxBytes));
  char buffer[65536];
  for (;;) {
    const std::size_t wanted =
        headOnly ? std::min(sizeof buffer, maxBytes - result.bytes.size()) : sizeof buffer;
    if (wanted == 0) break;
    const ssize_t n = ::read(fd, buffer, wanted);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return failed(path, ReadError::Io, std::strerror(error));
    }
    if (n == 0) break;
    // The file may grow while we read it; the bound holds all the same.
    if (result.bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
      ::close(fd);
      return failed(path, ReadError::TooLarge, std::strerror(EFBIG));
    }
    result.bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return result;
}

}  // namespace

FileRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
  return readRegular(path, maxBytes, false);
}

FileRead readRegularFileHead(const std::filesystem::path& path, std::size_t maxBytes) {
  return readRegular(path, maxBytes, true);
}

}  // namespace kelmore::platform
