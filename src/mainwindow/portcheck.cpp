// Port choice, module check texts and comm settings rules.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/portcheck.h"

#include <charconv>
#include <initializer_list>

#include "common/numbers.h"
#include "common/strings.h"

namespace kelmore::mainwindow {
namespace {

std::string joinStrings(std::initializer_list<int> ids) {
  std::string text;
  for (int id : ids) {
    if (!text.empty()) text += "\r\n";
    text += resString(id);
  }
  return text;
}

std::optional<long> wholeNumber(std::string_view text) {
  long value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

bool validSerialSettings(std::string_view text) {
  std::string_view fields[4];
  for (int i = 0; i < 4; ++i) {
    const auto comma = text.find(',');
    if ((i < 3) == (comma == std::string_view::npos)) return false;
    fields[i] = text.substr(0, comma);
    if (i < 3) text.remove_prefix(comma + 1);
  }
  const auto baud = wholeNumber(fields[0]);
  const auto data = wholeNumber(fields[2]);
  const auto stop = wholeNumber(fields[3]);
  const bool parity =
      fields[1].size() == 1 && std::string_view("nNoOeE").find(fields[1][0]) != std::string_view::npos;
  return baud && *baud > 0 && parity && data && *data >= 5 && *data <= 8 && stop &&
         (*stop == 1 || *stop == 2);
}

bool validAddress(std::string_view text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (c <= ' ' || c == '"' || c == 0x7F) return false;
  return true;
}

}  // namespace

int commPortNumber(std::string_view port) {
  if (port.size() <= 3) return 0;
  const double value = leadingNumber(port.substr(3));
  const auto n = nearestInRange(value, -32768, 32767);
  return n ? static_cast<int>(*n) : 0;
}

std::string moduleAddressValue(std::string_view modAdd) {
  if (modAdd.empty() || modAdd.size() > 2) return std::string(modAdd);
  int value = 0;
  for (char c : modAdd) {
    const int digit = hexDigitValue(c);
    if (digit < 0) return std::string(modAdd);
    value = value * 16 + digit;
  }
  return std::to_string(value);
}

long tcpPortNumber(std::string_view tcpPort) {
  return wholeNumber(tcpPort).value_or(0);
}

std::string commListToolTipText(const PortChoice& choice) {
  if (choice.port == kTcpItem) return choice.ipAddress + ":" + choice.tcpPort;
  return choice.commSetting;
}

void configureLink(ModuleProbe& device, const PortChoice& choice) {
  if (choice.port == kTcpItem)
    device.setTcpLink(choice.ipAddress, tcpPortNumber(choice.tcpPort));
  else
    device.setSerialLink(commPortNumber(choice.port), choice.commSetting);
  device.setModuleAdd(moduleAddressValue(choice.modAdd));
}

ModuleCheck probeModule(ModuleProbe& device, bool tcp) {
  const int r = device.ifCheck_silent();
  if (tcp && r == 1) return {CheckOutcome::LanUnreachable, {}};
  if (!tcp && r == 1) return {CheckOutcome::PortUnavailable, {}};
  if (!tcp && r == 2) return {CheckOutcome::NoCts, {}};
  std::string name = device.detectModuleName();
  if (name == kNoModuleName) return {CheckOutcome::NoAnswer, {}};
  return {CheckOutcome::Ok, std::move(name)};
}

std::string checkFailureTitle() {
  return std::string(resString(1069));
}

std::string checkFailureText(CheckOutcome outcome) {
  switch (outcome) {
    case CheckOutcome::LanUnreachable:
      return joinStrings({1056, 1057, 1058, 1059, 1060});
    case CheckOutcome::PortUnavailable:
      return joinStrings({1061, 1062});
    case CheckOutcome::NoCts:
      return joinStrings({1063});
    case CheckOutcome::NoAnswer:
      return joinStrings({1064, 1065, 1066, 1067, 1068});
    case CheckOutcome::Ok:
      break;
  }
  return {};
}

std::string portCheckTitle() {
  return std::string(resString(1055));
}

std::string portCheckText(std::string_view port, std::string_view advanced, std::string_view modAdd,
                          std::string_view moduleName) {
  std::string text(resString(1050));
  text += "\r\n";
  (text += resString(1051)) += port;
  text += "\r\n";
  (text += resString(1052)) += advanced;
  text += "\r\n";
  (text += resString(1053)) += modAdd;
  text += "\r\n";
  (text += resString(1054)) += moduleName;
  return text;
}

std::optional<std::string> commSettingsError(std::string_view commSetting, std::string_view ipAddress,
                                             std::string_view tcpPort) {
  if (!validSerialSettings(commSetting)) return std::string(kBadCommSetting);
  if (!validAddress(ipAddress)) return std::string(kBadIpAddress);
  const auto port = wholeNumber(tcpPort);
  if (!port || *port < 1 || *port > 65535) return std::string(kBadTcpPort);
  return std::nullopt;
}

}  // namespace kelmore::mainwindow
