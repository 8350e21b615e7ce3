// Image list view: the read-only look at the image tool's list that the compiler's CopyBmp reads.
// Layer: common (plain C++, no Qt).
//
// The list holds slots 0..1000 (slot = image number - 1) and a count of 0..1000 images in use. `image`
// checks the slot before it asks the owner, so a reader can never walk off the list: a slot outside
// 0..1000 throws std::out_of_range. The image tool implements `imageAt`; tests use a small fake.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kelmore {

struct ImageEntry {
  std::string imgLabel;   // compared exactly by CopyBmp
  std::int16_t imgX = 0;  // width in dots
  std::int16_t imgY = 0;  // height in dots
  std::int16_t imgPage = 0;
  std::string imgMemory;  // "VRAM", "RAM", "FROM", "F 0".."F 7", "F 1-4", "F any"
  std::int32_t imgAddress = 0;
};

class ImageListView {
 public:
  static constexpr int kMaxImages = 1000;
  static constexpr int kLastSlot = 1000;

  virtual ~ImageListView() = default;

  // Number of images in use, 0..kMaxImages.
  virtual std::int16_t imgCount() const = 0;

  // The entry in `slot`; std::out_of_range for a slot outside 0..kLastSlot.
  ImageEntry image(int slot) const {
    if (slot < 0 || slot > kLastSlot) throw std::out_of_range("image slot outside the image list");
    return imageAt(slot);
  }

 protected:
  // Called only with a slot in 0..kLastSlot.
  virtual ImageEntry imageAt(int slot) const = 0;
};

}  // namespace kelmore
