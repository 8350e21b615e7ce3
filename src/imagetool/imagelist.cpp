// The image list and its operations.
// Layer: image tool (plain C++, no Qt).
#include "imagetool/imagelist.h"

#include <algorithm>

#include "common/models.h"
#include "imagetool/imagefile.h"

namespace kelmore::imagetool {
namespace {

const ImageRecord kBlankRecord{};

std::string labelCandidate(int n) {
  std::string digits = "0000" + std::to_string(n);
  return "Image" + digits.substr(digits.size() - 4);
}

// The fields the user gives an entry; what the allocation writes is left out.
bool sameContent(const ImageRecord& a, const ImageRecord& b) {
  const auto placed = [](const std::string& memory) {
    return memory != "VRAM" && std::ranges::find(kImageMemoryAreas, memory) != std::end(kImageMemoryAreas);
  };
  return a.imgLabel == b.imgLabel && a.imgFileName == b.imgFileName && a.imgPath == b.imgPath &&
         a.imgX == b.imgX && a.imgY == b.imgY && a.imgCheck == b.imgCheck && a.imgMemory == b.imgMemory &&
         (placed(a.imgMemory) || a.imgAddress == b.imgAddress);
}

}  // namespace

std::string listFullMessage() {
  return "No more than " + std::to_string(ImageList::kImgMax) + " images cannot be loaded.";
}

const ImageRecord& ImageList::at(int index) const {
  if (index >= 0 && index < count()) return entries_[static_cast<std::size_t>(index)];
  if (index == count()) return append_;
  return kBlankRecord;
}

ImageRecord& ImageList::slot(int index) {
  if (index >= 0 && index < count()) return entries_[static_cast<std::size_t>(index)];
  return append_;
}

ImageEntry ImageList::imageAt(int index) const {
  const ImageRecord& r = at(index);
  return {r.imgLabel, r.imgX, r.imgY, r.imgPage, r.imgMemory, r.imgAddress};
}

void ImageList::countLabel(const std::string& label, int delta) {
  auto [it, added] = labelCounts_.try_emplace(label, 0);
  it->second += delta;
  if (it->second <= 0) {
    labelCounts_.erase(it);
    labelHint_ = 0;
  }
}

void ImageList::clear() {
  assign({});
}

void ImageList::assign(std::vector<ImageRecord> records) {
  if (records.size() > static_cast<std::size_t>(kImgMax)) records.resize(kImgMax);
  entries_ = std::move(records);
  append_ = {};
  labelCounts_.clear();
  labelHint_ = 0;
  for (const auto& r : entries_) countLabel(r.imgLabel, 1);
  imgCurrent = 0;
  imgTop = 0;
  saved_ = entries_;
}

bool ImageList::modified() const {
  return !std::ranges::equal(entries_, saved_, sameContent);
}

std::string ImageList::newLabelName() const {
  for (int n = labelHint_; n <= kImgMax; ++n) {
    std::string candidate = labelCandidate(n);
    if (!labelCounts_.contains(candidate)) {
      labelHint_ = n;
      return candidate;
    }
  }
  // 1001 candidates and at most 1000 entries: one is always free.
  return labelCandidate(kImgMax);
}

int ImageList::labelUses(const std::string& label) const {
  const auto it = labelCounts_.find(label);
  return it == labelCounts_.end() ? 0 : it->second;
}

void ImageList::setLabel(int index, std::string label) {
  ImageRecord& r = slot(index);
  if (r.imgLabel == label) return;
  const bool counted = index >= 0 && index < count();
  if (counted) countLabel(r.imgLabel, -1);
  r.imgLabel = std::move(label);
  if (counted) countLabel(r.imgLabel, 1);
  labelHint_ = 0;
}

void ImageList::setCheck(int index, std::int16_t check) {
  ImageRecord& r = slot(index);
  r.imgCheck = check;
}

void ImageList::setMemory(int index, std::string memory) {
  ImageRecord& r = slot(index);
  r.imgMemory = std::move(memory);
}

void ImageList::setSize(int index, std::int16_t widthDots, std::int16_t heightDots) {
  ImageRecord& r = slot(index);
  r.imgX = widthDots;
  r.imgY = heightDots;
}

void ImageList::setAddress(int index, std::int32_t address) {
  ImageRecord& r = slot(index);
  r.imgAddress = address;
}

void ImageList::place(int index, std::int16_t page, std::int32_t address) {
  if (index < 0 || index >= count()) return;
  ImageRecord& r = entries_[static_cast<std::size_t>(index)];
  r.imgPage = page;
  r.imgAddress = address;
}

void ImageList::insertRecord(int position, ImageRecord record) {
  position = std::clamp(position, 0, count());
  countLabel(record.imgLabel, 1);
  entries_.insert(entries_.begin() + position, std::move(record));
}

void ImageList::eraseRecord(int position) {
  countLabel(entries_[static_cast<std::size_t>(position)].imgLabel, -1);
  entries_.erase(entries_.begin() + position);
}

void ImageList::appendSlot() {
  if (count() >= kImgMax) return;
  ImageRecord record = std::move(append_);
  append_ = {};
  insertRecord(count(), std::move(record));
}

void ImageList::removeImage() {
  if (imgCurrent < 0 || imgCurrent >= count()) return;
  eraseRecord(imgCurrent);
  // The whole slot is cleared: nothing of the removed entries comes back in the append slot.
  append_ = {};
}

std::vector<ImageRecord> ImageList::bitmapRecords(const std::vector<std::string>& paths, ListUi& ui,
                                                  bool tellNotBmp) {
  std::vector<ImageRecord> records;
  std::vector<std::string> tooLarge;
  std::vector<std::string> shortBands;
  for (const auto& path : paths) {
    const BitmapFile file = readBitmapFile(path);
    if (file.refusal == BitmapRefusal::NotBitmap) {
      if (tellNotBmp) ui.message(kNotBmpMessage);
      continue;
    }
    // A bitmap of a depth the tool cannot read says why, dropped or chosen.
    if (file.refusal == BitmapRefusal::Depth) {
      ui.message(depthMessage(file.bitCount));
      continue;
    }
    ImageRecord r;
    r.imgFileName = fileNamePart(path);
    if (file.refusal == BitmapRefusal::TooLarge) {
      tooLarge.push_back(r.imgFileName);
      continue;
    }
    r.imgPath = path;
    r.imgX = file.widthDots;
    r.imgY = file.heightDots;
    r.imgCheck = 1;
    r.imgMemory = "FROM";
    if (r.imgY % 8 != 0) shortBands.push_back(r.imgFileName);
    records.push_back(std::move(r));
  }
  if (!tooLarge.empty()) {
    std::string text = tooLargeMessage();
    for (const auto& name : tooLarge) text += "\n" + name;
    ui.message(text);
  }
  if (!shortBands.empty()) ui.message(heightNote(shortBands));
  return records;
}

int ImageList::insertBitmaps(int position, std::vector<ImageRecord> records, ListUi& ui) {
  position = std::clamp(position, 0, count());
  int inserted = 0;
  for (auto& record : records) {
    if (count() >= kImgMax) {
      ui.message(listFullMessage());
      break;
    }
    record.imgLabel = newLabelName();
    insertRecord(position + inserted, std::move(record));
    ++inserted;
  }
  return inserted;
}

void ImageList::addImageAtEnd(ListUi& ui) {
  if (count() >= kImgMax) {
    ui.message(listFullMessage());
    return;
  }
  imgTop = std::max(count() - 7, 0);
  imgCurrent = count();
  const std::vector<std::string> paths = ui.chooseBitmaps();
  if (paths.empty()) return;
  const int inserted = insertBitmaps(count(), bitmapRecords(paths, ui, true), ui);
  if (inserted > 0) imgTop = std::max(imgCurrent + inserted - 1 - 7, imgTop);
}

void ImageList::insertImage(int position, ListUi& ui) {
  if (count() >= kImgMax) {
    ui.message(listFullMessage());
    return;
  }
  position = std::clamp(position, 0, count());
  imgCurrent = position;
  if (imgCurrent - imgTop > 7) imgTop += 1;
  const std::vector<std::string> paths = ui.chooseBitmaps();
  if (paths.empty()) return;
  const int inserted = insertBitmaps(position, bitmapRecords(paths, ui, true), ui);
  // The selection moves past what was inserted.
  imgCurrent = position + inserted;
  if (imgCurrent - imgTop > 7) imgTop = imgCurrent - 7;
}

bool ImageList::exchangeImage(ListUi& ui) {
  if (imgCurrent < 0 || imgCurrent >= count()) return false;
  const std::vector<std::string> paths = ui.chooseBitmaps();
  if (paths.empty()) return false;
  std::vector<ImageRecord> records = bitmapRecords(paths, ui, true);
  if (records.empty()) return false;
  ImageRecord& r = entries_[static_cast<std::size_t>(imgCurrent)];
  ImageRecord& chosen = records.front();
  if (r.imgLabel.empty()) setLabel(imgCurrent, newLabelName());
  r.imgFileName = std::move(chosen.imgFileName);
  r.imgPath = std::move(chosen.imgPath);
  if (r.imgMemory.empty()) r.imgMemory = "FROM";
  r.imgX = chosen.imgX;
  r.imgY = chosen.imgY;
  r.imgCheck = 1;
  records.erase(records.begin());
  insertBitmaps(imgCurrent + 1, std::move(records), ui);
  return true;
}

void ImageList::insertBlank(int position, ListUi& ui) {
  if (count() >= kImgMax) {
    ui.message(listFullMessage());
    return;
  }
  position = std::clamp(position, 0, count());
  ImageRecord record;
  record.imgLabel = newLabelName();
  record.imgCheck = 1;
  record.imgMemory = "VRAM";
  // The dialog proposes the size of the entry that moves up (or of the append slot).
  record.imgX = at(position).imgX;
  record.imgY = at(position).imgY;
  insertRecord(position, std::move(record));
  imgCurrent = position;
  if (ui.editParameters()) {
    imgCurrent += 1;
    if (position - imgTop > 6) imgTop = imgCurrent - 7;
  } else {
    removeImage();
  }
  if (imgCurrent - imgTop > 7) imgTop += 1;
}

void ImageList::dropFilesOnForm(const std::vector<std::string>& paths, ListUi& ui) {
  if (count() >= kImgMax) {
    ui.message(listFullMessage());
    return;
  }
  const int inserted = insertBitmaps(count(), bitmapRecords(paths, ui, false), ui);
  if (inserted == 0) return;
  imgCurrent = count() - 1;
  imgTop = std::max(count() - 1 - 7, 0);
}

void ImageList::dropFilesOnImage(int position, const std::vector<std::string>& paths, ListUi& ui) {
  if (count() >= kImgMax) {
    ui.message(listFullMessage());
    return;
  }
  position = std::clamp(position, 0, count());
  const int inserted = insertBitmaps(position, bitmapRecords(paths, ui, false), ui);
  imgCurrent = position + inserted;
  if (imgCurrent - imgTop > 7) imgTop = imgCurrent - 7;
}

}  // namespace kelmore::imagetool
