// .tvr bytes: code page and CR LF on write, any line end on read, atomic writes.
// Layer: tests (plain C++).
#include "editor/sourcefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "filebytes.h"
#include "platform/atomicfile.h"

namespace kelmore::editor {
namespace {

namespace fs = std::filesystem;

using filebytes::readBytes;
using filebytes::writeBytes;

class SourceFile : public testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("KELMORE_CODEPAGE");
    dir = fs::temp_directory_path() / ("kelmore-sourcefile-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    platform::test_seam::setWriteFunction(nullptr);
    fs::remove_all(dir);
  }
  fs::path dir;
};

TEST_F(SourceFile, writes_cp932_with_cr_lf_and_reads_it_back) {
  const std::string text = "Print \"\xe3\x82\xa2\xe3\x82\xa4\"\nx = 1\n";  // "アイ"
  const fs::path file = dir / "a.tvr";
  ASSERT_TRUE(writeSourceFile(file, text).ok);
  EXPECT_EQ(readBytes(file), "Print \"\x83\x41\x83\x43\"\r\nx = 1\r\n");
  const SourceRead back = readSourceFile(file);
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.text, text);
}

TEST_F(SourceFile, reads_cr_lf_lf_and_cr_line_ends) {
  struct Case {
    std::string_view bytes;
    std::string_view text;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\nb", "a\nb"},
      {"a\rb\r", "a\nb\n"},
      {"a\r\n\r\nb\n\rc", "a\n\nb\n\nc"},
  };
  for (const Case& c : cases) EXPECT_EQ(decodeSource(c.bytes), c.text) << c.bytes;
}

TEST_F(SourceFile, a_character_the_code_page_lacks_becomes_a_question_mark) {
  EXPECT_EQ(encodeSource("a\xe2\x82\xac"), "a?");  // "€"
}

TEST_F(SourceFile, missing_file_is_reported_with_its_path) {
  const SourceRead r = readSourceFile(dir / "none.tvr");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, (dir / "none.tvr").string() + ": No such file or directory");
}

TEST_F(SourceFile, a_fifo_or_a_device_is_refused_without_waiting) {
  const fs::path fifo = dir / "pipe.tvr";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const SourceRead r = readSourceFile(fifo);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, fifo.string() + ": not a regular file");
  const SourceRead zero = readSourceFile("/dev/zero");
  EXPECT_FALSE(zero.ok);
  EXPECT_EQ(zero.error, "/dev/zero: not a regular file");
}

TEST_F(SourceFile, failed_write_leaves_the_old_file) {
  const fs::path file = dir / "keep.tvr";
  writeBytes(file, "old\r\n");
  platform::test_seam::setWriteFunction([](int, const void*, unsigned long) -> long {
    errno = ENOSPC;
    return -1;
  });
  const SourceWrite w = writeSourceFile(file, "new\n");
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.error, file.string() + ": No space left on device");
  EXPECT_EQ(readBytes(file), "old\r\n");
}

TEST_F(SourceFile, bytes_the_code_page_cannot_read_are_replaced_not_fatal) {
  // A binary file, a lone lead byte at the very end, a NUL: the text stands, each bad byte one U+FFFD.
  const fs::path file = dir / "bin.tvr";
  writeBytes(file, std::string("a\0\xff\r\n\x83", 6));
  const SourceRead r = readSourceFile(file);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text, std::string("a\0\xef\xbf\xbd\n\xef\xbf\xbd", 9));
}

TEST_F(SourceFile, a_code_page_the_system_lacks_fails_the_read_and_the_write) {
  const fs::path file = dir / "a.tvr";
  writeBytes(file, "old\r\n");
  ::setenv("KELMORE_CODEPAGE", "NO-SUCH-PAGE", 1);
  const SourceRead r = readSourceFile(file);
  const SourceWrite w = writeSourceFile(file, "new\n");
  ::unsetenv("KELMORE_CODEPAGE");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, file.string() + ": unknown code page NO-SUCH-PAGE");
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.error, file.string() + ": unknown code page NO-SUCH-PAGE");
  EXPECT_EQ(readBytes(file), "old\r\n");
}

TEST(TvrName, extension_in_any_case) {
  EXPECT_TRUE(hasTvrExtension("/a/b.tvr"));
  EXPECT_TRUE(hasTvrExtension("B.TVR"));
  EXPECT_TRUE(hasTvrExtension(".Tvr"));
  EXPECT_FALSE(hasTvrExtension("b.txt"));
  EXPECT_FALSE(hasTvrExtension("tvr"));
  EXPECT_FALSE(hasTvrExtension("b.tvr "));
}

TEST(TmpFile, lives_in_the_data_folder) {
  const char* data = std::getenv("XDG_DATA_HOME");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(tmpSourcePath(), fs::path(data) / "kelmore" / "TMP.tvr");
}

}  // namespace
}  // namespace kelmore::editor
