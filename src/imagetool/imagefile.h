// What the image tool takes from a bitmap file and the limits every image of the list keeps: the byte size
// rule, the memory-area names, the file-name part of a path, and the dot conversion to PRT lines.
// Layer: image tool (plain C++, no Qt).
//
// Files are read through the bounded, non-blocking reader; the bitmap itself is read by common/bitmap.h.
// A bitmap enters the list only when it decodes and its image holds at most kMaxImageBytes bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bitmap.h"

namespace kelmore::imagetool {

// An image is X × (Y \ 8) bytes: whole bands of eight rows, the rows below the last band unused.
inline constexpr std::int64_t kMaxImageBytes = 32767;
constexpr std::int64_t imageBytes(std::int64_t widthDots, std::int64_t heightDots) {
  return heightDots / 8 * widthDots;
}
constexpr bool sizeFits(std::int64_t widthDots, std::int64_t heightDots) {
  return widthDots >= 0 && heightDots >= 0 && imageBytes(widthDots, heightDots) <= kMaxImageBytes;
}

// No bitmap within the size rule can be larger (a 24-bit image of 32767 × 15 dots is 1.5 MB), so a larger
// file is refused as too large without being read.
inline constexpr std::size_t kMaxBitmapFileBytes = 4u << 20;

// Depth: a Windows bitmap of a depth other than 1, 4, 8 or 24 bits (bitCount tells which).
enum class BitmapRefusal { None, NotBitmap, Depth, TooLarge };

struct BitmapFile {
  BitmapRefusal refusal = BitmapRefusal::NotBitmap;
  int bitCount = 0;  // as the header says, once it is read
  std::int16_t widthDots = 0;
  std::int16_t heightDots = 0;
  bitmap::Bitmap image;  // the decoded picture when refusal is None
};

BitmapFile readBitmapFile(const std::filesystem::path& path);
// A bitmap the tool can read, of any size.
bool isBmpFile(const std::filesystem::path& path);
bool isBmpFile(const BitmapFile& file);

// "This Color Depth is not supported Yet. " and the depth.
std::string depthMessage(int bitCount);
// "Image is too large."
std::string tooLargeMessage();
// The note for bitmaps whose height leaves rows below the last band of eight.
std::string heightNote(const std::vector<std::string>& fileNames);

// The text after the last "/" or "\" (a stored list may hold either).
std::string fileNamePart(std::string_view path);

// The memory area a text names, in any letter case and with blanks around it; its canonical text.
std::optional<std::string_view> canonicalMemory(std::string_view text);

// The dots of a bitmap as the module's column bytes and PRT lines: per column from the left, per band of
// eight rows from the top (Y \ 8 bands), one byte whose bit 7 is the band's top row, a bit set where the
// grey is 128 or less; inverted for "nega" (check other than 1). Sixteen bytes a line "PRT 1fh ...;" with
// CR LF; a last, shorter line has no ";" but its CR LF.
struct PrtImage {
  std::vector<std::uint8_t> bytes;
  std::string text;
};
PrtImage bmpToPrt(const bitmap::Bitmap& image, bool posi);

}  // namespace kelmore::imagetool
