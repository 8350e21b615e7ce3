// The image command file: the allocated images of the chosen areas (RAM, FROM 0-7) as PRT lines that put
// them into the module, written into a buffer and then to a file.
// Layer: image tool (plain C++, no Qt).
//
// The text has CR LF line ends; its length is the count the caller gets (0 when the export failed, with
// the message for the user). Each image's bitmap is read again and must still have the size of its list
// entry. Only areas whose use is above 0 and within the model's capacity are exported, and in them only
// entries whose memory area the model has. A flash page is walked from offset 0 image by image; a gap
// (no image at the running offset) fails the export rather than writing a page that announces more bytes
// than it holds. Page header models announce the page and write each image as it comes, an odd size
// padded by one FF byte; block models (PX-B, LN-B) write the page in blocks of 4096 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "common/models.h"
#include "imagetool/allocation.h"
#include "imagetool/imagelist.h"

namespace kelmore::imagetool {

struct ExportAreas {
  bool ram = false;
  std::array<bool, kImageFlashPages> from{};
  bool anyFrom() const;
  bool any() const { return ram || anyFrom(); }
};

// The local date and time the header shows.
struct ExportTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
using ExportClock = std::function<ExportTime()>;
ExportTime localTimeNow();

// What the export reads: the list with the allocation it was given, and the model.
struct ExportSource {
  const ImageList& list;
  const Allocation& allocation;
  const Capacities& capacities;
  const ModelInfo& model;
};

// An area may be exported when it holds something and does not overflow.
constexpr bool areaExportable(std::int32_t usedBytes, std::int32_t capacityBytes) {
  return usedBytes > 0 && usedBytes <= capacityBytes;
}

struct ExportResult {
  std::string text;       // the file's bytes, CR LF lines
  std::size_t count = 0;  // characters written (a line end counts 2); 0 when the export failed
  std::string message;    // why it failed; empty on success
  bool ok() const { return count > 0; }
};

inline constexpr std::string_view kFileWriteError = "File write error.";
inline constexpr std::string_view kNoImagesSelected = "No images are selected.";

// `imageDone` runs after each image was taken, with the number taken so far.
ExportResult exportImages(const ExportSource& source, const ExportAreas& areas, const ExportClock& clock,
                          const std::function<void(int imagesDone)>& imageDone = {});

// exportImages, then the text through the atomic write: a failed write leaves any old file as it was and
// fails the export with "File write error.".
ExportResult exportImagesToFile(const std::filesystem::path& path, const ExportSource& source,
                                const ExportAreas& areas, const ExportClock& clock,
                                const std::function<void(int imagesDone)>& imageDone = {});

}  // namespace kelmore::imagetool
