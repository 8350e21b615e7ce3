// Windows bitmap files built in memory for the tests: any depth, bottom-up or top-down rows, compressed
// ones from their codes, and the header fields at hand for a test that spoils them.
// Layer: tests (plain C++, no Qt).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace kelmore::testkit {

struct BmpSpec {
  int width = 8;
  int height = 8;  // negative: rows stored top-down
  int bitCount = 1;
  // The stored value of pixel (x, y), y 0 the top row: the bit, the colour index, or 0xRRGGBB at 24 bits.
  std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0u; };
  std::vector<std::uint32_t> palette{0x000000, 0xFFFFFF};  // 0xRRGGBB
};

// Offsets of the header fields.
inline constexpr std::size_t kBmpPixelOffset = 10;
inline constexpr std::size_t kBmpInfoSize = 14;
inline constexpr std::size_t kBmpWidth = 18;
inline constexpr std::size_t kBmpHeight = 22;
inline constexpr std::size_t kBmpBitCount = 28;
inline constexpr std::size_t kBmpCompression = 30;

inline void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v);
  put16(b, at + 2, v >> 16);
}

inline std::vector<std::uint8_t> makeBmp(const BmpSpec& spec) {
  const int w = spec.width;
  const int h = spec.height < 0 ? -spec.height : spec.height;
  const std::size_t rowBytes = (static_cast<std::size_t>(w) * spec.bitCount + 31) / 32 * 4;
  const bool paletted = spec.bitCount <= 8;
  const std::size_t paletteBytes = paletted ? 4 * spec.palette.size() : 0;
  const std::size_t offset = 14 + 40 + paletteBytes;
  std::vector<std::uint8_t> b(offset + rowBytes * h, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 2, static_cast<std::uint32_t>(b.size()));
  put32(b, kBmpPixelOffset, static_cast<std::uint32_t>(offset));
  put32(b, kBmpInfoSize, 40);
  put32(b, kBmpWidth, static_cast<std::uint32_t>(spec.width));
  put32(b, kBmpHeight, static_cast<std::uint32_t>(spec.height));
  put16(b, 26, 1);
  put16(b, kBmpBitCount, static_cast<std::uint32_t>(spec.bitCount));
  if (paletted) put32(b, 46, static_cast<std::uint32_t>(spec.palette.size()));
  for (std::size_t i = 0; paletted && i < spec.palette.size(); ++i) {
    const std::uint32_t rgb = spec.palette[i];
    b[54 + 4 * i] = static_cast<std::uint8_t>(rgb);
    b[54 + 4 * i + 1] = static_cast<std::uint8_t>(rgb >> 8);
    b[54 + 4 * i + 2] = static_cast<std::uint8_t>(rgb >> 16);
  }
  for (int y = 0; y < h; ++y) {
    const std::size_t fileRow = spec.height < 0 ? y : h - 1 - y;
    std::uint8_t* row = b.data() + offset + rowBytes * fileRow;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t v = spec.pixel(x, y);
      switch (spec.bitCount) {
        case 1:
          if (v & 1) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
          break;
        case 4:
          row[x / 2] |= static_cast<std::uint8_t>((v & 0x0F) << (x % 2 == 0 ? 4 : 0));
          break;
        case 8:
          row[x] = static_cast<std::uint8_t>(v);
          break;
        default: {
          // 16, 24 or 32 bits: the value's low bytes, as many as a pixel holds.
          const std::size_t bytes = static_cast<std::size_t>(spec.bitCount / 8);
          for (std::size_t i = 0; i < bytes && i < 4; ++i)
            row[static_cast<std::size_t>(x) * bytes + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
      }
    }
  }
  return b;
}

// The same header and colour table as makeBmp(spec), its pixels replaced by the given RLE8 (8 bits) or
// RLE4 (4 bits) codes.
inline std::vector<std::uint8_t> makeRleBmp(BmpSpec spec, const std::vector<std::uint8_t>& codes) {
  spec.pixel = [](int, int) { return 0u; };
  std::vector<std::uint8_t> b = makeBmp(spec);
  const std::size_t offset = b[kBmpPixelOffset] | b[kBmpPixelOffset + 1] << 8;
  b.resize(offset);
  b.insert(b.end(), codes.begin(), codes.end());
  put32(b, 2, static_cast<std::uint32_t>(b.size()));
  put32(b, kBmpCompression, spec.bitCount == 8 ? 1 : 2);
  put32(b, 34, static_cast<std::uint32_t>(codes.size()));
  return b;
}

inline void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kelmore::testkit
