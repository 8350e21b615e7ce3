// The image command file: whole files against golden copies, and the faults that fail an export.
// Layer: tests (plain C++, no Qt).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/strings.h"
#include "imagetool/imageexport.h"
#include "imagetool/imagefile.h"
#include "listfixture.h"
#include "platform/atomicfile.h"
#include "platform/fileread.h"

namespace kelmore::imagetool {
namespace {

using testkit::BitmapFolder;

const ExportClock kNoon = [] { return ExportTime{2026, 3, 7, 9, 5, 2}; };

// A one-bit bitmap whose dots differ from column to column and band to band, so a byte out of place shows.
std::string patterned(const BitmapFolder& dir, const std::string& name, int width, int height) {
  kelmore::testkit::BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 3) % 5 == 0); };
  const auto path = dir.root() / name;
  kelmore::testkit::writeFile(path, kelmore::testkit::makeBmp(spec));
  return path.string();
}

// An entry for the bitmap at `path`, of its size.
ImageRecord entry(const std::string& label, const std::string& memory, const std::string& path, int width,
                  int height, std::int16_t check = 1) {
  ImageRecord r = testkit::record(label, memory, width, height);
  r.imgPath = path;
  r.imgFileName = fileNamePart(path);
  r.imgCheck = check;
  return r;
}

// The list allocated for a model, ready to export.
struct Prepared {
  explicit Prepared(std::string_view modelName, std::vector<ImageRecord> records)
      : model(modelInfo(modelName)), capacities(capacitiesOf(model)) {
    list.assign(std::move(records));
    allocation = allocateMemory(list, capacities);
  }
  ExportSource source() const { return {list, allocation, capacities, model}; }
  ExportResult run(const ExportAreas& areas) const { return exportImages(source(), areas, kNoon); }

  const ModelInfo& model;
  Capacities capacities;
  ImageList list;
  Allocation allocation;
};

ExportAreas ramOnly() {
  ExportAreas a;
  a.ram = true;
  return a;
}
ExportAreas pages(std::initializer_list<int> ks) {
  ExportAreas a;
  for (int k : ks) a.from[static_cast<std::size_t>(k)] = true;
  return a;
}

