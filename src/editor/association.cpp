// The .tvr file type for the desktop.
// Layer: editor (plain C++, no Qt).
#include "editor/association.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "common/text.h"
#include "platform/atomicfile.h"
#include "platform/fileread.h"
#include "platform/paths.h"

extern char** environ;

namespace kelmore::editor {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxMimeAppsBytes = 1 << 20;

// A value of a desktop entry: backslashes doubled; a line break could end the entry, so none gets in.
std::string desktopValue(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::string tvrMimePackage() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"") +
         kTvrMimeType +
         "\">\n"
         "    <comment>Macro source</comment>\n"
         "    <glob pattern=\"*.tvr\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string desktopEntry(std::string_view execLine, std::string_view icon) {
  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Kelmore\n"
      "Exec=" +
      desktopValue(execLine) + "\n";
  if (!icon.empty()) entry += "Icon=" + desktopValue(icon) + "\n";
  entry += std::string("MimeType=") + kTvrMimeType + ";\nTerminal=false\n";
  return entry;
}

namespace {

// mimeapps.list with our default line set in [Default Applications], everything else kept as it was.
std::string mergedMimeApps(const std::string& old) {
  const std::string key = std::string(kTvrMimeType) + "=";
  const std::string line = key + kDesktopFile;
  std::vector<std::string_view> lines = splitAt(old, '\n');
  if (lines.back().empty()) lines.pop_back();  // a final line end opens no line
  bool inDefaults = false;
  bool done = false;
  std::vector<std::string> out;
  for (std::string_view l : lines) {
    if (!l.empty() && l.front() == '[') {
      if (inDefaults && !done) {
        out.push_back(line);
        done = true;
      }
      inDefaults = l == "[Default Applications]";
    } else if (inDefaults && l.starts_with(key)) {
      if (!done) out.push_back(line);
      done = true;
      continue;
    }
    out.emplace_back(l);
  }
  if (inDefaults && !done) {
    out.push_back(line);
    done = true;
  }
  if (!done) {
    out.push_back("[Default Applications]");
    out.push_back(line);
  }
  std::string text;
  for (const std::string& l : out) text += l + "\n";
  return text;
}

AssociationResult writeFile(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec) return {false, path.parent_path().string() + ": " + ec.message()};
  const platform::WriteResult written = platform::writeFileAtomic(path, bytes);
  return {written.ok, written.error};
}

// The user's MIME cache is rebuilt by the desktop's own tool; without it the files still take effect
// the next time the desktop rebuilds the cache itself.
AssociationResult refreshMimeDatabase(const fs::path& mimeDir) {
  const char* path = std::getenv("PATH");
  bool found = false;
  for (std::string_view dir : splitAt(path ? path : "", ':')) {
    std::error_code ec;
    if (!dir.empty() && fs::exists(fs::path(dir) / "update-mime-database", ec)) {
      found = true;
      break;
    }
  }
  if (!found) return {true, {}};
  std::string tool = "update-mime-database";
  std::string dir = mimeDir.string();
  char* argv[] = {tool.data(), dir.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, tool.c_str(), nullptr, nullptr, argv, environ) != 0)
    return {false, "update-mime-database could not be started"};
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return {false, "update-mime-database: no result"};
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {false, "update-mime-database failed"};
  return {true, {}};
}

}  // namespace

AssociationPlaces associationPlaces() {
  return {platform::dataDir().parent_path(), platform::configDir().parent_path()};
}

std::string desktopExecLine(const fs::path& program) {
  // Inside the quotes ", `, $ and \ are escaped; a % is doubled so it is no field code.
  std::string quoted = "\"";
  for (char c : program.string()) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += "\" %f";
  return quoted;
}

AssociationResult registerTvrAssociation(const AssociationPlaces& places, const fs::path& program,
                                         const fs::path& icon) {
  const std::string programText = program.string();
  if (programText.find_first_of("\r\n") != std::string::npos || !program.is_absolute())
    return {false, programText + ": not a usable program path"};

  const fs::path mimeDir = places.dataHome / "mime";
  AssociationResult r = writeFile(mimeDir / "packages" / kTvrMimePackageFile, tvrMimePackage());
  if (!r.ok) return r;

  std::error_code iconError;
  const bool iconUsable = !icon.empty() && fs::is_regular_file(icon, iconError) &&
                          icon.string().find_first_of("\r\n") == std::string::npos;
  r = writeFile(places.dataHome / "applications" / kDesktopFile,
                desktopEntry(desktopExecLine(program), iconUsable ? icon.string() : std::string()));
  if (!r.ok) return r;

  const fs::path mimeApps = places.configHome / "mimeapps.list";
  const platform::FileRead old = platform::readRegularFile(mimeApps, kMaxMimeAppsBytes);
  if (!old.ok() && old.error != platform::ReadError::Missing) return {false, old.message};
  r = writeFile(mimeApps, mergedMimeApps(old.bytes));
  if (!r.ok) return r;

  return refreshMimeDatabase(mimeDir);
}

}  // namespace kelmore::editor
