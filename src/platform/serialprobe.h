// Probe of a legacy UART port: whether a serial8250 slot has real hardware behind it.
// Layer: platform (plain C++, no Qt); internal to the COM-name mapping.
#pragma once

#include <string>

namespace kelmore::platform {

// True when the device opens and the kernel knows a UART type for it. A slot the 8250 driver reserves
// without hardware reports an unknown type. A device held by another program counts as present, one that
// cannot be opened for any other reason as absent.
bool uartPresent(const std::string& devicePath);

}  // namespace kelmore::platform
