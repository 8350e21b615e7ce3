// Width, memory and stack statements compiled whole: Mem8/16/32, Sel16/32, TargetMem, VPoke, Poke, Push, Pop.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "controlflow_fixture.h"

namespace kelmore {
namespace {

using testkit::CodeCase;
using testkit::expectCode;
using testkit::expectErrors;
using testkit::kPreamble;
using testkit::unexpectedError;
using testkit::unknownOperand;

// Every case ends with Start's ED BK.
const CodeCase kCodeCases[] = {
    {"memory_widths",
     "PX-5200",
     {"Sub Start()", "Mem8", "Mem16", "Mem32", "End Sub"},
     "57 31 57 32 57 34 45 44 42 4B "},
    {"sel32_widens_later_immediates",
     "QT-R500",
     {"Sub Start()", "Sel32", "x = 5", "Sel16", "x = 6", "End Sub"},
     "4D 44 31 4C 23 41 3D 05 00 00 00 "
     "4D 44 30 4C 23 41 3D 06 00 "
     "45 44 42 4B "},
    {"sel32_holds_in_source_order_across_routines",
     "PX-5200B",
     {"Sub Start()", "Sel32", "End Sub", "Sub Foo()", "x = 1", "End Sub"},
     "4D 44 31 45 44 42 4B 4C 23 41 3D 01 00 00 00 52 54 "},
    {"target_memory_vram", "PX-6203", {"Sub Start()", "TargetMem VRam", "End Sub"}, "53 47 20 45 44 42 4B "},
    {"target_memory_gpfrom2",
     "QT-R5xxP",
     {"Sub Start()", "TargetMem GPFRom2", "End Sub"},
     "53 47 32 45 44 42 4B "},
    {"target_memory_every_area",
     "PX-*",
     {"Sub Start()", "TargetMem MacroMem", "TargetMem VRam", "TargetMem GPRam", "TargetMem GPFRom",
      "TargetMem GPFRom2", "TargetMem ImgRam", "TargetMem ImgFRom", "TargetMem MemSw", "End Sub"},
     "53 47 00 53 47 20 53 47 30 53 47 31 53 47 32 53 47 40 53 47 41 53 47 51 45 44 42 4B "},
    {"target_memory_gpfrom",
     "PX-5200B",
     {"Sub Start()", "TargetMem GPFRom", "End Sub"},
     "53 47 31 45 44 42 4B "},
    // _vpoke1 (A) = 10, vram(A) = &H41; A is free again for x.
    {"vpoke_constants",
     "PX-5200",
     {"Sub Start()", "VPoke 10,65", "x = 1", "End Sub"},
     "4C 23 41 3D 0A 00 56 23 41 41 4C 23 41 3D 01 00 45 44 42 4B "},
    {"vpoke_variables",
     "PX-5200",
     {"Sub Start()", "a = 1", "b = 2", "VPoke a,b", "End Sub"},
     "4C 23 41 3D 01 00 4C 23 42 3D 02 00 56 52 41 42 45 44 42 4B "},
    {"vpoke_expressions_release_their_temporaries",
     "PX-5200",
     {"Sub Start()", "a = 1", "VPoke a + 1, a * 2", "c = 3", "d = 4", "End Sub"},
     "4C 23 41 3D 01 00 "
     "4C 52 42 3D 41 4C 23 42 2B 01 00 "  // _sp0 (B) = a + 1
     "4C 52 43 3D 41 4C 23 43 2A 02 00 "  // _sp1 (C) = a * 2
     "56 52 42 43 "
     "4C 23 42 3D 03 00 4C 23 43 3D 04 00 "  // c and d take B and C again
     "45 44 42 4B "},
    // A variable written in parentheses is the program's own: it keeps its register.
    {"vpoke_keeps_a_parenthesised_variable",
     "PX-5200",
     {"Sub Start()", "a = 1", "VPoke (a),2", "b = 3", "VPoke a,( b )", "c = 4", "End Sub"},
     "4C 23 41 3D 01 00 56 23 41 02 4C 23 42 3D 03 00 56 52 41 42 4C 23 43 3D 04 00 45 44 42 4B "},
    {"vpoke_data_255",
     "PX-5200",
     {"Sub Start()", "a = 1", "VPoke a,&HFF", "End Sub"},
     "4C 23 41 3D 01 00 56 23 41 FF 45 44 42 4B "},
    // _poke1 (B) = 100, then [B] = a; B is free again for y.
    {"poke_constant_address",
     "PX-*",
     {"Sub Start()", "a = 1", "Poke 100,a", "y = 2", "End Sub"},
     "4C 23 41 3D 01 00 4C 23 42 3D 64 00 4C 52 62 3D 41 4C 23 42 3D 02 00 45 44 42 4B "},
    {"poke_variable_address",
     "PX-6203",
     {"Sub Start()", "a = 1", "b = 2", "Poke a,b", "Poke a,7", "End Sub"},
     "4C 23 41 3D 01 00 4C 23 42 3D 02 00 4C 52 61 3D 42 4C 23 61 3D 07 00 45 44 42 4B "},
    // Port0 has no indirect form: its value goes through _poke1 (A) first; 30 + 20 would name register P.
    {"poke_through_a_system_variable",
     "PX-*",
     {"Sub Start()", "Poke Port0,5", "b = 1", "Poke b,Port0", "End Sub"},
     "4C 52 41 3D 30 4C 23 61 3D 05 00 4C 23 41 3D 01 00 4C 52 61 3D 30 45 44 42 4B "},
    {"poke_expressions_release_their_temporaries",
     "QT-R500",
     {"Sub Start()", "a = 1", "Poke a + 1, (a)", "c = 3", "End Sub"},
     "4C 23 41 3D 01 00 4C 52 42 3D 41 4C 23 42 2B 01 00 4C 52 62 3D 41 4C 23 42 3D 03 00 45 44 42 4B "},
    {"poke_wide",
     "QT-R5xxP",
     {"Sub Start()", "Sel32", "Poke 100,70000", "End Sub"},
     "4D 44 31 4C 23 41 3D 64 00 00 00 4C 23 61 3D 70 11 01 00 45 44 42 4B "},
    {"push_and_pop",
     "PX-D",
     {"Sub Start()", "a = 1", "Push a", "Pop A", "Push Com", "End Sub"},
     "4C 23 41 3D 01 00 50 53 41 50 4C 41 50 53 40 45 44 42 4B "},
};

class Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Code, compiles_to) {
  const CodeCase& c = GetParam();
  expectCode(c.model, c.lines, c.code);
}

INSTANTIATE_TEST_SUITE_P(memory, Code, ::testing::ValuesIn(kCodeCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct ErrorCase {
  const char* name;
  std::string_view model;
  std::vector<std::string_view> lines;
  std::vector<std::string> events;
  std::string_view codeAfterPreamble;  // what the code text holds when the compile stops
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<std::string> notReady(std::string_view keyword, int line) {
  std::vector<std::string> events = {"box:'" + std::string(keyword) + "'  is not ready."};
  for (std::string& e : unexpectedError(line)) events.push_back(std::move(e));
  return events;
}

const ErrorCase kErrorCases[] = {
    {"sel32_on_px5200", "PX-5200", {"Sub Start()", "Sel32"}, unexpectedError(1), ""},
    {"sel16_on_an_unknown_model", "PX-6901", {"Sub Start()", "Sel16"}, unexpectedError(1), ""},
    {"target_memory_on_px5200", "PX-5200", {"Sub Start()", "TargetMem VRam"}, unexpectedError(1), ""},
    {"target_memory_in_another_case",
     "PX-6203",
     {"Sub Start()", "TargetMem vram"},
     unexpectedError(1),
     "53 47 "},
    {"target_memory_without_area", "PX-6203", {"Sub Start()", "TargetMem"}, unexpectedError(1), "53 47 "},
    {"target_memory_gpfrom_on_qtr500",
     "QT-R500",
     {"Sub Start()", "TargetMem GPFRom"},
     unexpectedError(1),
     "53 47 "},
    {"target_memory_gpfrom2_on_px5200b",
     "PX-5200B",
     {"Sub Start()", "TargetMem GPFRom2"},
     unexpectedError(1),
     "53 47 "},
    {"vpoke_data_300",
     "PX-5200",
     {"Sub Start()", "a = 1", "VPoke a,300"},
     unexpectedError(2),
     "4C 23 41 3D 01 00 "},
    {"vpoke_without_comma", "PX-5200", {"Sub Start()", "VPoke 10"}, unexpectedError(1), ""},
    {"vpoke_empty_data", "PX-5200", {"Sub Start()", "VPoke 10,"}, unexpectedError(1), ""},
    {"vpoke_unknown_address", "PX-5200", {"Sub Start()", "VPoke q,1"}, unknownOperand("q", 1), ""},
    {"poke_on_px5200",
     "PX-5200",
     {"Sub Start()", "a = 1", "Poke 100,a"},
     unexpectedError(2),
     "4C 23 41 3D 01 00 "},
    {"poke_without_comma", "PX-*", {"Sub Start()", "Poke 100"}, unexpectedError(1), ""},
    {"poke_data_that_does_not_compile",
     "PX-*",
     {"Sub Start()", "a = 1", "Poke 100,a +"},
     unexpectedError(2),
     "4C 23 41 3D 01 00 "},
    {"poke_unknown_data", "PX-*", {"Sub Start()", "Poke 100,q"}, unknownOperand("q", 1), ""},
    {"push_a_constant", "PX-*", {"Sub Start()", "Push 5"}, unexpectedError(1), ""},
    {"push_an_unknown_name", "PX-*", {"Sub Start()", "Push q"}, unexpectedError(1), ""},
    {"pop_on_px5100", "PX-5100", {"Sub Start()", "a = 1", "Pop a"}, notReady("Pop", 2), "4C 23 41 3D 01 00 "},
    {"push_on_px_b", "PX-B", {"Sub Start()", "Push Com"}, notReady("Push", 1), ""},
};

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, report_and_stop) {
  const ErrorCase& c = GetParam();
  const auto result = expectErrors(c.model, c.lines, c.events);
  EXPECT_EQ(result.mc->codeout.codeText, std::string(kPreamble) + std::string(c.codeAfterPreamble));
}

INSTANTIATE_TEST_SUITE_P(memory, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace kelmore
