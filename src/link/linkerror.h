// Errors of the display module link: argument errors thrown to the caller, and the kept state of a link.
// Layer: link (plain C++, no Qt).
//
// DeviceError is thrown by a device command before any byte of that command is sent: a number that does
// not fit its field (Overflow), a data array shorter than the bytes to copy (Index), a text that does not
// convert to the property's type (Conversion), an argument the command cannot take (Argument). The one
// reader that passes its failures on (readBmpFileXYfit) also throws for a file it cannot open or read
// (FileNotFound, FileAccess). The texts are the short runtime-error words of the system ("Overflow", ...).
//
// LinkError is what the link kept of the last failed transfer step since the link was last opened; link
// failures never throw. A read that timed out is not a link error: it is reported by the read's result.
#pragma once

#include <stdexcept>
#include <string>

namespace kelmore::link {

class DeviceError : public std::runtime_error {
 public:
  enum class Kind { Overflow, Index, Conversion, Argument, FileNotFound, FileAccess };
  explicit DeviceError(Kind kind);
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

enum class LinkError {
  None,
  OpenFailed,  // the open failed (its message box, if any, has been shown)
  NotOpen,     // a transfer was asked of a link that is not open
  Stalled,     // a write made no progress, or CTS stayed off, for the stall limit
  HungUp,      // the other side went away
  Io,          // any other failure of the port or socket
};

// "Overflow", "Subscript out of range", "Type mismatch", "Invalid procedure call or argument",
// "File not found", "Path/File access error".
const char* deviceErrorText(DeviceError::Kind kind);

}  // namespace kelmore::link
