// FrameBcc frames and module addresses.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "link/framebcc.h"
#include "link/linkerror.h"
#include "rig.h"

namespace kelmore::link {
namespace {

using testkit::bytesOf;

struct CutCase {
  const char* name;
  std::size_t dataBytes;
  std::vector<std::size_t> pieces;
};

const CutCase kCuts[] = {
    {"one_byte", 1, {1}},
    {"just_under", 127, {127}},
    {"exactly_one_frame", 128, {128}},
    {"one_over", 129, {128, 1}},
    {"two_full", 256, {128, 128}},
    {"three_hundred", 300, {128, 128, 44}},
    {"dummy_write", 1000, {128, 128, 128, 128, 128, 128, 128, 104}},
};

class Cut : public ::testing::TestWithParam<CutCase> {};

TEST_P(Cut, frames_carry_every_byte_in_order_with_their_check_byte) {
  std::vector<std::uint8_t> data(GetParam().dataBytes);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 2);
  const auto frames = FrameBcc(0x05, data);
  ASSERT_EQ(frames.size(), GetParam().pieces.size());
  std::vector<std::uint8_t> joined;
  for (std::size_t f = 0; f < frames.size(); ++f) {
    const auto& frame = frames[f];
    const std::size_t n = GetParam().pieces[f];
    ASSERT_EQ(frame.size(), n + 5);
    EXPECT_EQ(frame[0], 0x02);
    EXPECT_EQ(frame[1], 0x05);
    EXPECT_EQ(frame[2], n);
    EXPECT_EQ(frame[n + 3], 0x03);
    std::uint8_t bcc = 0;
    for (std::size_t i = 0; i < n + 4; ++i) bcc ^= frame[i];
    EXPECT_EQ(frame[n + 4], bcc);
    joined.insert(joined.end(), frame.begin() + 3, frame.begin() + 3 + static_cast<std::ptrdiff_t>(n));
  }
  EXPECT_EQ(joined, data);
}

INSTANTIATE_TEST_SUITE_P(framebcc, Cut, ::testing::ValuesIn(kCuts),
                         [](const auto& i) { return i.param.name; });

TEST(FrameBccBytes, known_frames) {
  EXPECT_EQ(frameOne(1, bytesOf({0x41, 0x42})), bytesOf({0x02, 0x01, 0x02, 0x41, 0x42, 0x03, 0x01}));
  EXPECT_EQ(frameOne(2, bytesOf({0x1B})), bytesOf({0x02, 0x02, 0x01, 0x1B, 0x03, 0x19}));
  // Start and end bytes inside the data go out as they are.
  EXPECT_EQ(frameOne(0, bytesOf({0x02, 0x03})), bytesOf({0x02, 0x00, 0x02, 0x02, 0x03, 0x03, 0x02}));
  EXPECT_TRUE(FrameBcc(1, {}).empty());
}

struct AddressCase {
  const char* name;
  const char* moduleAdd;
  std::optional<int> address;  // nothing: raw stream
  bool overflow;
};

const AddressCase kAddresses[] = {
    {"empty_is_raw", "", std::nullopt, false},
    {"one", "1", 1, false},
    {"letters_give_zero", "abc", 0, false},
    {"too_large", "300", std::nullopt, true},
    {"largest", "255", 255, false},
    {"negative", "-1", std::nullopt, true},
    {"beyond_16_bits", "70000", std::nullopt, true},
    {"leading_number_only", "12abc", 12, false},
    {"blank_before", " 7", 7, false},
    {"half_to_even_down", "2.5", 2, false},
    {"half_to_even_up", "3.5", 4, false},
    {"main_window_item", "15", 15, false},
};

class Address : public ::testing::TestWithParam<AddressCase> {};

TEST_P(Address, reads_the_leading_number) {
  const AddressCase& c = GetParam();
  if (c.overflow) {
    try {
      frameAddress(c.moduleAdd);
      FAIL() << "no overflow";
    } catch (const DeviceError& e) {
      EXPECT_EQ(e.kind(), DeviceError::Kind::Overflow);
      EXPECT_STREQ(e.what(), "Overflow");
    }
    return;
  }
  const auto address = frameAddress(c.moduleAdd);
  ASSERT_EQ(address.has_value(), c.address.has_value());
  if (address) {
    EXPECT_EQ(*address, *c.address);
  }
}

INSTANTIATE_TEST_SUITE_P(framebcc, Address, ::testing::ValuesIn(kAddresses),
                         [](const auto& i) { return i.param.name; });

}  // namespace
}  // namespace kelmore::link
