// Config.dat reading and writing.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/configfile.h"

#include <cstddef>
#include <vector>

#include "common/text.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

constexpr std::string_view kTabsAndBlanks = " \t";

// The value of a line: the text between its opening double quote and the next one; a line that doesn't
// open with a quote stands for itself, without surrounding blanks.
std::string fieldOf(std::string_view line) {
  line = trimLeft(line, kTabsAndBlanks);
  if (line.empty()) return {};
  if (line.front() == '"') {
    line.remove_prefix(1);
    return std::string(line.substr(0, line.find('"')));
  }
  return std::string(trimRight(line, kTabsAndBlanks));
}

// Which value each line after the tag holds, per layout; Label lines are read and ignored.
enum class Field { Label, Port, ModAdd, Setting, Ip, TcpPort, Target, Model };

struct Layout {
  std::string_view tag;
  std::vector<Field> fields;
};

const std::vector<Layout>& layouts() {
  using F = Field;
  static const std::vector<Layout> table{
      {"kelmor10", {F::Label, F::Port, F::Label, F::Target}},
      {"kelmor20", {F::Label, F::Port, F::Setting, F::Label, F::Target}},
      {"kelmor21", {F::Label, F::Port, F::ModAdd, F::Setting, F::Ip, F::TcpPort, F::Label, F::Target}},
      {"kelmor22",
       {F::Label, F::Port, F::ModAdd, F::Setting, F::Ip, F::TcpPort, F::Label, F::Target, F::Model}},
  };
  return table;
}

std::optional<std::string>& slot(ConfigValues& values, Field field) {
  switch (field) {
    case Field::Port:
      return values.port;
    case Field::ModAdd:
      return values.modAdd;
    case Field::Setting:
      return values.commSetting;
    case Field::Ip:
      return values.ipAddress;
    case Field::TcpPort:
      return values.tcpPort;
    case Field::Target:
      return values.target;
    case Field::Model:
      break;
    case Field::Label:
      break;
  }
  return values.model;
}

std::string clean(const std::optional<std::string>& value) {
  std::string out;
  if (!value) return out;
  for (char c : *value)
    if (c != '"' && c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

ConfigValues configDefaults(std::string_view port) {
  return ConfigValues{std::string(port),
                      std::string(),
                      std::string(kDefaultCommSetting),
                      std::string(kDefaultIpAddress),
                      std::string(kDefaultTcpPort),
                      std::string(kDefaultTarget),
                      std::string(kDefaultModel)};
}

ConfigValues parseConfig(const std::optional<std::string>& content) {
  if (!content) return configDefaults(kDefaultPortNoFile);
  auto lines = splitLines(*content);
  // A final line end closes the last line rather than opening an empty one.
  if (lines.back().empty()) lines.pop_back();
  if (lines.empty()) return configDefaults(kDefaultPortNoFile);
  const std::string tag = fieldOf(lines[0]);

  const Layout* layout = nullptr;
  for (const auto& candidate : layouts())
    if (candidate.tag == tag) layout = &candidate;
  if (!layout) return configDefaults(kDefaultPort);
  if (lines.size() < layout->fields.size() + 1) return configDefaults(kDefaultPortNoFile);

  ConfigValues values;
  for (std::size_t i = 0; i < layout->fields.size(); ++i) {
    const Field field = layout->fields[i];
    if (field != Field::Label) slot(values, field) = fieldOf(lines[i + 1]);
  }
  if (tag == "kelmor10") values.commSetting = std::string(kDefaultCommSetting);
  if (tag == kConfigTag) {
    ConfigValues defaults = configDefaults(kDefaultPort);
    for (Field field :
         {Field::Port, Field::ModAdd, Field::Setting, Field::Ip, Field::TcpPort, Field::Target, Field::Model})
      if (slot(values, field)->empty()) slot(values, field) = slot(defaults, field);
  }
  return values;
}

std::string formatConfig(const ConfigValues& values) {
  std::string out;
  const auto line = [&out](std::string_view text) {
    out += '"';
    out += text;
    out += "\"\r\n";
  };
  line(kConfigTag);
  line("*** Interface ***");
  line(clean(values.port));
  line(clean(values.modAdd));
  line(clean(values.commSetting));
  line(clean(values.ipAddress));
  line(clean(values.tcpPort));
  line("*** module ***");
  line(clean(values.target));
  line(clean(values.model));
  return out;
}

ConfigValues loadConfigFile(std::string& problem) {
  const platform::FileRead read =
      platform::readRegularFile(platform::configDir() / kConfigFileName, kMaxConfigBytes);
  problem = read.ok() || read.error == platform::ReadError::Missing ? std::string() : read.message;
  return parseConfig(read.ok() ? std::optional<std::string>(read.bytes) : std::nullopt);
}

platform::WriteResult saveConfigFile(const ConfigValues& values) {
  return platform::writeFileAtomic(platform::configDir() / kConfigFileName, formatConfig(values));
}

}  // namespace kelmore::mainwindow
