// Atomic file writes.
// Layer: platform (plain C++, no Qt).
#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

namespace kelmore::platform {
namespace {

long realWrite(int fd, const void* data, unsigned long size) {
  return ::write(fd, data, size);
}

test_seam::WriteFunction writeFunction = realWrite;

std::string failure(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

}  // namespace

namespace test_seam {
void setWriteFunction(WriteFunction fn) {
  writeFunction = fn ? fn : realWrite;
}
}  // namespace test_seam

namespace {

// A write past the file-size limit must fail with EFBIG like any other write, not end the program with
// SIGXFSZ and lose everything unsaved.
void ignoreFileSizeSignal() {
  static const bool ignored = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)ignored;
}

// The file a path names after every symbolic link, so a save through a link changes the real file and keeps
// the link. A dangling link names the file it would create.
std::filesystem::path linkTarget(std::filesystem::path path) {
  constexpr int kMaxLinks = 40;  // as the kernel's own bound on a chain of links
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path next = std::filesystem::read_symlink(path, error);
    if (error) return path;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

long writeAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const long n = writeFunction(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

// A file with other hard links is rewritten where it is, so every name keeps seeing one file. The bytes go
// to `staged` first, so a full disk or a size limit shows before the file itself is touched; if the
// rewrite still fails, the text is kept there and the message names it.
WriteResult rewriteInPlace(const std::filesystem::path& target, const char* staged, std::string_view bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    ::unlink(staged);
    return {false, failure(target.string(), error)};
  }
  int error = static_cast<int>(writeAll(fd, bytes));
  if (error == 0 && (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0))
    error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) return {false, failure(target.string(), error) + "; the new text is kept in " + staged};
  ::unlink(staged);
  return {true, {}};
}

}  // namespace

WriteResult writeFileAtomic(const std::filesystem::path& requested, std::string_view bytes) {
  ignoreFileSizeSignal();
  const std::filesystem::path target = linkTarget(requested);
  // A device, a FIFO or a folder is never replaced by a file (a Config.dat linked to /dev/zero, say).
  if (struct stat found{}; ::stat(target.c_str(), &found) == 0 && !S_ISREG(found.st_mode))
    return {false, target.string() + ": not a regular file"};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  std::string hidden = ".";
  hidden += target.filename().string();
  hidden += ".XXXXXX";
  std::string pattern = (folder / hidden).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {false, failure(target.string(), errno)};

  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  mode_t mode = 0666;
  if (exists) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }

  auto abandon = [&](int error) {
    ::close(fd);
    ::unlink(name.data());
    return WriteResult{false, failure(target.string(), error)};
  };

  if (const long error = writeAll(fd, bytes); error != 0) return abandon(static_cast<int>(error));
  if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(name.data());
    return {false, failure(target.string(), error)};
  }
  if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1) return rewriteInPlace(target, name.data(), bytes);
  if (::rename(name.data(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(name.data());
    return {false, failure(target.string(), error)};
  }
  return {true, {}};
}

}  // namespace kelmore::platform
