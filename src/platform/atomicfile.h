// Atomic file writes: a temporary file in the target's folder, renamed over the target once complete.
// Layer: platform (plain C++, no Qt).
//
// A failed write leaves the old file exactly as it was and removes the temporary file; the result says
// what failed, for the caller to report. Nothing counts as saved unless `ok` is true. A symbolic link is
// followed: the file it points to is replaced and the link stays. A file with other hard links is
// rewritten in place, after the new bytes were written out once beside it, so no name is split off. What is
// not a regular file (a device, a FIFO, a folder) is never replaced.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelmore::platform {

struct WriteResult {
  bool ok = false;
  std::string error;  // empty when ok
};

WriteResult writeFileAtomic(const std::filesystem::path& target, std::string_view bytes);

namespace test_seam {
// Test seam: the write(2) the atomic writer calls. nullptr restores the real one.
using WriteFunction = long (*)(int fd, const void* data, unsigned long size);
void setWriteFunction(WriteFunction fn);
}  // namespace test_seam

}  // namespace kelmore::platform
