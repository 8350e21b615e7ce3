// Export files of compiled code: the three layouts against golden files, the S-records read back by
// srec_cat, the PRT lines read back by Ferrant's line reader, the choice of layout by the name's ending,
// and a failed write that keeps the old file.
// Layer: tests (plain C++).
#include "mainwindow/codeexport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/codetext.h"
#include "common/prtline.h"
#include "platform/atomicfile.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const Bytes kUserModeInBytes{0x1F, 0x28, 0x65, 0x01, 0x49, 0x4E};
const Bytes kTailer{0x1F, 0x28, 0x65, 0x02, 0x4F, 0x55, 0x54};

class FixedClock : public ExportClock {
 public:
  LocalTime now() const override { return {2026, 1, 2, 3, 4, 5}; }
};

// n code bytes as the code pane holds them; every fifth byte is a Data byte, whose "." must read as well.
std::string codePaneText(std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i)
    appendCodeByte(text, static_cast<std::uint8_t>(0x1F + 37 * i),
                   i % 5 == 4 ? kDataSeparator : kCodeSeparator);
  return text;
}

Bytes codeBytes(std::size_t n) {
  Bytes bytes;
  for (std::size_t i = 0; i < n; ++i) bytes.push_back(static_cast<std::uint8_t>(0x1F + 37 * i));
  return bytes;
}

struct FileCase {
  const char* name;  // also the golden file's name without its ending
  int target;
  std::size_t codeBytes;
  Bytes header;  // as the module expects it
  Bytes tailer;
};

Bytes flashHeader(std::uint8_t area, std::uint8_t nL, std::uint8_t nH) {
  Bytes header = kUserModeInBytes;
  header.insert(header.end(), {0x1F, 0x28, 0x65, 0x12, area, nL, nH, 0x00, 0x00});
  return header;
}

const FileCase kFileCases[] = {
    {"ram_3", 0, 3, {0x1F, 0x3A, 0x03, 0x00}, {}},
    {"ram_16", 0, 16, {0x1F, 0x3A, 0x10, 0x00}, {}},
    {"ram_20", 0, 20, {0x1F, 0x3A, 0x14, 0x00}, {}},
    {"from2_3", 2, 3, flashHeader(2, 0x03, 0x00), kTailer},
    {"from2_16", 2, 16, flashHeader(2, 0x10, 0x00), kTailer},
    {"from2_20", 2, 20, flashHeader(2, 0x14, 0x00), kTailer},
    {"from3_300", 3, 300, flashHeader(3, 0x2C, 0x01), kTailer},
};

std::string readFile(const fs::path& path) {
  const platform::FileRead file = platform::readRegularFile(path, 1 << 20);
  EXPECT_TRUE(file.ok()) << file.message;
  return file.bytes;
}

std::string golden(const std::string& name) {
  const char* dir = std::getenv("KELMORE_TEST_SOURCE_DIR");
  return readFile(fs::path(dir ? dir : ".") / "export" / name);
}

// Golden files keep LF line ends; the export's are checked to be CR LF throughout.
std::string withLf(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ADD_FAILURE() << "a line end without CR at " << i;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (!text.ends_with("\r\n")) ADD_FAILURE() << "the last line has no CR LF";
  return out;
}

Bytes framed(const FileCase& c) {
  Bytes all = c.header;
  const Bytes code = codeBytes(c.codeBytes);
  all.insert(all.end(), code.begin(), code.end());
  all.insert(all.end(), c.tailer.begin(), c.tailer.end());
  return all;
}

class ExportFiles : public testing::TestWithParam<FileCase> {
 protected:
  void SetUp() override {
    dir_ = platform::dataDir() / "export" / GetParam().name;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  // The export as the command writes it.
  fs::path exported(const std::string& ending) {
    const fs::path file = dir_ / (std::string(GetParam().name) + ending);
    const ExportResult result =
        exportCode(codePaneText(GetParam().codeBytes), GetParam().target, file, clock_);
    EXPECT_EQ(result.kind, ExportResult::Kind::Saved) << result.message;
    EXPECT_EQ(result.message, "A file is saved.");
    return file;
  }

  fs::path dir_;
  FixedClock clock_;
};

TEST_P(ExportFiles, match_the_golden_files) {
  for (const char* ending : {".dat", ".txt", ".mot"}) {
    SCOPED_TRACE(ending);
    EXPECT_EQ(withLf(readFile(exported(ending))), golden(GetParam().name + std::string(ending)));
  }
}

TEST_P(ExportFiles, s_records_read_back_by_srec_cat_give_header_code_and_tailer) {
  const std::string srecCat = KELMORE_SREC_CAT;
  ASSERT_FALSE(srecCat.empty() || srecCat.ends_with("NOTFOUND"))
      << "srec_cat is missing: scripts/setup installs srecord";
  const fs::path records = exported(".mot");
  const fs::path binary = dir_ / "read-back.bin";
  const std::string command = "'" + srecCat + "' '" + records.string() + "' -Motorola -o '" +
                              binary.string() + "' -Binary 2>'" + (dir_ / "srec_cat.err").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir_ / "srec_cat.err");
  const std::string back = readFile(binary);
  EXPECT_EQ(Bytes(back.begin(), back.end()), framed(GetParam()));
}