std::string withLf(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

std::string golden(const std::string& name) {
  const char* dir = std::getenv("KELMORE_TEST_SOURCE_DIR");
  const std::string path = std::string(dir ? dir : ".") + "/export/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "missing golden file " << path;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every line ends CR LF, and the count is the file's length.
void expectFileShape(const ExportResult& result) {
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(result.count, result.text.size());
  for (std::size_t i = 0; i < result.text.size(); ++i)
    if (result.text[i] == '\n') {
      ASSERT_TRUE(i > 0 && result.text[i - 1] == '\r') << "bare LF at " << i;
    }
  EXPECT_TRUE(result.text.ends_with("\r\n"));
}

// --- whole files ---

struct GoldenCase {
  const char* name;
  const char* model;
  std::vector<std::tuple<const char*, const char*, int, int>> images;  // label, memory, width, height
  ExportAreas areas;
  const char* file;
};

class Golden : public testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, file_matches_byte_for_byte) {
  BitmapFolder dir("export-golden");
  std::vector<ImageRecord> records;
  for (const auto& [label, memory, width, height] : GetParam().images)
    records.push_back(
        entry(label, memory, patterned(dir, std::string(label) + ".bmp", width, height), width, height));
  const Prepared p(GetParam().model, std::move(records));
  const ExportResult result = p.run(GetParam().areas);
  expectFileShape(result);
  EXPECT_EQ(withLf(result.text), golden(GetParam().file));
}

const GoldenCase kGolden[] = {
    {"ram_image", "PX-5200", {{"Logo", "RAM", 128, 64}}, ramOnly(), "ram_128x64.txt"},
    // An odd image is padded with FF, the next one sits at the next even offset; a page header each.
    {"two_flash_pages",
     "PX-5200",
     {{"Odd", "F 0", 5, 8}, {"Even", "F 0", 16, 16}, {"Other", "F 1", 3, 16}, {"Skipped", "RAM", 8, 8}},
     pages({0, 1}),
     "px5200_two_pages.txt"},
    // A block of exactly 4096 bytes ends with the line "PRT " alone.
    {"block_of_4096", "PX-B", {{"Wide", "F 0", 256, 128}}, pages({0}), "pxb_block_4096.txt"},
    {"ram_and_flash",
     "PX-5200B",
     {{"Small", "RAM", 4, 8}, {"Float", "FROM", 3, 8}},
     [] {
       ExportAreas a = pages({0});
       a.ram = true;
       return a;
     }(),
     "px5200b_ram_and_flash.txt"},
};
INSTANTIATE_TEST_SUITE_P(export, Golden, testing::ValuesIn(kGolden),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(ExportLayout, a_block_model_page_of_5000_bytes_is_two_blocks) {
  BitmapFolder dir("export-blocks");
  // 625 × 64 dots = 5000 bytes.
  const Prepared p("LN-B", {entry("Big", "F 2", patterned(dir, "big.bmp", 625, 64), 625, 64)});
  const ExportResult result = p.run(pages({2}));
  expectFileShape(result);
  const std::string text = withLf(result.text);
  EXPECT_EQ(text.find("*** Page Header"), std::string::npos);
  const std::size_t first = text.find("PRT 1fh 28h 65h 10h 00h 00h 02h 00h 10h 00h\n");
  const std::size_t second = text.find("PRT 1fh 28h 65h 10h 00h 10h 02h 88h 03h 00h\n");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  // 256 data lines of 16 and the lone "PRT " between the define lines.
  const std::string firstBlock = text.substr(first, second - first);
  EXPECT_EQ(std::count(firstBlock.begin(), firstBlock.end(), '\n'), 1 + 256 + 1);
  EXPECT_TRUE(firstBlock.ends_with(";\nPRT \n"));
  // 904 bytes: 56 full lines and one of 8 items ending ";", then an empty line.
  const std::string secondBlock = text.substr(second, text.find("\n\n*** Exit", second) - second);
  EXPECT_EQ(std::count(secondBlock.begin(), secondBlock.end(), '\n'), 1 + 57 + 1);
  const std::size_t lastLine = secondBlock.rfind("PRT ");
  EXPECT_EQ(secondBlock.substr(lastLine).size(), std::string("PRT").size() + 8 * 4 + 1 + 2);
  EXPECT_TRUE(secondBlock.ends_with("h;\n\n"));
}

TEST(ExportLayout, the_header_shows_the_clock_and_only_checked_sections) {
  BitmapFolder dir("export-header");
  const Prepared p("PX-5200", {entry("R", "RAM", patterned(dir, "r.bmp", 8, 8), 8, 8),
                               entry("F", "FROM", patterned(dir, "f.bmp", 8, 8), 8, 8)});
  const ExportResult flashOnly = p.run(pages({0}));
  expectFileShape(flashOnly);
  EXPECT_TRUE(flashOnly.text.starts_with(
      "*** PX display module Image file ***\r\n***\r\n*** 2026/03/07 09:05:02\r\n\r\n\r\n***\r\n"
      "*** User Set Mode\r\nPRT 1fh 28h 65h 01h 49h 4eh\r\n"));
  EXPECT_EQ(flashOnly.text.find("*** RAM ***"), std::string::npos);
  const ExportResult ram = p.run(ramOnly());
  EXPECT_EQ(ram.text.find("User Set Mode"), std::string::npos);
  EXPECT_EQ(ram.text.find("Exit user set mode"), std::string::npos);
  EXPECT_TRUE(ram.text.ends_with("\r\n*** End of File\r\n\r\n"));
}

// --- faults that fail the export ---

struct FailureCase {
  const char* name;
  std::function<ExportResult(const BitmapFolder&)> run;
  std::string message;
};

ExportResult withPlacement(const BitmapFolder& dir, int index, std::int32_t address) {
  Prepared p("PX-5200", {entry("A", "F 0", patterned(dir, "a.bmp", 8, 8), 8, 8),
                         entry("B", "F 0", patterned(dir, "b.bmp", 8, 8), 8, 8)});
  p.list.place(index, 0, address);
  return p.run(pages({0}));
}

const FailureCase kFailures[] = {
    {"missing_bitmap",
     [](const BitmapFolder& dir) {
       return Prepared("PX-5200", {entry("A", "RAM", (dir.root() / "gone.bmp").string(), 8, 8)})
           .run(ramOnly());
     },
     "Image No.1 is not accecible."},
    {"no_bitmap_on_flash",
     [](const BitmapFolder& dir) {
       return Prepared("PX-5200", {entry("A", "F 0", patterned(dir, "a.bmp", 8, 8), 8, 8),
                                   entry("B", "F 0", dir.text("b.bmp", "text"), 8, 8)})
           .run(pages({0}));
     },
     "Image No.2 is not accecible."},
    {"bitmap_too_large",
     [](const BitmapFolder& dir) {
       return Prepared("PX-B", {entry("A", "RAM", dir.bmp("a.bmp", 4096, 72), 8, 8)}).run(ramOnly());
     },
     "Image No.1 is not a BMP file, or not accecible."},
    // The bitmap changed after it was listed: its bytes would not fill what the allocation gave it.
    {"bitmap_of_another_size",
     [](const BitmapFolder& dir) {
       return Prepared("PX-5200", {entry("A", "F 0", patterned(dir, "a.bmp", 16, 8), 8, 8)}).run(pages({0}));
     },
     "Image No.1 is 16x8, not the 8x8 of the list."},
    {"gap_at_the_start", [](const BitmapFolder& dir) { return withPlacement(dir, 0, 2); },
     "A image FROM0 address:0 cannot be found"},
    {"gap_after_an_image", [](const BitmapFolder& dir) { return withPlacement(dir, 1, 10); },
     "A image FROM0 address:8 cannot be found"},
    // Images of no bytes (fewer than eight rows) never advance the walk.
    {"only_empty_images_at_the_offset",
     [](const BitmapFolder& dir) {
       Prepared p("PX-5200", {entry("A", "F 0", patterned(dir, "a.bmp", 8, 4), 8, 4),
                              entry("B", "F 0", patterned(dir, "b.bmp", 8, 8), 8, 8)});
       p.list.place(1, 0, 2);
       p.allocation.fromUsed[0] = 10;
       return p.run(pages({0}));
     },
     "A image FROM0 address:0 cannot be found"},
    // Two images of 32760 bytes and one of 32 fill 65552 bytes, past the 65536 of a page.
    {"past_the_end_of_the_page",
     [](const BitmapFolder& dir) {
       Prepared p("PX-B", {entry("A", "F 0", dir.bmp("a.bmp", 4095, 64), 4095, 64),
                           entry("B", "F 0", dir.bmp("b.bmp", 4095, 64), 4095, 64),
                           entry("C", "F 0", dir.bmp("c.bmp", 32, 8), 32, 8)});
       p.allocation.fromUsed[0] = 65536;
       return p.run(pages({0}));
     },
     "Image No.3 runs past the end of FROM0."},
};

class Failure : public testing::TestWithParam<FailureCase> {};

TEST_P(Failure, gives_no_count_and_the_message) {
  BitmapFolder dir("export-failure");
  const ExportResult result = GetParam().run(dir);
  EXPECT_EQ(result.count, 0u);
  EXPECT_TRUE(result.text.empty());
  EXPECT_EQ(result.message, GetParam().message);
}
INSTANTIATE_TEST_SUITE_P(export, Failure, testing::ValuesIn(kFailures),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(ExportWalk, an_empty_image_beside_others_is_taken_and_the_walk_ends) {
  BitmapFolder dir("export-walk");
  const Prepared p("PX-5200", {entry("Thin", "F 0", patterned(dir, "t.bmp", 8, 4), 8, 4),
                               entry("Full", "F 0", patterned(dir, "f.bmp", 8, 8), 8, 8)});
  const ExportResult result = p.run(pages({0}));
  expectFileShape(result);
  EXPECT_NE(result.text.find("*** Thin,t.bmp,0:0h\r\n*** Full,f.bmp,0:0h\r\n"), std::string::npos);
}

// --- what is exported ---

TEST(ExportAreasTaken, only_areas_the_model_has_and_that_fit) {
  BitmapFolder dir("export-areas");
  const std::string bmp = patterned(dir, "a.bmp", 8, 8);
  // A memory text outside the area names is never placed on a page, even with an "F" and address 0.
  const Prepared odd("PX-5200", {entry("Real", "F 0", bmp, 8, 8), entry("Typed", "Fxyz", bmp, 8, 8)});
  const ExportResult result = odd.run(pages({0}));
  expectFileShape(result);
  EXPECT_NE(result.text.find("*** Real,"), std::string::npos);
  EXPECT_EQ(result.text.find("*** Typed,"), std::string::npos);

  // A page the model lacks, and RAM on a model without RAM, overflow: asked for, they are not written.
  const Prepared noPage("PX-5200", {entry("Five", "F 5", bmp, 8, 8)});
  EXPECT_EQ(noPage.run(pages({5})).text.find("User Set Mode"), std::string::npos);
  const Prepared noRam("PX-D", {entry("Ram", "RAM", bmp, 8, 8)});
  EXPECT_EQ(noRam.run(ramOnly()).text.find("*** RAM ***"), std::string::npos);
  // An empty area is not written either.
  EXPECT_EQ(odd.run(ramOnly()).text.find("*** RAM ***"), std::string::npos);
}

TEST(ExportProgress, counts_each_image_taken) {
  BitmapFolder dir("export-progress");
  const std::string bmp = patterned(dir, "a.bmp", 8, 8);
  const Prepared p(
      "PX-5200", {entry("A", "RAM", bmp, 8, 8), entry("B", "F 0", bmp, 8, 8), entry("C", "F 1", bmp, 8, 8)});
  ExportAreas areas = pages({0, 1});
  areas.ram = true;
  std::vector<int> seen;
  exportImages(p.source(), areas, kNoon, [&](int done) { seen.push_back(done); });
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

// --- the file ---

class ExportFile : public testing::Test {
 protected:
  void TearDown() override { platform::test_seam::setWriteFunction(nullptr); }
  static std::string contents(const std::filesystem::path& path) {
    return platform::readRegularFile(path, 1 << 20).bytes;
  }
};

TEST_F(ExportFile, is_the_exported_text) {
  BitmapFolder dir("export-file");
  const Prepared p("PX-5200", {entry("A", "RAM", patterned(dir, "a.bmp", 8, 8), 8, 8)});
  const auto path = dir.root() / "out.dat";
  const ExportResult result = exportImagesToFile(path, p.source(), ramOnly(), kNoon);
  expectFileShape(result);
  EXPECT_EQ(contents(path), result.text);
}

TEST_F(ExportFile, a_failed_write_keeps_the_old_file_and_says_so) {
  BitmapFolder dir("export-file");
  const Prepared p("PX-5200", {entry("A", "RAM", patterned(dir, "a.bmp", 8, 8), 8, 8)});
  const auto path = dir.root() / "out.dat";
  kelmore::testkit::writeFile(path, {'o', 'l', 'd'});
  platform::test_seam::setWriteFunction([](int, const void*, unsigned long) -> long {
    errno = ENOSPC;
    return -1;
  });
  const ExportResult result = exportImagesToFile(path, p.source(), ramOnly(), kNoon);
  EXPECT_EQ(result.count, 0u);
  EXPECT_EQ(result.message, "File write error.");
  EXPECT_EQ(contents(path), "old");
}

TEST_F(ExportFile, a_failed_export_writes_nothing) {
  BitmapFolder dir("export-file");
  const Prepared p("PX-5200", {entry("A", "RAM", (dir.root() / "gone.bmp").string(), 8, 8)});
  const auto path = dir.root() / "out.dat";
  EXPECT_FALSE(exportImagesToFile(path, p.source(), ramOnly(), kNoon).ok());
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace kelmore::imagetool
