// File locations.
// Layer: platform (plain C++, no Qt).
#include "platform/paths.h"

#include <cstdlib>
#include <system_error>

#ifndef KELMORE_INSTALLED_DATA_DIR
#define KELMORE_INSTALLED_DATA_DIR "/usr/local/share/kelmore"
#endif

namespace kelmore::platform {
namespace {

namespace fs = std::filesystem;

fs::path home() {
  const char* h = std::getenv("HOME");
  return h && *h ? fs::path(h) : fs::temp_directory_path();
}

// An XDG base folder: the variable when it holds an absolute path, else the default under $HOME.
fs::path xdgFolder(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  fs::path base =
      value && *value && fs::path(value).is_absolute() ? fs::path(value) : home() / fallbackUnderHome;
  fs::path dir = base / "kelmore";
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

}  // namespace

fs::path configDir() {
  return xdgFolder("XDG_CONFIG_HOME", ".config");
}
fs::path dataDir() {
  return xdgFolder("XDG_DATA_HOME", ".local/share");
}

fs::path assetDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path beside = exe.parent_path() / "share";
    if (fs::is_directory(beside, ec)) return beside;
  }
  return fs::path(KELMORE_INSTALLED_DATA_DIR);
}

fs::path absolutePath(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal();
}

}  // namespace kelmore::platform
