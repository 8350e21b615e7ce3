// Listing the current folder for the loader's file list.
// Layer: loader (plain C++, no Qt).
#include "loader/folderlist.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/text.h"

namespace kelmore::loader {

namespace {

namespace fs = std::filesystem;

}  // namespace

std::vector<FolderEntry> listFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::error_code error;
  const fs::path path = fs::absolute(folder, error);
  if (!error && path.lexically_normal() != path.root_path()) {
    entries.push_back({FolderEntry::Kind::Parent, "..", "[..]"});
  }
  for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code kindError;
    if (it->is_directory(kindError)) {
      entries.push_back({FolderEntry::Kind::Folder, name, "[" + name + "]"});
    } else {
      entries.push_back({FolderEntry::Kind::File, name, name});
    }
  }
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    if (lessIgnoringCase(a.text, b.text)) return true;
    if (lessIgnoringCase(b.text, a.text)) return false;
    return a.text < b.text;
  });
  return entries;
}

}  // namespace kelmore::loader
