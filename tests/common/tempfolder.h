// A folder of the test's own under the system's temporary folder: a name no other run shares (mkdtemp), and
// removed with all it holds when the object goes, so runs side by side never meet.
// Layer: tests (plain C++, no Qt).
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace kelmore::testkit {

class TempFolder {
 public:
  // Throws when no folder can be made: a test must never fall back on a shared or relative name.
  explicit TempFolder(std::string_view stem = "kelmore") {
    std::string name = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (::mkdtemp(name.data()) == nullptr) throw std::system_error(errno, std::generic_category(), name);
    path_ = name;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace kelmore::testkit
