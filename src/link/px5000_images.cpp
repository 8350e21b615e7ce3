// PX5000 image members: image commands, the bitmap file readers, the accumulation buffer and the
// operations that chain them.
// Layer: link (plain C++, no Qt).
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/bitmap.h"
#include "link/fields.h"
#include "link/px5000.h"
#include "platform/fileread.h"

namespace kelmore::link {

using fields::appendField;
using fields::appendTriple;
using fields::byte;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::int64_t kDotFieldMax = 32767;
constexpr std::int64_t kSourceYMax = 65535;
// readBmpFile and readBmpFileEx unpack into a table of this many dots.
constexpr std::int64_t kMaxReadDots = 1600001;
constexpr std::int64_t kMaxCheckedDots = 0x40000;

constexpr std::string_view kNotBmp = "Not BMP File!";
constexpr std::string_view kZeroSize = "File size 0 error!";
// The system joins the lines of its messages with CR LF.
constexpr std::string_view kReadError = "File read error!\r\n not monochrome File?";
constexpr std::string_view kMonochromeOnly = "monochrome File only!";
constexpr std::string_view kSpecifyBmp = "拡張子.bmpのファイルを指定してください。";
constexpr std::string_view kSpecifySize = "画像サイズを&H40000バイトで納まる大きさに指定してください。";
constexpr std::string_view kSpecifyMonochrome =
    "モノクロのWindowsビットマップ形式のファイルを指定してください。";

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool containsBmp(std::string_view fileName) {
  return lowerAscii(fileName).find(".bmp") != std::string::npos;
}

bool endsInBmp(std::string_view fileName) {
  return lowerAscii(fileName).ends_with(".bmp");
}

std::span<const std::uint8_t> asBytes(const std::string& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

std::filesystem::path pathOf(std::string_view fileName) {
  return std::filesystem::path(std::string(fileName));
}

// A width or height that no 16-bit output holds; a negative width counts.
bool beyond16Bits(const bitmap::BmpHeader& header) {
  return header.widthDots() < 0 || header.widthDots() > bitmap::kMaxSideDots ||
         header.heightDots() > bitmap::kMaxSideDots;
}

// The file ends before its header does, so taking the header's fields would read past its end: before
// the information header its size field names, or, for a file that names none of the Windows sizes (or
// has no "BM"), before the common 40-byte one, which holds every field the readers take.
bool endsInsideHeader(std::span<const std::uint8_t> file, const bitmap::BmpHeader& header) {
  const auto& sizes = bitmap::kInfoHeaderBytes;
  const bool named = std::find(sizes.begin(), sizes.end(), header.infoBytes) != sizes.end();
  return file.size() < bitmap::kFileHeaderBytes + (named ? header.infoBytes : sizes.front());
}

void appendData(Bytes& bytes, std::span<const std::uint8_t> data, std::int64_t count) {
  const auto head = fields::head(data, count);
  bytes.insert(bytes.end(), head.begin(), head.end());
}

// Memory, address, the field after it (the module's rows followed by 00, or the Ex variants' source row),
// width and rows.
Bytes displayCommand(std::uint8_t kind, int memory, std::int32_t address, int bmpWidth, int bmpHeight) {
  Bytes bytes{0x1F, 0x28, 0x66, kind, byte(memory)};
  appendTriple(bytes, address);
  fields::checkField(bmpWidth, kDotFieldMax);
  fields::checkField(bmpHeight, kDotFieldMax);
  return bytes;
}

void appendSize(Bytes& bytes, int bmpWidth, int bmpHeight) {
  appendField(bytes, bmpWidth, kDotFieldMax);
  appendField(bytes, bmpHeight / 8, kDotFieldMax);
  bytes.push_back(0x01);
}

}  // namespace

void PX5000::message(std::string_view text) {
  env_.messageBox(text, "", BoxIcon::None);
}

// --- image commands ---

void PX5000::printBmp(int bmpWidth, int bmpHeight, std::span<const std::uint8_t> bmpData) {
  Bytes bytes{0x1F, 0x28, 0x66, 0x11};
  fields::checkField(bmpWidth, kDotFieldMax);
  fields::checkField(bmpHeight, kDotFieldMax);
  // The data is bmpWidth columns of height / 8 bytes; a partial band would shift every column after it.
  if (bmpHeight % 8 != 0) {
    message(moduleSizeMessage());
    return;
  }
  appendSize(bytes, bmpWidth, bmpHeight);
  appendData(bytes, bmpData, std::int64_t{bmpWidth} * (bmpHeight / 8));
  ifOut(bytes);
}

void PX5000::printBmpRam(std::int32_t address, int dataLength, std::span<const std::uint8_t> bmpData) {
  Bytes bytes{0x1F, 0x28, 0x66, 0x01};
  appendTriple(bytes, address);
  appendField(bytes, dataLength, kDotFieldMax);
  bytes.push_back(0x00);
  appendData(bytes, bmpData, dataLength);
  ifOut(bytes);
}

void PX5000::printBmpFrom(std::int32_t address, std::int32_t dataLength,
                          std::span<const std::uint8_t> bmpData) {
  Bytes bytes{0x1F, 0x28, 0x65, 0x10};
  appendTriple(bytes, address);
  appendTriple(bytes, dataLength);
  appendData(bytes, bmpData, dataLength);
  ifOut(bytes);
}

void PX5000::printBmpFrombufOut(std::int32_t fromAddress, std::int32_t bmpFrombufAddress, std::int32_t size) {
  Bytes bytes{0x1F, 0x28, 0x65, 0x10};
  appendTriple(bytes, fromAddress);
  appendTriple(bytes, size);
  if (bmpFrombufAddress < 0 || std::int64_t{bmpFrombufAddress} + size > std::int64_t{kFromBufferBytes}) {
    throw DeviceError(DeviceError::Kind::Index);
  }
  const auto from = fromBuffer_.begin() + bmpFrombufAddress;
  bytes.insert(bytes.end(), from, from + size);
  ifOut(bytes);
}

void PX5000::displayBmpFrom(int memory, std::int32_t address, int bmpWidth, int bmpHeight) {
  Bytes bytes = displayCommand(0x10, memory, address, bmpWidth, bmpHeight);
  bytes.insert(bytes.end(), {byte(dotY_ / 8), 0x00});
  appendSize(bytes, bmpWidth, bmpHeight);
  ifOut(bytes);
}

void PX5000::displayBmpFromEx(int memory, std::int32_t address, std::int32_t sourceY, int bmpWidth,
                              int bmpHeight) {
  Bytes bytes = displayCommand(0x10, memory, address, bmpWidth, bmpHeight);
  appendField(bytes, sourceY, kSourceYMax);
  appendSize(bytes, bmpWidth, bmpHeight);
  ifOut(bytes);
}

void PX5000::displayBmpFromS(int memory, std::int32_t address, int bmpWidth, int bmpHeight, int speed) {
  Bytes bytes = displayCommand(0x90, memory, address, bmpWidth, bmpHeight);
  bytes.insert(bytes.end(), {byte(dotY_ / 8), 0x00});
  appendSize(bytes, bmpWidth, bmpHeight);
  bytes.push_back(byte(speed));
  ifOut(bytes);
}

void PX5000::displayBmpFromExS(int memory, std::int32_t address, std::int32_t sourceY, int bmpWidth,
                               int bmpHeight, int speed) {
  Bytes bytes = displayCommand(0x90, memory, address, bmpWidth, bmpHeight);
  appendField(bytes, sourceY, kSourceYMax);
  appendSize(bytes, bmpWidth, bmpHeight);
  bytes.push_back(byte(speed));
  ifOut(bytes);
}

// --- readers ---

PX5000::OneBitRead PX5000::readOneBit(std::string_view fileName, bool clearOnceRead, std::int32_t& width,
                                      std::int32_t& height) {
  using bitmap::BmpError;
  OneBitRead result;
  const platform::FileRead read = platform::readRegularFile(pathOf(fileName), kMaxBmpFileBytes);
  switch (read.error) {
    case platform::ReadError::None:
      break;
    case platform::ReadError::TooLarge:
      return result;
    case platform::ReadError::Missing:
      result.failure = ReadFailure::Missing;
      return result;
    default:
      result.failure = ReadFailure::Unreadable;
      return result;
  }
  const std::span<const std::uint8_t> file = asBytes(read.bytes);
  const bitmap::Decoded decoded = bitmap::decodeBitmap(file);
  const bitmap::BmpHeader& header = decoded.header;
  switch (decoded.error) {
    case BmpError::NotBitmap:
    case BmpError::UnknownHeader:
      if (endsInsideHeader(file, header)) result.failure = ReadFailure::Overrun;
      return result;
    default:
      break;
  }
  // The width and height are taken before the depth and the compression are judged: a size beyond 16 bits
  // overflows whatever they are.
  if (beyond16Bits(header)) {
    result.failure = ReadFailure::Oversized;
    return result;
  }
  if (decoded.error == BmpError::Depth || decoded.error == BmpError::Compressed) return result;
  if (header.bitCount != 1) return result;
  width = static_cast<std::int32_t>(header.widthDots());
  height = static_cast<std::int32_t>(header.heightDots());
  if (clearOnceRead) std::fill(imageBuffer_.begin(), imageBuffer_.end(), 0);
  if (decoded.error == BmpError::ZeroSize) {
    message(kZeroSize);
    return result;
  }
  if (decoded.error == BmpError::Truncated) result.failure = ReadFailure::Overrun;
  if (decoded.error != BmpError::None) return result;
  result.dots = bitmap::pixelBitDots(decoded.image);
  return result;
}

bool PX5000::storeImage(const bitmap::DotImage& image) {
  const Bytes packed = bitmap::packColumns(image, bitmap::bandsCovering(image.heightDots));
  if (packed.size() > kImageBufferBytes) return false;
  std::copy(packed.begin(), packed.end(), imageBuffer_.begin());
  return true;
}

bool PX5000::readWholeBmp(std::string_view fileName, bool clearFirst, std::int32_t& width,
                          std::int32_t& height) {
  if (clearFirst) std::fill(imageBuffer_.begin(), imageBuffer_.end(), 0);
  if (!containsBmp(fileName)) {
    message(kNotBmp);
    return false;
  }
  const auto read = readOneBit(fileName, false, width, height);
  if (!read.dots) return false;
  if (std::int64_t{width} * 8 * bitmap::bandsCovering(height) > kMaxReadDots) return false;
  return storeImage(*read.dots);
}

bool PX5000::readBmpFile(std::string_view fileName) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  return readWholeBmp(fileName, true, width, height);
}

