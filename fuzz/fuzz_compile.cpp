// Fuzz target of the whole compile: a source file's bytes, read as the editor reads them, compiled for a
// model and target area taken from the input, then listed when the compile succeeds. Any source ends in
// success or a reported error, never a throw, a fault or a span outside the text it colours.
// Layer: fuzz (plain C++, no Qt).
//
// Input: byte 0 picks the model (one past the table: a name no row holds), byte 1 the target area and
// the caret line, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/models.h"
#include "compiler/compiler.h"
#include "compiler/host.h"
#include "compiler/mnemonic.h"
#include "editor/sourcefile.h"

namespace {

using namespace kelmore;

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// CopyBmp finds these by label: one image in each kind of memory the image tool writes.
class FixedImages : public ImageListView {
 public:
  std::int16_t imgCount() const override { return static_cast<std::int16_t>(std::size(kEntries)); }

 protected:
  ImageEntry imageAt(int slot) const override {
    return static_cast<std::size_t>(slot) < std::size(kEntries) ? kEntries[slot] : ImageEntry{};
  }

 private:
  inline static const ImageEntry kEntries[] = {
      {"logo", 64, 16, 1, "VRAM", 0},         {"icon", 16, 16, 1, "RAM", 0x100},
      {"banner", 128, 32, 2, "FROM", 0x2000}, {"f0", 8, 8, 1, "F 0", 0},
      {"range", 32, 8, 1, "F 1-4", 0x40},     {"any", 240, 64, 1, "F any", 0x1FFFF},
  };
};

// Keeps only what the checks and the listing stage read back; every other call goes nowhere.
class QuietHost : public CompilerHost, public mnemonic::MnemonicHost {
 public:
  QuietHost(std::string source, std::string model, int target, int caret)
      : source_(std::move(source)), model_(std::move(model)), target_(target), caret_(caret) {}

  std::string sourceText() override { return source_; }
  int caretLine() override { return caret_; }
  void saveSelection() override {}
  void restoreSelection() override {}
  void markLine(int) override {}
  void setCodeVisible(bool) override {}
  void setAddressText(std::string_view) override {}
  void clearList(CompilerList) override {}
  void addListItem(CompilerList, std::string_view, std::string_view, std::string_view) override {}
  std::string listToolTip(CompilerList) override { return {}; }
  void setListToolTip(CompilerList, std::string_view) override {}
  void clearLog() override {}
  void setCloseVisible(bool) override {}
  void refreshWindow() override {}
  void messageBox(std::string_view) override {}
  int targetArea() override { return target_; }
  const ImageListView& images() override { return images_; }

  void addlog(std::string_view, LogKind) override {}
  void setProgressMax(float maximum) override { progressMax_ = maximum; }
  float progressMax() override { return progressMax_; }
  void setProgressValue(float value) override { require(value <= progressMax_); }
  std::string modelName() override { return model_; }
  void setCodeText(std::string_view text) override { code_ = std::string(text); }
  void colourCode(std::size_t start, std::size_t length, Rgb) override {
    require(start <= code_.size() && length <= code_.size() - start);
  }

  void activateLog() override {}
  std::string codePaneText() override { return code_; }
  void setMnemonicText(std::string_view text) override { listing_ = std::string(text); }
  void colourMnemonic(std::size_t start, std::size_t length, Rgb) override {
    require(start <= listing_.size() && length <= listing_.size() - start);
  }

 private:
  std::string source_;
  std::string model_;
  int target_;
  int caret_;
  FixedImages images_;
  float progressMax_ = 100;
  std::string code_;
  std::string listing_;
};

std::string modelFor(std::uint8_t choice) {
  const std::size_t row = choice % (std::size(kModels) + 1);
  return row < std::size(kModels) ? std::string(kModels[row].name) : std::string("PX-9999");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view file(reinterpret_cast<const char*>(data) + 2, size - 2);
  QuietHost host(editor::decodeSource(file), modelFor(data[0]), data[1] % 5, data[1] / 5);
  MacroCompiler mc(host);
  if (mc.Compile()) mnemonic::makeMnemonic(host, mc);
  return 0;
}
