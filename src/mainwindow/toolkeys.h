// The main window's toolbar keys: each button's key, its tip and the command it runs.
// Layer: main window (plain C++, no Qt). Header-only data.
//
// A click is dispatched by the button's key, compared exactly (letter case included); a key that no row
// holds only beeps. Tips are string ids, localised with the rest of the window.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace kelmore::mainwindow {

enum class ToolCommand {
  New,
  Open,
  Save,
  Cut,
  Copy,
  Paste,
  Undo,
  Redo,
  Image,
  Search,
  Check,
  View,
  Compile,
  Rewrite,
  Start,
  AutoExec,
  Topics,
};

struct ToolKey {
  std::string_view key;
  int tipId;
  ToolCommand command;
};

// In the order the buttons stand on the bar.
inline constexpr std::array<ToolKey, 17> kToolKeys{{
    {"new", 2500, ToolCommand::New},
    {"open", 2501, ToolCommand::Open},
    {"save", 2502, ToolCommand::Save},
    {"cut", 2503, ToolCommand::Cut},
    {"copy", 2504, ToolCommand::Copy},
    {"paste", 2505, ToolCommand::Paste},
    {"undo", 2506, ToolCommand::Undo},
    {"redo", 2507, ToolCommand::Redo},
    {"Image", 2521, ToolCommand::Image},
    {"search", 2509, ToolCommand::Search},
    {"check", 2510, ToolCommand::Check},
    {"view", 2511, ToolCommand::View},
    {"compile", 2512, ToolCommand::Compile},
    {"rewrite", 2513, ToolCommand::Rewrite},
    {"start", 2514, ToolCommand::Start},
    {"autoExec", 2515, ToolCommand::AutoExec},
    {"topics", 2520, ToolCommand::Topics},
}};

// The command of `key`, compared exactly; nothing for a key no button carries.
constexpr std::optional<ToolCommand> toolCommand(std::string_view key) {
  for (const ToolKey& row : kToolKeys)
    if (row.key == key) return row.command;
  return std::nullopt;
}

}  // namespace kelmore::mainwindow
