// Fuzz target of the bitmap reader: any bytes are refused or decoded, never read out of bounds, and a
// decoded picture packs to exactly the bytes its size promises under either dot rule. The same bytes as a
// file go through the display module's bitmap readers, which take only what the decoder takes.
// Layer: fuzz (plain C++, no Qt).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

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
  if (px.readBmpFileXYfit(name, width, height)) require(plainOneBit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmore::bitmap;
  const std::span<const std::uint8_t> file(data, size);
  const Decoded decoded = decodeBitmap(file);
  // The header check on the header alone agrees with the whole decode up to the file's length.
  const HeaderCheck head = checkHeader(file.first(std::min(size, kMaxHeaderBytes)));
  if (decoded.error != BmpError::Truncated) require(head.error == decoded.error);
  checkDeviceReaders(file, decoded);
  if (decoded.error != BmpError::None) {
    require(decoded.image.grey.empty());
    return 0;
  }
  const Bitmap& image = decoded.image;
  require(image.widthDots >= 1 && image.widthDots <= kMaxSideDots);
  require(image.heightDots >= 1 && image.heightDots <= kMaxSideDots);
  require(image.grey.size() == static_cast<std::size_t>(image.widthDots) * image.heightDots);
  // Every pixel comes from the file: at most eight a byte.
  require(image.grey.size() <= 8 * size);

  for (const DotImage& dots : {pixelBitDots(image), darkDots(image)}) {
    const int bands = bandsCovering(dots.heightDots);
    require(packColumns(dots, bands).size() == static_cast<std::size_t>(dots.widthDots) * bands);
    const DotImage fitted = fitTo(dots, 64, 16);
    require(packColumns(fitted, 2).size() == 128);
  }
  return 0;
}
