// Mnemonic listing: the finished code text decoded into one readable line per instruction.
// Layer: compiler (plain C++, no Qt).
//
// The main window's compile command calls, only after Compile() returned true:
//   mnemonic::makeMnemonic(host, mc);
// with the MacroCompiler that just compiled (its label table and caret marks) and a MnemonicHost (the
// main window). The stage logs "Mnemonic code generating Phase.", reads the code pane, writes it back with
// a blank after every byte (Data markers gone) and its caret code red, writes the listing pane black with
// the caret line's listing red, logs "Complete cmpile." and fills the progress bar. It never fails and
// never changes a code byte.
//
// buildListing() is the same work without a host: code text in, texts and red spans out. Listing lines end
// in CR LF; every instruction line starts with the six-digit decimal address; Data and unknown bytes are
// listed eight to a row, continuation rows indented by seven blanks. Span starts and lengths count bytes of
// the UTF-8 texts (the listing is ASCII apart from label names).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/models.h"
#include "compiler/host.h"

namespace kelmore {

class MacroCompiler;

namespace mnemonic {

// What the listing stage needs from the main window beyond the calls every compile stage makes.
class MnemonicHost : public virtual CompileStageHost {
 public:
  // Brings the compile log window up to date (shown and repainted).
  virtual void activateLog() = 0;
  // The code pane's text.
  virtual std::string codePaneText() = 0;

  // The listing pane.
  virtual void setMnemonicText(std::string_view text) = 0;
  virtual void colourMnemonic(std::size_t start, std::size_t length, Rgb colour) = 0;
};

// Label names by byte address; where labels share an address, the lowest slot's name.
using LabelsByAddress = std::unordered_map<std::uint32_t, std::string>;
// From one name and one address per slot (an empty name or a negative address is no label).
LabelsByAddress labelsByAddress(std::span<const std::string> names, std::span<const std::int32_t> addresses);

// The memory-area names the target-memory line shows, for the codes 00, 20, 30, 31, 32, 40, 41, 51.
using MemoryAreaNames = std::array<std::string_view, kMemoryAreas.size()>;
inline constexpr MemoryAreaNames kDefaultMemoryAreaNames = [] {
  MemoryAreaNames names{};
  for (std::size_t i = 0; i < kMemoryAreas.size(); ++i) names[i] = kMemoryAreas[i].name;
  return names;
}();

struct ListingInput {
  std::string_view model;      // model name, compared exactly
  std::int32_t markStart = 0;  // character counts bounding the caret line's code
  std::int32_t markEnd = 0;
  const LabelsByAddress* labels = nullptr;
  MemoryAreaNames memoryAreaNames = kDefaultMemoryAreaNames;
};

struct TextSpan {
  std::size_t start = 0;
  std::size_t length = 0;
  friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

struct Listing {
  std::string text;      // the listing pane
  TextSpan red;          // the caret line's listing
  std::string codeText;  // the code pane afterwards: a blank after every byte
  TextSpan codeRed;      // the caret line's code
};

// The name the listing shows for a register code on a model ("2" is "DipSw" on PX-5200B, else "Jumper";
// letters and indirect forms show as themselves).
std::string sysRegName(char code, std::string_view model);

// Decodes the code text. `progress`, when given, hears the 1-based position of the byte being decoded a
// few hundred times over the run at most.
Listing buildListing(std::string_view codeText, const ListingInput& input,
                     const std::function<void(std::size_t)>& progress = {});

// The listing stage on the host's panes and log (see the top of this file).
void makeMnemonic(MnemonicHost& host, std::int32_t markStart, std::int32_t markEnd,
                  const LabelsByAddress& labels,
                  const MemoryAreaNames& memoryAreaNames = kDefaultMemoryAreaNames);
void makeMnemonic(MnemonicHost& host, const MacroCompiler& mc,
                  const MemoryAreaNames& memoryAreaNames = kDefaultMemoryAreaNames);

}  // namespace mnemonic
}  // namespace kelmore
