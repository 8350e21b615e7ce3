// Code-page conversion, file locations and atomic writes.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/fileread.h"
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

TEST(CodePage, the_encoder_tells_where_characters_were_lost) {
  const Encoded encoded = encodeToCodePage("a€bアc😀");
  EXPECT_EQ(encoded.bytes,
            "a?b\x83\x41"
            "c?");
  EXPECT_EQ(encoded.lost, (std::vector<std::size_t>{1, 9}));  // UTF-8 offsets of "€" and "😀"
  EXPECT_TRUE(encodeToCodePage("Print \"アイ\"").lost.empty());
}

TEST(CodePage, exact_conversion_refuses_what_the_code_page_lacks) {
  EXPECT_EQ(toCodePageExact("A表ｱ"), std::optional<std::string>("A\x95\x5C\xB1"));
  EXPECT_EQ(toCodePageExact(""), std::optional<std::string>(""));
  EXPECT_EQ(toCodePageExact("a€b"), std::nullopt);
  EXPECT_EQ(toCodePageExact("a\xE3\x82"), std::nullopt);  // a character cut short
  ::setenv("KELMORE_CODEPAGE", "ISO-8859-1", 1);
  EXPECT_EQ(toCodePageExact("é"), std::optional<std::string>("\xE9"));
  EXPECT_EQ(toCodePageExact("ア"), std::nullopt);
  ::unsetenv("KELMORE_CODEPAGE");
  EXPECT_EQ(toCodePageExact("ア"), std::optional<std::string>("\x83\x41"));
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
    const FileRead file = readRegularFile(path, 1 << 20);
    EXPECT_TRUE(file.ok()) << file.message;
    return file.bytes;
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

TEST_F(AtomicWrite, a_head_read_stops_at_its_limit) {
  const fs::path file = dir_ / "image.bmp";
  ASSERT_TRUE(writeFileAtomic(file, std::string("BM") + std::string(70000, 'x')).ok);
  EXPECT_EQ(readRegularFileHead(file, 3).bytes, "BMx");
  EXPECT_EQ(readRegularFileHead(file, 70002).bytes.size(), 70002u);
  EXPECT_EQ(readRegularFileHead(file, 100000).bytes.size(), 70002u);
  EXPECT_EQ(readRegularFileHead(dir_ / "missing.bmp", 3).error, ReadError::Missing);
  EXPECT_EQ(readRegularFileHead(dir_, 3).error, ReadError::NotRegular);
}

TEST_F(AtomicWrite, a_missing_folder_is_reported) {
  const WriteResult result = writeFileAtomic(dir_ / "no" / "such" / "file.dat", "x");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
}

TEST_F(AtomicWrite, a_symbolic_link_stays_and_its_file_changes) {
  fs::create_directories(dir_ / "real");
  const fs::path real = dir_ / "real" / "source.tvr";
  ASSERT_TRUE(writeFileAtomic(real, "old").ok);
  const fs::path relative = dir_ / "relative.tvr";
  const fs::path chained = dir_ / "chained.tvr";
  fs::create_symlink("real/source.tvr", relative);
  fs::create_symlink(relative, chained);

  ASSERT_TRUE(writeFileAtomic(chained, "new").ok);
  EXPECT_TRUE(fs::is_symlink(chained));
  EXPECT_TRUE(fs::is_symlink(relative));
  EXPECT_EQ(contents(real), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), {}), 1);  // no temporary file left

  const fs::path dangling = dir_ / "dangling.tvr";
  fs::create_symlink("real/created.tvr", dangling);
  ASSERT_TRUE(writeFileAtomic(dangling, "made").ok);
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(contents(dir_ / "real" / "created.tvr"), "made");
}

TEST_F(AtomicWrite, a_file_with_hard_links_is_written_in_place) {
  const fs::path first = dir_ / "a.tvr";
  const fs::path second = dir_ / "b.tvr";
  ASSERT_TRUE(writeFileAtomic(first, "old contents, longer than the new").ok);
  fs::create_hard_link(first, second);

  ASSERT_TRUE(writeFileAtomic(second, "new").ok);
  EXPECT_EQ(contents(first), "new");
  EXPECT_EQ(contents(second), "new");
  EXPECT_EQ(fs::hard_link_count(first), 2u);
  EXPECT_EQ(entries(), 2u);
}

TEST_F(AtomicWrite, a_file_size_limit_fails_the_write_and_keeps_the_old_file) {
  const fs::path file = dir_ / "big.tvr";
  ASSERT_TRUE(writeFileAtomic(file, "old").ok);
  // In a child, so the limit binds nothing else; without the guard SIGXFSZ would end it.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{2048, 2048};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const WriteResult result = writeFileAtomic(file, std::string(3584, 'x'));
    const bool reported = !result.ok && result.error.find(std::strerror(EFBIG)) != std::string::npos;
    ::_exit(reported ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(contents(file), "old");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicWrite, never_replaces_what_is_no_regular_file) {
  const fs::path fifo = dir_ / "fifo.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/null", dir_ / "null.dat");
  for (const fs::path& path : {fifo, dir_ / "null.dat"}) {
    const WriteResult result = writeFileAtomic(path, "x");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find(": not a regular file"), std::string::npos) << result.error;
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(entries(), 2u);
}

class RegularRead : public AtomicWrite {};

TEST_F(RegularRead, takes_a_regular_file_whole) {
  const fs::path file = dir_ / "Config.dat";
  ASSERT_TRUE(writeFileAtomic(file, std::string(70000, 'c')).ok);
  const FileRead read = readRegularFile(file, 70000);
  ASSERT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(read.bytes.size(), 70000u);
}

TEST_F(RegularRead, refuses_what_is_no_regular_file_without_blocking) {
  const fs::path fifo = dir_ / "fifo.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path tooLarge = dir_ / "large.dat";
  ASSERT_TRUE(writeFileAtomic(tooLarge, std::string(101, 'x')).ok);
  fs::create_symlink("/dev/zero", dir_ / "zero.dat");

  struct Case {
    fs::path path;
    ReadError error;
    std::string reason;
  };
  const Case cases[] = {
      {fifo, ReadError::NotRegular, "not a regular file"},
      {dir_ / "zero.dat", ReadError::NotRegular, "not a regular file"},
      {dir_, ReadError::NotRegular, "not a regular file"},
      {tooLarge, ReadError::TooLarge, std::strerror(EFBIG)},
      {dir_ / "absent.dat", ReadError::Missing, std::strerror(ENOENT)},
  };
  for (const Case& c : cases) {
    const FileRead read = readRegularFile(c.path, 100);
    EXPECT_EQ(read.error, c.error) << c.path;
    EXPECT_EQ(read.message, c.path.string() + ": " + c.reason);
    EXPECT_TRUE(read.bytes.empty());
  }
}

}  // namespace
}  // namespace kelmore::platform
