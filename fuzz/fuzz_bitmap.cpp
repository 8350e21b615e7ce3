// Fuzz target of the bitmap reader: any bytes are refused or decoded, never read out of bounds, and a
// decoded picture packs to exactly the bytes its size promises under either dot rule. The same bytes as a
// file go through the display module's bitmap readers, which take only what the decoder takes (never a
// compressed file). The same bytes are also the RLE8 and RLE4 codes of a small picture: refused as broken
// or decoded, and a decoded picture encoded again as runs decodes to itself.
// Layer: fuzz (plain C++, no Qt).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/bitmap.h"
#include "link/px5000.h"
#include "virtualenv.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// One ".bmp" file for the run, removed at exit, refilled for each input.
class BmpFile {
 public:
  BmpFile() : fd_(mkstemps(name_, 4)) { require(fd_ >= 0); }
  ~BmpFile() { unlink(name_); }
  const char* fill(std::span<const std::uint8_t> bytes) {
    require(ftruncate(fd_, 0) == 0 &&
            pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
    return name_;
  }

 private:
  char name_[32] = "/tmp/fuzz_bitmap_XXXXXX.bmp";
  int fd_;
};

void checkDeviceReaders(std::span<const std::uint8_t> file, const kelmore::bitmap::Decoded& decoded) {
  using namespace kelmore;
  static link::testkit::VirtualEnv env;
  static link::PX5000 px(env);  // its 1.8 MB of buffers once, not once an input
  env.boxes.clear();            // the readers' messages, kept by the environment
  static BmpFile bmp;
  const char* name = bmp.fill(file);
  const bool plainOneBit = decoded.error == bitmap::BmpError::None && decoded.header.bitCount == 1;

  // readBmpFile is readBmpFileEx after clearing the image buffer, whose fill, counted byte by byte under
  // coverage, would cost more than the read.
  std::int32_t width = 0, height = 0;
  if (px.readBmpFileEx(name, width, height)) require(plainOneBit);
  if (px.readBmpFileXY(name, width, height)) {
    require(plainOneBit && width == decoded.image.widthDots && height == decoded.image.heightDots);
  }
  std::int16_t xsize = 0, ysize = 0;
  px.checkBmpFile(name, xsize, ysize);
  // A module size from the file's own first bytes, so fitting meets every shape.
  const int across = file.size() > 0 ? file[0] + 1 : 8;
  const int down = file.size() > 1 ? (file[1] % 16 + 1) * 8 : 8;
  px.moduleName("PX" + std::to_string(across) + "X" + std::to_string(down));
  try {
    if (px.readBmpFileXYfit(name, width, height)) require(plainOneBit);
  } catch (const link::DeviceError& e) {
    // What the other readers refuse quietly: a header too short for its fields, a size too large for
    // 16 bits whatever the depth, a one-bit file cut short.
    const bitmap::BmpHeader& h = decoded.header;
    const bool headerRead =
        decoded.error != bitmap::BmpError::NotBitmap && decoded.error != bitmap::BmpError::UnknownHeader;
    const bool beyond16Bits =
        h.widthDots() < 0 || h.widthDots() > bitmap::kMaxSideDots || h.heightDots() > bitmap::kMaxSideDots;
    if (e.kind() == link::DeviceError::Kind::Overflow) {
      require(headerRead && beyond16Bits);
    } else {
      require(e.kind() == link::DeviceError::Kind::Index);
      if (headerRead)
        require(h.bitCount == 1 && decoded.error == bitmap::BmpError::Truncated);
      else
        require(file.size() < bitmap::kMaxHeaderBytes);
    }
  }
}

// A picture of an odd width, so that runs meet the padding of its stored rows; its colour table's entry i
// is grey i, so the decoded grey is the colour index.
constexpr int kCodesWidth = 13;
constexpr int kCodesHeight = 7;

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> compressedFile(int bitCount, std::span<const std::uint8_t> codes) {
  const std::uint32_t colours = 1u << bitCount;
  const std::size_t offset = 14 + 40 + 4 * colours;
  std::vector<std::uint8_t> b(offset, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, static_cast<std::uint32_t>(offset));
  put32(b, 14, 40);
  put32(b, 18, kCodesWidth);
  put32(b, 22, kCodesHeight);
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bitCount);
  put32(b, 30, bitCount == 8 ? kelmore::bitmap::kRle8 : kelmore::bitmap::kRle4);
  put32(b, 46, colours);
  for (std::uint32_t i = 0; i < colours; ++i)
    b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = static_cast<std::uint8_t>(i);
  b.insert(b.end(), codes.begin(), codes.end());
  return b;
}