bool PX5000::readBmpFileEx(std::string_view fileName, std::int32_t& width, std::int32_t& height) {
  return readWholeBmp(fileName, false, width, height);
}

bool PX5000::readBmpFileXY(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize) {
  if (!endsInBmp(fileName)) return false;
  const auto read = readOneBit(fileName, true, xsize, ysize);
  return read.dots && storeImage(*read.dots);
}

bool PX5000::readBmpFileXYfit(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize) {
  using Kind = DeviceError::Kind;
  if (!endsInBmp(fileName)) return false;
  // Without a module size, or with a height no whole number of rows covers, there is no module picture
  // to fit the image into.
  if (dotX_ < 1 || dotY_ < 1 || dotY_ % 8 != 0) return false;
  const auto read = readOneBit(fileName, true, xsize, ysize);
  switch (read.failure) {
    case ReadFailure::Refused:
      break;
    case ReadFailure::Missing:
      throw DeviceError(Kind::FileNotFound);
    case ReadFailure::Unreadable:
      throw DeviceError(Kind::FileAccess);
    case ReadFailure::Oversized:
      throw DeviceError(Kind::Overflow);
    case ReadFailure::Overrun:
      throw DeviceError(Kind::Index);
  }
  if (!read.dots) return false;
  // The module picture is packed into the image buffer, which it must not overrun.
  if (static_cast<std::size_t>(dotX_) * static_cast<std::size_t>(dotY_ / 8) > kImageBufferBytes)
    throw DeviceError(Kind::Index);
  return storeImage(bitmap::fitTo(*read.dots, dotX_, dotY_));
}

