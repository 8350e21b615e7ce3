// Help file and command-line source.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/startup.h"

#include <system_error>

#include "common/text.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {

std::string helpFilePath(const std::filesystem::path& folder, std::string_view name) {
  std::error_code ec;
  const std::filesystem::path candidate = folder / std::filesystem::path(name);
  if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
  return std::string(name);
}

std::optional<std::filesystem::path> commandLineSource(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2 || !endsWithIgnoringCase(arguments[1], ".tvr")) return std::nullopt;
  return platform::absolutePath(arguments[1]);
}

}  // namespace kelmore::mainwindow
