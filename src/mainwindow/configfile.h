// Config.dat: the ten-line tagged configuration file, read at start-up and written at exit.
// Layer: main window (plain C++, no Qt).
//
// Every line is one value in double quotes followed by CR LF. Reading accepts the four layouts
// "kelmor10", "kelmor20", "kelmor21" and "kelmor22"; writing always produces "kelmor22". Reading yields only
// the values a layout carries: a value left empty in ConfigValues is one the caller keeps as it stands.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/models.h"
#include "platform/atomicfile.h"

namespace kelmore::mainwindow {

inline constexpr std::string_view kConfigFileName = "Config.dat";
inline constexpr std::string_view kConfigTag = "kelmor22";
// Far above the ten short lines of any layout; a larger file is no Config.dat of ours.
inline constexpr std::size_t kMaxConfigBytes = 64 * 1024;

inline constexpr std::string_view kDefaultPort = "COM0";        // a file of an unknown layout
inline constexpr std::string_view kDefaultPortNoFile = "COM1";  // no file, or one that can't be read
inline constexpr std::string_view kDefaultCommSetting = "38400,n,8,1";
inline constexpr std::string_view kDefaultIpAddress = "192.168.1.100";
inline constexpr std::string_view kDefaultTcpPort = "10000";
inline constexpr std::string_view kDefaultTarget = "FROM Macro1";
inline constexpr std::string_view kDefaultModel = "PX-*";
static_assert(modelInfo(kDefaultModel).listed && !modelInfo(kDefaultModel).name.empty(),
              "the default model is one of the list");

// The values of the main window that Config.dat carries. `modAdd` empty selects the box's empty item.
struct ConfigValues {
  std::optional<std::string> port;         // commList text
  std::optional<std::string> modAdd;       // modAddList text
  std::optional<std::string> commSetting;  // commSettingText
  std::optional<std::string> ipAddress;    // ipAddressText
  std::optional<std::string> tcpPort;      // tcpPortText
  std::optional<std::string> target;       // targetList text
  std::optional<std::string> model;        // cmbSeries text
  friend bool operator==(const ConfigValues&, const ConfigValues&) = default;
};

// Every value at its default, with the given port text.
ConfigValues configDefaults(std::string_view port);

// The values to apply for a file's content; nothing (no file) gives the defaults with port "COM1", and so
// does a file that ends before its layout does.
ConfigValues parseConfig(const std::optional<std::string>& content);

// The "kelmor22" file for these values (every field present; a missing one is written empty). A double
// quote, CR or LF inside a value is dropped, so a value can never break the line layout.
std::string formatConfig(const ConfigValues& values);

// Config.dat in the config folder: the values to apply at start-up (those of a file that can't be read when
// there is none). A file there that is no regular file (a FIFO, a device) or too large reads as absent,
// and `problem` says so for the user; it is empty otherwise.
ConfigValues loadConfigFile(std::string& problem);
// Writes Config.dat for these values; a failed write leaves the old file and says why.
platform::WriteResult saveConfigFile(const ConfigValues& values);

}  // namespace kelmore::mainwindow