bool PX5000::checkBmpFile(std::string_view fileName, std::int16_t& xsize, std::int16_t& ysize) {
  using bitmap::BmpError;
  if (!endsInBmp(fileName)) {
    message(kSpecifyBmp);
    return false;
  }
  const platform::FileRead read = platform::readRegularFileHead(pathOf(fileName), bitmap::kMaxHeaderBytes);
  if (!read.ok()) return false;
  const std::string& head = read.bytes;
  const bitmap::HeaderCheck check = bitmap::checkHeader(asBytes(head));
  const bitmap::BmpHeader& header = check.header;
  if (check.error == BmpError::NotBitmap || check.error == BmpError::UnknownHeader) {
    message(kSpecifyMonochrome);
    return false;
  }
  if (beyond16Bits(header)) return false;
  xsize = static_cast<std::int16_t>(header.widthDots());
  ysize = static_cast<std::int16_t>(header.heightDots());
  if (header.widthDots() * header.heightDots() > kMaxCheckedDots) {
    message(kSpecifySize);
    return false;
  }
  if (check.error == BmpError::ZeroSize) {
    message(kZeroSize);
    return false;
  }
  if (header.bitCount != 1 || check.error != BmpError::None) {
    message(kSpecifyMonochrome);
    return false;
  }
  return true;
}

