// Port choice and module check without their window: the link values, the check's outcome and its
// message texts, the port box tool tip and the comm settings rules.
// Layer: main window (plain C++, no Qt).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelmore::mainwindow {

inline constexpr std::string_view kTcpItem = "TCP";
inline constexpr std::string_view kNoModuleName = "PX0X0";

// What the main window hands the device before a check: the port box, module-address box and settings.
struct PortChoice {
  std::string port;         // "COM1".."COM16", "TCP", or whatever the box shows
  std::string modAdd;       // "" or "00".."0F"
  std::string commSetting;  // "38400,n,8,1"
  std::string ipAddress;
  std::string tcpPort;
};

// "COM12" -> 12: the numeric value from the fourth character on; 0 when there is none.
int commPortNumber(std::string_view port);
// The module-address item as the device takes it: the hexadecimal item "0A" is address 10, given as the
// decimal text "10"; "" stays "" (raw byte stream). A text that is no hex number is passed on as it stands.
std::string moduleAddressValue(std::string_view modAdd);
// The TCP port text as a number; 0 when it isn't one.
long tcpPortNumber(std::string_view tcpPort);

// The port box tool tip: address:port for TCP, the serial settings otherwise.
std::string commListToolTipText(const PortChoice& choice);

// The link check of the device object: 0 answers, 1 no port / no address, 2 set-up failed or no CTS.
class ModuleProbe {
 public:
  virtual ~ModuleProbe() = default;
  virtual void setSerialLink(int port, const std::string& settings) = 0;
  virtual void setTcpLink(const std::string& address, long port) = 0;
  virtual void setModuleAdd(const std::string& address) = 0;
  virtual int ifCheck_silent() = 0;
  // Asks the module for its display size and returns the name built from it ("PX0X0": no answer).
  virtual std::string detectModuleName() = 0;
};

// Copies the choice into the device.
void configureLink(ModuleProbe& device, const PortChoice& choice);

enum class CheckOutcome { Ok, LanUnreachable, PortUnavailable, NoCts, NoAnswer };

struct ModuleCheck {
  CheckOutcome outcome = CheckOutcome::Ok;
  std::string moduleName;  // set when Ok
};

// The link check and then the name query, for the link configured by `configureLink`.
ModuleCheck probeModule(ModuleProbe& device, bool tcp);

// The title and text of the box for a failed check (title "Comm Error"); lines joined by CR LF.
std::string checkFailureTitle();
std::string checkFailureText(CheckOutcome outcome);

// Port Check's report of a good check.
std::string portCheckTitle();
std::string portCheckText(std::string_view port, std::string_view advanced, std::string_view modAdd,
                          std::string_view moduleName);

// The comm settings window's rules: nothing when all three texts are good, else the message. Settings are
// "baud,parity,data,stop" (parity n, o or e in either case, 5-8 data bits, 1 or 2 stop bits), the TCP port
// lies in 1..65535 and the address is a non-empty text without blanks, quotes or control characters.
std::optional<std::string> commSettingsError(std::string_view commSetting, std::string_view ipAddress,
                                             std::string_view tcpPort);
inline constexpr std::string_view kBadCommSetting = "Wrong Comm setting. (baud,parity,data,stop)";
inline constexpr std::string_view kBadIpAddress = "Wrong IP address.";
inline constexpr std::string_view kBadTcpPort = "Wrong TCP port. (1-65535)";

}  // namespace kelmore::mainwindow
