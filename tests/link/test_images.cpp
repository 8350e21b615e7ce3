// PX5000 image members on the scripted port: every image command's bytes and refusals, the readers on
// generated files (layouts, refusals, name tests, limits, messages), the accumulation buffer's bounds and
// the chained operations with their size rules.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "../common/bmpfile.h"
#include "../common/tempfolder.h"
#include "rig.h"

namespace kelmore::link {
namespace {

namespace fs = std::filesystem;
using kelmore::testkit::BmpSpec;
using kelmore::testkit::makeBmp;
using kelmore::testkit::makeRleBmp;
using kelmore::testkit::put32;
using testkit::Box;
using testkit::bytesOf;
using testkit::Rig;
using Bytes = std::vector<std::uint8_t>;

Bytes counting(std::size_t n) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

Bytes join(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

Bytes repeat(std::initializer_list<std::uint8_t> unit, std::size_t times) {
  Bytes bytes;
  for (std::size_t i = 0; i < times; ++i) bytes.insert(bytes.end(), unit);
  return bytes;
}

Box box(std::string_view text) {
  return {std::string(text), "", BoxIcon::None};
}

// --- command bytes ---

struct BytesCase {
  const char* name;
  std::function<void(PX5000&)> command;
  Bytes bytes;
};

const std::vector<BytesCase>& bytesCases() {
  static const std::vector<BytesCase> cases = {
      {"printBmp_16_by_16_whatever_the_module", [](PX5000& p) { p.printBmp(16, 16, counting(40)); },
       join(bytesOf({0x1F, 0x28, 0x66, 0x11, 0x10, 0x00, 0x02, 0x00, 0x01}), counting(32))},
      {"printBmp_wide", [](PX5000& p) { p.printBmp(300, 8, counting(300)); },
       join(bytesOf({0x1F, 0x28, 0x66, 0x11, 0x2C, 0x01, 0x01, 0x00, 0x01}), counting(300))},
      {"printBmpRam", [](PX5000& p) { p.printBmpRam(0x12345, 3, counting(5)); },
       join(bytesOf({0x1F, 0x28, 0x66, 0x01, 0x45, 0x23, 0x01, 0x03, 0x00, 0x00}), counting(3))},
      {"printBmpFrom", [](PX5000& p) { p.printBmpFrom(0x20000, 5, counting(5)); },
       join(bytesOf({0x1F, 0x28, 0x65, 0x10, 0x00, 0x00, 0x02, 0x05, 0x00, 0x00}), counting(5))},
      {"printBmpFrom_24_bit_length", [](PX5000& p) { p.printBmpFrom(0xFFFFFF, 70000, counting(70000)); },
       join(bytesOf({0x1F, 0x28, 0x65, 0x10, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01}), counting(70000))},
      {"displayBmpFrom_on_a_64_dot_module",
       [](PX5000& p) {
         p.moduleName("PX256X64");
         p.displayBmpFrom(1, 0x1000, 128, 32);
       },
       bytesOf({0x1F, 0x28, 0x66, 0x10, 0x01, 0x00, 0x10, 0x00, 0x08, 0x00, 0x80, 0x00, 0x04, 0x00, 0x01})},
      {"displayBmpFrom_without_a_module_size", [](PX5000& p) { p.displayBmpFrom(0, 0, 8, 8); },
       bytesOf({0x1F, 0x28, 0x66, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0x01})},
      {"displayBmpFromEx_source_row", [](PX5000& p) { p.displayBmpFromEx(2, 0x30201, 65535, 256, 64); },
       bytesOf({0x1F, 0x28, 0x66, 0x10, 0x02, 0x01, 0x02, 0x03, 0xFF, 0xFF, 0x00, 0x01, 0x08, 0x00, 0x01})},
      {"displayBmpFromS",
       [](PX5000& p) {
         p.moduleName("PX128X32");
         p.displayBmpFromS(1, 0x1000, 128, 32, 9);
       },
       bytesOf(
           {0x1F, 0x28, 0x66, 0x90, 0x01, 0x00, 0x10, 0x00, 0x04, 0x00, 0x80, 0x00, 0x04, 0x00, 0x01, 0x09})},
      {"displayBmpFromExS", [](PX5000& p) { p.displayBmpFromExS(1, 0, 300, 16, 24, 255); },
       bytesOf(
           {0x1F, 0x28, 0x66, 0x90, 0x01, 0x00, 0x00, 0x00, 0x2C, 0x01, 0x10, 0x00, 0x03, 0x00, 0x01, 0xFF})},
      {"printBmpFrombufOut_from_position_100",
       [](PX5000& p) {
         p.printBmpFrombufP(100, 5, counting(5));
         p.printBmpFrombufOut(0x20000, 100, 5);
       },
       join(bytesOf({0x1F, 0x28, 0x65, 0x10, 0x00, 0x00, 0x02, 0x05, 0x00, 0x00}), counting(5))},
      {"printBmpFrombufOut_the_last_index", [](PX5000& p) { p.printBmpFrombufOut(0, 0x80000, 1); },
       bytesOf({0x1F, 0x28, 0x65, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00})},
  };
  return cases;
}

class ImageBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(ImageBytes, one_command_one_send) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  GetParam().command(*rig.px);
  EXPECT_EQ(rig.sent(), GetParam().bytes);
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
}

INSTANTIATE_TEST_SUITE_P(images, ImageBytes, ::testing::ValuesIn(bytesCases()),
                         [](const auto& i) { return std::string(i.param.name); });

struct ErrorCase {
  const char* name;
  std::function<void(PX5000&)> command;
  DeviceError::Kind kind;
};

const std::vector<ErrorCase>& errorCases() {
  using Kind = DeviceError::Kind;
  static const std::vector<ErrorCase> cases = {
      {"printBmp_data_short", [](PX5000& p) { p.printBmp(16, 16, counting(31)); }, Kind::Index},
      {"printBmp_width_negative", [](PX5000& p) { p.printBmp(-8, 8, counting(8)); }, Kind::Overflow},
      {"printBmp_height_negative", [](PX5000& p) { p.printBmp(8, -8, counting(8)); }, Kind::Overflow},
      {"printBmp_width_beyond_16_bits", [](PX5000& p) { p.printBmp(32768, 8, counting(8)); }, Kind::Overflow},
      {"printBmpRam_address_beyond_24_bits", [](PX5000& p) { p.printBmpRam(0x1000000, 1, counting(1)); },
       Kind::Overflow},
      {"printBmpRam_address_negative", [](PX5000& p) { p.printBmpRam(-1, 1, counting(1)); }, Kind::Overflow},
      {"printBmpRam_length_negative", [](PX5000& p) { p.printBmpRam(0, -1, counting(1)); }, Kind::Overflow},
      {"printBmpRam_data_short", [](PX5000& p) { p.printBmpRam(0, 4, counting(3)); }, Kind::Index},
      {"printBmpFrom_length_beyond_24_bits", [](PX5000& p) { p.printBmpFrom(0, 0x1000000, counting(1)); },
       Kind::Overflow},
      {"printBmpFrom_data_short", [](PX5000& p) { p.printBmpFrom(0, 2, counting(1)); }, Kind::Index},
      {"displayBmpFrom_module_rows_beyond_a_byte",
       [](PX5000& p) {
         p.moduleName("PX8X2048");
         p.displayBmpFrom(0, 0, 8, 8);
       },
       Kind::Overflow},
      {"displayBmpFrom_memory_beyond_a_byte", [](PX5000& p) { p.displayBmpFrom(256, 0, 8, 8); },
       Kind::Overflow},
      {"displayBmpFromEx_source_row_beyond_16_bits", [](PX5000& p) { p.displayBmpFromEx(0, 0, 65536, 8, 8); },
       Kind::Overflow},
      {"displayBmpFromS_speed_beyond_a_byte", [](PX5000& p) { p.displayBmpFromS(0, 0, 8, 8, 256); },
       Kind::Overflow},
      {"displayBmpFromExS_height_negative", [](PX5000& p) { p.displayBmpFromExS(0, 0, 0, 8, -1, 0); },
       Kind::Overflow},
      {"printBmpFrombufOut_past_the_buffer", [](PX5000& p) { p.printBmpFrombufOut(0, 0x80000, 2); },
       Kind::Index},
      {"printBmpFrombufOut_start_negative", [](PX5000& p) { p.printBmpFrombufOut(0, -1, 1); }, Kind::Index},
      {"printBmpFrombufOut_size_negative", [](PX5000& p) { p.printBmpFrombufOut(0, 0, -1); }, Kind::Overflow},
  };
  return cases;
}

class ImageErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ImageErrors, thrown_before_any_byte) {
  Rig rig;
  ASSERT_EQ(rig.px->ifOpen(), 0);
  try {
    GetParam().command(*rig.px);
    FAIL() << "no error";
  } catch (const DeviceError& e) {
    EXPECT_EQ(e.kind(), GetParam().kind);
    EXPECT_STREQ(e.what(), deviceErrorText(GetParam().kind));
  }
  EXPECT_TRUE(rig.sent().empty());
}

INSTANTIATE_TEST_SUITE_P(images, ImageErrors, ::testing::ValuesIn(errorCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// 12 dots would travel as one row while the data holds two a column: refused as a size the module does not
// take, with its message.
TEST(ImageSizes, printBmp_refuses_a_height_of_no_whole_rows_with_the_size_message) {
  Rig rig;
  rig.px->moduleName("PX256X64");
  ASSERT_EQ(rig.px->ifOpen(), 0);
  for (int height : {12, 1, 65}) rig.px->printBmp(8, height, counting(8 * 9));
  EXPECT_EQ(rig.env.boxes, std::vector<Box>(3, box("(256,64)dot monochrome File only!")));
  EXPECT_TRUE(rig.sent().empty());
  EXPECT_EQ(rig.px->linkError(), LinkError::None);
}

// --- readers ---

// The bitmaps of each test in a folder of its own, removed after it.
class Files : public ::testing::Test {
 protected:
  std::string file(std::string_view name, const Bytes& bytes) {
    const fs::path path = dir_ / name;
    kelmore::testkit::writeFile(path, bytes);
    return path.string();
  }
  Bytes image(std::size_t n) {
    Bytes bytes(n);
    rig.px->getBmph(bytes);
    return bytes;
  }

  const kelmore::testkit::TempFolder folder_{"kelmore-bitmaps"};
  const fs::path dir_ = folder_.path();
  Rig rig;
};

Bytes allSet(int width, int height) {
  return makeBmp({width, height, 1, [](int, int) { return 1u; }});
}

Bytes diagonal(int width, int height, int period) {
  return makeBmp({width, height, 1, [period](int x, int y) { return y == x % period ? 1u : 0u; }});
}

Bytes with32(Bytes file, std::size_t at, std::uint32_t value) {
  put32(file, at, value);
  return file;
}

// The same file with `gap` bytes of AA between the colour table and the pixels, its offset field saying so.
Bytes withGap(Bytes file, std::uint32_t gap) {
  const std::uint32_t offset = file[10] | file[11] << 8;
  file.insert(file.begin() + offset, gap, 0xAA);
  put32(file, kelmore::testkit::kBmpPixelOffset, offset + gap);
  return file;
}

Bytes padded(Bytes file, std::size_t size) {
  file.resize(size, 0);
  return file;
}

Bytes first(Bytes file, std::size_t size) {
  file.resize(size);
  return file;
}

enum class Reader { File, Ex, XY, XYfit };

struct ReadCase {
  const char* name;
  Reader reader;
  const char* fileName;
  Bytes file;
  bool ok;
  std::vector<std::string> boxes;
  std::int32_t width;  // the outputs afterwards; -1: untouched
  std::int32_t height;
  Bytes image;  // the image buffer's first bytes afterwards, all FF before
};

const std::vector<ReadCase>& readCases() {
  using namespace kelmore::testkit;
  static const std::vector<ReadCase> cases = {
      {"column_11_of_12x8",
       Reader::File,
       "a.bmp",
       makeBmp({12, 8, 1, [](int x, int) { return x == 11 ? 1u : 0u; }}),
       true,
       {},
       -1,
       -1,
       join(repeat({0x00}, 11), {0xFF, 0x00})},
      {"two_bands_of_20x12", Reader::XY, "a.bmp", allSet(20, 12), true, {}, 20, 12, repeat({0xFF, 0xF0}, 20)},
      {"top_down",
       Reader::XY,
       "a.bmp",
       makeBmp({8, -8, 1, [](int, int y) { return y == 0 ? 1u : 0u; }}),
       true,
       {},
       8,
       8,
       repeat({0x80}, 8)},
      {"capital_extension", Reader::File, "A.BMP", allSet(8, 8), true, {}, -1, -1, repeat({0xFF}, 8)},
      {"bmp_before_a_further_extension_File",
       Reader::File,
       "a.bmp.txt",
       allSet(8, 8),
       true,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"bmp_before_a_further_extension_XY",
       Reader::XY,
       "a.bmp.txt",
       allSet(8, 8),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"no_bmp_in_the_name_File",
       Reader::File,
       "a.png",
       allSet(8, 8),
       false,
       {"Not BMP File!"},
       -1,
       -1,
       repeat({0x00}, 8)},
      {"no_bmp_in_the_name_Ex",
       Reader::Ex,
       "a.png",
       allSet(8, 8),
       false,
       {"Not BMP File!"},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"no_bmp_ending_XYfit", Reader::XYfit, "a.png", allSet(8, 8), false, {}, -1, -1, repeat({0xFF}, 8)},
      {"4_bits_without_a_message",
       Reader::File,
       "a.bmp",
       makeBmp({8, 8, 4, [](int, int) { return 1u; }, {0, 0xFFFFFF}}),
       false,
       {},
       -1,
       -1,
       repeat({0x00}, 8)},
      {"compressed",
       Reader::XY,
       "a.bmp",
       with32(allSet(8, 8), kBmpCompression, 1),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"rle8_without_a_message",
       Reader::XY,
       "a.bmp",
       makeRleBmp({8, 8, 8, [](int, int) { return 0u; }, {0, 0xFFFFFF}}, {0x00, 0x01}),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"truncated", Reader::XY, "a.bmp", padded(allSet(8, 8), 93), false, {}, 8, 8, repeat({0x00}, 8)},
      // The low half alone would read as 16 dots.
      {"width_65552",
       Reader::XY,
       "a.bmp",
       with32(allSet(8, 8), kBmpWidth, 65552),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"height_minus_16_short_file",
       Reader::XY,
       "a.bmp",
       with32(allSet(8, 8), kBmpHeight, 0xFFFFFFF0),
       false,
       {},
       8,
       16,
       repeat({0x00}, 8)},
      {"pixels_at_the_files_own_offset",
       Reader::XY,
       "a.bmp",
       withGap(allSet(8, 8), 8),
       true,
       {},
       8,
       8,
       repeat({0xFF}, 8)},
      {"zero_width",
       Reader::XY,
       "a.bmp",
       with32(allSet(8, 8), kBmpWidth, 0),
       false,
       {"File size 0 error!"},
       0,
       8,
       repeat({0x00}, 8)},
      {"zero_height_File",
       Reader::File,
       "a.bmp",
       with32(allSet(8, 8), kBmpHeight, 0),
       false,
       {"File size 0 error!"},
       -1,
       -1,
       repeat({0x00}, 8)},
      {"not_a_bitmap", Reader::File, "a.bmp", Bytes(100, 'x'), false, {}, -1, -1, repeat({0x00}, 8)},
      // Read as a header, its width would be beyond 16 bits; without "BM" it is none.
      {"not_a_bitmap_XYfit", Reader::XYfit, "a.bmp", Bytes(100, 'x'), false, {}, -1, -1, repeat({0xFF}, 8)},
      {"exactly_200000_bytes",
       Reader::File,
       "a.bmp",
       padded(allSet(8, 8), 200000),
       true,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"200001_bytes_File",
       Reader::File,
       "a.bmp",
       padded(allSet(8, 8), 200001),
       false,
       {},
       -1,
       -1,
       repeat({0x00}, 8)},
      {"200001_bytes_Ex",
       Reader::Ex,
       "a.bmp",
       padded(allSet(8, 8), 200001),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"200001_bytes_XY",
       Reader::XY,
       "a.bmp",
       padded(allSet(8, 8), 200001),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      {"200001_bytes_XYfit",
       Reader::XYfit,
       "a.bmp",
       padded(allSet(8, 8), 200001),
       false,
       {},
       -1,
       -1,
       repeat({0xFF}, 8)},
      // 2048 × 8 × 98 dots: more than the reader's dot table, though the file is short enough.
      {"beyond_the_dot_table_File",
       Reader::File,
       "a.bmp",
       makeBmp({2048, 781, 1}),
       false,
       {},
       -1,
       -1,
       repeat({0x00}, 8)},
      {"beyond_the_dot_table_is_no_limit_of_XY",
       Reader::XY,
       "a.bmp",
       allSet(2048, 781),
       true,
       {},
       2048,
       781,
       repeat({0xFF}, 8)},
  };
  return cases;
}

class Read : public Files, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(Read, into_the_image_buffer) {
  const ReadCase& c = GetParam();
  rig.px->moduleName("PX256X64");
  // A full buffer shows what each reader clears.
  ASSERT_TRUE(rig.px->readBmpFile(file("full.bmp", allSet(16, 8))));
  const std::string path = file(c.fileName, c.file);
  std::int32_t width = -1;
  std::int32_t height = -1;
  bool ok = false;
  switch (c.reader) {
    case Reader::File:
      ok = rig.px->readBmpFile(path);
      break;
    case Reader::Ex:
      ok = rig.px->readBmpFileEx(path, width, height);
      break;
    case Reader::XY:
      ok = rig.px->readBmpFileXY(path, width, height);
      break;
    case Reader::XYfit:
      ok = rig.px->readBmpFileXYfit(path, width, height);
      break;
  }
  EXPECT_EQ(ok, c.ok);
  std::vector<Box> boxes;
  for (const std::string& text : c.boxes) boxes.push_back(box(text));
  EXPECT_EQ(rig.env.boxes, boxes);
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.height);
  EXPECT_EQ(image(c.image.size()), c.image);
  EXPECT_TRUE(rig.sent().empty());
}

INSTANTIATE_TEST_SUITE_P(images, Read, ::testing::ValuesIn(readCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// --- fitting to the module ---

TEST_F(Files, fit_crops_a_larger_file_to_the_module) {
  rig.px->moduleName("PX256X64");
  std::int32_t width = 0;
  std::int32_t height = 0;
  ASSERT_TRUE(rig.px->readBmpFileXYfit(file("big.bmp", diagonal(300, 80, 80)), width, height));
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 80);
  // Column x holds its dot on row x mod 80; rows from 64 on are cut off.
  Bytes expected;
  for (int x = 0; x < 256; ++x) {
    for (int band = 0; band < 8; ++band) {
      const int row = x % 80;
      expected.push_back(row < 64 && row / 8 == band ? static_cast<std::uint8_t>(0x80 >> (row % 8)) : 0);
    }
  }
  EXPECT_EQ(image(2049), join(expected, {0x00}));
}

TEST_F(Files, fit_pads_a_smaller_file_with_zeros) {
  rig.px->moduleName("PX256X64");
  std::int32_t width = 0;
  std::int32_t height = 0;
  ASSERT_TRUE(rig.px->readBmpFileXYfit(file("small.bmp", allSet(100, 16)), width, height));
  EXPECT_EQ(width, 100);
  EXPECT_EQ(height, 16);
  EXPECT_EQ(image(2048), join(repeat({0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, 100), Bytes(156 * 8, 0)));
}

TEST_F(Files, fit_refuses_without_a_module_size_or_with_a_partial_row) {
  const std::string path = file("small.bmp", allSet(8, 8));
  for (const char* module : {"", "PX256X60", "PX0X64"}) {
    Rig fresh;
    if (*module) fresh.px->moduleName(module);
    std::int32_t width = -1;
    std::int32_t height = -1;
    EXPECT_FALSE(fresh.px->readBmpFileXYfit(path, width, height)) << module;
    EXPECT_FALSE(fresh.px->printBmpFileFrombufXYfit(path, width, height)) << module;
    EXPECT_EQ(fresh.env.boxes, std::vector<Box>{box("monochrome File only!")}) << module;
    EXPECT_EQ(fresh.px->bmpFrombufP, 0) << module;
  }
}

// What the other readers turn into a failure, the fitting reader passes on; its chained operation too. The
// text is the system's own, which is what reaches the user.
struct RaiseCase {
  const char* name;
  const char* module;
  std::function<std::string(const fs::path& dir)> file;
  DeviceError::Kind kind;
  const char* text;
  bool fileFault = true;  // readBmpFileXY fails on the same file, without a message
};

std::string written(const fs::path& path, const Bytes& bytes) {
  kelmore::testkit::writeFile(path, bytes);
  return path.string();
}

std::function<std::string(const fs::path& dir)> bmp(Bytes bytes) {
  return [bytes = std::move(bytes)](const fs::path& dir) { return written(dir / "a.bmp", bytes); };
}

const std::vector<RaiseCase>& raiseCases() {
  using Kind = DeviceError::Kind;
  using namespace kelmore::testkit;
  const auto fourBits = makeBmp({8, 8, 4, [](int, int) { return 1u; }, {0, 0xFFFFFF}});
  static const std::vector<RaiseCase> cases = {
      {"no_such_file", "PX256X64", [](const fs::path& dir) { return (dir / "gone.bmp").string(); },
       Kind::FileNotFound, "File not found"},
      {"a_folder", "PX256X64",
       [](const fs::path& dir) {
         fs::create_directories(dir / "folder.bmp");
         return (dir / "folder.bmp").string();
       },
       Kind::FileAccess, "Path/File access error"},
      {"width_beyond_16_bits", "PX256X64", bmp(with32(allSet(8, 8), kBmpWidth, 65552)), Kind::Overflow,
       "Overflow"},
      // The width and height are taken before the depth is judged.
      {"4_bits_width_beyond_16_bits", "PX256X64", bmp(with32(fourBits, kBmpWidth, 65552)), Kind::Overflow,
       "Overflow"},
      {"16_bits_height_beyond_16_bits", "PX256X64", bmp(with32(makeBmp({8, 8, 16}), kBmpHeight, 40000)),
       Kind::Overflow, "Overflow"},
      {"pixels_past_the_end", "PX256X64", bmp(padded(allSet(8, 8), 93)), Kind::Index,
       "Subscript out of range"},
      {"top_down_rows_past_the_end", "PX256X64", bmp(with32(allSet(8, 8), kBmpHeight, 0xFFFFFFF0)),
       Kind::Index, "Subscript out of range"},
      {"cut_inside_the_file_header", "PX256X64", bmp(first(allSet(8, 8), 10)), Kind::Index,
       "Subscript out of range"},
      {"cut_inside_the_information_header", "PX256X64", bmp(first(allSet(8, 8), 40)), Kind::Index,
       "Subscript out of range"},
      // 94 bytes hold the common 40-byte header, not the 108 bytes the file names.
      {"cut_inside_a_108_byte_information_header", "PX256X64", bmp(with32(allSet(8, 8), kBmpInfoSize, 108)),
       Kind::Index, "Subscript out of range"},
      // 2048 × 200 bytes: more than the image buffer holds.
      {"module_picture_beyond_the_image_buffer", "PX2048X1600", bmp(allSet(8, 8)), Kind::Index,
       "Subscript out of range", false},
  };
  return cases;
}

class FitRaises : public Files, public ::testing::WithParamInterface<RaiseCase> {};

TEST_P(FitRaises, where_the_other_readers_fail) {
  const RaiseCase& c = GetParam();
  rig.px->moduleName(c.module);
  const std::string path = c.file(dir_);
  std::int32_t width = -1;
  std::int32_t height = -1;
  EXPECT_EQ(rig.px->readBmpFileXY(path, width, height), !c.fileFault);
  for (int chained = 0; chained < 2; ++chained) {
    try {
      if (chained)
        rig.px->printBmpFileFrombufXYfit(path, width, height);
      else
        rig.px->readBmpFileXYfit(path, width, height);
      ADD_FAILURE() << "no error, chained " << chained;
    } catch (const DeviceError& e) {
      EXPECT_EQ(e.kind(), c.kind);
      EXPECT_STREQ(e.what(), c.text);
    }
  }
  EXPECT_TRUE(rig.env.boxes.empty());
  EXPECT_EQ(rig.px->bmpFrombufP, 0);
  EXPECT_TRUE(rig.sent().empty());
}

INSTANTIATE_TEST_SUITE_P(images, FitRaises, ::testing::ValuesIn(raiseCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// --- the header check ---

struct CheckCase {
  const char* name;
  const char* fileName;
  Bytes file;
  bool ok;
  const char* box;  // nullptr: none
  std::int16_t width;
  std::int16_t height;
};

const char* const kSpecifyBmp = "拡張子.bmpのファイルを指定してください。";
const char* const kSpecifySize = "画像サイズを&H40000バイトで納まる大きさに指定してください。";
const char* const kSpecifyMonochrome = "モノクロのWindowsビットマップ形式のファイルを指定してください。";

const std::vector<CheckCase>& checkCases() {
  static const std::vector<CheckCase> cases = {
      {"monochrome", "a.bmp", allSet(16, 8), true, nullptr, 16, 8},
      {"capital_extension", "A.BMP", allSet(16, 8), true, nullptr, 16, 8},
      {"further_extension", "a.bmp.txt", allSet(16, 8), false, kSpecifyBmp, -1, -1},
      {"4_bits", "a.bmp", makeBmp({8, 8, 4, [](int, int) { return 0u; }, {0, 0xFFFFFF}}), false,
       kSpecifyMonochrome, 8, 8},
      {"not_a_bitmap", "a.bmp", Bytes(100, 'x'), false, kSpecifyMonochrome, -1, -1},
      {"beyond_40000_dots", "a.bmp", allSet(1024, 257), false, kSpecifySize, 1024, 257},
      {"exactly_40000_dots", "a.bmp", allSet(1024, 256), true, nullptr, 1024, 256},
      // The size is judged before the depth.
      {"large_and_4_bits", "a.bmp", makeBmp({1024, 512, 4, [](int, int) { return 0u; }, {0, 0xFFFFFF}}),
       false, kSpecifySize, 1024, 512},
      {"zero_height", "a.bmp", with32(allSet(8, 8), kelmore::testkit::kBmpHeight, 0), false,
       "File size 0 error!", 8, 0},
      {"compressed", "a.bmp", with32(allSet(8, 8), kelmore::testkit::kBmpCompression, 1), false,
       kSpecifyMonochrome, 8, 8},
      {"rle8", "a.bmp", kelmore::testkit::makeRleBmp({8, 8, 8, [](int, int) { return 0u; }}, {0x00, 0x01}),
       false, kSpecifyMonochrome, 8, 8},
      // Only the header is read: the length of the file does not matter.
      {"200001_bytes", "a.bmp", padded(allSet(8, 8), 200001), true, nullptr, 8, 8},
      {"pixels_missing", "a.bmp", padded(allSet(8, 8), 62), true, nullptr, 8, 8},
  };
  return cases;
}

class Check : public Files, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(Check, judges_the_header) {
  const CheckCase& c = GetParam();
  std::int16_t width = -1;
  std::int16_t height = -1;
  EXPECT_EQ(rig.px->checkBmpFile(file(c.fileName, c.file), width, height), c.ok);
  EXPECT_EQ(rig.env.boxes, c.box ? std::vector<Box>{box(c.box)} : std::vector<Box>{});
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.height);
}

INSTANTIATE_TEST_SUITE_P(images, Check, ::testing::ValuesIn(checkCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// --- buffers ---

TEST_F(Files, readBmpFileEx_overwrites_only_the_bytes_it_writes) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  ASSERT_TRUE(rig.px->readBmpFile(file("wide.bmp", allSet(16, 8))));
  ASSERT_TRUE(rig.px->readBmpFileEx(file("narrow.bmp", makeBmp({8, 8})), width, height));
  EXPECT_EQ(image(17), join(join(Bytes(8, 0x00), Bytes(8, 0xFF)), {0x00}));
  // readBmpFile clears first, even for a name it refuses.
  EXPECT_FALSE(rig.px->readBmpFile("wide.png"));
  EXPECT_EQ(image(16), Bytes(16, 0));
}

TEST_F(Files, getBmph_copies_what_fits_and_refuses_a_longer_array) {
  ASSERT_TRUE(rig.px->readBmpFile(file("wide.bmp", allSet(16, 8))));
  Bytes longer(PX5000::kImageBufferBytes + 1, 0x55);
  EXPECT_THROW(rig.px->getBmph(longer), DeviceError);
  EXPECT_EQ(Bytes(longer.begin(), longer.begin() + 17), join(Bytes(16, 0xFF), {0x00}));
  EXPECT_EQ(longer.back(), 0x55);
}

TEST(Accumulation, appends_at_the_position_and_moves_it_on) {
  Rig rig;
  rig.px->printBmpFrombufP(100, 3, counting(3));
  rig.px->printBmpFrombuf(2, bytesOf({0xAA, 0xBB}));
  EXPECT_EQ(rig.px->bmpFrombufP, 105);
  rig.px->printBmpFrombufOut(0, 99, 7);
  EXPECT_EQ(rig.sent(), join(bytesOf({0x1F, 0x28, 0x65, 0x10, 0, 0, 0, 7, 0, 0}),
                             join(join({0x00}, counting(3)), bytesOf({0xAA, 0xBB, 0x00}))));
  // A length of 0 or less appends nothing.
  rig.px->printBmpFrombuf(-1, {});
  EXPECT_EQ(rig.px->bmpFrombufP, 105);
}

struct AppendCase {
  const char* name;
  std::int32_t start;
  std::int32_t dataLength;
  std::size_t dataBytes;
  std::int32_t endP;          // bmpFrombufP after the failure
  std::size_t appendedBytes;  // of the data, kept in the buffer
};

const AppendCase kAppends[] = {
    {"past_the_last_index", 0x80000 - 1, 4, 4, 0x80001, 2},
    {"data_shorter_than_its_length", 10, 5, 3, 13, 3},
    {"negative_position", -1, 1, 1, -1, 0},
};

class Append : public ::testing::TestWithParam<AppendCase> {};

TEST_P(Append, fails_with_an_index_error_and_keeps_what_went_in) {
  const AppendCase& c = GetParam();
  Rig rig;
  const Bytes data = counting(c.dataBytes);
  try {
    rig.px->printBmpFrombufP(c.start, c.dataLength, data);
    FAIL() << "no error";
  } catch (const DeviceError& e) {
    EXPECT_EQ(e.kind(), DeviceError::Kind::Index);
  }
  EXPECT_EQ(rig.px->bmpFrombufP, c.endP);
  if (c.appendedBytes > 0) {
    rig.px->printBmpFrombufOut(0, c.start, static_cast<std::int32_t>(c.appendedBytes));
    const Bytes sent = rig.sent();
    EXPECT_EQ(Bytes(sent.begin() + 10, sent.end()), Bytes(data.begin(), data.begin() + c.appendedBytes));
  }
}

INSTANTIATE_TEST_SUITE_P(images, Append, ::testing::ValuesIn(kAppends),
                         [](const auto& i) { return std::string(i.param.name); });

// --- chained operations ---

TEST_F(Files, printBmpFile_sends_a_file_of_the_modules_size) {
  rig.px->moduleName("PX256X64");
  ASSERT_TRUE(rig.px->ifOpen() == 0);
  EXPECT_TRUE(rig.px->printBmpFile(file("screen.bmp", allSet(256, 64))));
  EXPECT_EQ(rig.sent(),
            join(bytesOf({0x1F, 0x28, 0x66, 0x11, 0x00, 0x01, 0x08, 0x00, 0x01}), Bytes(2048, 0xFF)));
  EXPECT_TRUE(rig.env.boxes.empty());
  EXPECT_EQ(rig.device->module().memory().bitImage, Bytes(2048, 0xFF));
}

struct SizeCase {
  const char* name;
  const char* module;
  int width;
  int height;
  const char* box;
};

const SizeCase kSizes[] = {
    {"narrower_than_the_module", "PX256X64", 128, 64, "(256,64)dot monochrome File only!"},
    {"taller_than_the_module", "PX256X64", 256, 72, "(256,64)dot monochrome File only!"},
    {"no_module_size", "PX0X0", 256, 64, "(0,0)dot monochrome File only!"},
    // 60 dots would travel as 7 rows of the 8 a column holds.
    {"module_height_not_a_multiple_of_8", "PX256X60", 256, 60, "(256,60)dot monochrome File only!"},
};

class ModuleSize : public Files, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ModuleSize, is_the_only_size_printBmpFile_and_printBmpFileFrombuf_take) {
  const SizeCase& c = GetParam();
  rig.px->moduleName(c.module);
  const std::string path = file("screen.bmp", allSet(c.width, c.height));
  EXPECT_FALSE(rig.px->printBmpFile(path));
  EXPECT_FALSE(rig.px->printBmpFileFrombuf(path));
  EXPECT_EQ(rig.env.boxes, (std::vector<Box>{box(c.box), box(c.box)}));
  EXPECT_TRUE(rig.sent().empty());
  EXPECT_EQ(rig.px->bmpFrombufP, 0);
}

INSTANTIATE_TEST_SUITE_P(images, ModuleSize, ::testing::ValuesIn(kSizes),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Files, the_accumulating_operations_append_each_image_and_say_why_they_failed) {
  rig.px->moduleName("PX16X8");
  const std::string screen = file("screen.bmp", allSet(16, 8));
  const std::string tall = file("tall.bmp", allSet(3, 12));
  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_TRUE(rig.px->printBmpFileFrombuf(screen));
  EXPECT_EQ(rig.px->bmpFrombufP, 16);
  EXPECT_TRUE(rig.px->printBmpFileFrombufXY(tall, width, height));
  EXPECT_EQ(rig.px->bmpFrombufP, 16 + 6);
  EXPECT_TRUE(rig.px->printBmpFileFrombufEx(tall, width, height));
  EXPECT_EQ(rig.px->bmpFrombufP, 16 + 12);
  EXPECT_TRUE(rig.px->printBmpFileFrombufXYfit(tall, width, height));
  EXPECT_EQ(rig.px->bmpFrombufP, 16 + 12 + 16);
  EXPECT_TRUE(rig.px->printBmpFileFrombufP(1000, tall, width, height));
  EXPECT_EQ(rig.px->bmpFrombufP, 1006);
  EXPECT_TRUE(rig.env.boxes.empty());

  rig.px->printBmpFrombufOut(0, 16, 6);
  EXPECT_EQ(rig.sent(), join(bytesOf({0x1F, 0x28, 0x65, 0x10, 0, 0, 0, 6, 0, 0}), repeat({0xFF, 0xF0}, 3)));

  const std::string missing = (dir_ / "missing.bmp").string();
  EXPECT_FALSE(rig.px->printBmpFileFrombufP(0, missing, width, height));
  EXPECT_FALSE(rig.px->printBmpFileFrombufXY(missing, width, height));
  EXPECT_FALSE(rig.px->printBmpFileFrombufEx(missing, width, height));
  EXPECT_EQ(rig.env.boxes, (std::vector<Box>{box("File read error!\r\n not monochrome File?"),
                                             box("monochrome File only!"), box("monochrome File only!")}));
  EXPECT_EQ(rig.px->bmpFrombufP, 1006);
}

}  // namespace
}  // namespace kelmore::link
