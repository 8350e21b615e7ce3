// Listings of compiled width, memory, stack and display statements: what the mnemonic pane shows for them.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "compiler/mnemonic.h"
#include "controlflow_fixture.h"
#include "golden.h"

namespace kelmore {
namespace {

using testkit::golden;
using testkit::withLf;

std::string listingOf(const testkit::Compiled& c) {
  mnemonic::ListingInput input;
  input.model = c.host->model;
  return mnemonic::buildListing(c.host->codeView, input).text;
}

TEST(StatementListing, widths_memory_and_stack) {
  const auto c =
      testkit::compileLines("PX-*", {"Sub Start()", "Mem8", "Mem16", "Mem32", "Sel32", "x = 70000", "Sel16",
                                     "TargetMem GPFRom", "TargetMem MemSw", "VPoke 10,65", "VPoke x,x",
                                     "Poke 100,x", "Poke Port0,7", "Push x", "Pop Com", "End Sub"});
  ASSERT_TRUE(c.ok) << ::testing::PrintToString(c.errors());
  EXPECT_EQ(withLf(listingOf(c)), golden("memory_statements.txt"));
}

TEST(StatementListing, display_commands_after_the_print_runs_are_joined) {
  const auto c = testkit::compileLines(
      "QT-R5xxP", {"Sub Start()", "x = 3", "SetUsrWin 1,0,0,128,64", "Blink", "Pset x,6",
                   "CopyBmp ram,1,x,8,8", "PortDirection 2,\"iiiioooo\"", "PortDirection x", "End Sub"});
  ASSERT_TRUE(c.ok) << ::testing::PrintToString(c.errors());
  EXPECT_EQ(withLf(listingOf(c)), golden("display_statements.txt"));
}

}  // namespace
}  // namespace kelmore