// Runs of equal pixels, a line end after each stored row and the end of the bitmap.
std::vector<std::uint8_t> runsOf(const kelmore::bitmap::Bitmap& image, int bitCount) {
  std::vector<std::uint8_t> codes;
  for (int y = image.heightDots - 1; y >= 0; --y) {
    for (int x = 0; x < image.widthDots;) {
      const std::uint8_t index = image.greyAt(x, y);
      int run = 1;
      while (x + run < image.widthDots && run < 255 && image.greyAt(x + run, y) == index) ++run;
      codes.push_back(static_cast<std::uint8_t>(run));
      codes.push_back(bitCount == 8 ? index : static_cast<std::uint8_t>(index << 4 | index));
      x += run;
    }
    codes.insert(codes.end(), {0x00, 0x00});
  }
  codes.insert(codes.end(), {0x00, 0x01});
  return codes;
}

void checkCodes(std::span<const std::uint8_t> codes) {
  using namespace kelmore::bitmap;
  for (int bitCount : {8, 4}) {
    const Decoded decoded = decodeBitmap(compressedFile(bitCount, codes));
    require(decoded.error == BmpError::None || decoded.error == BmpError::Truncated ||
            decoded.error == BmpError::BadRun);
    if (decoded.error != BmpError::None) {
      require(decoded.image.grey.empty());
      continue;
    }
    const Bitmap& image = decoded.image;
    require(image.widthDots == kCodesWidth && image.heightDots == kCodesHeight);
    require(image.grey.size() == static_cast<std::size_t>(kCodesWidth) * kCodesHeight);
    for (std::uint8_t index : image.grey) require(index < (1u << bitCount));
    const Decoded again = decodeBitmap(compressedFile(bitCount, runsOf(image, bitCount)));
    require(again.error == BmpError::None && again.image.grey == image.grey);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmore::bitmap;
  const std::span<const std::uint8_t> file(data, size);
  const Decoded decoded = decodeBitmap(file);
  // The header check on the header alone agrees with the whole decode up to the file's length.
  const HeaderCheck head = checkHeader(file.first(std::min(size, kMaxHeaderBytes)));
  if (decoded.error != BmpError::Truncated && decoded.error != BmpError::BadRun)
    require(head.error == decoded.error);
  checkDeviceReaders(file, decoded);
  checkCodes(file);
  if (decoded.error != BmpError::None) {
    require(decoded.image.grey.empty());
    return 0;
  }
  const Bitmap& image = decoded.image;
  require(image.widthDots >= 1 && image.widthDots <= kMaxSideDots);
  require(image.heightDots >= 1 && image.heightDots <= kMaxSideDots);
  require(image.grey.size() == static_cast<std::size_t>(image.widthDots) * image.heightDots);
  if (decoded.header.compressed()) {
    // A few codes may cover the whole picture, which the reader bounds by itself.
    require(decoded.header.bitCount == (decoded.header.compression == kRle8 ? 8 : 4));
    require(image.grey.size() <= static_cast<std::size_t>(kMaxCompressedDots));
  } else {
    // Every pixel comes from the file: at most eight a byte.
    require(image.grey.size() <= 8 * size);
  }

  for (const DotImage& dots : {pixelBitDots(image), darkDots(image)}) {
    const int bands = bandsCovering(dots.heightDots);
    require(packColumns(dots, bands).size() == static_cast<std::size_t>(dots.widthDots) * bands);
    const DotImage fitted = fitTo(dots, 64, 16);
    require(packColumns(fitted, 2).size() == 128);
  }
  return 0;
}
