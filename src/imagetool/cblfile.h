// Image list files (.cbl) and imgpath.tmp.
// Layer: image tool (plain C++, no Qt).
//
// A .cbl file is UTF-8 text with CR LF: "*** image list ***", then per image the lines "No = n",
// "label = ", "File = ", "X = ", "Y = ", "Check = ", "Memory = ", "Address = ", and "EOF". A value is the
// rest of the line after the first "=", trimmed. File is relative to the list's folder, written with "/"
// and read with "/" or "\". The reader ignores unknown keys and lines without "=", accepts a missing
// "EOF", takes at most 1000 images, and refuses a record whose numbers are out of range or whose memory
// names no area, telling the line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "imagetool/imagelist.h"
#include "platform/atomicfile.h"

namespace kelmore::imagetool {

inline constexpr std::string_view kCblFirstLine = "*** image list ***";

// `bareNames`: File holds only the name (the bitmaps are copied beside the list).
std::string cblText(const std::vector<ImageRecord>& records, const std::filesystem::path& listFolder,
                    bool bareNames);

struct CblRead {
  std::vector<ImageRecord> records;
  std::vector<std::string> messages;  // one a refusal; empty for a clean file
  bool isList = true;                 // false: the first line is not the list's
};
CblRead readCblText(std::string_view text, const std::filesystem::path& listFolder);

// Reading and writing files. A failed save leaves the old file (and no copy half written) and says why.
struct CblLoad {
  CblRead read;
  std::string error;  // the file could not be read, or is no image list
};
CblLoad loadImageList(const std::filesystem::path& file);
// With `withBmp` every bitmap is copied beside the list first (a copy onto itself is skipped).
platform::WriteResult saveImageList(const std::vector<ImageRecord>& records,
                                    const std::filesystem::path& file, bool withBmp);

// imgpath.tmp in the configuration folder: line 1 the list file name, line 2 "Y" or "N" for "with BMP".
struct ImgPath {
  std::string fileName;
  bool withBmp = false;
};
// Nothing (the defaults) when the file is missing or short.
ImgPath readImgPath();
platform::WriteResult writeImgPath(const ImgPath& value);

}  // namespace kelmore::imagetool
