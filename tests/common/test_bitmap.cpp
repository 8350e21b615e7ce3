// The bitmap reader and the column packing: good files of each layout to their packed bytes, spoilt files
// to the check that refuses them, compressed files to the picture stored plain, the grey and dot rules of
// each depth, fitting and band counts.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bmpfile.h"
#include "common/bitmap.h"
#include "tempfolder.h"

namespace kelmore::bitmap {
namespace {

using testkit::BmpSpec;
using testkit::makeBmp;
using testkit::put32;
using Bytes = std::vector<std::uint8_t>;

Bytes repeat(std::initializer_list<std::uint8_t> unit, std::size_t times) {
  Bytes bytes;
  for (std::size_t i = 0; i < times; ++i) bytes.insert(bytes.end(), unit);
  return bytes;
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// 128 × 64 with the dot of column x on row x mod 64: column x has one byte set, in band (x mod 64) / 8.
Bytes diagonal128x64() {
  Bytes bytes;
  for (int x = 0; x < 128; ++x) {
    for (int band = 0; band < 8; ++band) {
      bytes.push_back(band == (x % 64) / 8 ? static_cast<std::uint8_t>(0x80 >> (x % 8)) : 0);
    }
  }
  return bytes;
}

Bytes packed(const Bytes& file) {
  const Decoded decoded = decodeBitmap(file);
  EXPECT_EQ(decoded.error, BmpError::None);
  const DotImage dots = pixelBitDots(decoded.image);
  return packColumns(dots, bandsCovering(dots.heightDots));
}

struct GoodCase {
  const char* name;
  BmpSpec spec;
  Bytes bytes;
};

const std::vector<GoodCase>& goodCases() {
  static const std::vector<GoodCase> cases = {
      {"diagonal_8x8",
       {8, 8, 1, [](int x, int y) { return x == y ? 1u : 0u; }},
       {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}},
      {"top_row_bottom_up", {8, 8, 1, [](int, int y) { return y == 0 ? 1u : 0u; }}, repeat({0x80}, 8)},
      {"top_row_top_down", {8, -8, 1, [](int, int y) { return y == 0 ? 1u : 0u; }}, repeat({0x80}, 8)},
      {"diagonal_top_down",
       {8, -8, 1, [](int x, int y) { return x == y ? 1u : 0u; }},
       {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}},
      // Column 11 is the fourth bit, from the most significant, of each row's second byte.
      {"column_11_of_12x8",
       {12, 8, 1, [](int x, int) { return x == 11 ? 1u : 0u; }},
       concat(repeat({0x00}, 11), {0xFF})},
      // Two bands a column; the four rows past the height are 0.
      {"all_set_20x12", {20, 12, 1, [](int, int) { return 1u; }}, repeat({0xFF, 0xF0}, 20)},
      // A stored row of 8 bytes: the padding after column 32 is never read as dots.
      {"column_32_of_33x8",
       {33, 8, 1, [](int x, int) { return x == 32 ? 1u : 0u; }},
       concat(repeat({0x00}, 32), {0xFF})},
      {"diagonal_128x64", {128, 64, 1, [](int x, int y) { return y == x % 64 ? 1u : 0u; }}, diagonal128x64()},
      {"one_dot_1x1", {1, 1, 1, [](int, int) { return 1u; }}, {0x80}},
  };
  return cases;
}

class Good : public ::testing::TestWithParam<GoodCase> {};

TEST_P(Good, packs_to_the_column_bytes) {
  EXPECT_EQ(packed(makeBmp(GetParam().spec)), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(bitmap, Good, ::testing::ValuesIn(goodCases()),
                         [](const auto& i) { return std::string(i.param.name); });

Bytes good8x8() {
  return makeBmp({8, 8, 1, [](int x, int y) { return x == y ? 1u : 0u; }});
}

Bytes with32(Bytes file, std::size_t at, std::uint32_t value) {
  put32(file, at, value);
  return file;
}

Bytes first(Bytes file, std::size_t bytes) {
  file.resize(bytes);
  return file;
}

Bytes cut(Bytes file, std::size_t bytes) {
  file.resize(file.size() - bytes);
  return file;
}

struct BadCase {
  const char* name;
  Bytes file;
  BmpError error;
};

const std::vector<BadCase>& badCases() {
  using namespace testkit;
  static const std::vector<BadCase> cases = {
      {"empty", {}, BmpError::NotBitmap},
      {"no_signature", with32(good8x8(), 0, 0x4D43), BmpError::NotBitmap},
      {"core_header", with32(good8x8(), kBmpInfoSize, 12), BmpError::UnknownHeader},
      {"ends_inside_the_header", first(good8x8(), 40), BmpError::UnknownHeader},
      {"16_bits", with32(good8x8(), kBmpBitCount, 16), BmpError::Depth},
      {"compressed", with32(good8x8(), kBmpCompression, 1), BmpError::Compressed},
      {"zero_width", with32(good8x8(), kBmpWidth, 0), BmpError::ZeroSize},
      {"zero_height", with32(good8x8(), kBmpHeight, 0), BmpError::ZeroSize},
      // The low half alone would read as 16 dots.
      {"width_65552", with32(good8x8(), kBmpWidth, 65552), BmpError::TooLarge},
      {"width_negative", with32(good8x8(), kBmpWidth, 0xFFFFFFF8), BmpError::TooLarge},
      {"height_minus_2_to_the_31", with32(good8x8(), kBmpHeight, 0x80000000), BmpError::TooLarge},
      {"height_32768", with32(good8x8(), kBmpHeight, 32768), BmpError::TooLarge},
      {"pixels_inside_the_header", with32(good8x8(), kBmpPixelOffset, 50), BmpError::BadOffset},
      {"truncated_by_one_byte", cut(good8x8(), 1), BmpError::Truncated},
      {"height_minus_16_short_file", with32(good8x8(), kBmpHeight, 0xFFFFFFF0), BmpError::Truncated},
      {"offset_past_the_end", with32(good8x8(), kBmpPixelOffset, 0xFFFFFFF0), BmpError::Truncated},
      {"8_bits_palette_past_the_pixels",
       with32(makeBmp({4, 4, 8, [](int, int) { return 0u; }, {0, 0}}), 46, 256), BmpError::BadOffset},
  };
  return cases;
}

class Bad : public ::testing::TestWithParam<BadCase> {};

TEST_P(Bad, is_refused_by_its_check) {
  const Decoded decoded = decodeBitmap(GetParam().file);
  EXPECT_EQ(decoded.error, GetParam().error);
  EXPECT_TRUE(decoded.image.grey.empty());
}

INSTANTIATE_TEST_SUITE_P(bitmap, Bad, ::testing::ValuesIn(badCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// --- compressed pictures ---

const std::vector<std::uint32_t> kGreys4{0x000000, 0x404040, 0x808080, 0xFFFFFF};
std::vector<std::uint32_t> greys16() {
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < 16; ++i) palette.push_back(i * 0x111111);
  return palette;
}

// 5 × 3 pictures, rows from the top; stored rows run from the bottom, 8 pixels with their padding.
constexpr std::uint32_t kPicture8[3][5] = {{1, 1, 1, 2, 3}, {3, 3, 3, 3, 3}, {0, 2, 0, 2, 1}};
constexpr std::uint32_t kPicture4[3][5] = {{1, 2, 1, 2, 1}, {15, 15, 15, 0, 0}, {3, 4, 5, 6, 7}};
constexpr std::uint32_t kSparse[3][5] = {{0, 0, 0, 2, 0}, {0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}};

BmpSpec picture(const std::uint32_t (&pixels)[3][5], int bitCount, std::vector<std::uint32_t> palette) {
  return {5, 3, bitCount, [&pixels](int x, int y) { return pixels[y][x]; }, std::move(palette)};
}

struct RleCase {
  const char* name;
  BmpSpec plain;  // the same picture uncompressed
  Bytes codes;
};

const std::vector<RleCase>& rleCases() {
  static const std::vector<RleCase> cases = {
      {"rle8_absolute_runs_and_line_ends",
       picture(kPicture8, 8, kGreys4),
       {0x00, 0x05, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00, 0x00, 0x00,  // an odd absolute run and its pad byte
        0x05, 0x03, 0x00, 0x00,                                      //
        0x03, 0x01, 0x01, 0x02, 0x01, 0x03, 0x00, 0x00, 0x00, 0x01}},
      // ImageMagick's runs cover the row's padding; the pixels past the width are dropped.
      {"rle8_run_over_the_padding",
       picture(kPicture8, 8, kGreys4),
       {0x00, 0x05, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00, 0x00, 0x00,  //
        0x08, 0x03, 0x00, 0x00,                                      //
        0x03, 0x01, 0x01, 0x02, 0x01, 0x03, 0x00, 0x00, 0x00, 0x01}},
      // A move over a row and a half, then the end of the bitmap: every pixel skipped is index 0.
      {"rle8_move_and_early_end",
       picture(kSparse, 8, kGreys4),
       {0x01, 0x01, 0x00, 0x02, 0x02, 0x02, 0x01, 0x02, 0x00, 0x01}},
      {"rle8_end_of_bitmap_at_once", {5, 3, 8, [](int, int) { return 0u; }, {0xFFFFFF}}, {0x00, 0x01}},
      {"rle4_nibbles_alternate",
       picture(kPicture4, 4, greys16()),
       {0x00, 0x05, 0x34, 0x56, 0x70, 0x00,  // five nibbles in three bytes, padded to four
        0x00, 0x00,                          //
        0x03, 0xFF, 0x00, 0x00,              // the line end leaves the last two pixels at 0
        0x05, 0x12, 0x00, 0x00, 0x00, 0x01}},
      {"rle4_run_over_the_padding",
       picture(kPicture4, 4, greys16()),
       {0x00, 0x05, 0x34, 0x56, 0x70, 0x00, 0x00, 0x00,  //
        0x03, 0xFF, 0x00, 0x00,                          //
        0x08, 0x12, 0x00, 0x00, 0x00, 0x01}},
      {"rle4_absolute_run_of_four",
       {4, 1, 4, [](int x, int) { return 9u - x; }, greys16()},
       {0x00, 0x04, 0x98, 0x76, 0x00, 0x01}},
  };
  return cases;
}

class Rle : public ::testing::TestWithParam<RleCase> {};

TEST_P(Rle, reads_as_the_same_picture_stored_plain) {
  const RleCase& c = GetParam();
  const Decoded compressed = decodeBitmap(testkit::makeRleBmp(c.plain, c.codes));
  const Decoded plain = decodeBitmap(makeBmp(c.plain));
  ASSERT_EQ(compressed.error, BmpError::None);
  ASSERT_EQ(plain.error, BmpError::None);
  EXPECT_EQ(compressed.image.widthDots, plain.image.widthDots);
  EXPECT_EQ(compressed.image.heightDots, plain.image.heightDots);
  EXPECT_EQ(compressed.image.bitCount, plain.image.bitCount);
  EXPECT_EQ(compressed.image.grey, plain.image.grey);
}

INSTANTIATE_TEST_SUITE_P(bitmap, Rle, ::testing::ValuesIn(rleCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// ImageMagick's encoder, the one most converters use, writes RLE8 with runs over the row padding and
// absolute runs; its output must read as the plain picture it came from, for odd and even widths.
class ConverterRle8 : public ::testing::TestWithParam<int> {};

TEST_P(ConverterRle8, reads_as_the_plain_picture_it_was_made_from) {
  const std::string convert = KELMORE_IM_CONVERT;
  ASSERT_FALSE(convert.empty() || convert.ends_with("NOTFOUND"))
      << "ImageMagick's convert is missing: scripts/setup installs imagemagick";
  const int width = GetParam();
  std::vector<std::uint32_t> palette;
  for (std::uint32_t i = 0; i < 200; ++i)
    palette.push_back((i * 0x010101) ^ ((i & 7) << 16));  // 200 distinct colours
  // Long runs on the left, noise on the right: both kinds of code.
  const BmpSpec spec{width, 11, 8,
                     [width](int x, int y) {
                       return x < width / 2 ? static_cast<std::uint32_t>(y * 3)
                                            : static_cast<std::uint32_t>((x * 37 + y * 11) % 200);
                     },
                     palette};
  const testkit::TempFolder dir("kelmore-rle8");
  const std::filesystem::path plainFile = dir / "plain.bmp";
  const std::filesystem::path rleFile = dir / "rle.bmp";
  testkit::writeFile(plainFile, makeBmp(spec));
  const std::string command = "'" + convert + "' '" + plainFile.string() +
                              "' -type Palette -compress RLE 'BMP3:" + rleFile.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(rleFile, std::ios::binary);
  const Bytes file{std::istreambuf_iterator<char>(in), {}};

  const Decoded compressed = decodeBitmap(file);
  ASSERT_EQ(compressed.error, BmpError::None);
  ASSERT_EQ(compressed.header.compression, kRle8) << "the converter wrote no RLE8 file";
  const Decoded plain = decodeBitmap(makeBmp(spec));
  ASSERT_EQ(plain.error, BmpError::None);
  EXPECT_EQ(compressed.image.widthDots, width);
  EXPECT_EQ(compressed.image.grey, plain.image.grey);
}

INSTANTIATE_TEST_SUITE_P(bitmap, ConverterRle8, ::testing::Values(1, 3, 6, 37, 64, 101));

Bytes rle8(const Bytes& codes, int width = 5, int height = 3) {
  return testkit::makeRleBmp({width, height, 8, [](int, int) { return 0u; }, kGreys4}, codes);
}

Bytes rle4(const Bytes& codes) {
  return testkit::makeRleBmp({5, 3, 4, [](int, int) { return 0u; }, greys16()}, codes);
}

const std::vector<BadCase>& badRleCases() {
  using namespace testkit;
  static const std::vector<BadCase> cases = {
      {"run_past_the_padded_row", rle8({0x09, 0x01, 0x00, 0x01}), BmpError::BadRun},
      {"runs_past_the_padded_row", rle8({0x05, 0x01, 0x04, 0x01, 0x00, 0x01}), BmpError::BadRun},
      {"rle4_run_past_the_padded_row", rle4({0x09, 0x11, 0x00, 0x01}), BmpError::BadRun},
      {"absolute_run_past_the_padded_row", rle8({0x00, 0x09, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x00, 0x00, 0x01}),
       BmpError::BadRun},
      {"run_past_the_last_row", rle8({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x01}),
       BmpError::BadRun},
      {"line_end_past_the_last_row", rle8({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}),
       BmpError::BadRun},
      {"move_past_the_row", rle8({0x00, 0x02, 0x09, 0x00, 0x00, 0x01}), BmpError::BadRun},
      {"move_past_the_picture", rle8({0x00, 0x02, 0x00, 0x04, 0x00, 0x01}), BmpError::BadRun},
      {"no_end_of_bitmap", rle8({0x05, 0x03, 0x00, 0x00}), BmpError::Truncated},
      {"cut_inside_a_code", rle8({0x05, 0x03, 0x00}), BmpError::Truncated},
      {"cut_inside_a_move", rle8({0x00, 0x02, 0x01}), BmpError::Truncated},
      {"cut_inside_an_absolute_run", rle8({0x00, 0x05, 0x01, 0x02}), BmpError::Truncated},
      {"absolute_run_without_its_pad_byte", rle8({0x00, 0x03, 0x01, 0x02, 0x03}), BmpError::Truncated},
      {"no_codes", rle8({}), BmpError::Truncated},
      // 60 bytes whose header promises a colour table of 256 entries and codes right after it: the file
      // ends inside the table, which is never read.
      {"codes_past_the_end",
       with32(makeRleBmp({5, 3, 8, {}, {}}, {0x05, 0x01, 0x00, 0x00, 0x00, 0x01}), kBmpPixelOffset,
              14 + 40 + 4 * 256),
       BmpError::Truncated},
      {"rle8_at_4_bits", with32(rle4({0x00, 0x01}), kBmpCompression, 1), BmpError::Compressed},
      {"rle4_at_8_bits", with32(rle8({0x00, 0x01}), kBmpCompression, 2), BmpError::Compressed},
      {"bit_fields", with32(rle8({0x00, 0x01}), kBmpCompression, 3), BmpError::Compressed},
      {"top_down", with32(rle8({0x00, 0x01}), kBmpHeight, 0xFFFFFFFD), BmpError::Compressed},
      // A few codes would spread over the whole picture, which is bounded by itself.
      {"beyond_the_dot_bound", rle8({0x00, 0x01}, 1025, 1024), BmpError::TooLarge},
  };
  return cases;
}

INSTANTIATE_TEST_SUITE_P(rle, Bad, ::testing::ValuesIn(badRleCases()),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Header, a_compressed_picture_of_the_dot_bound_is_read) {
  const Decoded decoded = decodeBitmap(rle8({0x01, 0x02, 0x00, 0x01}, 1024, 1024));
  ASSERT_EQ(decoded.error, BmpError::None);
  EXPECT_EQ(decoded.image.greyAt(0, 1023), 0x80);
  EXPECT_EQ(decoded.image.greyAt(1, 1023), 0);
}

TEST(Header, fields_are_read_even_when_a_later_check_fails) {
  const HeaderCheck check = checkHeader(with32(good8x8(), testkit::kBmpWidth, 0));
  EXPECT_EQ(check.error, BmpError::ZeroSize);
  EXPECT_EQ(check.header.bitCount, 1);
  EXPECT_EQ(check.header.heightDots(), 8);
  // The header alone is enough; the pixels may be missing.
  EXPECT_EQ(checkHeader(first(good8x8(), 54)).error, BmpError::None);
}

struct GreyCase {
  const char* name;
  BmpSpec spec;
  std::uint8_t grey;  // of pixel (0, 0)
  bool dark;
};

const std::vector<GreyCase>& greyCases() {
  static const std::vector<GreyCase> cases = {
      {"24_mean_128_is_dark", {1, 1, 24, [](int, int) { return 0x808080u; }}, 128, true},
      {"24_mean_truncates", {1, 1, 24, [](int, int) { return 0x818180u; }}, 128, true},
      {"24_mean_129_is_light", {1, 1, 24, [](int, int) { return 0x818181u; }}, 129, false},
      {"24_blue_alone", {1, 1, 24, [](int, int) { return 0x0000FFu; }}, 85, true},
      {"8_bits_through_the_table", {1, 1, 8, [](int, int) { return 2u; }, {0, 0, 0xFFFF00}}, 170, false},
      {"8_bits_index_past_the_table", {1, 1, 8, [](int, int) { return 200u; }, {0xFFFFFF}}, 0, true},
      {"4_bits_low_nibble",
       {2, 1, 4, [](int x, int) { return x == 0 ? 1u : 0u; }, {0xFFFFFF, 0x303030}},
       0x30,
       true},
      {"1_bit_set_is_255_whatever_the_palette",
       {1, 1, 1, [](int, int) { return 1u; }, {0xFFFFFF, 0}},
       255,
       false},
      {"1_bit_clear_is_0", {1, 1, 1, [](int, int) { return 0u; }, {0xFFFFFF, 0}}, 0, true},
  };
  return cases;
}

class Grey : public ::testing::TestWithParam<GreyCase> {};

TEST_P(Grey, of_each_depth) {
  const Decoded decoded = decodeBitmap(makeBmp(GetParam().spec));
  ASSERT_EQ(decoded.error, BmpError::None);
  EXPECT_EQ(decoded.image.greyAt(0, 0), GetParam().grey);
  EXPECT_EQ(darkDots(decoded.image).at(0, 0), GetParam().dark ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(bitmap, Grey, ::testing::ValuesIn(greyCases()),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Dots, a_set_bit_is_a_dot_for_the_module_and_light_for_the_image_tool) {
  // Palette inverted (index 0 white): the module still takes the set bits.
  const Decoded decoded =
      decodeBitmap(makeBmp({8, 1, 1, [](int x, int) { return x < 3 ? 1u : 0u; }, {0xFFFFFF, 0x000000}}));
  ASSERT_EQ(decoded.error, BmpError::None);
  EXPECT_EQ(pixelBitDots(decoded.image).dots, (Bytes{1, 1, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(darkDots(decoded.image).dots, (Bytes{0, 0, 0, 1, 1, 1, 1, 1}));
}

TEST(Dots, fit_crops_and_pads_at_the_top_left) {
  DotImage image(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) image.at(x, y) = 1;
  const DotImage wider = fitTo(image, 4, 3);
  EXPECT_EQ(wider.dots, (Bytes{1, 1, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0}));
  const DotImage cropped = fitTo(image, 2, 1);
  EXPECT_EQ(cropped.dots, (Bytes{1, 1}));
}

TEST(Pack, band_count_is_the_callers_choice) {
  DotImage image(2, 12);
  for (int y = 0; y < 12; ++y) image.at(1, y) = 1;
  EXPECT_EQ(packColumns(image, bandsCovering(12)), (Bytes{0x00, 0x00, 0xFF, 0xF0}));
  EXPECT_EQ(packColumns(image, 12 / 8), (Bytes{0x00, 0xFF}));
  EXPECT_TRUE(packColumns(DotImage(), 1).empty());
}

}  // namespace
}  // namespace kelmore::bitmap
