// Module models with everything that differs between them, target areas and memory-area names: the small
// fixed vocabularies every subsystem keys on.
// Layer: common (plain C++, no Qt).
//
// kModels holds one row per display module model; every room reads its model facts through modelInfo().
// A model name that no row holds (the model box takes any text) reads as kOtherModel, whose values are the
// members' defaults. Adding a model is adding a row.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

namespace kelmore {

// One register a model gives a name: its register code and the system variable's name in the source.
struct SystemVariable {
  char code;
  std::string_view name;
};

// How a For loop counts with a constant step of 1.
enum class IncrementForm : std::uint8_t {
  AddImmediate,  // L# var "+" 1
  Increment,     // L# var "i", the one-byte increment
};

// Image memory: the areas an image of the list may name. "VRAM" lies in display memory at a typed address;
// "RAM" is the image RAM; "F 0".."F 7" are the flash pages; "FROM" takes the first page with room, "F 1-4"
// and "F any" the first of pages 1..4 with room.
inline constexpr int kImageFlashPages = 8;
inline constexpr std::string_view kImageMemoryAreas[] = {"VRAM", "RAM", "FROM", "F 0", "F 1",   "F 2",  "F 3",
                                                         "F 4",  "F 5", "F 6",  "F 7", "F 1-4", "F any"};
// What a preview frame offers, by the model's pages.
inline constexpr std::string_view kFivePageImageChoices[] = {"VRAM", "RAM", "FROM", "F 0", "F 1-4",
                                                             "F 1",  "F 2", "F 3",  "F 4"};
inline constexpr std::string_view kEightPageImageChoices[] = {"VRAM", "RAM", "FROM", "F 0", "F 1", "F 2",
                                                              "F 3",  "F 4", "F 5",  "F 6", "F 7"};
inline constexpr std::string_view kNoRamImageChoices[] = {"VRAM", "FROM", "F 0", "F 1", "F 2",
                                                          "F 3",  "F 4",  "F 5", "F 6", "F 7"};
using ImagePageBytes = std::array<int, kImageFlashPages>;
inline constexpr ImagePageBytes kEightImagePages{65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536};
inline constexpr ImagePageBytes kFiveImagePages{32768, 65536, 65536, 65536, 65536, 0, 0, 0};
// The font sizes a SetFont statement names, and the code the module takes for each.
struct FontSize {
  std::string_view name;
  std::uint8_t code;
};
inline constexpr std::array<FontSize, 6> kFontSizes{
    {{"outline", 0x00}, {"6x8", 0x01}, {"5x7", 0x01}, {"8x16", 0x02}, {"12x24", 0x03}, {"16x32", 0x04}}};

// A set of kFontSizes, one bit a row (bit k for row k).
using FontSet = std::uint8_t;
constexpr FontSet fontSet(std::initializer_list<std::string_view> names) {
  FontSet set = 0;
  for (std::string_view name : names) {
    std::size_t row = 0;
    while (kFontSizes.at(row).name != name) ++row;  // an unknown name is no constant expression
    set = static_cast<FontSet>(set | (1u << row));
  }
  return set;
}

struct ModelInfo {
  std::string_view name;  // compared exactly, letter case included
  bool listed = true;     // offered in the model list; some rows are names the code knows besides

  // Macro areas: the RAM area and each of the four flash areas, in bytes.
  int ramMacroBytes = 256;
  int flashMacroBytes = 4096;
  // A code written to flash area k may run on into areas k+1..4; otherwise each area stands alone.
  bool chainedFlash = true;
  // A flash macro goes to the module in 1024-byte blocks.
  bool blockFlashDownload = false;
  // After a download the module shows the "Completed. ..." text.
  bool showsDownloadStatus = true;

  // Compiler: the system variables in slot order (a code may carry two names, both reach the register),
  // and how a step of 1 counts.
  std::span<const SystemVariable> systemVariables{};
  IncrementForm stepOne = IncrementForm::AddImmediate;

