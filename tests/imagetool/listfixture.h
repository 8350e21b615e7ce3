// Test support for the image list: a scripted ListUi and a folder of generated bitmaps.
// Layer: tests (plain C++, no Qt).
#pragma once

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../common/bmpfile.h"
#include "imagetool/imagelist.h"

namespace kelmore::imagetool::testkit {

class FakeUi : public ListUi {
 public:
  std::deque<std::vector<std::string>> choices;  // what each open dialog returns; none left: cancel
  std::deque<bool> dialogAnswers;                // "Set" (true) or "Cancel"; none left: cancel
  std::function<void()> onDialog;                // runs while the dialog "is shown"
  std::vector<std::string> messages;
  int dialogs = 0;

  std::vector<std::string> chooseBitmaps() override {
    if (choices.empty()) return {};
    auto next = choices.front();
    choices.pop_front();
    return next;
  }
  void message(std::string_view text) override { messages.emplace_back(text); }
  bool editParameters() override {
    ++dialogs;
    if (onDialog) onDialog();
    if (dialogAnswers.empty()) return false;
    const bool answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
  }
};

// A folder of its own under the temp folder, removed at the end.
class BitmapFolder {
 public:
  explicit BitmapFolder(const std::string& name)
      : root_(std::filesystem::temp_directory_path() /
              ("kelmore-" + name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~BitmapFolder() { std::filesystem::remove_all(root_); }
  const std::filesystem::path& root() const { return root_; }

  // A one-bit bitmap of the size; the path as text.
  std::string bmp(const std::string& name, int width, int height, int bitCount = 1) const {
    kelmore::testkit::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = bitCount;
    if (bitCount == 8 || bitCount == 4) spec.palette = {0x000000, 0xFFFFFF};
    const auto path = root_ / name;
    std::filesystem::create_directories(path.parent_path());
    kelmore::testkit::writeFile(path, kelmore::testkit::makeBmp(spec));
    return path.string();
  }
  std::string text(const std::string& name, const std::string& content) const {
    const auto path = root_ / name;
    std::filesystem::create_directories(path.parent_path());
    kelmore::testkit::writeFile(path, std::vector<std::uint8_t>(content.begin(), content.end()));
    return path.string();
  }

 private:
  std::filesystem::path root_;
};

// A record as the tests spell it.
inline ImageRecord record(std::string label, std::string memory, int x, int y, std::int32_t address = 0) {
  ImageRecord r;
  r.imgLabel = std::move(label);
  r.imgMemory = std::move(memory);
  r.imgX = static_cast<std::int16_t>(x);
  r.imgY = static_cast<std::int16_t>(y);
  r.imgAddress = address;
  r.imgCheck = 1;
  return r;
}

inline std::vector<std::string> labels(const ImageList& list) {
  std::vector<std::string> out;
  for (const auto& r : list.entries()) out.push_back(r.imgLabel);
  return out;
}

}  // namespace kelmore::imagetool::testkit
