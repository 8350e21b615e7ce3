// Where the system's files live: the per-user config and data folders and the read-only assets.
// Layer: platform (plain C++, no Qt).
//
// configDir(): $XDG_CONFIG_HOME/kelmore (default ~/.config/kelmore) for Config.dat, imgpath.tmp, ports.map.
// dataDir(): $XDG_DATA_HOME/kelmore (default ~/.local/share/kelmore) for TMP.tvr and temp.txt.
// Both are created on first use. assetDir(): a share/ folder beside the executable (the build tree), else
// the data folder of the installation the executable sits in, else the data folder of the configured
// installation; never the current folder.
#pragma once

#include <filesystem>

namespace kelmore::platform {

std::filesystem::path configDir();
std::filesystem::path dataDir();
std::filesystem::path assetDir();
// assetDir() for an executable in `programDir`.
std::filesystem::path assetDirFor(const std::filesystem::path& programDir);

// The path made absolute against the current folder (a path from the command line or a drop).
std::filesystem::path absolutePath(const std::filesystem::path& path);

}  // namespace kelmore::platform
