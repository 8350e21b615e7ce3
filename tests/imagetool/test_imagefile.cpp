// Bitmap files for the list, the memory-area names and the PRT conversion.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include <span>

#include "imagetool/imagefile.h"
#include "listfixture.h"

namespace kelmore::imagetool {
namespace {

using kelmore::testkit::BmpSpec;
using kelmore::testkit::makeBmp;

bitmap::Bitmap decoded(const BmpSpec& spec) {
  const auto bytes = makeBmp(spec);
  return bitmap::decodeBitmap(std::span<const std::uint8_t>(bytes)).image;
}

TEST(BitmapFiles, sizes_of_every_depth) {
  testkit::BitmapFolder dir("imagefile");
  for (int depth : {1, 4, 8, 24}) {
    const BitmapFile file = readBitmapFile(dir.bmp("d.bmp", 40, 24, depth));
    EXPECT_EQ(file.refusal, BitmapRefusal::None) << depth;
    EXPECT_EQ(file.widthDots, 40) << depth;
    EXPECT_EQ(file.heightDots, 24) << depth;
  }
}

TEST(BitmapFiles, refusals) {
  testkit::BitmapFolder dir("imagefile");
  auto truncated = makeBmp({});
  truncated.resize(truncated.size() - 1);
  kelmore::testkit::writeFile(dir.root() / "cut.bmp", truncated);
  EXPECT_EQ(readBitmapFile(dir.root() / "cut.bmp").refusal, BitmapRefusal::NotBitmap);
  EXPECT_EQ(readBitmapFile(dir.text("t.bmp", "text")).refusal, BitmapRefusal::NotBitmap);
  EXPECT_EQ(readBitmapFile(dir.root() / "missing.bmp").refusal, BitmapRefusal::NotBitmap);
  EXPECT_EQ(readBitmapFile(dir.root()).refusal, BitmapRefusal::NotBitmap);
  EXPECT_EQ(readBitmapFile("").refusal, BitmapRefusal::NotBitmap);
  // 4096 × 9 bands = 36864 bytes; 32767 × 8 is exactly the limit.
  EXPECT_EQ(readBitmapFile(dir.bmp("big.bmp", 4096, 72)).refusal, BitmapRefusal::TooLarge);
  EXPECT_EQ(readBitmapFile(dir.bmp("edge.bmp", 32767, 15)).refusal, BitmapRefusal::None);
  EXPECT_TRUE(isBmpFile(dir.bmp("big.bmp", 4096, 72)));
  EXPECT_FALSE(isBmpFile(dir.root() / "cut.bmp"));
}

TEST(BitmapFiles, other_depths_are_refused_with_their_depth) {
  testkit::BitmapFolder dir("imagefile");
  for (int depth : {16, 32}) {
    const BitmapFile file = readBitmapFile(dir.bmp("deep.bmp", 8, 8, depth));
    EXPECT_EQ(file.refusal, BitmapRefusal::Depth) << depth;
    EXPECT_EQ(file.bitCount, depth);
    EXPECT_FALSE(isBmpFile(file)) << depth;
    EXPECT_TRUE(file.image.grey.empty()) << depth;
  }
  EXPECT_EQ(depthMessage(32), "This Color Depth is not supported Yet. 32");
}

// 6 × 16 dots, one grey a row (100 greys at 8 bits, 16 at 4), compressed as converters write it: one run
// a row over its 8 stored pixels, padding included, then the line end.
struct Compressed {
  kelmore::testkit::BmpSpec plain;
  std::vector<std::uint8_t> codes;
};

Compressed greyRows(int bitCount) {
  Compressed c;
  const int colours = bitCount == 8 ? 100 : 16;
  const auto indexOf = [colours](int y) { return static_cast<std::uint8_t>(y * 7 % colours); };
  c.plain = {6, 16, bitCount, [indexOf](int, int y) -> std::uint32_t { return indexOf(y); }, {}};
  for (int i = 0; i < colours; ++i)
    c.plain.palette.push_back(static_cast<std::uint32_t>(i * 255 / (colours - 1)) * 0x010101u);
  constexpr std::uint8_t kStoredPixels = 8;
  for (int y = 15; y >= 0; --y) {
    const std::uint8_t index = bitCount == 8 ? indexOf(y) : static_cast<std::uint8_t>(indexOf(y) * 0x11);
    c.codes.insert(c.codes.end(), {kStoredPixels, index, 0x00, 0x00});
  }
  c.codes.insert(c.codes.end(), {0x00, 0x01});
  return c;
}

TEST(BitmapFiles, compressed_pictures_convert_as_the_same_picture_stored_plain) {
  testkit::BitmapFolder dir("imagefile");
  for (int depth : {8, 4}) {
    const Compressed c = greyRows(depth);
    kelmore::testkit::writeFile(dir.root() / "rle.bmp", kelmore::testkit::makeRleBmp(c.plain, c.codes));
    kelmore::testkit::writeFile(dir.root() / "plain.bmp", makeBmp(c.plain));
    const BitmapFile rle = readBitmapFile(dir.root() / "rle.bmp");
    const BitmapFile plain = readBitmapFile(dir.root() / "plain.bmp");
    ASSERT_EQ(rle.refusal, BitmapRefusal::None) << depth;
    ASSERT_EQ(plain.refusal, BitmapRefusal::None) << depth;
    EXPECT_EQ(rle.widthDots, 6) << depth;
    EXPECT_EQ(rle.heightDots, 16) << depth;
    EXPECT_EQ(bmpToPrt(rle.image, true).text, bmpToPrt(plain.image, true).text) << depth;
    EXPECT_EQ(rle.image.grey, plain.image.grey) << depth;
  }
  // A run past the padded row is a broken file.
  Compressed broken = greyRows(8);
  broken.codes[0] = 9;
  kelmore::testkit::writeFile(dir.root() / "broken.bmp",
                              kelmore::testkit::makeRleBmp(broken.plain, broken.codes));
  EXPECT_EQ(readBitmapFile(dir.root() / "broken.bmp").refusal, BitmapRefusal::NotBitmap);
}

TEST(MemoryNames, any_case_to_canonical) {
  const std::pair<const char*, const char*> cases[] = {
      {"ram", "RAM"},     {" f 0 ", "F 0"},   {"F 7", "F 7"},   {"from", "FROM"},
      {"f 1-4", "F 1-4"}, {"F ANY", "F any"}, {"vram", "VRAM"},
  };
  for (const auto& [text, canonical] : cases) {
    ASSERT_TRUE(canonicalMemory(text).has_value()) << text;
    EXPECT_EQ(*canonicalMemory(text), canonical) << text;
  }
  for (const char* text : {"F 8", "F0", "", "ROM", "F 1-5"}) EXPECT_FALSE(canonicalMemory(text)) << text;
}

TEST(FileNames, after_the_last_separator) {
  EXPECT_EQ(fileNamePart("/a/b/c.bmp"), "c.bmp");
  EXPECT_EQ(fileNamePart("C:\\pics\\logo one.bmp"), "logo one.bmp");
  EXPECT_EQ(fileNamePart("plain.bmp"), "plain.bmp");
}

TEST(BmpToPrt, dark_dots_in_column_bytes) {
  // Column 0 dark at rows 0 and 7, everything else white: bit 7 is the top row.
  BmpSpec spec;
  spec.width = 2;
  spec.height = 8;
  spec.bitCount = 24;
  spec.pixel = [](int x, int y) -> std::uint32_t {
    return x == 0 && (y == 0 || y == 7) ? 0x808080 : 0xFFFFFF;
  };
  const PrtImage posi = bmpToPrt(decoded(spec), true);
  EXPECT_EQ(posi.bytes, (std::vector<std::uint8_t>{0x81, 0x00}));
  EXPECT_EQ(posi.text, "PRT 81h 00h\r\n");
  const PrtImage nega = bmpToPrt(decoded(spec), false);
  EXPECT_EQ(nega.bytes, (std::vector<std::uint8_t>{0x7E, 0xFF}));
}

TEST(BmpToPrt, grey_of_24_bits_is_the_integer_mean) {
  // (128 + 128 + 130) / 3 = 128: a dot; (129 + 129 + 129) / 3 = 129: none.
  BmpSpec spec;
  spec.width = 2;
  spec.height = 8;
  spec.bitCount = 24;
  spec.pixel = [](int x, int) -> std::uint32_t { return x == 0 ? 0x808082 : 0x818181; };
  EXPECT_EQ(bmpToPrt(decoded(spec), true).bytes, (std::vector<std::uint8_t>{0xFF, 0x00}));
}

TEST(BmpToPrt, one_bit_set_pixels_are_light) {
  BmpSpec spec;
  spec.width = 1;
  spec.height = 8;
  spec.pixel = [](int, int y) -> std::uint32_t { return y < 4 ? 1 : 0; };
  EXPECT_EQ(bmpToPrt(decoded(spec), true).bytes, (std::vector<std::uint8_t>{0x0F}));
}

TEST(BmpToPrt, sixteen_bytes_a_line_and_a_short_last_line_with_crlf) {
  BmpSpec spec;
  spec.width = 17;
  spec.height = 12;  // one band; the four rows below it are not used
  spec.pixel = [](int x, int y) -> std::uint32_t { return y >= 8 || x == 16 ? 0 : 1; };
  const PrtImage prt = bmpToPrt(decoded(spec), true);
  ASSERT_EQ(prt.bytes.size(), 17u);
  std::string expected = "PRT";
  for (int i = 0; i < 16; ++i) expected += " 00h";
  expected += ";\r\nPRT ffh\r\n";
  EXPECT_EQ(prt.text, expected);
}

TEST(BmpToPrt, exact_lines_all_end_with_semicolon_and_no_limit) {
  BmpSpec spec;
  spec.width = 4000;
  spec.height = 64;
  const PrtImage prt = bmpToPrt(decoded(spec), true);
  EXPECT_EQ(prt.bytes.size(), 32000u);
  EXPECT_EQ(prt.text.size(), 2000u * (3 + 16 * 4 + 3));
  EXPECT_TRUE(prt.text.ends_with("ffh;\r\n"));
  spec.height = 7;
  EXPECT_EQ(bmpToPrt(decoded(spec), true).text, "");
}

}  // namespace
}  // namespace kelmore::imagetool
