// Windows bitmap files and the modules' column-byte layout: the one reader of a bitmap's header and pixels,
// the two dot rules, and the packing of dots into the bytes a module takes. Layer: common (plain C++, no Qt).
//
// The reader trusts nothing in the file: the header is checked (signature "BM", a Windows information
// header, 1, 4, 8 or 24 bits per pixel, no compression but RLE8 at 8 bits and RLE4 at 4, width and height
// from their full 32-bit fields within 1..32767, pixels that start after the headers and colour table and
// end inside the file) before a pixel is read or a byte allocated. An uncompressed picture is bounded by
// the file's own length; a compressed one, which a few codes can spread over any size, by kMaxCompressedDots.
// A negative height means top-down rows (never compressed). The first failed check is the result; the
// header fields are read all the same (as far as the file holds them), so a caller can apply rules of its
// own in its own order.
//
// Compressed pixels: runs, absolute runs, end of line, end of bitmap and moves; a pixel that no code sets
// (the rest of a line, of the picture, or the ones a move skips) is colour index 0. A run may reach the
// padded end of its stored row, whose pixels past the width are dropped (encoders write them too); a code
// past that, past the last row, or a stream that ends before its end of bitmap refuses the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelmore::bitmap {

inline constexpr int kMaxSideDots = 32767;
inline constexpr std::size_t kFileHeaderBytes = 14;
// The information header sizes the reader takes: BITMAPINFOHEADER and its later versions, which all begin
// with the same 40 bytes.
inline constexpr std::array<std::uint32_t, 5> kInfoHeaderBytes{40, 52, 56, 108, 124};
// The file header and the longest information header: all that checkHeader reads.
inline constexpr std::size_t kMaxHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes.back();
// Well beyond any picture the image tool keeps (32767 × 15 dots) and far below what would strain memory.
inline constexpr std::int64_t kMaxCompressedDots = 1 << 20;

// The compression field's values that the reader takes.
inline constexpr std::uint32_t kRgb = 0;
inline constexpr std::uint32_t kRle8 = 1;
inline constexpr std::uint32_t kRle4 = 2;

// The checks, in the order they are made.
enum class BmpError {
  None,
  NotBitmap,      // shorter than a file header, or no "BM"
  UnknownHeader,  // the information header is not one of the Windows sizes, or the file ends inside it
  Depth,          // bits per pixel other than 1, 4, 8 or 24
  Compressed,     // a compression other than RLE8 at 8 bits and RLE4 at 4, or compressed top-down rows
  ZeroSize,       // width or height 0
  TooLarge,       // width or height beyond 32767, a negative width, or a compressed picture of more than
                  // kMaxCompressedDots
  BadOffset,      // the pixels start inside the headers or the colour table
  Truncated,      // the file ends before the last pixel row, or before a compressed picture's end of bitmap
  BadRun,         // a compressed run or move past its padded row or past the last row
};

struct BmpHeader {
  std::uint32_t pixelOffset = 0;
  std::uint32_t infoBytes = 0;
  std::int32_t widthField = 0;   // as stored
  std::int32_t heightField = 0;  // as stored: negative for top-down rows
  int bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t colourCount = 0;  // colour-table entries used by 4- and 8-bit pixels

  std::int64_t widthDots() const { return widthField; }
  std::int64_t heightDots() const { return heightField < 0 ? -std::int64_t{heightField} : heightField; }
  bool topDown() const { return heightField < 0; }
  bool compressed() const { return compression != kRgb; }
  // Bytes of one stored row, padded to four.
  std::int64_t rowBytes() const { return (widthDots() * bitCount + 31) / 32 * 4; }
};

struct HeaderCheck {
  BmpError error = BmpError::NotBitmap;
  BmpHeader header;
};

// The header checks alone: everything but the file's length against its pixel rows. Needs the file header
// and the information header (at most kMaxHeaderBytes); the rest of the file may be absent.
HeaderCheck checkHeader(std::span<const std::uint8_t> file);

// A decoded picture: one grey value 0..255 per pixel, row by row from the top. 24 bits: the integer mean of
// blue, green and red; 4 and 8 bits: the mean of the pixel's colour-table entry (0 for an index past the
// table); 1 bit: 255 for a set bit, 0 for a clear one (the palette is not consulted).
struct Bitmap {
  int widthDots = 0;
  int heightDots = 0;
  int bitCount = 0;
  std::vector<std::uint8_t> grey;

  std::uint8_t greyAt(int x, int y) const {
    return grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(widthDots) +
                static_cast<std::size_t>(x)];
  }
};

struct Decoded {
  BmpError error = BmpError::NotBitmap;
  BmpHeader header;
  Bitmap image;  // empty unless error is None
};

// The header checks, the file's length (for a compressed picture: the codes), then the pixels.
Decoded decodeBitmap(std::span<const std::uint8_t> file);

// One dot (0 or 1) per pixel, row by row from the top.
struct DotImage {
  int widthDots = 0;
  int heightDots = 0;
  std::vector<std::uint8_t> dots;

  DotImage() = default;
  DotImage(int width, int height)
      : widthDots(width),
        heightDots(height),
        dots(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}
  std::uint8_t& at(int x, int y) {
    return dots[static_cast<std::size_t>(y) * static_cast<std::size_t>(widthDots) +
                static_cast<std::size_t>(x)];
  }
  std::uint8_t at(int x, int y) const {
    return dots[static_cast<std::size_t>(y) * static_cast<std::size_t>(widthDots) +
                static_cast<std::size_t>(x)];
  }
};

// The display module's rule for a one-bit file: a set pixel bit is a dot, whatever the palette says.
// (Any grey above 0 is a dot; for a one-bit file that is exactly its set bits.)
DotImage pixelBitDots(const Bitmap& image);
// The image tool's rule: a dark pixel, grey 128 or less, is a dot.
DotImage darkDots(const Bitmap& image);

// The image at the top left of a picture of the given size, cropped on the right and at the bottom, the
// rest of the picture 0.
DotImage fitTo(const DotImage& image, int widthDots, int heightDots);

// Bands of 8 rows that cover the whole height.
constexpr int bandsCovering(int heightDots) {
  return (heightDots + 7) / 8;
}

// Column-byte layout: column by column from the left, `bands` bytes a column from the top; in each byte
// the topmost of its 8 dots is bit 7. Rows at or past the image's height count as 0. widthDots × bands
// bytes.
std::vector<std::uint8_t> packColumns(const DotImage& image, int bands);

}  // namespace kelmore::bitmap
