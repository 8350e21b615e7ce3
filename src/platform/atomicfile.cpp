// Atomic file writes.
// Layer: platform (plain C++, no Qt).
#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
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

WriteResult writeFileAtomic(const std::filesystem::path& target, std::string_view bytes) {
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
  mode_t mode = 0666;
  if (::stat(target.c_str(), &old) == 0) {
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

  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const long n = writeFunction(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return abandon(n < 0 ? errno : EIO);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(name.data());
    return {false, failure(target.string(), error)};
  }
  if (::rename(name.data(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(name.data());
    return {false, failure(target.string(), error)};
  }
  return {true, {}};
}

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool readFileHead(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(maxBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
  if (in.bad()) return false;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

}  // namespace kelmore::platform
