// Start-up rules of the main window that need no window: the help file and the file on the command line.
// Layer: main window (plain C++, no Qt).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmore::mainwindow {

// `name` in `folder` when such a file exists there, else the bare name (for the help system to resolve).
std::string helpFilePath(const std::filesystem::path& folder, std::string_view name);

// The source to open at start-up: the first argument after the program, made absolute, when its last four
// characters are ".tvr" in any letter case; nothing otherwise.
std::optional<std::filesystem::path> commandLineSource(const std::vector<std::string>& arguments);

}  // namespace kelmore::mainwindow
