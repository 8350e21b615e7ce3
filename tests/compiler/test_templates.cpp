// The two start templates that ship beside the program compile as they stand.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "fake_host.h"
#include "platform/codepage.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore {
namespace {

class Template : public ::testing::TestWithParam<const char*> {};

TEST_P(Template, compiles_without_an_error) {
  const platform::FileRead file = platform::readRegularFile(platform::assetDir() / GetParam(), 1 << 20);
  ASSERT_TRUE(file.ok()) << file.message;
  const std::string& bytes = file.bytes;
  testkit::FakeHost host;
  host.source = platform::fromCodePage(bytes);
  MacroCompiler mc{host};
  EXPECT_TRUE(mc.Compile());
  EXPECT_EQ(host.boxes, std::vector<std::string>{});
  EXPECT_NE(host.source.find("Compiler Version :"), std::string::npos);
  // A new program starts from a template that writes to the display.
  EXPECT_NE(host.source.find("    Print \""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(share, Template, ::testing::Values("template1.tvr", "template2.tvr"),
                         [](const auto& i) { return std::string(i.param).substr(0, 9); });

}  // namespace
}  // namespace kelmore
