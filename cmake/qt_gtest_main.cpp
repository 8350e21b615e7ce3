// Test main for window tests: one QApplication for the whole program, then every GoogleTest case.
// Layer: tests.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
