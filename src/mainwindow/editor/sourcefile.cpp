// .tvr source files.
// Layer: main window editor (plain C++, no Qt).
#include "mainwindow/editor/sourcefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "common/text.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"

namespace kelmore::editor {

std::string encodeSource(std::string_view text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return platform::toCodePage(crlf);
}

std::string decodeSource(std::string_view bytes) {
  const std::string utf8 = platform::fromCodePage(bytes);
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r') {
      text += utf8[i];
      continue;
    }
    text += '\n';
    if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
  }
  return text;
}

SourceRead readSourceFile(const std::filesystem::path& path) {
  SourceRead result;
  // Not blocking on open: a FIFO named like a source would otherwise hang the window before the check.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result.error = path.string() + ": " + std::strerror(errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    // A device or a FIFO has no end to read up to.
    ::close(fd);
    result.error = path.string() + ": not a regular file";
    return result;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.error = path.string() + ": " + std::strerror(errno);
      ::close(fd);
      return result;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  try {
    result.text = decodeSource(bytes);
  } catch (const std::exception& e) {
    // A code page the system cannot convert (a bad $KELMORE_CODEPAGE) is a failed read, no crash.
    result.error = path.string() + ": " + e.what();
    return result;
  }
  result.ok = true;
  return result;
}

SourceWrite writeSourceFile(const std::filesystem::path& path, std::string_view text) {
  std::string bytes;
  try {
    bytes = encodeSource(text);
  } catch (const std::exception& e) {
    return {false, path.string() + ": " + e.what()};
  }
  const platform::WriteResult written = platform::writeFileAtomic(path, bytes);
  return {written.ok, written.error};
}

std::filesystem::path tmpSourcePath() {
  return platform::dataDir() / "TMP.tvr";
}

bool hasTvrExtension(std::string_view name) {
  return endsWithIgnoringCase(name, ".tvr");
}

}  // namespace kelmore::editor
