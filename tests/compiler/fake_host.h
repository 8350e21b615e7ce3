// Recording compiler host for the compiler tests: scripted inputs, every output kept for inspection.
// Layer: tests (plain C++).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/host.h"

namespace kelmore::testkit {

class FakeImageList : public ImageListView {
 public:
  std::vector<ImageEntry> entries;
  std::int16_t imgCount() const override { return static_cast<std::int16_t>(entries.size()); }

 protected:
  ImageEntry imageAt(int slot) const override {
    return static_cast<std::size_t>(slot) < entries.size() ? entries[static_cast<std::size_t>(slot)]
                                                           : ImageEntry{};
  }
};

struct LogLine {
  LogKind kind;
  std::string text;
  friend bool operator==(const LogLine&, const LogLine&) = default;
};

struct ListRow {
  std::string text, sub1, sub2;
  friend bool operator==(const ListRow&, const ListRow&) = default;
};

struct ColourSpan {
  std::size_t start, length;
  Rgb colour;
  friend bool operator==(const ColourSpan&, const ColourSpan&) = default;
};

class FakeHost : public CompilerHost {
 public:
  // inputs
  std::string source;
  int caret = 0;
  std::string model = "PX-5200";
  int target = 0;
  FakeImageList imageList;

  // outputs
  std::vector<LogLine> log;
  std::vector<std::string> boxes;
  std::vector<int> marks;
  std::string codeView = "(old code)";
  std::vector<ColourSpan> colours;
  bool codeVisible = false;
  std::string addressBox = "Add: 9999";
  std::map<CompilerList, std::vector<ListRow>> lists;
  std::map<CompilerList, std::string> tips;
  float progressMaximum = 100;
  std::vector<float> progressValues;
  bool closeVisible = false;
  int saved = 0;
  int restored = 0;
  // Boxes, marks and log lines in the order they came: "box:...", "mark:n", "log:...".
  std::vector<std::string> events;

  std::string sourceText() override { return source; }
  int caretLine() override { return caret; }
  void saveSelection() override { ++saved; }
  void restoreSelection() override { ++restored; }
  void markLine(int line) override {
    marks.push_back(line);
    events.push_back("mark:" + std::to_string(line));
  }
  void setCodeText(std::string_view text) override {
    codeView = std::string(text);
    colours.clear();
  }
  void colourCode(std::size_t start, std::size_t length, Rgb colour) override {
    colours.push_back({start, length, colour});
  }
  void setCodeVisible(bool visible) override { codeVisible = visible; }
  void setAddressText(std::string_view text) override { addressBox = std::string(text); }
  void clearList(CompilerList list) override { lists[list].clear(); }
  void addListItem(CompilerList list, std::string_view text, std::string_view sub1,
                   std::string_view sub2) override {
    lists[list].push_back({std::string(text), std::string(sub1), std::string(sub2)});
  }
  std::string listToolTip(CompilerList list) override { return tips[list]; }
  void setListToolTip(CompilerList list, std::string_view tip) override { tips[list] = std::string(tip); }
  void clearLog() override { log.clear(); }
  void addlog(std::string_view message, LogKind kind) override {
    log.push_back({kind, std::string(message)});
    events.push_back("log:" + std::string(message));
  }
  void setProgressMax(float maximum) override { progressMaximum = maximum; }
  float progressMax() override { return progressMaximum; }
  void setProgressValue(float value) override { progressValues.push_back(value); }
  void setCloseVisible(bool visible) override { closeVisible = visible; }
  void refreshWindow() override {}
  void messageBox(std::string_view text) override {
    boxes.emplace_back(text);
    events.push_back("box:" + std::string(text));
  }
  std::string modelName() override { return model; }
  int targetArea() override { return target; }
  const ImageListView& images() override { return imageList; }

  // The log texts of one kind.
  std::vector<std::string> logOf(LogKind kind) const {
    std::vector<std::string> out;
    for (const auto& l : log)
      if (l.kind == kind) out.push_back(l.text);
    return out;
  }
  std::string lastLog() const { return log.empty() ? std::string() : log.back().text; }
};

// Lines joined with CR LF.
inline std::string joinLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (auto l : lines) {
    if (!first) text += "\r\n";
    text += l;
    first = false;
  }
  return text;
}

}  // namespace kelmore::testkit
