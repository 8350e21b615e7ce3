// The language reference of share/help as the tests read it: a page's text, and an HTML text with its
// entities undone.
// Layer: tests (plain C++).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "mainwindow/helpsystem.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::testkit {

// The help folder beside the program, as the window finds it.
inline std::filesystem::path helpFolder() {
  return platform::assetDir() / mainwindow::kHelpFolderName;
}

// A page of the folder by its name, or any file by its full path.
inline std::string readHelpPage(const std::filesystem::path& page) {
  const platform::FileRead file = platform::readRegularFile(helpFolder() / page, 1 << 20);
  EXPECT_TRUE(file.ok()) << page << ": " << file.message;
  return file.bytes;
}

inline std::string unescapeHtml(std::string text) {
  static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [entity, character] : kEntities)
    for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
      text.replace(at, entity.size(), character);
  return text;
}

}  // namespace kelmore::testkit
