// Test main for plain tests: the test's own folders, then every GoogleTest case.
// Layer: tests.
#include <gtest/gtest.h>

#include "../tests/common/testhome.h"

int main(int argc, char** argv) {
  const kelmore::testkit::TestHome home;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
