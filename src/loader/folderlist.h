// The entries of the current folder as the loader lists them: folders as "[name]", the parent as "[..]",
// files by their names, sorted as the list shows them.
// Layer: loader (plain C++, no Qt).
//
// What an entry is comes from the file system, not from its text: a file named "[notes]" is a file. Linux
// has no drives, so there is no drive entry; "/" has no parent entry.
#pragma once

#include <string>
#include <vector>

namespace kelmore::loader {

struct FolderEntry {
  enum class Kind { Parent, Folder, File };
  Kind kind = Kind::File;
  std::string name;  // the name in the folder ("..", "sub", "a.dat")
  std::string text;  // what the list shows ("[..]", "[sub]", "a.dat")
};

// The entries of `folder`: every kind of file (hidden ones too), sub-folders (a link to a folder counts as
// one), and the parent unless `folder` is the root. Sorted by text without regard to case, ties by text.
// An unreadable folder gives the parent entry alone.
std::vector<FolderEntry> listFolder(const std::string& folder);

}  // namespace kelmore::loader
