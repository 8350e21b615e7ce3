// File locations.
// Layer: platform (plain C++, no Qt).
#include "platform/paths.h"

#include <cstdlib>
#include <system_error>

#ifndef KELMORE_INSTALLED_DATA_DIR
#define KELMORE_INSTALLED_DATA_DIR "/usr/local/share/kelmore"
#endif
// The data folder as seen from the installed programs' folder, so an installation moved or installed
// under another prefix still finds its assets.
#ifndef KELMORE_DATA_DIR_FROM_BIN
#define KELMORE_DATA_DIR_FROM_BIN "../share/kelmore"
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
  if (ec) return fs::path(KELMORE_INSTALLED_DATA_DIR);
  return assetDirFor(exe.parent_path());
}

fs::path assetDirFor(const fs::path& programDir) {
  std::error_code ec;
  for (const fs::path& candidate :
       {programDir / "share", (programDir / KELMORE_DATA_DIR_FROM_BIN).lexically_normal()})
    if (fs::is_directory(candidate, ec)) return candidate;
  return fs::path(KELMORE_INSTALLED_DATA_DIR);
}

fs::path absolutePath(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal();
}

}  // namespace kelmore::platform
