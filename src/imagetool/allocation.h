// The memory allocation of the image list: each image's page and byte address in the module's image RAM
// and flash pages for one model, the bytes used, and the result text.
// Layer: image tool (plain C++, no Qt).
//
// "RAM" images follow each other in list order. Fixed-page images ("F 0".."F 7") come first in their page,
// in list order, each page's use rounded up to even after each; then the floating ones ("FROM": the first
// page with room, "F 1-4" and "F any": the first of pages 1..4 with room) at even sizes. "VRAM" and any
// other area are not placed (page 0). A page the model does not have (capacity 0) overflows as itself; a
// floating image that fits nowhere goes to the last page of its range (page 7 for "FROM", page 4 for
// "F 1-4" and "F any"), which then overflows; on a model without page 7 that is page 7's overflow.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/models.h"
#include "imagetool/imagelist.h"

namespace kelmore::imagetool {

struct Capacities {
  std::int32_t ramCapacity = 0;
  std::array<std::int32_t, kImageFlashPages> fromCapacity{};
};

Capacities capacitiesOf(const ModelInfo& model);

// Whether the model has the memory area `memory` (a name of kImageMemoryAreas): "VRAM" always, "RAM" and
// a page where they hold bytes, a floating area where a page of its range does.
bool hasArea(const Capacities& capacities, std::string_view memory);

struct Allocation {
  std::int32_t ramUsed = 0;
  std::array<std::int32_t, kImageFlashPages> fromUsed{};
  // "OK", "ERROR RAM overflow" or "ERROR FROM:p Overflow" for the first page over its capacity.
  std::string result;
};

// Writes imgPage and imgAddress of every entry.
Allocation allocateMemory(ImageList& list, const Capacities& capacities);

// The usage bars: percent of the capacity (RAM in whole percent), hidden when over it; the texts beside
// them, empty where the capacity is 0.
struct UsageBar {
  bool present = false;  // the model has this memory
  bool shown = false;    // false: over capacity, the bar is hidden and the box behind it shows
  double percent = 0;
  std::string text;
};
UsageBar ramBar(const Allocation& allocation, const Capacities& capacities);
UsageBar flashBar(const Allocation& allocation, const Capacities& capacities, int page);

// A place in a preview frame, in twips.
struct PreviewRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The box of a preview frame that its picture stands in.
inline constexpr PreviewRect kPreviewBox{480, 120, 1335, 495};

// Where a preview picture stands in kPreviewBox: as large as it fits, keeping the aspect in the steps of
// the original sums; an image without a width or height fills the box.
PreviewRect previewRect(std::int32_t widthDots, std::int32_t heightDots);

}  // namespace kelmore::imagetool
