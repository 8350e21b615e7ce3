// Whole files as raw bytes, for tests that check what the editor wrote or give it what to read.
// Layer: tests (plain C++).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace kelmore::editor::filebytes {

inline std::string readBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace kelmore::editor::filebytes
