// Fuzz target of the bitmap reader: any bytes are refused or decoded, never read out of bounds, and a
// decoded picture packs to exactly the bytes its size promises under either dot rule.
// Layer: fuzz (plain C++, no Qt).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/bitmap.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmore::bitmap;
  const std::span<const std::uint8_t> file(data, size);
  const Decoded decoded = decodeBitmap(file);
  // The header check on the header alone agrees with the whole decode up to the file's length.
  const HeaderCheck head = checkHeader(file.first(std::min(size, kMaxHeaderBytes)));
  if (decoded.error != BmpError::Truncated) require(head.error == decoded.error);
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
