// The image memory allocation, the usage bars and the preview geometry.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/allocation.h"

#include <optional>

#include "imagetool/imagefile.h"

namespace kelmore::imagetool {
namespace {

// A picture whose width to height, × 10, is at most the box's (rounded: 1335 / 495 × 10 = 26.97 gives 27)
// fills the box's height.
constexpr int kTallRatio = (kPreviewBox.width * 10 + kPreviewBox.height / 2) / kPreviewBox.height;

std::int32_t even(std::int32_t bytes) {
  return bytes + (bytes & 1);
}

// "F 0".."F 7" as the page number.
std::optional<int> fixedPage(std::string_view memory) {
  if (memory.size() == 3 && memory.starts_with("F ") && memory[2] >= '0' &&
      memory[2] < '0' + kImageFlashPages)
    return memory[2] - '0';
  return std::nullopt;
}

struct Range {
  int first;
  int last;
};

std::optional<Range> floatingRange(std::string_view memory) {
  if (memory == "FROM") return Range{0, kImageFlashPages - 1};
  if (memory == "F 1-4" || memory == "F any") return Range{1, 4};
  return std::nullopt;
}

}  // namespace

bool hasArea(const Capacities& capacities, std::string_view memory) {
  if (memory == "VRAM") return true;
  if (memory == "RAM") return capacities.ramCapacity > 0;
  if (const auto page = fixedPage(memory)) return capacities.fromCapacity[*page] > 0;
  if (const auto range = floatingRange(memory)) {
    for (int p = range->first; p <= range->last; ++p)
      if (capacities.fromCapacity[p] > 0) return true;
  }
  return false;
}

Capacities capacitiesOf(const ModelInfo& model) {
  Capacities c;
  c.ramCapacity = model.imageRamBytes;
  for (int p = 0; p < kImageFlashPages; ++p) c.fromCapacity[p] = model.imageFlashPageBytes[p];
  return c;
}

Allocation allocateMemory(ImageList& list, const Capacities& capacities) {
  Allocation a;
  const auto& cap = capacities.fromCapacity;
  auto& used = a.fromUsed;
  const auto& entries = list.entries();
  for (int i = 0; i < list.count(); ++i) {
    const ImageRecord& r = entries[static_cast<std::size_t>(i)];
    const auto size = static_cast<std::int32_t>(imageBytes(r.imgX, r.imgY));
    if (r.imgMemory == "RAM") {
      list.place(i, 0, a.ramUsed);
      a.ramUsed += size;
    } else if (const auto page = fixedPage(r.imgMemory)) {
      list.place(i, static_cast<std::int16_t>(*page), used[*page]);
      used[*page] = even(used[*page] + size);
    } else {
      list.place(i, 0, r.imgAddress);  // a typed VRAM address stays
    }
  }
  for (int i = 0; i < list.count(); ++i) {
    const ImageRecord& r = entries[static_cast<std::size_t>(i)];
    const auto range = floatingRange(r.imgMemory);
    if (!range) continue;
    const std::int32_t size = even(static_cast<std::int32_t>(imageBytes(r.imgX, r.imgY)));
    int page = -1;
    for (int p = range->first; p <= range->last && page < 0; ++p)
      if (cap[p] > 0 && used[p] + size <= cap[p]) page = p;
    // Where nothing has room: page 7 for "FROM", page 4 for "F 1-4" and "F any". A model without page 7
    // overflows there on its own, so the pages it has keep their true use.
    if (page < 0) page = range->last;
    list.place(i, static_cast<std::int16_t>(page), used[page]);
    used[page] += size;
  }
  if (a.ramUsed > capacities.ramCapacity) {
    a.result = "ERROR RAM overflow";
    return a;
  }
  for (int p = 0; p < kImageFlashPages; ++p) {
    if (used[p] > cap[p]) {
      a.result = "ERROR FROM:" + std::to_string(p) + " Overflow";
      return a;
    }
  }
  a.result = "OK";
  return a;
}

UsageBar ramBar(const Allocation& allocation, const Capacities& capacities) {
  UsageBar bar;
  bar.present = capacities.ramCapacity > 0;
  if (!bar.present) return bar;
  bar.text = std::to_string(allocation.ramUsed);
  bar.shown = allocation.ramUsed <= capacities.ramCapacity;
  bar.percent = bar.shown
                    ? static_cast<double>(std::int64_t{allocation.ramUsed} * 100 / capacities.ramCapacity)
                    : 100.0;
  return bar;
}

UsageBar flashBar(const Allocation& allocation, const Capacities& capacities, int page) {
  UsageBar bar;
  const std::int32_t cap = capacities.fromCapacity[page];
  const std::int32_t used = allocation.fromUsed[page];
  bar.present = cap > 0;
  if (!bar.present) return bar;
  bar.text = std::to_string(used);
  bar.shown = used <= cap;
  bar.percent = bar.shown ? used * 100.0 / cap : 100.0;
  return bar;
}

PreviewRect previewRect(std::int32_t widthDots, std::int32_t heightDots) {
  const PreviewRect& box = kPreviewBox;
  if (widthDots <= 0 || heightDots <= 0) return box;
  if (widthDots * 10 / heightDots <= kTallRatio) {
    const std::int32_t width = widthDots * 99 / heightDots * 5;
    return {box.left + (box.width - width) / 2, box.top, width, box.height};
  }
  const std::int32_t height = heightDots * 26 / widthDots * 50;
  return {box.left, box.top + (box.height - height) / 2, box.width, height};
}

}  // namespace kelmore::imagetool
