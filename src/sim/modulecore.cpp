// The simulated module's parser, memory and answers.
// Layer: sim (the simulated module; plain C++, no Qt).
#include "sim/modulecore.h"

#include <algorithm>
#include <cstdio>

namespace kelmore::sim {
namespace {

constexpr std::size_t kBlock = 1024;

// A command by its leading bytes. Length 0: the length follows from the bytes (see variableLength).
struct Shape {
  std::array<std::uint8_t, 4> prefix;
  std::size_t prefixLength;
  std::size_t length;
  const char* name;
};

constexpr Shape kShapes[] = {
    {{0x08}, 1, 1, "bs"},
    {{0x09}, 1, 1, "ht"},
    {{0x0A}, 1, 1, "lf"},
    {{0x0B}, 1, 1, "hom"},
    {{0x0C}, 1, 1, "clear"},
    {{0x0D}, 1, 1, "cr"},
    {{0x1B, 0x40}, 2, 2, "Initialize"},
    {{0x1B, 0x52}, 2, 3, "internatinal"},
    {{0x1B, 0x74}, 2, 3, "characterCode"},
    {{0x1B, 0x25}, 2, 3, "downloadEnable"},
    // Its pattern length is not on the wire; the pattern bytes read as text.
    {{0x1B, 0x26}, 2, 6, "downloadDefine1"},
    {{0x1B, 0x3F}, 2, 4, "downloadCancel1"},
    {{0x1F, 0x24}, 2, 6, "cursorSet"},
    {{0x1F, 0x58}, 2, 3, "bright"},
    {{0x1F, 0x43}, 2, 3, "cursorSelect"},
    {{0x1F, 0x73}, 2, 3, "scrollVelocity"},
    {{0x1F, 0x6D}, 2, 3, "scrollQuality"},
    {{0x1F, 0x72}, 2, 3, "reverseMode"},
    {{0x1F, 0x77}, 2, 3, "drawMode"},
    {{0x1F, 0x5E}, 2, 5, "MacroGo"},
    {{0x1F, 0x3A}, 2, 0, "ramMacro"},
    {{0x1F, 0x28, 0x65, 0x01}, 4, 6, "userModeIn"},
    {{0x1F, 0x28, 0x65, 0x02}, 4, 7, "userModeOut"},
    {{0x1F, 0x28, 0x65, 0x03}, 4, 6, "writeMemorySw"},
    {{0x1F, 0x28, 0x65, 0x04}, 4, 5, "readMemorySw"},
    {{0x1F, 0x28, 0x65, 0x11}, 4, 5, "downloadSave"},
    {{0x1F, 0x28, 0x65, 0x12}, 4, 0, "flashMacro"},
    {{0x1F, 0x28, 0x65, 0x13}, 4, 0, "userFontDefine"},
    {{0x1F, 0x28, 0x65, 0x21}, 4, 5, "downloadTransfer"},
    {{0x1F, 0x28, 0x65, 0x40}, 4, 5, "dotQuery"},
    {{0x1F, 0x28, 0x61, 0x01}, 4, 5, "wait"},
    {{0x1F, 0x28, 0x61, 0x02}, 4, 5, "shortwait"},
    {{0x1F, 0x28, 0x61, 0x10}, 4, 9, "scroll"},
    {{0x1F, 0x28, 0x61, 0x11}, 4, 8, "blink"},
    {{0x1F, 0x28, 0x61, 0x12}, 4, 7, "curtain"},
    {{0x1F, 0x28, 0x61, 0x13}, 4, 8, "spring"},
    {{0x1F, 0x28, 0x61, 0x14}, 4, 7, "random"},
    {{0x1F, 0x28, 0x61, 0x40}, 4, 5, "power"},
    {{0x1F, 0x28, 0x64, 0x10}, 4, 9, "dotDraw"},
    {{0x1F, 0x28, 0x64, 0x11}, 4, 14, "lineDraw"},
    {{0x1F, 0x28, 0x67, 0x01}, 4, 5, "fontsize"},
    {{0x1F, 0x28, 0x67, 0x02}, 4, 5, "kanjiMode"},
    {{0x1F, 0x28, 0x67, 0x03}, 4, 5, "characterType"},
    {{0x1F, 0x28, 0x67, 0x40}, 4, 6, "fontScale"},
    {{0x1F, 0x28, 0x67, 0x41}, 4, 5, "fontBold"},
    {{0x1F, 0x28, 0x67, 0x10}, 4, 38, "downloadDefine2"},
    {{0x1F, 0x28, 0x67, 0x11}, 4, 6, "downloadCancel2"},
    {{0x1F, 0x28, 0x70, 0x01}, 4, 6, "portSetting"},
    {{0x1F, 0x28, 0x70, 0x10}, 4, 6, "portOutput"},
    {{0x1F, 0x28, 0x70, 0x20}, 4, 5, "portInput"},
    {{0x1F, 0x28, 0x77, 0x01}, 4, 5, "windowSelect"},
    {{0x1F, 0x28, 0x77, 0x02}, 4, 0, "windowDefine"},
    {{0x1F, 0x28, 0x77, 0x10}, 4, 5, "screenMode"},
    {{0x1F, 0x28, 0x66, 0x11}, 4, 0, "printBmp"},
    {{0x1F, 0x28, 0x66, 0x01}, 4, 0, "imageRam"},
    {{0x1F, 0x28, 0x65, 0x10}, 4, 0, "imageFlash"},
    {{0x1F, 0x28, 0x66, 0x10}, 4, 15, "displayBmp"},
    {{0x1F, 0x28, 0x66, 0x90}, 4, 16, "displayBmpS"},
};

struct Parse {
  enum class Kind { Text, More, Command } kind;
  std::size_t length = 0;
  std::string name;
};

std::size_t word(const std::vector<std::uint8_t>& p, std::size_t at) {
  return p[at] + 256u * p[at + 1];
}

std::size_t triple(const std::vector<std::uint8_t>& p, std::size_t at) {
  return word(p, at) + 65536u * p[at + 2];
}

// Writes `data` at `address`, growing the memory to hold it.
void store(std::vector<std::uint8_t>& memory, std::size_t address, std::span<const std::uint8_t> data) {
  if (memory.size() < address + data.size()) memory.resize(address + data.size(), 0);
  std::copy(data.begin(), data.end(), memory.begin() + static_cast<std::ptrdiff_t>(address));
}

Parse parse(const std::vector<std::uint8_t>& p, bool blockDownload) {
  bool couldMatch = false;
  for (const Shape& shape : kShapes) {
    const std::size_t n = std::min(shape.prefixLength, p.size());
    if (!std::equal(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(n), shape.prefix.begin())) continue;
    if (p.size() < shape.prefixLength) {
      couldMatch = true;
      continue;
    }
    std::string name = shape.name;
    std::size_t length = shape.length;
    if (length == 0) {
      const std::string_view which = shape.name;
      const std::size_t need = which == "ramMacro"       ? 4
                               : which == "flashMacro"   ? 9
                               : which == "windowDefine" ? 6
                               : which == "printBmp"     ? 9
                               : which == "imageRam"     ? 10
                               : which == "imageFlash"   ? 10
                                                         : 5;
      if (p.size() < need) return {Parse::Kind::More, 0, {}};
      if (which == "ramMacro") length = 4 + word(p, 2);
      if (which == "flashMacro") length = blockDownload ? 9 : 9 + word(p, 5);
      if (which == "userFontDefine") {
        const std::size_t rows = p[4] == 1 ? 6 : p[4] == 2 ? 16 : p[4] == 4 ? 64 : 0;
        length = 5 + 128 * rows;
      }
      if (which == "printBmp") length = 9 + word(p, 4) * word(p, 6);
      if (which == "imageRam") length = 10 + word(p, 7);
      if (which == "imageFlash") length = 10 + triple(p, 7);
      if (which == "windowDefine") {
        length = p[5] == 0x01 ? 14 : 6;
        if (p[5] != 0x01) name = "windowCancel";
      }
    }
    return {Parse::Kind::Command, length, name};
  }
  if (couldMatch) return {Parse::Kind::More, 0, {}};
  if (p[0] == 0x1F) {
    if (p.size() < 2) return {Parse::Kind::More, 0, {}};
    if (p[1] == 0x28) return {Parse::Kind::Command, std::min<std::size_t>(p.size(), 4), "unknown"};
    return {Parse::Kind::Command, 2, "displayMode"};
  }
  if (p[0] == 0x1B) return {Parse::Kind::Command, 2, "unknown"};
  return {Parse::Kind::Text, 0, {}};
}

std::vector<std::uint8_t> dotReply(char axis, int dots) {
  char text[16];
  std::snprintf(text, sizeof text, "%c: %03d", axis, dots % 1000);
  return {text, text + 6};
}

}  // namespace

ModuleCore::ModuleCore(ModuleConfig config) : config_(config) {}

void ModuleCore::clearRecords() {
  received_.clear();
  wire_.clear();
  frameSizes_.clear();
  frameErrors_.clear();
}

std::vector<std::uint8_t> ModuleCore::feed(std::span<const std::uint8_t> wire, SimClock::time_point at) {
  std::vector<std::uint8_t> reply;
  wire_.insert(wire_.end(), wire.begin(), wire.end());
  for (std::uint8_t byte : wire) {
    if (!config_.address) {
      takeData(byte, at, reply);
      continue;
    }
    frame_.push_back(byte);
    if (frame_[0] != 0x02) {
      frameErrors_.push_back("byte outside a frame");
      frame_.clear();
      continue;
    }
    if (frame_.size() < 3 || frame_.size() < frame_[2] + 5u) continue;
    const std::size_t n = frame_[2];
    std::uint8_t bcc = 0;
    for (std::size_t i = 0; i < n + 4; ++i) bcc ^= frame_[i];
    if (n == 0 || n > 128) {
      frameErrors_.push_back("bad length");
    } else if (frame_[1] != *config_.address) {
      frameErrors_.push_back("other address");
    } else if (frame_[n + 3] != 0x03 || frame_[n + 4] != bcc) {
      frameErrors_.push_back("bad end or check byte");
    } else {
      frameSizes_.push_back(n);
      for (std::size_t i = 0; i < n; ++i) takeData(frame_[3 + i], at, reply);
    }
    frame_.clear();
  }
  return reply;
}

void ModuleCore::takeData(std::uint8_t byte, SimClock::time_point at, std::vector<std::uint8_t>& reply) {
  if (blockBytesLeft_ > 0) {
    if (pending_.empty()) pendingFirst_ = at;
    pending_.push_back(byte);
    --blockBytesLeft_;
    if (pending_.size() == kBlock || blockBytesLeft_ == 0) finish("block", at, reply);
    return;
  }
  if (pending_.empty()) pendingFirst_ = at;
  pending_.push_back(byte);
  const Parse p = parse(pending_, config_.blockDownload);
  if (p.kind == Parse::Kind::More) return;
  if (p.kind == Parse::Kind::Text) {
    if (!textEnded_ && !received_.empty() && received_.back().name == "text") {
      received_.back().bytes.push_back(byte);
      received_.back().last = at;
    } else {
      received_.push_back({"text", {byte}, at, at});
      textEnded_ = false;
    }
    pending_.clear();
    return;
  }
  if (pending_.size() >= p.length) finish(p.name, at, reply);
}

void ModuleCore::finish(const std::string& name, SimClock::time_point at, std::vector<std::uint8_t>& reply) {
  const std::vector<std::uint8_t> p = std::move(pending_);
  pending_.clear();
  received_.push_back({name, p, pendingFirst_, at});
  if (name == "userModeIn") {
    memory_.userMode = true;
    const char ack[] = "USER";
    reply.insert(reply.end(), ack, ack + 4);
  } else if (name == "userModeOut") {
    memory_.userMode = false;
  } else if (name == "writeMemorySw") {
    memory_.memorySwitch[p[4]] = p[5];
  } else if (name == "readMemorySw") {
    reply.insert(reply.end(), {'M', 'S', p[4], memory_.memorySwitch[p[4]]});
  } else if (name == "portOutput") {
    memory_.portValue[p[4]] = p[5];
  } else if (name == "portInput") {
    reply.insert(reply.end(), {'P', 'I', p[4], memory_.portValue[p[4]]});
  } else if (name == "dotQuery") {
    const auto answer = p[4] == 0x41 ? dotReply('Y', config_.dotHeight) : dotReply('X', config_.dotWidth);
    reply.insert(reply.end(), answer.begin(), answer.end());
  } else if (name == "ramMacro") {
    memory_.ramMacro.assign(p.begin() + 4, p.end());
  } else if (name == "flashMacro") {
    const std::size_t length = word(p, 5);
    if (config_.blockDownload) {
      blockArea_ = p[4];
      blockLength_ = length;
      blockCode_.clear();
      blockBytesLeft_ = (length + kBlock - 1) / kBlock * kBlock;
      if (blockBytesLeft_ == 0 && blockArea_ >= 1 && blockArea_ <= 4)
        memory_.flashMacro[blockArea_ - 1].clear();
    } else if (p[4] >= 1 && p[4] <= 4) {
      memory_.flashMacro[p[4] - 1].assign(p.begin() + 9, p.end());
    }
  } else if (name == "block") {
    blockCode_.insert(blockCode_.end(), p.begin(), p.end());
    if (blockBytesLeft_ == 0 && blockArea_ >= 1 && blockArea_ <= 4) {
      memory_.flashMacro[blockArea_ - 1].assign(
          blockCode_.begin(), blockCode_.begin() + static_cast<std::ptrdiff_t>(blockLength_));
    }
  } else if (name == "imageRam") {
    store(memory_.imageRam, triple(p, 4), std::span(p).subspan(10));
  } else if (name == "imageFlash") {
    store(memory_.imageFlash, triple(p, 4), std::span(p).subspan(10));
  } else if (name == "printBmp") {
    memory_.bitImage.assign(p.begin() + 9, p.end());
  } else if (name == "MacroGo") {
    memory_.lastStarted = p[2];
  }
}

}  // namespace kelmore::sim
