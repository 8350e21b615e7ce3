// kelmore-desktop-files: writes the installation's desktop entry and .tvr MIME package into a folder, from
// the same code that registers them for one user. Run by the build; not installed.
// Layer: editor (plain C++, no Qt).
#include <cstdio>
#include <filesystem>

#include "editor/association.h"
#include "platform/atomicfile.h"

namespace {

// The installed entry starts kelmore from the PATH and takes the icon from the icon theme, so it holds
// wherever the installation's prefix is.
constexpr const char* kProgram = "kelmore";
constexpr const char* kThemeIcon = "kelmore";

bool write(const std::filesystem::path& path, const std::string& bytes) {
  const kelmore::platform::WriteResult written = kelmore::platform::writeFileAtomic(path, bytes);
  if (!written.ok) std::fprintf(stderr, "kelmore-desktop-files: %s\n", written.error.c_str());
  return written.ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelmore-desktop-files FOLDER\n");
    return 2;
  }
  namespace editor = kelmore::editor;
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const bool ok = write(folder / editor::kDesktopFile,
                        editor::desktopEntry(editor::desktopExecLine(kProgram), kThemeIcon)) &&
                  write(folder / editor::kTvrMimePackageFile, editor::tvrMimePackage());
  return ok ? 0 : 1;
}
