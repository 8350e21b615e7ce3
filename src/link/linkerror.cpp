// Device error texts.
// Layer: link (plain C++, no Qt).
#include "link/linkerror.h"

namespace kelmore::link {

const char* deviceErrorText(DeviceError::Kind kind) {
  switch (kind) {
    case DeviceError::Kind::Overflow:
      return "Overflow";
    case DeviceError::Kind::Index:
      return "Subscript out of range";
    case DeviceError::Kind::Conversion:
      return "Type mismatch";
    case DeviceError::Kind::Argument:
      return "Invalid procedure call or argument";
    case DeviceError::Kind::FileNotFound:
      return "File not found";
    case DeviceError::Kind::FileAccess:
      return "Path/File access error";
  }
  return "";
}

DeviceError::DeviceError(Kind kind) : std::runtime_error(deviceErrorText(kind)), kind_(kind) {}

}  // namespace kelmore::link
