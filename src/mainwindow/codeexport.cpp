// Export files of compiled code.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/codeexport.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "common/codetext.h"
#include "common/numbers.h"
#include "common/prtline.h"
#include "common/strings.h"
#include "platform/atomicfile.h"

namespace kelmore::mainwindow {
namespace {

constexpr int kResFileSaved = 2273;
constexpr std::size_t kBytesPerLine = 16;  // code bytes on one PRT line, DB line or S1 record
constexpr std::size_t kEndingChars = 3;
constexpr std::uint32_t kMaxSRecordAddress = 0xFFFF;
constexpr std::string_view kLineEnd = "\r\n";

struct EndingLayout {
  std::string_view ending;  // upper case
  ExportLayout layout;
};

// In the order the endings are compared.
constexpr std::array<EndingLayout, 5> kEndingLayouts{{
    {"DAT", ExportLayout::Dat},
    {"TXT", ExportLayout::Txt},
    {"MOT", ExportLayout::SRecord},
    {"HEX", ExportLayout::SRecord},
    {"BIN", ExportLayout::Bin},
}};

class Lines {
 public:
  void add(std::string_view line) {
    text_ += line;
    text_ += kLineEnd;
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

// The code in runs of 16 bytes, the last run the rest.
template <typename Emit>
void forEachRun(std::span<const std::uint8_t> code, Emit emit) {
  for (std::size_t at = 0; at < code.size(); at += kBytesPerLine)
    emit(code.subspan(at, std::min(kBytesPerLine, code.size() - at)), at);
}

std::string twoDigits(int value) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%02d", value);
  return buffer.data();
}

std::string dateLine(const LocalTime& t) {
  std::array<char, 16> year{};
  std::snprintf(year.data(), year.size(), "%04d", t.year);
  return "*** " + std::string(year.data()) + "/" + twoDigits(t.month) + "/" + twoDigits(t.day) + " " +
         twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second) + "***";
}

// " DB " and the items joined by ",": the framing's items are " &H1F", the code's " 1Fh".
std::string dbLine(std::span<const std::uint8_t> bytes, bool framingItems) {
  std::string line = " DB ";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) line += ',';
    line += framingItems ? " &H" + hexUpper(bytes[i], 2) : " " + hexUpper(bytes[i], 2) + "h";
  }
  return line;
}

std::string sRecord(char type, std::uint32_t address, std::span<const std::uint8_t> data) {
  if (address > kMaxSRecordAddress) throw std::length_error("S-record address beyond 16 bits");
  const std::size_t count = 2 + data.size() + 1;  // address, data, checksum
  unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
  std::string record = "S";
  record += type;
  record += hexUpper(count, 2);
  record += hexUpper(address, 4);
  for (std::uint8_t b : data) {
    record += hexUpper(b, 2);
    sum += b;
  }
  record += hexUpper(255 - sum % 256, 2);
  return record;
}

char upperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

ExportLayout exportLayout(std::string_view fileName) {
  if (fileName.size() < kEndingChars) return ExportLayout::Unknown;
  std::string ending(fileName.substr(fileName.size() - kEndingChars));
  for (char& c : ending) c = upperAscii(c);
  for (const EndingLayout& row : kEndingLayouts)
    if (row.ending == ending) return row.layout;
  return ExportLayout::Unknown;
}

LocalTime SystemExportClock::now() const {
  const std::time_t seconds = std::time(nullptr);
  std::tm local{};
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string datFile(std::span<const std::uint8_t> code, const ExportFraming& framing,
                    const LocalTime& stamp) {
  Lines out;
  out.add(dateLine(stamp));
  out.add("");
  out.add("*** Header ***");
  out.add(prtLine(framing.header, true));
  out.add("");
  out.add("*** Object code ***");
  forEachRun(code, [&](std::span<const std::uint8_t> run, std::size_t) { out.add(prtLine(run, true)); });
  if (!framing.tailer.empty()) {
    out.add("*** Tailer ***");
    out.add(prtLine(framing.tailer, true));
  }
  out.add("*** end of object code ***");
  return out.take();
}

std::string txtFile(std::span<const std::uint8_t> code, const ExportFraming& framing) {
  Lines out;
  out.add("REM *** Header ***");
  out.add(dbLine(framing.header, true) + ";");
  out.add("");
  out.add("REM *** Object code ***");
  forEachRun(code,
             [&](std::span<const std::uint8_t> run, std::size_t) { out.add(dbLine(run, false) + ";"); });
  if (!framing.tailer.empty()) {
    out.add("REM *** Tailer ***");
    out.add(dbLine(framing.tailer, true));  // the one DB line without ";"
  } else {
    out.add("");
  }
  out.add("REM *** end of object code ***");
  return out.take();
}

std::string sRecordFile(std::span<const std::uint8_t> code, const ExportFraming& framing) {
  Lines out;
  const auto* maker = reinterpret_cast<const std::uint8_t*>(kSRecordMaker.data());
  out.add(sRecord('0', 0, {maker, kSRecordMaker.size()}));
  out.add(sRecord('1', 0, framing.header));
  const auto codeStart = static_cast<std::uint32_t>(framing.header.size());
  forEachRun(code, [&](std::span<const std::uint8_t> run, std::size_t at) {
    out.add(sRecord('1', codeStart + static_cast<std::uint32_t>(at), run));
  });
  // The end record names the address after the code; the tailer does not move it.
  const std::uint32_t codeEnd = codeStart + static_cast<std::uint32_t>(code.size());
  if (!framing.tailer.empty()) out.add(sRecord('1', codeEnd, framing.tailer));
  out.add(sRecord('9', codeEnd, {}));
  return out.take();
}

ExportResult exportCode(std::string_view codeText, int targetArea, const std::filesystem::path& file,
                        const ExportClock& clock) {
  const std::vector<std::uint8_t> code = codeTextToBytes(codeText);
  const ExportFraming framing = exportFraming(targetArea, code.size());
  std::string content;
  switch (exportLayout(file.string())) {
    case ExportLayout::Dat:
      content = datFile(code, framing, clock.now());
      break;
    case ExportLayout::Txt:
      content = txtFile(code, framing);
      break;
    case ExportLayout::SRecord:
      content = sRecordFile(code, framing);
      break;
    case ExportLayout::Bin:
      return {ExportResult::Kind::UnderConstruction, std::string(kUnderConstruction)};
    case ExportLayout::Unknown:
      return {ExportResult::Kind::UnknownFormat, std::string(kUnknownExportFormat)};
  }
  const platform::WriteResult written = platform::writeFileAtomic(file, content);
  if (!written.ok) return {ExportResult::Kind::NotSaved, std::string(kExportNotSaved) + " " + written.error};
  return {ExportResult::Kind::Saved, std::string(resString(kResFileSaved))};
}

}  // namespace kelmore::mainwindow
