// Fuzz target of the image list reader: whatever a .cbl file holds, the reader keeps at most the list's
// 1000 images, each within the ranges the tool allows, and what it kept is written and read back the same.
// Layer: fuzz (plain C++, no Qt).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "imagetool/cblfile.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

bool sameRecords(const std::vector<kelmore::imagetool::ImageRecord>& a,
                 const std::vector<kelmore::imagetool::ImageRecord>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    // A path is kept relative to the list's folder, so "/a//b/" comes back as "/a/b": the same file.
    const auto normal = [](const std::string& path) {
      std::string n = std::filesystem::path(path).lexically_normal().string();
      while (n.size() > 1 && n.back() == '/') n.pop_back();
      return n;
    };
    const auto samePath = [&](const std::string& x, const std::string& y) { return normal(x) == normal(y); };
    if (a[i].imgLabel != b[i].imgLabel || !samePath(a[i].imgPath, b[i].imgPath) || a[i].imgX != b[i].imgX ||
        a[i].imgY != b[i].imgY || a[i].imgCheck != b[i].imgCheck || a[i].imgMemory != b[i].imgMemory ||
        a[i].imgAddress != b[i].imgAddress)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmore::imagetool;
  const std::filesystem::path folder = "/fuzz/list";
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const CblRead read = readCblText(text, folder);
  require(read.records.size() <= 1000);
  for (const ImageRecord& r : read.records) require(r.imgX >= 0 && r.imgY >= 0 && r.imgAddress >= 0);
  // A clean read survives its own writing; values the writer cannot carry (line breaks) are its concern.
  if (read.isList && read.messages.empty()) {
    bool writable = true;
    for (const ImageRecord& r : read.records)
      for (std::string_view value : {std::string_view(r.imgLabel), std::string_view(r.imgPath)})
        // The format trims a value, so blanks at either end of a name are the format's, not a fault.
        writable = writable && value.find_first_of("\r\n") == std::string_view::npos &&
                   (value.empty() || (value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
                                      value.back() != '\t')) &&
                   value.find("/ ") == std::string_view::npos && value.find("/\t") == std::string_view::npos;
    if (writable) {
      const CblRead again = readCblText(cblText(read.records, folder, false), folder);
      require(again.messages.empty() && sameRecords(read.records, again.records));
    }
  }
  return 0;
}
