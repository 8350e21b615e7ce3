// Model names, target areas and memory-area names: the small fixed vocabularies every subsystem keys on.
// Layer: common (plain C++, no Qt).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmore {

// The model list in its order. Model names are compared exactly, letter case included.
inline constexpr std::array<std::string_view, 10> kModelNames{
    "PX-5100", "PX-5200", "PX-5200B", "PX-6203", "PX-B", "PX-D", "QT-R500", "QT-R5xxP", "PX-*", "WMR-STD"};
inline constexpr std::string_view kInitialModel = "PX-5200";

// Target area index: 0 is the RAM macro area, 1..4 the flash macro areas.
inline constexpr int kRamArea = 0;
inline constexpr int kFlashAreaCount = 4;
inline constexpr std::array<std::string_view, 5> kTargetAreaTexts{"RAM Macro", "FROM Macro1", "FROM Macro2",
                                                                  "FROM Macro3", "FROM Macro4"};

// The byte that names a macro area in the macro-run command and in memory switch 19.
constexpr std::uint8_t macroNumber(int targetArea) {
  return static_cast<std::uint8_t>(128 + targetArea);
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

// The keyword of a memory code; empty for a code that names no area.
constexpr std::string_view memoryAreaName(std::uint8_t code) {
  for (const auto& area : kMemoryAreas)
    if (area.code == code) return area.name;
  return {};
}

}  // namespace kelmore
