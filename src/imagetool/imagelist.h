// The image list of the image tool: its entries, the blank append slot, the selection, and the list
// operations (add, insert, exchange, remove, drop) with the label names they give.
// Layer: image tool (plain C++, no Qt).
//
// Entries 0..count()-1 are images; slot count() is the blank append slot, explicit state that a frame's
// memory choice may fill before the entry is appended. `imgCurrent` runs 0..count() (count() selects the
// append slot), `imgTop` is the entry in the first of the eight preview frames. The list serves the
// compiler's CopyBmp through ImageListView. Message boxes, the file chooser and the parameter dialog reach
// the operations through ListUi; every image that enters the list has passed the checks of imagefile.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/imagelistview.h"

namespace kelmore::imagetool {

struct ImageRecord {
  std::string imgLabel;
  std::string imgFileName;  // the name part of imgPath
  std::string imgPath;      // "" for a blank entry
  std::int16_t imgX = 0;
  std::int16_t imgY = 0;
  std::int16_t imgPage = 0;
  std::int16_t imgCheck = 0;  // 1 "posi", any other value "nega"
  std::string imgMemory;
  std::int32_t imgAddress = 0;
};

// Side effects of the list operations.
class ListUi {
 public:
  virtual ~ListUi() = default;
  // The open dialog for bitmaps (several may be chosen); empty when the user cancelled.
  virtual std::vector<std::string> chooseBitmaps() = 0;
  virtual void message(std::string_view text) = 0;
  // The parameter dialog on the entry imgCurrent; true when it was closed with "Set".
  virtual bool editParameters() = 0;
};

inline constexpr std::string_view kNotBmpMessage = "This is not a BMP file.";
// "No more than 1000 images cannot be loaded."
std::string listFullMessage();

class ImageList : public ImageListView {
 public:
  static constexpr int kImgMax = kMaxImages;
  static constexpr int kFrames = 8;

  int imgCurrent = 0;
  int imgTop = 0;

  std::int16_t imgCount() const override { return static_cast<std::int16_t>(entries_.size()); }
  int count() const { return static_cast<int>(entries_.size()); }

  // Entry `index` (0..count(); count() is the append slot). Beyond the slot: a blank record.
  const ImageRecord& at(int index) const;
  const std::vector<ImageRecord>& entries() const { return entries_; }

  // True while the entries differ from those last assigned or saved: the content counts, not the edits
  // that led to it (an entry inserted and taken out again is no change). The page and, outside "VRAM" and
  // unplaced areas, the address are the allocation's and do not count.
  bool modified() const;
  void markSaved() { saved_ = entries_; }

  // Empties the list: no entries, a blank append slot, the selection on it.
  void clear();
  // Replaces the whole list (an opened file); the selection goes to the top.
  void assign(std::vector<ImageRecord> records);

  // "Image0000".."Image1000": the first that no label of the entries equals exactly.
  std::string newLabelName() const;
  // How many entries carry `label` (for marking duplicates).
  int labelUses(const std::string& label) const;

  // Edits of one entry or of the append slot (index 0..count()).
  void setLabel(int index, std::string label);
  void setCheck(int index, std::int16_t check);
  void setMemory(int index, std::string memory);
  void setSize(int index, std::int16_t widthDots, std::int16_t heightDots);
  void setAddress(int index, std::int32_t address);
  // The allocation's result for entry `index`; not a change the user made.
  void place(int index, std::int16_t page, std::int32_t address);

  // The append slot becomes the last entry.
  void appendSlot();

  // The list operations of the window. Each clamps the selection and top as the window expects.
  void removeImage();
  void addImageAtEnd(ListUi& ui);
  void insertImage(int position, ListUi& ui);
  void insertBlank(int position, ListUi& ui);
  // Fills the entry imgCurrent (an image, not the append slot) from the chosen bitmap; several chosen files:
  // the first fills the entry, the others are inserted after it. False when nothing was taken.
  bool exchangeImage(ListUi& ui);
  void dropFilesOnForm(const std::vector<std::string>& paths, ListUi& ui);
  void dropFilesOnImage(int position, const std::vector<std::string>& paths, ListUi& ui);

 protected:
  ImageEntry imageAt(int slot) const override;

 private:
  ImageRecord& slot(int index);
  void insertRecord(int position, ImageRecord record);
  void eraseRecord(int position);
  void countLabel(const std::string& label, int delta);
  // Files to records: bitmaps only; refusals are told through `ui` (non-bitmaps only when `tellNotBmp`).
  std::vector<ImageRecord> bitmapRecords(const std::vector<std::string>& paths, ListUi& ui, bool tellNotBmp);
  // Inserts the records at `position` while there is room, with new labels; the number inserted.
  int insertBitmaps(int position, std::vector<ImageRecord> records, ListUi& ui);

  std::vector<ImageRecord> entries_;
  ImageRecord append_;
  std::unordered_map<std::string, int> labelCounts_;
  // Every candidate label below this index is taken (adding labels keeps it true; a removed or changed
  // label resets it), so label names for a long drop are found without a search from the start.
  mutable int labelHint_ = 0;
  std::vector<ImageRecord> saved_;
};

}  // namespace kelmore::imagetool
