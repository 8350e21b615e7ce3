// The help file name and the source named on the command line.
// Layer: tests (plain C++).
#include "mainwindow/startup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;

TEST(HelpFile, in_the_folder_when_there_else_the_bare_name) {
  const fs::path folder = platform::dataDir() / "helpfolder";
  fs::create_directories(folder);
  EXPECT_EQ(helpFilePath(folder, "HELP.HLP"), "HELP.HLP");
  std::ofstream(folder / "HELP.HLP") << "x";
  EXPECT_EQ(helpFilePath(folder, "HELP.HLP"), (folder / "HELP.HLP").string());
  fs::remove_all(folder);
}

TEST(CommandLine, first_argument_with_tvr_in_any_case_made_absolute) {
  const fs::path here = fs::current_path();
  EXPECT_EQ(commandLineSource({"kelmore", "a.tvr"}), here / "a.tvr");
  EXPECT_EQ(commandLineSource({"kelmore", "dir with blank/B.TVR", "more"}), here / "dir with blank/B.TVR");
  EXPECT_EQ(commandLineSource({"kelmore", "/abs/c.Tvr"}), fs::path("/abs/c.Tvr"));
  EXPECT_EQ(commandLineSource({"kelmore", "notes.txt"}), std::nullopt);
  EXPECT_EQ(commandLineSource({"kelmore", "tvr"}), std::nullopt);
  EXPECT_EQ(commandLineSource({"kelmore"}), std::nullopt);
}

}  // namespace
}  // namespace kelmore::mainwindow
