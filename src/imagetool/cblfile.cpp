// Image list files and imgpath.tmp.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/cblfile.h"

#include <charconv>
#include <map>
#include <optional>

#include "common/text.h"
#include "imagetool/imagefile.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::imagetool {
namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kEof = "EOF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// 1000 records of long paths and labels stay far below this.
constexpr std::size_t kMaxListFileBytes = 16u << 20;
constexpr std::size_t kMaxImgPathBytes = 64u << 10;
constexpr std::string_view kImgPathName = "imgpath.tmp";

std::optional<std::int64_t> integer(std::string_view text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::string listPath(const ImageRecord& r, const std::filesystem::path& folder, bool bareNames) {
  if (r.imgPath.empty()) return {};
  if (bareNames) return fileNamePart(r.imgPath);
  const std::filesystem::path path(r.imgPath);
  const std::filesystem::path relative = path.lexically_relative(folder);
  return relative.empty() ? path.generic_string() : relative.generic_string();
}

// One record as it is read, with the line each number came from.
class RecordReader {
 public:
  RecordReader(const std::filesystem::path& folder, CblRead& out) : folder_(folder), out_(out) {}

  void start(int line) {
    finish();
    open_ = true;
    ok_ = true;
    line_ = line;
    record_ = {};
  }

  void field(std::string_view key, std::string_view value, int line) {
    if (!open_) return;
    if (equalsIgnoringCase(key, "label")) {
      record_.imgLabel = std::string(value);
    } else if (equalsIgnoringCase(key, "File")) {
      std::string path(value);
      for (char& c : path)
        if (c == '\\') c = '/';
      if (!path.empty()) {
        std::filesystem::path p(path);
        if (p.is_relative()) p = folder_ / p;
        record_.imgPath = p.lexically_normal().string();
        record_.imgFileName = fileNamePart(record_.imgPath);
      }
    } else if (equalsIgnoringCase(key, "X")) {
      number(key, value, line, 0, 32767,
             [this](std::int64_t v) { record_.imgX = static_cast<std::int16_t>(v); });
    } else if (equalsIgnoringCase(key, "Y")) {
      number(key, value, line, 0, 32767,
             [this](std::int64_t v) { record_.imgY = static_cast<std::int16_t>(v); });
    } else if (equalsIgnoringCase(key, "Check")) {
      number(key, value, line, -32768, 32767,
             [this](std::int64_t v) { record_.imgCheck = static_cast<std::int16_t>(v); });
    } else if (equalsIgnoringCase(key, "Address")) {
      number(key, value, line, 0, 2147483647,
             [this](std::int64_t v) { record_.imgAddress = static_cast<std::int32_t>(v); });
    } else if (equalsIgnoringCase(key, "Memory")) {
      if (value.empty()) {
        record_.imgMemory.clear();
      } else if (const auto area = canonicalMemory(value)) {
        record_.imgMemory = std::string(*area);
      } else {
        refuse(line, std::string(key) + " = " + std::string(value) + " is no image memory.");
      }
    }
  }

  // Closes the record; false when the list is full.
  bool finish() {
    if (!open_) return true;
    open_ = false;
    if (ok_ && !sizeFits(record_.imgX, record_.imgY)) refuse(line_, tooLargeMessage());
    if (!ok_) return true;
    if (out_.records.size() >= static_cast<std::size_t>(ImageList::kImgMax)) {
      full_ = true;
      return false;
    }
    out_.records.push_back(std::move(record_));
    return true;
  }
  bool full() const { return full_; }

 private:
  template <typename Set>
  void number(std::string_view key, std::string_view value, int line, std::int64_t low, std::int64_t high,
              Set set) {
    const auto v = integer(value);
    if (!v) {
      refuse(line, std::string(key) + " = " + std::string(value) + " is not a number.");
    } else if (*v < low || *v > high) {
      refuse(line, std::string(key) + " = " + std::string(value) + " is out of range.");
    } else {
      set(*v);
    }
  }
  void refuse(int line, const std::string& text) {
    if (!ok_) return;  // one message a record
    ok_ = false;
    out_.messages.push_back("Line " + std::to_string(line) + ": " + text);
  }

  const std::filesystem::path& folder_;
  CblRead& out_;
  ImageRecord record_;
  bool open_ = false;
  bool ok_ = true;
  bool full_ = false;
  int line_ = 0;
};

}  // namespace

