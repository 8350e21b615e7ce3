// The image command file export.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/imageexport.h"

#include <ctime>
#include <span>
#include <vector>

#include "common/numbers.h"
#include "common/prtline.h"
#include "common/strings.h"
#include "imagetool/imagefile.h"
#include "platform/atomicfile.h"

namespace kelmore::imagetool {

bool ExportAreas::anyFrom() const {
  for (bool page : from)
    if (page) return true;
  return false;
}

ExportTime localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

namespace {

// One flash page of the module; the blocks of the block models are cut from it.
constexpr std::size_t kPageBufferBytes = 65536;
constexpr std::int32_t kFlashBlockBytes = 4096;
constexpr std::size_t kItemsPerLine = 16;
constexpr std::uint8_t kPadByte = 0xFF;

constexpr std::uint8_t kRamDefine[] = {0x1F, 0x28, 0x66, 0x01};
constexpr std::uint8_t kUserModeIn[] = {0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E};
constexpr std::uint8_t kUserModeOut[] = {0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54};
constexpr std::uint8_t kFlashDefine[] = {0x1F, 0x28, 0x65, 0x10};

std::string twoDigits(int value) {
  return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::uint8_t byteOf(std::int64_t value, int shift) {
  return static_cast<std::uint8_t>((value >> shift) & 0xFF);
}

// Failures end the export: the message goes to the user, nothing is written.
struct ExportFailure {
  std::string message;
};

std::string imageMessage(int index, int suffixId) {
  return std::string(resString(4200)) + std::to_string(index + 1) + std::string(resString(suffixId));
}

// A flash area name: the first page with room, a page range, or one page.
bool isFlashArea(std::string_view memory) {
  return memory == "FROM" || memory == "F 1-4" || memory == "F any" ||
         (memory.size() == 3 && memory.starts_with("F ") && memory[2] >= '0' &&
          memory[2] < '0' + kImageFlashPages);
}

class Writer {
 public:
  Writer(const ExportSource& source, const std::function<void(int)>& imageDone)
      : source_(source), imageDone_(imageDone), page_(kPageBufferBytes, 0) {}

  std::string text;

  void line(std::string_view content = {}) {
    text += content;
    text += "\r\n";
  }
  void prt(std::span<const std::uint8_t> bytes, bool semicolon) { line(prtLine(bytes, semicolon)); }

  // The bitmap of image `index`, which must still have the size of its entry.
  PrtImage image(int index) {
    const ImageRecord& r = source_.list.at(index);
    const BitmapFile file = readBitmapFile(r.imgPath);
    if (file.refusal == BitmapRefusal::NotBitmap) throw ExportFailure{imageMessage(index, 4203)};
    if (file.refusal != BitmapRefusal::None) throw ExportFailure{imageMessage(index, 4201)};
    if (file.widthDots != r.imgX || file.heightDots != r.imgY)
      throw ExportFailure{std::string(resString(4200)) + std::to_string(index + 1) + " is " +
                          std::to_string(file.widthDots) + "x" + std::to_string(file.heightDots) +
                          ", not the " + std::to_string(r.imgX) + "x" + std::to_string(r.imgY) +
                          " of the list."};
    ++imagesDone_;
    if (imageDone_) imageDone_(imagesDone_);
    return bmpToPrt(file.image, r.imgCheck == 1);
  }

  void ramSection() {
    line("***");
    line("*** RAM ***");
    line("***");
    for (int i = 0; i < source_.list.count(); ++i) {
      const ImageRecord& r = source_.list.at(i);
      if (r.imgMemory != "RAM") continue;
      const PrtImage picture = image(i);
      line("*** " + r.imgLabel + "," + r.imgFileName + "," +
           hexUpper(static_cast<std::uint32_t>(r.imgAddress)) + "h");
      const std::int64_t a = r.imgAddress;
      const std::int64_t s = imageBytes(r.imgX, r.imgY);
      std::vector<std::uint8_t> define(std::begin(kRamDefine), std::end(kRamDefine));
      define.insert(define.end(),
                    {byteOf(a, 0), byteOf(a, 8), 0x00, byteOf(s, 0), byteOf(s, 8), byteOf(s, 16)});
      prt(define, true);
      line();
      text += picture.text;
    }
  }

  void fromSection(const ExportAreas& areas) {
    line("***");
    line("*** User Set Mode");
    prt(kUserModeIn, false);
    line();
    line();
    for (int k = 0; k < kImageFlashPages; ++k)
      if (areas.from[static_cast<std::size_t>(k)]) page(k);
    line();
    line();
    line("*** Exit user set mode");
    line();
    prt(kUserModeOut, false);
  }

 private:
  void page(int k) {
    const std::int32_t used = source_.allocation.fromUsed[static_cast<std::size_t>(k)];
    const bool blocks = source_.model.blockImageFlash;
    line("***");
    line("*** FROM (" + std::to_string(k) + ") ***");
    line("***");
    line();
    if (!blocks) {
      line("*** Page Header");
      std::vector<std::uint8_t> header(std::begin(kFlashDefine), std::end(kFlashDefine));
      header.insert(header.end(), {0x00, 0x00, static_cast<std::uint8_t>(k), byteOf(used, 0), byteOf(used, 8),
                                   byteOf(used, 16)});
      prt(header, true);
    }
    line();
    std::int32_t offset = 0;
    while (offset < used) {
      const std::int32_t before = offset;
      for (int i = 0; i < source_.list.count(); ++i) {
        const ImageRecord& r = source_.list.at(i);
        if (!isFlashArea(r.imgMemory) || r.imgPage != k || r.imgAddress != offset) continue;
        const PrtImage picture = image(i);
        line("*** " + r.imgLabel + "," + r.imgFileName + "," + hexUpper(static_cast<std::uint32_t>(k)) + ":" +
             hexUpper(static_cast<std::uint32_t>(r.imgAddress)) + "h");
        // The allocation gave the entry its size; the bitmap was checked to have it.
        const auto size = static_cast<std::int32_t>(picture.bytes.size());
        const bool padded = (offset + size) % 2 != 0;
        if (static_cast<std::size_t>(offset) + static_cast<std::size_t>(size) + (padded ? 1 : 0) >
            page_.size())
          throw ExportFailure{std::string(resString(4200)) + std::to_string(i + 1) +
                              " runs past the end of FROM" + std::to_string(k) + "."};
        std::copy(picture.bytes.begin(), picture.bytes.end(), page_.begin() + offset);
        offset += size;
        if (padded) page_[static_cast<std::size_t>(offset++)] = kPadByte;
        if (!blocks) {
          text += picture.text;
          if (padded) prt(std::span<const std::uint8_t>(&kPadByte, 1), false);
        }
      }
      if (offset == before)
        throw ExportFailure{"A image FROM" + std::to_string(k) + " address:" + std::to_string(offset) +
                            " cannot be found"};
    }
    if (blocks) writeBlocks(k, offset);
  }

  // The page from the buffer: 4096 bytes a block, each after its own define line.
  void writeBlocks(int k, std::int32_t bytes) {
    for (std::int32_t start = 0; start < bytes; start += kFlashBlockBytes) {
      const std::int32_t n = std::min(kFlashBlockBytes, bytes - start);
      std::vector<std::uint8_t> define(std::begin(kFlashDefine), std::end(kFlashDefine));
      define.insert(define.end(), {byteOf(start, 0), byteOf(start, 8), static_cast<std::uint8_t>(k),
                                   byteOf(n, 0), byteOf(n, 8), 0x00});
      prt(define, false);
      const std::span<const std::uint8_t> block(page_.data() + start, static_cast<std::size_t>(n));
      for (std::size_t at = 0; at < block.size(); at += kItemsPerLine)
        prt(block.subspan(at, std::min(kItemsPerLine, block.size() - at)), true);
      // A block of whole lines is closed by a line without items, kept as the module's files have it.
      if (block.size() % kItemsPerLine == 0)
        line("PRT ");
      else
        line();
    }
  }

  const ExportSource& source_;
  const std::function<void(int)>& imageDone_;
  std::vector<std::uint8_t> page_;
  int imagesDone_ = 0;
};

}  // namespace

ExportResult exportImages(const ExportSource& source, const ExportAreas& areas, const ExportClock& clock,
                          const std::function<void(int imagesDone)>& imageDone) {
  ExportAreas taken;
  taken.ram = areas.ram && areaExportable(source.allocation.ramUsed, source.capacities.ramCapacity);
  for (std::size_t k = 0; k < taken.from.size(); ++k)
    taken.from[k] =
        areas.from[k] && areaExportable(source.allocation.fromUsed[k], source.capacities.fromCapacity[k]);

  Writer out(source, imageDone);
  const ExportTime t = clock ? clock() : localTimeNow();
  out.line("*** PX display module Image file ***");
  out.line("***");
  out.line("*** " + std::to_string(t.year) + "/" + twoDigits(t.month) + "/" + twoDigits(t.day) + " " +
           twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second));
  out.line();
  out.line();
  try {
    if (taken.ram) out.ramSection();
    if (taken.anyFrom()) out.fromSection(taken);
  } catch (const ExportFailure& failure) {
    return ExportResult{{}, 0, failure.message};
  }
  out.line("*** End of File");
  out.line();
  ExportResult result;
  result.count = out.text.size();
  result.text = std::move(out.text);
  return result;
}

ExportResult exportImagesToFile(const std::filesystem::path& path, const ExportSource& source,
                                const ExportAreas& areas, const ExportClock& clock,
                                const std::function<void(int imagesDone)>& imageDone) {
  ExportResult result = exportImages(source, areas, clock, imageDone);
  if (!result.ok()) return result;
  if (!platform::writeFileAtomic(path, result.text).ok)
    return ExportResult{{}, 0, std::string(kFileWriteError)};
  return result;
}

}  // namespace kelmore::imagetool
