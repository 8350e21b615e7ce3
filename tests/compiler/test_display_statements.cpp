// Display-command statements compiled whole: windows, effects, drawing, CopyBmp and PortDirection, byte for
// byte after the optimiser has joined the print runs.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "controlflow_fixture.h"

namespace kelmore {
namespace {

using testkit::CodeCase;
using testkit::Compiled;
using testkit::compileLines;
using testkit::ErrorCase;
using testkit::expectCode;
using testkit::expectErrors;
using testkit::unexpectedError;
using testkit::unknownOperand;

// The image list of the CopyBmp cases.
void addImages(testkit::FakeImageList& list) {
  list.entries.push_back({"logo", 128, 64, 2, "F 2", 0x1200});
  list.entries.push_back({"Pic", 16, 20, 0, "vram", 0x0010});
  list.entries.push_back({"flash", 8, 8, 255, "F 5", 0});
  list.entries.push_back({"ram1", 300, 8, 0, "RAM", 0xFFFF});
  list.entries.push_back({"narrow", -8, 8, 0, "RAM", 0});
  list.entries.push_back({"flat", 8, -8, 0, "RAM", 0});
  list.entries.push_back({"", 8, 8, 0, "RAM", 0});  // its label was cleared in the image tool
}

Compiled compileWithImages(std::string_view model, const std::vector<std::string_view>& lines) {
  return compileLines(model, lines, addImages);
}

// Every case ends with Start's ED BK.
const CodeCase kCodeCases[] = {
    {"set_focus_window",
     "PX-5200",
     {"Sub Start()", "SetFocusWin 2", "End Sub"},
     "50 23 05 00 1F 28 77 01 02 45 44 42 4B "},
    {"set_user_window",
     "PX-5200",
     {"Sub Start()", "SetUsrWin 1,0,0,128,64", "End Sub"},
     "50 23 0E 00 1F 28 77 02 01 01 00 00 00 00 80 00 40 00 45 44 42 4B "},
    {"scroll_default_speed",
     "PX-5200",
     {"Sub Start()", "Scroll 1,2", "Scroll 300,-1,5", "End Sub"},
     "50 23 12 00 1F 28 61 10 01 00 02 00 01 1F 28 61 10 2C 01 FF FF 05 45 44 42 4B "},
    {"blink_defaults",
     "PX-5200",
     {"Sub Start()", "Blink", "End Sub"},
     "50 23 08 00 1F 28 61 11 01 0A 0A 0A 45 44 42 4B "},
    // The repetition, written first, goes out last.
    {"blink_repetition",
     "PX-5200",
     {"Sub Start()", "Blink 3", "Blink 4,5,6,7", "End Sub"},
     "50 23 10 00 1F 28 61 11 01 0A 0A 03 1F 28 61 11 05 06 07 04 45 44 42 4B "},
    {"curtain_defaults",
     "PX-5200",
     {"Sub Start()", "Curtain", "End Sub"},
     "50 23 07 00 1F 28 61 12 03 01 FF 45 44 42 4B "},
    {"spring_with_empty_places",
     "PX-5200",
     {"Sub Start()", "Spring ,,&H100", "End Sub"},
     "50 23 08 00 1F 28 61 13 02 01 00 01 45 44 42 4B "},
    {"random",
     "WMR-STD",
     {"Sub Start()", "Random ,2", "End Sub"},
     "50 23 07 00 1F 28 61 14 01 02 00 45 44 42 4B "},
    {"line_modes",
     "PX-5200",
     {"Sub Start()", "Line 0,0,10,10", "Line 0,0,10,10,,BF", "Line 0,0,10,10,3,b", "End Sub"},
     "50 23 2A 00 "
     "1F 28 64 11 00 01 00 00 00 00 0A 00 0A 00 "
     "1F 28 64 11 02 01 00 00 00 00 0A 00 0A 00 "
     "1F 28 64 11 01 03 00 00 00 00 0A 00 0A 00 "
     "45 44 42 4B "},
    {"line_mode_of_a_variable",
     "PX-5200",
     {"Sub Start()", "m = 2", "Line 1,2,3,4,,m", "End Sub"},
     "4C 23 41 3D 02 00 "
     "50 23 04 00 1F 28 64 11 50 52 01 00 41 50 23 09 00 01 01 00 02 00 03 00 04 00 "
     "45 44 42 4B "},
    {"pset_constants",
     "PX-5200",
     {"Sub Start()", "Pset 5,6", "End Sub"},
     "50 23 09 00 1F 28 64 10 01 05 00 06 00 45 44 42 4B "},
    // Each two-byte register argument: _hiki (C) = value / 256, then PR value, _hiki.
    {"pset_variables",
     "PX-5200",
     {"Sub Start()", "x = 5", "y = 6", "Pset x,y,x", "End Sub"},
     "4C 23 41 3D 05 00 4C 23 42 3D 06 00 "
     "50 23 04 00 1F 28 64 10 50 52 01 00 41 "
     "4C 52 43 3D 41 4C 23 43 2F 00 01 50 52 02 00 41 43 "
     "4C 52 43 3D 42 4C 23 43 2F 00 01 50 52 02 00 42 43 "
     "45 44 42 4B "},
    {"surplus_arguments_are_ignored",
     "PX-5200",
     {"Sub Start()", "SetFocusWin 2,3,4", "End Sub"},
     "50 23 05 00 1F 28 77 01 02 45 44 42 4B "},
    {"copy_image_by_label",
     "PX-5200",
     {"Sub Start()", "CopyBmp logo", "End Sub"},
     "50 23 0F 00 1F 28 66 10 01 00 12 02 08 00 80 00 08 00 01 45 44 42 4B "},
    {"copy_image_memories",
     "PX-5200",
     {"Sub Start()", "CopyBmp  Pic ", "CopyBmp ram1", "End Sub"},
     "50 23 1E 00 "
     "1F 28 66 10 02 10 00 00 02 00 10 00 02 00 01 "
     "1F 28 66 10 00 FF FF 00 01 00 2C 01 01 00 01 "
     "45 44 42 4B "},
    // _copybmp (A) = 1; _copybmp0 (B), _copybmp1 (C), _copybmp2 (D) hold the address bytes.
    {"copy_direct_constants",
     "PX-5200",
     {"Sub Start()", "CopyBmp RAM,1,&H20,128,8", "End Sub"},
     "50 23 05 00 1F 28 66 10 00 "
     "4C 23 41 3D 01 00 "
     "4C 23 42 3D 20 00 4C 23 43 3D 00 00 4C 52 43 2B 41 "
     "4C 52 44 3D 43 4C 23 44 2F 00 01 "
     "50 52 03 00 42 43 44 "
     "50 23 07 00 08 00 80 00 08 00 01 "
     "45 44 42 4B "},
    // An offset past 16 bits carries into the upper address bytes: 1 * 256 + &H10000 is 01 01 00.
    {"copy_direct_offset_beyond_16_bits",
     "PX-5200",
     {"Sub Start()", "CopyBmp ram,1,&H10000,8,8", "CopyBmp ram,0,&HFFFFFF,8,8", "End Sub"},
     "50 23 05 00 1F 28 66 10 00 "
     "4C 23 41 3D 01 00 "
     "4C 23 42 3D 00 00 4C 23 43 3D 00 01 4C 52 43 2B 41 "
     "4C 52 44 3D 43 4C 23 44 2F 00 01 "
     "50 52 03 00 42 43 44 "
     "50 23 0C 00 08 00 08 00 08 00 01 1F 28 66 10 00 "
     "4C 23 41 3D 00 00 "
     "4C 23 42 3D FF 00 4C 23 43 3D FF FF 4C 52 43 2B 41 "
     "4C 52 44 3D 43 4C 23 44 2F 00 01 "
     "50 52 03 00 42 43 44 "
     "50 23 07 00 08 00 08 00 08 00 01 "
     "45 44 42 4B "},
    {"copy_direct_variable_offset",
     "PX-5200",
     {"Sub Start()", "o = 300", "CopyBmp vram,2,o,8,8,0", "End Sub"},
     "4C 23 41 3D 2C 01 "
     "50 23 05 00 1F 28 66 10 02 "
     "4C 23 42 3D 02 00 "                 // _copybmp (B) = 2
     "4C 52 44 3D 41 4C 23 44 2F 00 01 "  // _copybmp1 (D) = o / 256
     "4C 52 44 2B 42 "
     "4C 52 45 3D 44 4C 23 45 2F 00 01 "
     "50 52 03 00 41 44 45 "
     "50 23 07 00 00 00 08 00 08 00 01 "
     "45 44 42 4B "},
    // The default y is the height as compiled: a computed height gives 16, not the 8 of its first number.
    {"copy_direct_default_y_of_an_expression",
     "PX-5200",
     {"Sub Start()", "CopyBmp from,0,0,128,8 * 2", "End Sub"},
     "50 23 05 00 1F 28 66 10 01 "
     "4C 23 41 3D 00 00 4C 23 42 3D 00 00 4C 23 43 3D 00 00 4C 52 43 2B 41 4C 52 44 3D 43 4C 23 44 2F 00 01 "
     "50 52 03 00 42 43 44 "
     "50 23 07 00 10 00 80 00 10 00 01 "
     "45 44 42 4B "},
    // A height in a register is sent again for y, never 0.
    {"copy_direct_default_y_of_a_variable",
     "PX-5200",
     {"Sub Start()", "h = 16", "CopyBmp ram,0,0,8,h", "End Sub"},
     "4C 23 41 3D 10 00 "
     "50 23 05 00 1F 28 66 10 00 "
     "4C 23 42 3D 00 00 4C 23 43 3D 00 00 4C 23 44 3D 00 00 4C 52 44 2B 42 4C 52 45 3D 44 4C 23 45 2F 00 01 "
     "50 52 03 00 43 44 45 "
     "4C 52 43 3D 41 4C 23 43 2F 00 01 50 52 02 00 41 43 "  // y: h, _hiki (C)
     "50 23 02 00 08 00 "
     "4C 52 43 3D 41 4C 23 43 2F 00 01 50 52 02 00 41 43 "  // height
     "50 23 01 00 01 "
     "45 44 42 4B "},
    {"port_direction_patterns",
     "PX-5200",
     {"Sub Start()", "PortDirection \"iiiioooo\"", "PortDirection 1,\"ooooIIII\"", "PortDirection 255",
      "PortDirection  1 , 3", "End Sub"},
     "50 23 18 00 1F 28 70 01 00 0F 1F 28 70 01 01 F0 1F 28 70 01 00 FF 1F 28 70 01 01 03 45 44 42 4B "},
    {"port_direction_upper_ports",
     "QT-R5xxP",
     {"Sub Start()", "PortDirection 2,1", "PortDirection 3,2", "End Sub"},
     "50 23 0C 00 1F 28 70 01 02 01 1F 28 70 01 03 02 45 44 42 4B "},
    {"port_direction_of_a_variable",
     "PX-5200",
     {"Sub Start()", "m = 3", "PortDirection 1,m", "End Sub"},
     "4C 23 41 3D 03 00 50 23 05 00 1F 28 70 01 01 50 52 01 00 41 45 44 42 4B "},
};

class Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Code, compiles_to) {
  const CodeCase& c = GetParam();
  expectCode(c.model, c.lines, c.code, addImages);
}

INSTANTIATE_TEST_SUITE_P(display, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

// Every memory-area text an image may have, and the memory byte CopyBmp sends for it (-1: refused).
struct CopyMemoryCase {
  const char* memory;
  int byte;
};
const CopyMemoryCase kCopyMemoryCases[] = {
    {"RAM", 0x00}, {"FROM", 0x01}, {"F 0", 0x01}, {"F 1-4", 0x01}, {"F 1", 0x01},
    {"F 2", 0x01}, {"F 3", 0x01},  {"F 4", 0x01}, {"VRAM", 0x02},  {"vram", 0x02},
    {"F 5", -1},   {"F 6", -1},    {"F 7", -1},   {"F any", -1},   {"", -1},
};

void addMemoryImages(testkit::FakeImageList& list) {
  for (std::size_t k = 0; k < std::size(kCopyMemoryCases); ++k)
    list.entries.push_back({"m" + std::to_string(k), 8, 8, 0, kCopyMemoryCases[k].memory, 0});
}

TEST(CopyBmp, memory_byte_of_each_image_memory) {
  for (std::size_t k = 0; k < std::size(kCopyMemoryCases); ++k) {
    const CopyMemoryCase& c = kCopyMemoryCases[k];
    SCOPED_TRACE(c.memory);
    const std::string line = "CopyBmp m" + std::to_string(k);
    const auto result = compileLines("PX-5200", {"Sub Start()", line, "End Sub"}, addMemoryImages);
    if (c.byte < 0) {
      EXPECT_FALSE(result.ok);
      EXPECT_EQ(result.errors(), unexpectedError(1));
      continue;
    }
    ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
    EXPECT_EQ(result.code(), "50 23 0F 00 1F 28 66 10 0" + std::to_string(c.byte) +
                                 " 00 00 00 01 00 08 00 01 00 01 45 44 42 4B ");
  }
}

TEST(CopyBmp, releases_its_address_temporaries_but_keeps_the_segment) {
  const auto r = compileWithImages("PX-5200", {"Sub Start()", "CopyBmp ram,1,2,8,8", "x = 1"});
  ASSERT_FALSE(r.ok);  // no End Sub: the registers are still bound when the compile stops
  EXPECT_EQ(r.mc->hensuulabel.getVarReg("_copybmp"), "A");
  EXPECT_EQ(r.mc->hensuulabel.getVarReg("x"), "B");
  EXPECT_EQ(r.mc->hensuulabel.getVarReg("_copybmp1"), "no");
}

std::vector<std::string> badPattern(int line) {
  const std::string text =
      "Please specify 8bits combined with i (for IN) or o (for OUT).\r\nExample:  PortDirection \"iiiioooo\"";
  return {"box:" + text, "log:error:" + text, "mark:" + std::to_string(line)};
}

std::vector<std::string> undefinedImage(int line) {
  return {"log:" + std::to_string(line + 1) + "Row has undefiened Image Label. Compile is aborted.",
          "mark:" + std::to_string(line)};
}

const ErrorCase kErrorCases[] = {
    {"random_without_address", "PX-5200", {"Sub Start()", "Random 5"}, unexpectedError(1)},
    // An empty required place is no 0.
    {"random_with_an_empty_address", "PX-5200", {"Sub Start()", "Random 5,"}, unexpectedError(1)},
    {"random_on_px_b",
     "PX-B",
     {"Sub Start()", "Random 5,1"},
     {"box:'Random'  is not ready.", "log:2: This line cause unexpected error. Compile is disturbed.",
      "mark:1"}},
    {"set_user_window_short", "PX-5200", {"Sub Start()", "SetUsrWin 1,0,0,128"}, unexpectedError(1)},
    // One-byte fields take 0..255: a colour of 300 is refused, not sent as 2C.
    {"pset_colour_300", "PX-5200", {"Sub Start()", "Pset 5,6,300"}, unexpectedError(1)},
    {"focus_window_negative", "PX-5200", {"Sub Start()", "SetFocusWin -1"}, unexpectedError(1)},
    {"scroll_shift_beyond_two_bytes", "PX-5200", {"Sub Start()", "Scroll 65536,1"}, unexpectedError(1)},
    {"unknown_argument", "PX-5200", {"Sub Start()", "Pset q,1"}, unknownOperand("q", 1)},
    {"line_mode_not_b_or_bf", "PX-5200", {"Sub Start()", "Line 0,0,1,1,1,c"}, unknownOperand("c", 1)},
    {"copy_label_in_another_case", "PX-5200", {"Sub Start()", "CopyBmp LOGO"}, undefinedImage(1)},
    {"copy_image_in_flash_5", "PX-5200", {"Sub Start()", "CopyBmp flash"}, unexpectedError(1)},
    // A negative size would go out as FF.. bytes of a huge image.
    {"copy_image_of_negative_width", "PX-5200", {"Sub Start()", "CopyBmp narrow"}, unexpectedError(1)},
    {"copy_image_of_negative_height", "PX-5200", {"Sub Start()", "CopyBmp flat"}, unexpectedError(1)},
    // A missing label is a label the image list lacks; it never takes the image whose label was cleared.
    {"copy_without_argument", "PX-5200", {"Sub Start()", "CopyBmp"}, undefinedImage(1)},
    {"copy_with_an_empty_label", "PX-5200", {"Sub Start()", "CopyBmp ,1"}, undefinedImage(1)},
    {"copy_direct_without_offset", "PX-5200", {"Sub Start()", "CopyBmp ram,1"}, unexpectedError(1)},
    {"copy_direct_offset_beyond_24_bits",
     "PX-5200",
     {"Sub Start()", "CopyBmp ram,0,&H1000000,8,8"},
     unexpectedError(1)},
    {"copy_direct_negative_offset", "PX-5200", {"Sub Start()", "CopyBmp ram,1,-1,8,8"}, unexpectedError(1)},
    {"copy_direct_unknown_segment",
     "PX-5200",
     {"Sub Start()", "CopyBmp ram,s,1,8,8"},
     unknownOperand("s", 1)},
    {"port_pattern_of_seven", "PX-5200", {"Sub Start()", "PortDirection \"iiiooo\""}, badPattern(1)},
    {"port_pattern_with_x", "PX-5200", {"Sub Start()", "PortDirection 1,\"iiiixooo\""}, badPattern(1)},
    {"port_pattern_one_quote", "PX-5200", {"Sub Start()", "PortDirection \""}, badPattern(1)},
    {"port_mask_256", "PX-5200", {"Sub Start()", "PortDirection 256"}, unexpectedError(1)},
    {"port_2_on_px_star", "PX-*", {"Sub Start()", "PortDirection 2,\"iiiioooo\""}, unexpectedError(1)},
    // The whole port text names the port: neither "1x" nor "10" is port 1.
    {"port_text_1x", "QT-R5xxP", {"Sub Start()", "PortDirection 1x,255"}, unexpectedError(1)},
    {"port_text_10", "QT-R5xxP", {"Sub Start()", "PortDirection 10,255"}, unexpectedError(1)},
    {"port_without_pattern", "PX-5200", {"Sub Start()", "PortDirection 1,"}, unexpectedError(1)},
    {"port_direction_alone", "PX-5200", {"Sub Start()", "PortDirection"}, unexpectedError(1)},
    {"port_mask_expression_error", "PX-5200", {"Sub Start()", "PortDirection 1 +"}, unexpectedError(1)},
    {"set_focus_window_without_argument", "PX-5200", {"Sub Start()", "SetFocusWin  "}, unexpectedError(1)},
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report_and_stop) {
  const ErrorCase& c = GetParam();
  expectErrors(c.model, c.lines, c.events, addImages);
}

INSTANTIATE_TEST_SUITE_P(display, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore
