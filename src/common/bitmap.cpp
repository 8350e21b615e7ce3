// The bitmap reader and the column packing.
// Layer: common (plain C++, no Qt).
#include "common/bitmap.h"

#include <algorithm>
#include <array>

namespace kelmore::bitmap {
namespace {

constexpr std::size_t kPaletteEntryBytes = 4;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

bool hasPalette(int bitCount) {
  return bitCount == 4 || bitCount == 8;
}

// RLE8 at 8 bits and RLE4 at 4; compressed rows are bottom-up by the format's own rule.
bool compressionTaken(const BmpHeader& h) {
  if (!h.compressed()) return true;
  if (h.topDown()) return false;
  return (h.compression == kRle8 && h.bitCount == 8) || (h.compression == kRle4 && h.bitCount == 4);
}

// Colour index i of a run: RLE8 repeats its byte, RLE4 alternates the byte's high and low nibble.
std::uint8_t runIndex(std::uint8_t value, int bitCount, int i) {
  if (bitCount == 8) return value;
  return i % 2 == 0 ? value >> 4 : value & 0x0F;
}

// The codes of an RLE8 or RLE4 picture into `grey` (already the grey of index 0 throughout).
BmpError decodeRle(std::span<const std::uint8_t> codes, const BmpHeader& h,
                   const std::array<std::uint8_t, 256>& paletteGrey, std::vector<std::uint8_t>& grey) {
  constexpr std::uint8_t kEscape = 0, kEndOfLine = 0, kEndOfBitmap = 1, kMove = 2;
  const std::int64_t width = h.widthDots();
  const std::int64_t height = h.heightDots();
  // Pixels of a stored row with its padding: encoders write runs over the padding too.
  const std::int64_t rowPixels = h.rowBytes() * 8 / h.bitCount;
  std::int64_t x = 0;
  std::int64_t row = 0;  // stored rows, from the bottom
  std::size_t at = 0;
  const auto put = [&](std::uint8_t index) {
    if (x < width) grey[static_cast<std::size_t>((height - 1 - row) * width + x)] = paletteGrey[index];
    ++x;
  };
  for (;;) {
    if (codes.size() - at < 2) return BmpError::Truncated;
    const std::uint8_t count = codes[at];
    const std::uint8_t value = codes[at + 1];
    at += 2;
    if (count != kEscape) {
      if (row >= height || x + count > rowPixels) return BmpError::BadRun;
      for (int i = 0; i < count; ++i) put(runIndex(value, h.bitCount, i));
    } else if (value == kEndOfLine) {
      if (row >= height) return BmpError::BadRun;
      x = 0;
      ++row;
    } else if (value == kEndOfBitmap) {
      return BmpError::None;
    } else if (value == kMove) {
      if (codes.size() - at < 2) return BmpError::Truncated;
      x += codes[at];
      row += codes[at + 1];
      at += 2;
      if (x > rowPixels || row > height) return BmpError::BadRun;
    } else {
      // An absolute run of `value` pixels, packed as the depth stores them, padded to a 16-bit word.
      const std::size_t bytes = h.bitCount == 8 ? value : (value + 1u) / 2;
      const std::size_t padded = bytes + bytes % 2;
      if (codes.size() - at < padded) return BmpError::Truncated;
      if (row >= height || x + value > rowPixels) return BmpError::BadRun;
      for (int i = 0; i < value; ++i) {
        put(h.bitCount == 8 ? codes[at + i] : runIndex(codes[at + i / 2], h.bitCount, i));
      }
      at += padded;
    }
  }
}

template <typename Rule>
DotImage dotsWhere(const Bitmap& image, Rule isDot) {
  DotImage dots(image.widthDots, image.heightDots);
  for (std::size_t i = 0; i < image.grey.size(); ++i) dots.dots[i] = isDot(image.grey[i]) ? 1 : 0;
  return dots;
}

}  // namespace

HeaderCheck checkHeader(std::span<const std::uint8_t> file) {
  HeaderCheck check;
  BmpHeader& h = check.header;
  if (file.size() < kFileHeaderBytes + 4 || file[0] != 'B' || file[1] != 'M') return check;
  h.pixelOffset = u32(file, 10);
  h.infoBytes = u32(file, 14);
  check.error = BmpError::UnknownHeader;
  if (std::find(kInfoHeaderBytes.begin(), kInfoHeaderBytes.end(), h.infoBytes) == kInfoHeaderBytes.end() ||
      file.size() < kFileHeaderBytes + h.infoBytes) {
    return check;
  }
  h.widthField = static_cast<std::int32_t>(u32(file, 18));
  h.heightField = static_cast<std::int32_t>(u32(file, 22));
  h.bitCount = u16(file, 28);
  h.compression = u32(file, 30);
  if (hasPalette(h.bitCount)) {
    const std::uint32_t full = 1u << h.bitCount;
    const std::uint32_t used = u32(file, 46);
    h.colourCount = used == 0 ? full : std::min(used, full);
  }

  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) {
    check.error = BmpError::Depth;
  } else if (!compressionTaken(h)) {
    check.error = BmpError::Compressed;
  } else if (h.widthDots() == 0 || h.heightDots() == 0) {
    check.error = BmpError::ZeroSize;
  } else if (h.widthDots() < 0 || h.widthDots() > kMaxSideDots || h.heightDots() > kMaxSideDots ||
             (h.compressed() && h.widthDots() * h.heightDots() > kMaxCompressedDots)) {
    check.error = BmpError::TooLarge;
  } else if (h.pixelOffset < kFileHeaderBytes + h.infoBytes + kPaletteEntryBytes * h.colourCount) {
    check.error = BmpError::BadOffset;
  } else {
    check.error = BmpError::None;
  }
  return check;
}

