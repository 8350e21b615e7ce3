// Golden files of the compiler tests: the expected listings kept in tests/compiler/listing/.
// Layer: tests (plain C++).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kelmore::testkit {

// CR LF as LF, so golden files are plain text files.
inline std::string withLf(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// The text of listing/<name>; a missing file fails the test.
inline std::string golden(const std::string& name) {
  const char* dir = std::getenv("KELMORE_TEST_SOURCE_DIR");
  const std::string path = std::string(dir ? dir : ".") + "/listing/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "missing golden file " << path;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kelmore::testkit