  // Compiler: the statements and arguments the model takes; a program using another one fails to compile.
  bool widthAndTargetMemory = false;  // Sel16, Sel32, TargetMem
  bool gpfRomArea = false;            // TargetMem GPFRom
  bool gpfRom2Area = false;           // TargetMem GPFRom2
  bool poke = false;                  // Poke
  bool drawing = true;                // Random, Spring, Curtain, Line, Pset
  bool registerStack = true;          // Push, Pop
  bool upperPorts = false;            // PortDirection ports 2 and 3
  // Events: whether the module has the touch event and the port event, and the port characters the port
  // event watches.
  bool touchEvents = false;
  bool portEvents = true;
  std::string_view eventPorts = "01";
  // Text: the display command byte that selects the double-byte character set, and the SetFont sizes.
  std::uint8_t characterSetCommand = 0x03;
  FontSet fontSizes = 0;

  // Image tool: the image RAM and the flash pages "F 0".."F 7" in bytes (0: the model has no such page),
  // and the memory areas a preview frame offers.
  int imageRamBytes = 4096;
  ImagePageBytes imageFlashPageBytes = kEightImagePages;
  std::span<const std::string_view> imageMemoryChoices = kEightPageImageChoices;
  // The image command file writes a flash page as 4096-byte blocks with their own addresses, without the
  // page header that announces the whole page.
  bool blockImageFlash = false;
};

inline constexpr FontSet kPx5200Fonts = fontSet({"6x8", "5x7", "8x16", "16x32"});
inline constexpr FontSet kPx6203Fonts = fontSet({"6x8", "5x7", "8x16", "12x24", "16x32"});
inline constexpr FontSet kSmallFonts = fontSet({"6x8", "5x7", "8x16"});
inline constexpr FontSet kAllFonts = fontSet({"outline", "6x8", "5x7", "8x16", "12x24", "16x32"});

inline constexpr SystemVariable kPx5200Variables[] = {
    {'0', "Port0"}, {'1', "Port1"}, {'@', "Com"}, {'%', "RecCount"}, {'?', "TimerInterval"}, {'[', "ActSts"},
};
inline constexpr SystemVariable kPx5200bVariables[] = {
    {'0', "Port0"}, {'1', "Port1"},    {'2', "DipSw"},         {'*', "ComAHD"},
    {'@', "Com"},   {'%', "RecCount"}, {'?', "TimerInterval"},
};
inline constexpr SystemVariable kPx6203Variables[] = {
    {'0', "Port0"}, {'1', "Port1"},    {'2', "Jumper"},        {'*', "ComAHD"},
    {'@', "Com"},   {'%', "RecCount"}, {'?', "TimerInterval"},
};
inline constexpr SystemVariable kPxBVariables[] = {
    {'@', "Com"}, {'%', "RecCount"}, {'?', "TimerInterval"}, {'7', "TpIN"}, {'8', "TpX"},
    {'9', "TpY"}, {'7', "TsR"},      {'8', "Ts1"},           {'9', "Ts2"},
};
inline constexpr SystemVariable kPxDVariables[] = {
    {'0', "Port0"}, {'@', "Com"}, {'%', "RecCount"}, {'?', "TimerInterval"}, {'7', "TsR"},
    {'8', "Ts1"},   {'9', "Ts2"}, {'7', "TpIN"},     {'8', "TpX"},           {'9', "TpY"},
};
inline constexpr SystemVariable kQtR500Variables[] = {
    {'0', "Port0"}, {'1', "Port1"},    {'2', "Jumper"},        {'7', "TsR"}, {'8', "Ts1"},
    {'9', "Ts2"},   {'7', "TpIN"},     {'8', "TpX"},           {'9', "TpY"}, {'*', "ComAHD"},
    {'@', "Com"},   {'%', "RecCount"}, {'?', "TimerInterval"},
};
inline constexpr SystemVariable kQtR5xxPVariables[] = {
    {'0', "Port0"},  {'1', "Port1"}, {'2', "Jumper"},   {'4', "Port4"},         {'7', "TsR"},
    {'8', "Ts1"},    {'9', "Ts2"},   {'7', "TpIN"},     {'8', "TpX"},           {'9', "TpY"},
    {'*', "ComAHD"}, {'@', "Com"},   {'%', "RecCount"}, {'?', "TimerInterval"},
};
inline constexpr SystemVariable kPxAnyVariables[] = {
    {'0', "Port0"},    {'1', "Port1"},         {'2', "Jumper"}, {'*', "ComAHD"}, {'@', "Com"},
    {'%', "RecCount"}, {'?', "TimerInterval"}, {'7', "TsR"},    {'8', "Ts1"},    {'9', "Ts2"},
    {'7', "TpIN"},     {'8', "TpX"},           {'9', "TpY"},    {'[', "ActSts"},
};
inline constexpr SystemVariable kWmrStdVariables[] = {
    {'0', "Port0"}, {'1', "Port1"}, {'@', "Com"},  {'%', "RecCount"}, {'?', "TimerInterval"}, {'7', "TsR"},
    {'8', "Ts1"},   {'9', "Ts2"},   {'7', "TpIN"}, {'8', "TpX"},      {'9', "TpY"},
};

// The listed models come first, in the order of the model list.
inline constexpr ModelInfo kModels[] = {
    {.name = "PX-5100",
     .ramMacroBytes = 256,
     .flashMacroBytes = 4096,
     .chainedFlash = false,
     .systemVariables = kPx5200Variables,
     .registerStack = false,
     .fontSizes = kPx5200Fonts,
     .imageRamBytes = 1024,
     .imageFlashPageBytes = kFiveImagePages,
     .imageMemoryChoices = kFivePageImageChoices},
    {.name = "PX-5200",
     .ramMacroBytes = 256,
     .flashMacroBytes = 4096,
     .chainedFlash = false,
     .systemVariables = kPx5200Variables,
     .registerStack = false,
     .fontSizes = kPx5200Fonts,
     .imageRamBytes = 1024,
     .imageFlashPageBytes = kFiveImagePages,
     .imageMemoryChoices = kFivePageImageChoices},
    {.name = "PX-5200B",
     .ramMacroBytes = 16384,
     .flashMacroBytes = 4096,
     .chainedFlash = true,
     .systemVariables = kPx5200bVariables,
     .stepOne = IncrementForm::Increment,
     .widthAndTargetMemory = true,
     .gpfRomArea = true,
     .poke = true,
     .fontSizes = kPx5200Fonts,
     .imageFlashPageBytes = kFiveImagePages,
     .imageMemoryChoices = kFivePageImageChoices},
    {.name = "PX-6203",
     .ramMacroBytes = 16384,
     .flashMacroBytes = 0,
     .chainedFlash = false,
     .systemVariables = kPx6203Variables,
     .stepOne = IncrementForm::Increment,
     .widthAndTargetMemory = true,
     .poke = true,
     .fontSizes = kPx6203Fonts},
    {.name = "PX-B",
     .ramMacroBytes = 256,
     .flashMacroBytes = 4096,
     .chainedFlash = false,
     .systemVariables = kPxBVariables,
     .drawing = false,
     .registerStack = false,
     .portEvents = false,
     .characterSetCommand = 0x0F,
     .fontSizes = kSmallFonts,
     .blockImageFlash = true},
    {.name = "PX-D",
     .ramMacroBytes = 256,
     .flashMacroBytes = 8192,
     .chainedFlash = true,
     .systemVariables = kPxDVariables,
     .drawing = false,
     .fontSizes = kSmallFonts,
     .imageRamBytes = 0,
     .imageMemoryChoices = kNoRamImageChoices},
    {.name = "QT-R500",
     .ramMacroBytes = 1024,
     .flashMacroBytes = 8192,
     .chainedFlash = true,
     .systemVariables = kQtR500Variables,
     .widthAndTargetMemory = true,
     .gpfRom2Area = true,
     .poke = true,
     .fontSizes = kPx6203Fonts},
    {.name = "QT-R5xxP",
     .ramMacroBytes = 1024,
     .flashMacroBytes = 8192,
     .chainedFlash = true,
     .systemVariables = kQtR5xxPVariables,
     .widthAndTargetMemory = true,
     .gpfRom2Area = true,
     .poke = true,
     .upperPorts = true,
     .touchEvents = true,
     .eventPorts = "014",
     .fontSizes = kAllFonts},
    {.name = "PX-*",
     .ramMacroBytes = 256,
     .flashMacroBytes = 4096,
     .chainedFlash = true,
     .systemVariables = kPxAnyVariables,
     .widthAndTargetMemory = true,
     .gpfRomArea = true,
     .gpfRom2Area = true,
     .poke = true,
     .fontSizes = kAllFonts},
    {.name = "WMR-STD",
     .ramMacroBytes = 256,
     .flashMacroBytes = 4096,
     .chainedFlash = false,
     .blockFlashDownload = true,
     .showsDownloadStatus = false,
     .systemVariables = kWmrStdVariables},
    // Not in the list; its flash areas stand alone.
    {.name = "PX-6901", .listed = false, .chainedFlash = false},
    // Not in the list; its image flash pages go out in blocks, as on PX-B.
    {.name = "LN-B", .listed = false, .blockImageFlash = true},
};

// What a model name outside the table reads as.
inline constexpr ModelInfo kOtherModel{};

// The row of `name` (exact compare), else kOtherModel.
constexpr const ModelInfo& modelInfo(std::string_view name) {
  for (const auto& model : kModels)
    if (model.name == name) return model;
  return kOtherModel;
}

// The code of the SetFont size `name` (exact compare) on `model`; nothing for a size the model lacks.
constexpr std::optional<std::uint8_t> fontSizeCode(const ModelInfo& model, std::string_view name) {
  for (std::size_t row = 0; row < kFontSizes.size(); ++row)
    if (kFontSizes[row].name == name && (model.fontSizes >> row & 1u) != 0) return kFontSizes[row].code;
  return std::nullopt;
}

// The model list in its order.
inline constexpr std::size_t kListedModelCount =
    static_cast<std::size_t>(std::ranges::count_if(kModels, [](const ModelInfo& m) { return m.listed; }));
inline constexpr std::array<std::string_view, kListedModelCount> kModelNames = [] {
  std::array<std::string_view, kListedModelCount> names{};
  std::size_t next = 0;
  for (const auto& model : kModels)
    if (model.listed) names[next++] = model.name;
  return names;
}();
inline constexpr std::string_view kInitialModel = "PX-5200";
static_assert(modelInfo(kInitialModel).listed && !modelInfo(kInitialModel).name.empty(),
              "the initial model is one of the list");

// Target area index: 0 is the RAM macro area, 1..4 the flash macro areas.
inline constexpr int kRamArea = 0;
inline constexpr int kFlashAreaCount = 4;
inline constexpr std::array<std::string_view, 5> kTargetAreaTexts{"RAM Macro", "FROM Macro1", "FROM Macro2",
                                                                  "FROM Macro3", "FROM Macro4"};

// Macro numbers name a macro area in the macro-run command and in the auto-start switch: 128 the RAM macro
// area, 128 + k flash macro area k. The auto-start switch, memory switch 19, holds the macro the module
// runs at power-on: 0 none, else a macro number.
inline constexpr int kRamMacroNumber = 128;
inline constexpr int kAutoStartSwitch = 19;
constexpr int macroNumber(int targetArea) {
  return kRamMacroNumber + targetArea;
}

struct MemoryAreaName {
  std::string_view name;
  std::uint8_t code;
};

// The keywords of the target-memory instruction and their codes, in the order they are compared.
inline constexpr std::array<MemoryAreaName, 8> kMemoryAreas{{{"MacroMem", 0x00},
                                                             {"VRam", 0x20},
                                                             {"GPRam", 0x30},
                                                             {"GPFRom", 0x31},
                                                             {"GPFRom2", 0x32},
                                                             {"ImgRam", 0x40},
                                                             {"ImgFRom", 0x41},
                                                             {"MemSw", 0x51}}};

constexpr std::optional<std::uint8_t> memoryAreaCode(std::string_view name) {
  for (const auto& area : kMemoryAreas)
    if (area.name == name) return area.code;
  return std::nullopt;
}

}  // namespace kelmore