std::string cblText(const std::vector<ImageRecord>& records, const std::filesystem::path& listFolder,
                    bool bareNames) {
  std::string text(kCblFirstLine);
  text += kEol;
  const auto line = [&text](std::string_view key, std::string_view value) {
    text.append(key).append(" = ").append(value).append(kEol);
  };
  for (std::size_t i = 0; i < records.size(); ++i) {
    const ImageRecord& r = records[i];
    line("No", std::to_string(i + 1));
    line("label", r.imgLabel);
    line("File", listPath(r, listFolder, bareNames));
    line("X", std::to_string(r.imgX));
    line("Y", std::to_string(r.imgY));
    line("Check", std::to_string(r.imgCheck));
    line("Memory", r.imgMemory);
    line("Address", std::to_string(r.imgAddress));
  }
  text.append(kEof).append(kEol);
  return text;
}

CblRead readCblText(std::string_view text, const std::filesystem::path& listFolder) {
  CblRead out;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  const std::vector<std::string_view> lines = splitLines(text);
  if (lines.empty() || trimWhitespace(lines.front()) != kCblFirstLine) {
    out.isList = false;
    return out;
  }
  RecordReader reader(listFolder, out);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const int lineNo = static_cast<int>(i) + 1;
    const std::string_view line = trimWhitespace(lines[i]);
    if (line == kEof) break;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trimWhitespace(line.substr(0, eq));
    const std::string_view value = trimWhitespace(line.substr(eq + 1));
    if (equalsIgnoringCase(key, "No")) {
      if (!reader.finish()) break;
      reader.start(lineNo);
    } else {
      reader.field(key, value, lineNo);
    }
  }
  reader.finish();
  if (reader.full()) out.messages.push_back(listFullMessage());
  return out;
}

CblLoad loadImageList(const std::filesystem::path& file) {
  CblLoad load;
  const platform::FileRead read = platform::readRegularFile(file, kMaxListFileBytes);
  if (!read.ok()) {
    load.error = read.message;
    return load;
  }
  load.read = readCblText(read.bytes, file.parent_path());
  if (!load.read.isList) load.error = file.string() + ": not an image list";
  return load;
}

platform::WriteResult saveImageList(const std::vector<ImageRecord>& records,
                                    const std::filesystem::path& file, bool withBmp) {
  const std::filesystem::path folder = file.parent_path();
  if (withBmp) {
    // Copies are named bare: two different bitmaps of one name cannot both stand beside the list.
    std::map<std::string, std::filesystem::path> sources;
    for (const auto& r : records) {
      if (r.imgPath.empty()) continue;
      const std::filesystem::path source = std::filesystem::path(r.imgPath).lexically_normal();
      const auto [it, added] = sources.try_emplace(fileNamePart(r.imgPath), source);
      if (!added && it->second != source)
        return {false, it->first + ": two bitmaps of this name cannot be copied beside the list"};
    }
    for (const auto& [name, source] : sources) {
      const std::filesystem::path target = folder / name;
      std::error_code ec;
      if (std::filesystem::equivalent(source, target, ec)) continue;
      const platform::FileRead bytes = platform::readRegularFile(source, kMaxBitmapFileBytes);
      if (!bytes.ok()) return {false, bytes.message};
      const platform::WriteResult copied = platform::writeFileAtomic(target, bytes.bytes);
      if (!copied.ok) return copied;
    }
  }
  return platform::writeFileAtomic(file, cblText(records, folder, withBmp));
}

ImgPath readImgPath() {
  ImgPath value;
  const platform::FileRead read =
      platform::readRegularFile(platform::configDir() / kImgPathName, kMaxImgPathBytes);
  if (!read.ok()) return value;
  const std::vector<std::string_view> lines = splitLines(read.bytes);
  if (!lines.empty()) value.fileName = std::string(trimWhitespace(lines[0]));
  if (lines.size() > 1) value.withBmp = trimWhitespace(lines[1]) == "Y";
  return value;
}

platform::WriteResult writeImgPath(const ImgPath& value) {
  std::string text = value.fileName;
  text.append(kEol).append(value.withBmp ? "Y" : "N").append(kEol);
  return platform::writeFileAtomic(platform::configDir() / kImgPathName, text);
}

}  // namespace kelmore::imagetool
