// The .tvr file type for the desktop: a per-user MIME type, a desktop entry that opens kelmore "%f", and
// kelmore as the default program for the type. The installation ships the same MIME package and entry.
// Layer: editor (plain C++, no Qt).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelmore::editor {

inline constexpr const char* kTvrMimeType = "application/x-vantelfile";
inline constexpr const char* kTvrMimePackageFile = "kelmore-vantelfile.xml";  // in mime/packages/
inline constexpr const char* kDesktopFile = "kelmore.desktop";                // in applications/

// The shared-mime-info package that gives *.tvr files their type.
std::string tvrMimePackage();
// Kelmore's desktop entry for .tvr files: `execLine` as desktopExecLine gives it; `icon` a path or an icon
// theme's name, left out when empty.
std::string desktopEntry(std::string_view execLine, std::string_view icon);

struct AssociationPlaces {
  std::filesystem::path dataHome;    // $XDG_DATA_HOME: mime/packages/, applications/
  std::filesystem::path configHome;  // $XDG_CONFIG_HOME: mimeapps.list
};

// The places under the XDG folders in force.
AssociationPlaces associationPlaces();

struct AssociationResult {
  bool ok = false;
  std::string error;  // what failed, when not ok
};

// Writes (atomically) the MIME package, the desktop entry and the default-application line, keeping
// every other line of mimeapps.list (the icon only when that file exists); then refreshes the user's MIME
// database when the tool is installed.
AssociationResult registerTvrAssociation(const AssociationPlaces& places,
                                         const std::filesystem::path& program,
                                         const std::filesystem::path& icon);

// The Exec value of the desktop entry: the program path quoted and escaped, then %f.
std::string desktopExecLine(const std::filesystem::path& program);

}  // namespace kelmore::editor