TEST_P(ExportFiles, prt_lines_read_back_by_ferrant_give_header_code_and_tailer) {
  std::istringstream lines(readFile(exported(".dat")));
  Bytes sent;
  for (std::string line; std::getline(lines, line);) {
    const PrtLineBytes read = readPrtLine(line, ItemRule::Ferrant);
    ASSERT_NE(read.kind, PrtLineBytes::Kind::DataError) << line;
    sent.insert(sent.end(), read.bytes.begin(), read.bytes.end());
  }
  EXPECT_EQ(sent, framed(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(code, ExportFiles, testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct EndingCase {
  const char* name;
  const char* fileName;
  ExportLayout layout;
};

const EndingCase kEndingCases[] = {
    {"dat", "/home/u/macro.dat", ExportLayout::Dat},
    {"dat_upper", "/home/u/MACRO.DAT", ExportLayout::Dat},
    {"txt_lower", "/home/u/macro.txt", ExportLayout::Txt},
    {"txt_mixed", "/home/u/macro.tXt", ExportLayout::Txt},
    {"mot", "/home/u/macro.mot", ExportLayout::SRecord},
    {"hex", "/home/u/macro.HEX", ExportLayout::SRecord},
    {"hex_without_dot", "/home/u/macrohex", ExportLayout::SRecord},
    {"bin", "/home/u/macro.bin", ExportLayout::Bin},
    {"tvr", "/home/u/macro.tvr", ExportLayout::Unknown},
    {"no_ending", "/home/u/macro", ExportLayout::Unknown},
    {"two_letters", "da", ExportLayout::Unknown},
    {"empty", "", ExportLayout::Unknown},
    {"ending_of_the_folder_only", "/home/dat/macro.dt", ExportLayout::Unknown},
};

class Ending : public testing::TestWithParam<EndingCase> {};

TEST_P(Ending, chooses_the_layout) {
  EXPECT_EQ(exportLayout(GetParam().fileName), GetParam().layout);
}

INSTANTIATE_TEST_SUITE_P(code, Ending, testing::ValuesIn(kEndingCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ExportOutcome : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::dataDir() / "export-outcome";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { platform::test_seam::setWriteFunction(nullptr); }

  fs::path dir_;
  FixedClock clock_;
};

TEST_F(ExportOutcome, bin_and_unknown_endings_write_nothing) {
  const ExportResult bin = exportCode(codePaneText(3), 0, dir_ / "macro.bin", clock_);
  EXPECT_EQ(bin.kind, ExportResult::Kind::UnderConstruction);
  EXPECT_EQ(bin.message, "This format is Under construction.");
  const ExportResult other = exportCode(codePaneText(3), 0, dir_ / "macro.tvr", clock_);
  EXPECT_EQ(other.kind, ExportResult::Kind::UnknownFormat);
  EXPECT_EQ(other.message, "This format is not supported.");
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ExportOutcome, a_full_disk_keeps_the_old_file) {
  const fs::path file = dir_ / "macro.mot";
  std::ofstream(file) << "old records";
  platform::test_seam::setWriteFunction([](int, const void*, unsigned long) -> long {
    errno = ENOSPC;
    return -1;
  });
  const ExportResult result = exportCode(codePaneText(20), 1, file, clock_);
  EXPECT_EQ(result.kind, ExportResult::Kind::NotSaved);
  EXPECT_EQ(result.message, "A file is not saved. " + file.string() + ": No space left on device");
  EXPECT_EQ(readFile(file), "old records");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);  // no temporary file left behind
}

TEST_F(ExportOutcome, dat_stamp_pads_date_and_time) {
  class LateClock : public ExportClock {
   public:
    LocalTime now() const override { return {2031, 12, 31, 23, 59, 58}; }
  };
  const std::string file = datFile(codeBytes(1), exportFraming(0, 1), LateClock().now());
  EXPECT_TRUE(file.starts_with("*** 2031/12/31 23:59:58***\r\n\r\n*** Header ***\r\n")) << file;
}

}  // namespace
}  // namespace kelmore::mainwindow
