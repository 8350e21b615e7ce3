// Image list files: the written layout, the round trip, malformed files, "with BMP" and imgpath.tmp.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include "imagetool/cblfile.h"
#include "imagetool/imagefile.h"
#include "listfixture.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::imagetool {
namespace {

using testkit::BitmapFolder;
using testkit::record;
namespace fs = std::filesystem;

ImageRecord bitmapRecord(std::string label, const fs::path& path, std::string memory) {
  ImageRecord r = record(std::move(label), std::move(memory), 128, 64);
  r.imgPath = path.string();
  r.imgFileName = fileNamePart(r.imgPath);
  return r;
}

TEST(CblText, layout_with_relative_paths) {
  const fs::path folder = "/lists";
  ImageRecord logo = bitmapRecord("my logo", "/lists/pics/logo 1.bmp", "F 1");
  logo.imgCheck = 0;
  const ImageRecord blank = record("Image0001", "VRAM", 240, 64, 1024);
  EXPECT_EQ(cblText({logo, blank}, folder, false),
            "*** image list ***\r\n"
            "No = 1\r\nlabel = my logo\r\nFile = pics/logo 1.bmp\r\nX = 128\r\nY = 64\r\nCheck = 0\r\n"
            "Memory = F 1\r\nAddress = 0\r\n"
            "No = 2\r\nlabel = Image0001\r\nFile = \r\nX = 240\r\nY = 64\r\nCheck = 1\r\n"
            "Memory = VRAM\r\nAddress = 1024\r\n"
            "EOF\r\n");
  EXPECT_NE(cblText({logo}, folder, true).find("File = logo 1.bmp\r\n"), std::string::npos);
  EXPECT_NE(
      cblText({bitmapRecord("up", "/other/u.bmp", "RAM")}, folder, false).find("File = ../other/u.bmp\r\n"),
      std::string::npos);
}

TEST(CblText, round_trip_keeps_every_field) {
  const fs::path folder = "/lists";
  ImageRecord logo = bitmapRecord("  padded label", "/lists/sub dir/a = b.bmp", "F any");
  logo.imgLabel = "label with = sign";
  const ImageRecord blank = record("Image0001", "VRAM", 240, 64, 2147483647);
  const CblRead read = readCblText(cblText({logo, blank}, folder, false), folder);
  ASSERT_TRUE(read.messages.empty()) << read.messages.front();
  ASSERT_EQ(read.records.size(), 2u);
  const ImageRecord& a = read.records[0];
  EXPECT_EQ(a.imgLabel, "label with = sign");
  EXPECT_EQ(a.imgPath, "/lists/sub dir/a = b.bmp");
  EXPECT_EQ(a.imgFileName, "a = b.bmp");
  EXPECT_EQ(a.imgX, 128);
  EXPECT_EQ(a.imgMemory, "F any");
  const ImageRecord& b = read.records[1];
  EXPECT_EQ(b.imgPath, "");
  EXPECT_EQ(b.imgAddress, 2147483647);
  EXPECT_EQ(b.imgMemory, "VRAM");
}

TEST(CblRead, lenient_where_nothing_is_lost) {
  const CblRead read = readCblText(
      "\xEF\xBB\xBF*** image list ***\n"
      "No = 1\n label = A \nFile = pics\\old\\a.bmp\ncolour = red\nx = 8\nY=16\nmemory = f 1-4\n"
      "a line without equals\n"
      "No = 2\nlabel = B\nFile = /abs/b.bmp\nMemory = ram\n",
      "/lists");
  ASSERT_TRUE(read.messages.empty());
  ASSERT_EQ(read.records.size(), 2u);
  EXPECT_EQ(read.records[0].imgLabel, "A");
  EXPECT_EQ(read.records[0].imgPath, "/lists/pics/old/a.bmp");
  EXPECT_EQ(read.records[0].imgFileName, "a.bmp");
  EXPECT_EQ(read.records[0].imgX, 8);
  EXPECT_EQ(read.records[0].imgY, 16);
  EXPECT_EQ(read.records[0].imgMemory, "F 1-4");
  EXPECT_EQ(read.records[1].imgPath, "/abs/b.bmp");
  EXPECT_EQ(read.records[1].imgMemory, "RAM");
}

struct BadCase {
  const char* name;
  const char* record;  // the lines after "No = 1", LF-ended; line 3 is the first of them
  const char* message;
};
const BadCase kBad[] = {
    {"width_beyond_16_bits", "X = 40000\n", "Line 3: X = 40000 is out of range."},
    {"negative_height", "label = a\nY = -8\n", "Line 4: Y = -8 is out of range."},
    {"negative_address", "Address = -1\n", "Line 3: Address = -1 is out of range."},
    {"address_beyond_32_bits", "Address = 2147483648\n", "Line 3: Address = 2147483648 is out of range."},
    {"check_beyond_16_bits", "Check = 32768\n", "Line 3: Check = 32768 is out of range."},
    {"not_a_number", "X = 12abc\n", "Line 3: X = 12abc is not a number."},
    {"unknown_area", "Memory = F 9\n", "Line 3: Memory = F 9 is no image memory."},
    {"more_than_32767_bytes", "X = 4096\nY = 72\n", "Line 2: Image is too large."},
};

class CblBad : public testing::TestWithParam<BadCase> {};

TEST_P(CblBad, refuses_the_record_and_reads_the_others) {
  const std::string text = std::string("*** image list ***\nNo = 1\n") + GetParam().record +
                           "No = 2\nlabel = good\nX = 8\nY = 8\nEOF\nNo = 3\nlabel = after EOF\n";
  const CblRead read = readCblText(text, "/lists");
  EXPECT_EQ(read.messages, (std::vector<std::string>{GetParam().message}));
  ASSERT_EQ(read.records.size(), 1u);
  EXPECT_EQ(read.records[0].imgLabel, "good");
}

INSTANTIATE_TEST_SUITE_P(records, CblBad, testing::ValuesIn(kBad),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(CblRead, stops_at_1000_images) {
  std::string text = "*** image list ***\r\n";
  for (int i = 1; i <= 1001; ++i)
    text += "No = " + std::to_string(i) + "\r\nlabel = L" + std::to_string(i) + "\r\n";
  const CblRead read = readCblText(text, "/");
  EXPECT_EQ(read.records.size(), 1000u);
  EXPECT_EQ(read.records.back().imgLabel, "L1000");
  EXPECT_EQ(read.messages, (std::vector<std::string>{"No more than 1000 images cannot be loaded."}));
}

TEST(CblRead, other_files_are_no_list) {
  EXPECT_FALSE(readCblText("*** PX display module Image file ***\r\n", "/").isList);
  EXPECT_FALSE(readCblText("", "/").isList);
  EXPECT_TRUE(readCblText("*** image list ***", "/").isList);
}

TEST(CblFiles, save_and_load_with_bmp_copies_beside_the_list) {
  BitmapFolder dir("cblfile");
  const std::string source = dir.bmp("src/logo.bmp", 16, 8);
  const fs::path list = dir.root() / "lists" / "my list.cbl";
  fs::create_directories(list.parent_path());
  ASSERT_TRUE(saveImageList({bitmapRecord("Logo", source, "FROM")}, list, true).ok);
  EXPECT_TRUE(isBmpFile(list.parent_path() / "logo.bmp"));
  const CblLoad load = loadImageList(list);
  ASSERT_EQ(load.error, "");
  ASSERT_EQ(load.read.records.size(), 1u);
  EXPECT_EQ(load.read.records[0].imgPath, (list.parent_path() / "logo.bmp").string());
  // Saved again where the copies already are: nothing to copy, the list is rewritten.
  EXPECT_TRUE(saveImageList(load.read.records, list, true).ok);
}

// Copies named bare would overwrite each other: the save is refused before anything is written.
TEST(CblFiles, two_bitmaps_of_one_name_cannot_be_copied) {
  BitmapFolder dir("cblfile");
  const std::string one = dir.bmp("a/logo.bmp", 16, 8);
  const std::string two = dir.bmp("b/logo.bmp", 8, 8);
  const fs::path list = dir.root() / "list.cbl";
  const platform::WriteResult saved =
      saveImageList({bitmapRecord("A", one, "FROM"), bitmapRecord("B", two, "FROM")}, list, true);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.error, "logo.bmp: two bitmaps of this name cannot be copied beside the list");
  EXPECT_FALSE(fs::exists(list));
  EXPECT_FALSE(fs::exists(dir.root() / "logo.bmp"));
}

TEST(CblFiles, load_errors_name_the_file) {
  BitmapFolder dir("cblfile");
  EXPECT_EQ(loadImageList(dir.text("x.cbl", "hello\r\n")).error,
            (dir.root() / "x.cbl").string() + ": not an image list");
  EXPECT_NE(loadImageList(dir.root() / "none.cbl").error, "");
}

TEST(ImgPath, round_trip_and_missing_file) {
  fs::remove(platform::configDir() / "imgpath.tmp");
  EXPECT_EQ(readImgPath().fileName, "");
  EXPECT_FALSE(readImgPath().withBmp);
  ASSERT_TRUE(writeImgPath({"/lists/a, b.cbl", true}).ok);
  const platform::FileRead raw = platform::readRegularFile(platform::configDir() / "imgpath.tmp", 1000);
  EXPECT_EQ(raw.bytes, "/lists/a, b.cbl\r\nY\r\n");
  EXPECT_EQ(readImgPath().fileName, "/lists/a, b.cbl");
  EXPECT_TRUE(readImgPath().withBmp);
  ASSERT_TRUE(writeImgPath({"", false}).ok);
  EXPECT_FALSE(readImgPath().withBmp);
}

}  // namespace
}  // namespace kelmore::imagetool
