// Code-page conversion, file locations and atomic writes.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"

namespace kelmore::platform {
namespace {

namespace fs = std::filesystem;

TEST(CodePage, katakana_round_trips_through_cp932) {
  const std::string bytes = toCodePage("アイ");
  EXPECT_EQ(bytes, "\x83\x41\x83\x43");
  EXPECT_EQ(fromCodePage(bytes), "アイ");
  EXPECT_EQ(toCodePage("Print \"A\""), "Print \"A\"");
}

TEST(CodePage, a_missing_character_becomes_one_question_mark) {
  EXPECT_EQ(toCodePage("€"), "?");
  EXPECT_EQ(toCodePage("a€b€"), "a?b?");
  EXPECT_EQ(toCodePage("😀x"), "?x");  // four UTF-8 bytes, still one mark
}

TEST(CodePage, a_lone_lead_byte_does_not_stop_the_conversion) {
  EXPECT_EQ(fromCodePage("\x83"), "\xEF\xBF\xBD");
  EXPECT_EQ(fromCodePage("A\x83"), "A\xEF\xBF\xBD");
}

TEST(CodePage, environment_names_another_code_page) {
  ::setenv("KELMORE_CODEPAGE", "ISO-8859-1", 1);
  EXPECT_EQ(codePageName(), "ISO-8859-1");
  EXPECT_EQ(toCodePage("é"), "\xE9");
  EXPECT_EQ(toCodePage("ア"), "?");
  ::unsetenv("KELMORE_CODEPAGE");
  EXPECT_EQ(codePageName(), "CP932");
}

TEST(Paths, follow_the_xdg_variables) {
  const fs::path config = configDir();
  const fs::path data = dataDir();
  EXPECT_EQ(config, fs::path(std::getenv("XDG_CONFIG_HOME")) / "kelmore");
  EXPECT_EQ(data, fs::path(std::getenv("XDG_DATA_HOME")) / "kelmore");
  EXPECT_TRUE(fs::is_directory(config));
  EXPECT_TRUE(fs::is_directory(data));
  EXPECT_TRUE(absolutePath("a/../b.tvr").is_absolute());
  EXPECT_EQ(absolutePath("a/../b.tvr").filename(), "b.tvr");
}

// Where the assets are looked for, from an executable in <root>/bin: share/ beside it (the build tree), the
// data folder of the installation it sits in, else the configured installation's.
enum class AssetPlace { Beside, Installed, Configured };
struct AssetCase {
  const char* name;
  bool beside, installed;
  AssetPlace found;
};
constexpr AssetCase kAssetCases[] = {
    {"build_tree", true, false, AssetPlace::Beside},
    {"installation_under_any_prefix", false, true, AssetPlace::Installed},
    {"build_tree_first", true, true, AssetPlace::Beside},
    {"neither_gives_the_configured_installation", false, false, AssetPlace::Configured},
};
class Assets : public testing::TestWithParam<AssetCase> {};
TEST_P(Assets, are_found_beside_the_program_or_in_its_installation) {
  const fs::path root = dataDir() / "assets" / GetParam().name;
  fs::remove_all(root);
  const fs::path bin = root / "bin";
  const fs::path beside = bin / "share";
  const fs::path installed = (bin / KELMORE_DATA_DIR_FROM_BIN).lexically_normal();
  fs::create_directories(bin);
  if (GetParam().beside) fs::create_directories(beside);
  if (GetParam().installed) fs::create_directories(installed);
  const fs::path found = assetDirFor(bin);
  switch (GetParam().found) {
    case AssetPlace::Beside:
      EXPECT_EQ(found, beside);
      break;
    case AssetPlace::Installed:
      EXPECT_EQ(found, installed);
      break;
    case AssetPlace::Configured:
      EXPECT_EQ(found, fs::path(KELMORE_INSTALLED_DATA_DIR));
      break;
  }
}
INSTANTIATE_TEST_SUITE_P(paths, Assets, testing::ValuesIn(kAssetCases),
                         [](const auto& i) { return std::string(i.param.name); });

class AtomicWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = dataDir() / "atomic";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { test_seam::setWriteFunction(nullptr); }

  static std::string contents(const fs::path& path) {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(path, bytes));
    return bytes;
  }
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
};

TEST_F(AtomicWrite, replaces_the_whole_file) {
  const fs::path file = dir_ / "Config.dat";
  ASSERT_TRUE(writeFileAtomic(file, "old contents\r\n").ok);
  ASSERT_TRUE(writeFileAtomic(file, "new").ok);
  EXPECT_EQ(contents(file), "new");
  EXPECT_EQ(entries(), 1u);
}

// Writes half of what it is given, then reports the disk full.
long halfThenFull(int fd, const void* data, unsigned long size) {
  static bool wroteHalf = false;
  if (!wroteHalf) {
    wroteHalf = true;
    return ::write(fd, data, size / 2);
  }
  wroteHalf = false;
  errno = ENOSPC;
  return -1;
}

TEST_F(AtomicWrite, a_failure_part_way_leaves_the_old_file) {
  const fs::path file = dir_ / "source.tvr";
  ASSERT_TRUE(writeFileAtomic(file, "Sub Start()\r\nEnd Sub\r\n").ok);
  test_seam::setWriteFunction(halfThenFull);
  const WriteResult result = writeFileAtomic(file, std::string(4096, 'x'));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("No space left on device"), std::string::npos) << result.error;
  EXPECT_EQ(contents(file), "Sub Start()\r\nEnd Sub\r\n");
  EXPECT_EQ(entries(), 1u);  // the temporary file is gone
}

TEST_F(AtomicWrite, a_missing_folder_is_reported) {
  const WriteResult result = writeFileAtomic(dir_ / "no" / "such" / "file.dat", "x");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
}

}  // namespace
}  // namespace kelmore::platform
