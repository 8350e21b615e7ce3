// Reading a whole file that anyone may have put in our way: never blocks on a FIFO, takes only a regular
// file, and never more than a bound the caller names.
// Layer: platform (plain C++, no Qt).
//
// A failure says what it was (for the caller's choice of "absent" or a message) and carries a text for the
// user: the path, a colon and the reason.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace kelmore::platform {

enum class ReadError { None, Missing, NotRegular, TooLarge, Io };

struct FileRead {
  std::string bytes;  // the whole file, when ok()
  ReadError error = ReadError::None;
  std::string message;  // empty when ok()
  bool ok() const { return error == ReadError::None; }
};

FileRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// The first `maxBytes` bytes of a regular file (all of a shorter one), with the same guards: for a reader
// that looks at a header before it decides to read more.
FileRead readRegularFileHead(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace kelmore::platform
