// Test main for window tests: the test's own folders, one QApplication for the whole program, then every
// GoogleTest case.
// Layer: tests.
#include <gtest/gtest.h>

#include <QApplication>

#include "../tests/common/testhome.h"

int main(int argc, char** argv) {
  const kelmore::testkit::TestHome home;
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