Decoded decodeBitmap(std::span<const std::uint8_t> file) {
  Decoded decoded;
  const HeaderCheck check = checkHeader(file);
  decoded.header = check.header;
  decoded.error = check.error;
  if (check.error != BmpError::None) return decoded;
  const BmpHeader& h = check.header;
  // Both sides are below 2^15 and a row below 2^17 bytes: the product stays far inside 64 bits.
  // Compressed codes are as long as they are; they start inside the file all the same.
  const std::uint64_t pixelBytes =
      h.compressed() ? 0 : static_cast<std::uint64_t>(h.rowBytes()) * h.heightDots();
  if (h.pixelOffset + pixelBytes > file.size()) {
    decoded.error = BmpError::Truncated;
    return decoded;
  }

  Bitmap& image = decoded.image;
  image.widthDots = static_cast<int>(h.widthDots());
  image.heightDots = static_cast<int>(h.heightDots());
  image.bitCount = h.bitCount;
  const std::size_t dots =
      static_cast<std::size_t>(image.widthDots) * static_cast<std::size_t>(image.heightDots);

  std::array<std::uint8_t, 256> paletteGrey{};  // entries past the table stay 0
  const std::size_t palette = kFileHeaderBytes + h.infoBytes;
  for (std::size_t i = 0; i < h.colourCount; ++i) {
    const std::size_t at = palette + kPaletteEntryBytes * i;
    paletteGrey[i] = static_cast<std::uint8_t>((file[at] + file[at + 1] + file[at + 2]) / 3);
  }

  if (h.compressed()) {
    image.grey.assign(dots, paletteGrey[0]);
    const auto codes = file.subspan(h.pixelOffset);
    decoded.error = decodeRle(codes, h, paletteGrey, image.grey);
    if (decoded.error != BmpError::None) decoded.image = {};
    return decoded;
  }

  image.grey.resize(dots);
  const auto rowBytes = static_cast<std::size_t>(h.rowBytes());
  std::size_t out = 0;
  for (int y = 0; y < image.heightDots; ++y) {
    const std::size_t fileRow = h.topDown() ? y : image.heightDots - 1 - y;
    const auto row = file.subspan(h.pixelOffset + rowBytes * fileRow, rowBytes);
    for (int x = 0; x < image.widthDots; ++x) {
      std::uint8_t grey = 0;
      switch (h.bitCount) {
        case 1:
          grey = (row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
          break;
        case 4:
          grey = paletteGrey[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
          break;
        case 8:
          grey = paletteGrey[row[x]];
          break;
        default: {
          const std::size_t at = 3 * static_cast<std::size_t>(x);
          grey = static_cast<std::uint8_t>((row[at] + row[at + 1] + row[at + 2]) / 3);
        }
      }
      image.grey[out++] = grey;
    }
  }
  return decoded;
}

DotImage pixelBitDots(const Bitmap& image) {
  return dotsWhere(image, [](std::uint8_t grey) { return grey != 0; });
}

DotImage darkDots(const Bitmap& image) {
  return dotsWhere(image, [](std::uint8_t grey) { return grey <= 128; });
}

DotImage fitTo(const DotImage& image, int widthDots, int heightDots) {
  DotImage fitted(widthDots, heightDots);
  const int w = std::min(image.widthDots, widthDots);
  const int h = std::min(image.heightDots, heightDots);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) fitted.at(x, y) = image.at(x, y);
  }
  return fitted;
}

std::vector<std::uint8_t> packColumns(const DotImage& image, int bands) {
  std::vector<std::uint8_t> bytes;
  if (image.widthDots <= 0 || bands <= 0) return bytes;
  bytes.reserve(static_cast<std::size_t>(image.widthDots) * static_cast<std::size_t>(bands));
  for (int x = 0; x < image.widthDots; ++x) {
    for (int band = 0; band < bands; ++band) {
      std::uint8_t byte = 0;
      for (int k = 0; k < 8; ++k) {
        const int y = band * 8 + k;
        if (y < image.heightDots && image.at(x, y)) byte |= static_cast<std::uint8_t>(0x80 >> k);
      }
      bytes.push_back(byte);
    }
  }
  return bytes;
}

}  // namespace kelmore::bitmap
