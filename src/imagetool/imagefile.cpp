// Bitmap files for the image list, the area names and the PRT conversion.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/imagefile.h"

#include <span>

#include "common/models.h"
#include "common/prtline.h"
#include "common/strings.h"
#include "common/text.h"
#include "platform/fileread.h"

namespace kelmore::imagetool {
namespace {

constexpr std::size_t kPrtBytesPerLine = 16;

}  // namespace

BitmapFile readBitmapFile(const std::filesystem::path& path) {
  BitmapFile file;
  if (path.empty()) return file;
  platform::FileRead read = platform::readRegularFile(path, kMaxBitmapFileBytes);
  if (read.error == platform::ReadError::TooLarge) {
    file.refusal = BitmapRefusal::TooLarge;
    return file;
  }
  if (!read.ok()) return file;
  const auto* data = reinterpret_cast<const std::uint8_t*>(read.bytes.data());
  bitmap::Decoded decoded = bitmap::decodeBitmap(std::span<const std::uint8_t>(data, read.bytes.size()));
  file.bitCount = decoded.header.bitCount;
  if (decoded.error == bitmap::BmpError::Depth) {
    file.refusal = BitmapRefusal::Depth;
    return file;
  }
  if (decoded.error == bitmap::BmpError::TooLarge) {
    file.refusal = BitmapRefusal::TooLarge;
    return file;
  }
  if (decoded.error != bitmap::BmpError::None) return file;
  // Both sides are at most 32767 here (the reader's own bound).
  file.widthDots = static_cast<std::int16_t>(decoded.image.widthDots);
  file.heightDots = static_cast<std::int16_t>(decoded.image.heightDots);
  file.refusal = sizeFits(file.widthDots, file.heightDots) ? BitmapRefusal::None : BitmapRefusal::TooLarge;
  if (file.refusal == BitmapRefusal::None) file.image = std::move(decoded.image);
  return file;
}

bool isBmpFile(const std::filesystem::path& path) {
  return isBmpFile(readBitmapFile(path));
}

bool isBmpFile(const BitmapFile& file) {
  return file.refusal == BitmapRefusal::None || file.refusal == BitmapRefusal::TooLarge;
}

std::string depthMessage(int bitCount) {
  return "This Color Depth is not supported Yet. " + std::to_string(bitCount);
}

std::string tooLargeMessage() {
  return std::string(resString(4401));
}

std::string heightNote(const std::vector<std::string>& fileNames) {
  std::string note = "The height is not a multiple of 8; the rows below the last 8 are not used:";
  for (const auto& name : fileNames) note += "\n" + name;
  return note;
}

std::string fileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::optional<std::string_view> canonicalMemory(std::string_view text) {
  const std::string_view trimmed = trimWhitespace(text);
  for (std::string_view area : kImageMemoryAreas)
    if (equalsIgnoringCase(trimmed, area)) return area;
  return std::nullopt;
}

PrtImage bmpToPrt(const bitmap::Bitmap& image, bool posi) {
  PrtImage prt;
  const int bands = image.heightDots / 8;
  if (bands > 0) prt.bytes = bitmap::packColumns(bitmap::darkDots(image), bands);
  if (!posi)
    for (auto& byte : prt.bytes) byte ^= 0xFF;
  const std::span<const std::uint8_t> all(prt.bytes);
  for (std::size_t at = 0; at < all.size(); at += kPrtBytesPerLine) {
    const std::size_t n = std::min(kPrtBytesPerLine, all.size() - at);
    prt.text += prtLine(all.subspan(at, n), n == kPrtBytesPerLine);
    prt.text += "\r\n";
  }
  return prt;
}

}  // namespace kelmore::imagetool