void PX5000::getBmph(std::span<std::uint8_t> h) {
  const std::size_t count = std::min(h.size(), kImageBufferBytes);
  std::copy_n(imageBuffer_.begin(), count, h.begin());
  if (h.size() > kImageBufferBytes) throw DeviceError(DeviceError::Kind::Index);
}

// --- accumulation buffer ---

void PX5000::printBmpFrombuf(std::int32_t dataLength, std::span<const std::uint8_t> bmpData) {
  for (std::int32_t i = 0; i < dataLength; ++i) {
    if (static_cast<std::size_t>(i) >= bmpData.size() || bmpFrombufP < 0 ||
        static_cast<std::size_t>(bmpFrombufP) >= kFromBufferBytes) {
      throw DeviceError(DeviceError::Kind::Index);
    }
    fromBuffer_[static_cast<std::size_t>(bmpFrombufP)] = bmpData[static_cast<std::size_t>(i)];
    ++bmpFrombufP;
  }
}

void PX5000::printBmpFrombufP(std::int32_t startP, std::int32_t dataLength,
                              std::span<const std::uint8_t> bmpData) {
  bmpFrombufP = startP;
  printBmpFrombuf(dataLength, bmpData);
}

// --- chained operations ---

bool PX5000::fitsModule(std::int32_t width, std::int32_t height) const {
  return width == dotX_ && height == dotY_ && dotY_ % 8 == 0;
}

std::string PX5000::moduleSizeMessage() const {
  return "(" + std::to_string(dotX_) + "," + std::to_string(dotY_) + ")dot monochrome File only!";
}

bool PX5000::printBmpFile(std::string_view fileName) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!readWholeBmp(fileName, true, width, height) || !fitsModule(width, height)) {
    message(moduleSizeMessage());
    return false;
  }
  printBmp(dotX_, dotY_, imageBuffer_);
  return true;
}

bool PX5000::printBmpFileFrombuf(std::string_view fileName) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!readWholeBmp(fileName, true, width, height) || !fitsModule(width, height)) {
    message(moduleSizeMessage());
    return false;
  }
  printBmpFrombuf(dotX_ * (dotY_ / 8), imageBuffer_);
  return true;
}

bool PX5000::printBmpFileFrombufP(std::int32_t startP, std::string_view fileName, std::int32_t& xsize,
                                  std::int32_t& ysize) {
  if (!readBmpFileXY(fileName, xsize, ysize)) {
    message(kReadError);
    return false;
  }
  printBmpFrombufP(startP, xsize * bitmap::bandsCovering(ysize), imageBuffer_);
  return true;
}

bool PX5000::printBmpFileFrombufXY(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize) {
  if (!readBmpFileXY(fileName, xsize, ysize)) {
    message(kMonochromeOnly);
    return false;
  }
  printBmpFrombuf(xsize * bitmap::bandsCovering(ysize), imageBuffer_);
  return true;
}

bool PX5000::printBmpFileFrombufXYfit(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize) {
  if (!readBmpFileXYfit(fileName, xsize, ysize)) {
    message(kMonochromeOnly);
    return false;
  }
  printBmpFrombuf(dotX_ * (dotY_ / 8), imageBuffer_);
  return true;
}

bool PX5000::printBmpFileFrombufEx(std::string_view fileName, std::int32_t& width, std::int32_t& height) {
  if (!readBmpFileEx(fileName, width, height)) {
    message(kMonochromeOnly);
    return false;
  }
  printBmpFrombuf(width * bitmap::bandsCovering(height), imageBuffer_);
  return true;
}

}  // namespace kelmore::link
