// The loader's folder listing: what is a folder, the parent entry, and the order of the list.
// Layer: tests (plain C++).
#include "loader/folderlist.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kelmore::loader {
namespace {

namespace fs = std::filesystem;
using Kind = FolderEntry::Kind;

class Folder : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("kelmore-folderlist-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }
  void file(const std::string& name) { std::ofstream(root / name) << "PRT 01h\n"; }

  fs::path root;
};

TEST_F(Folder, entries_are_told_apart_by_what_they_are_and_sorted_without_case) {
  fs::create_directory(root / "sub");
  fs::create_directory(root / "Zeta");
  file("[data].dat");
  file("b.txt");
  file("A.dat");
  file(".hidden");
  fs::create_directory_symlink(root / "sub", root / "linked");
  fs::create_symlink(root / "gone", root / "dangling");

  std::vector<std::string> texts;
  std::vector<Kind> kinds;
  for (const FolderEntry& entry : listFolder(root.string())) {
    texts.push_back(entry.text);
    kinds.push_back(entry.kind);
  }
  const std::vector<std::string> wantTexts = {".hidden", "[..]",  "[data].dat", "[linked]", "[sub]",
                                              "[Zeta]",  "A.dat", "b.txt",      "dangling"};
  const std::vector<Kind> wantKinds = {Kind::File,   Kind::Parent, Kind::File, Kind::Folder, Kind::Folder,
                                       Kind::Folder, Kind::File,   Kind::File, Kind::File};
  EXPECT_EQ(texts, wantTexts);
  EXPECT_EQ(kinds, wantKinds);
}

TEST_F(Folder, names_are_kept_beside_the_texts) {
  fs::create_directory(root / "sub");
  const std::vector<FolderEntry> entries = listFolder(root.string());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "..");
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_EQ(entries[1].text, "[sub]");
}

TEST(FolderRoot, has_no_parent_entry) {
  for (const FolderEntry& entry : listFolder("/")) EXPECT_NE(entry.kind, Kind::Parent) << entry.text;
  for (const FolderEntry& entry : listFolder("/.")) EXPECT_NE(entry.kind, Kind::Parent) << entry.text;
}

TEST(FolderMissing, gives_the_parent_entry_alone) {
  const std::vector<FolderEntry> entries = listFolder("/kelmore-no-such-folder");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, "[..]");
}

}  // namespace
}  // namespace kelmore::loader
