// Export files of compiled code: the code bytes wrapped in the download framing of their target area, as
// PRT lines (.dat), DB text lines (.txt) or Motorola S-records (.mot, .hex).
// Layer: main window (plain C++, no Qt).
//
// The layout follows the last three characters of the file name in any letter case, the dot not looked
// at. Every file has CR LF line ends and is written whole through the atomic write: a failed export leaves
// any old file as it was. The DAT layout's first line carries the local date and time of the injected
// clock. Code lengths must fit the framing's 16-bit field and every S-record address 16 bits; a longer
// code throws std::length_error before anything is written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "common/framing.h"

namespace kelmore::mainwindow {

inline constexpr std::string_view kUnderConstruction = "This format is Under construction.";
// A name with none of the endings .dat, .txt, .mot, .hex (or .bin).
inline constexpr std::string_view kUnknownExportFormat = "This format is not supported.";
// Followed by a blank and what failed.
inline constexpr std::string_view kExportNotSaved = "A file is not saved.";
// The data of the S0 record: who made the file.
inline constexpr std::string_view kSRecordMaker = "KELMORE ";

enum class ExportLayout { Dat, Txt, SRecord, Bin, Unknown };

ExportLayout exportLayout(std::string_view fileName);

struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class ExportClock {
 public:
  virtual ~ExportClock() = default;
  virtual LocalTime now() const = 0;
};

// The local time of the system.
class SystemExportClock : public ExportClock {
 public:
  LocalTime now() const override;
};

// Whole files, lines ended CR LF.
std::string datFile(std::span<const std::uint8_t> code, const ExportFraming& framing, const LocalTime& stamp);
std::string txtFile(std::span<const std::uint8_t> code, const ExportFraming& framing);
std::string sRecordFile(std::span<const std::uint8_t> code, const ExportFraming& framing);

struct ExportResult {
  enum class Kind { Saved, UnderConstruction, UnknownFormat, NotSaved };
  Kind kind = Kind::Saved;
  std::string message;  // what the user is told
};

// Exports the code of a code pane text for target area 0..4 into `file`.
ExportResult exportCode(std::string_view codeText, int targetArea, const std::filesystem::path& file,
                        const ExportClock& clock);

}  // namespace kelmore::mainwindow
