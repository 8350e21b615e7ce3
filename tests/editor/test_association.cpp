// The .tvr file association under a temporary XDG folder.
// Layer: tests (plain C++).
#include "editor/association.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kelmore::editor {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class Association : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("kelmore-assoc-" + std::to_string(::getpid()));
    fs::remove_all(root);
    places = {root / "data", root / "config"};
  }
  void TearDown() override { fs::remove_all(root); }
  fs::path root;
  AssociationPlaces places;
};

TEST_F(Association, writes_mime_type_desktop_entry_and_default) {
  fs::create_directories(root / "share");
  std::ofstream(root / "share/icon.png") << "png";
  const AssociationResult r =
      registerTvrAssociation(places, "/opt/kel more/kelmore", root / "share/icon.png");
  ASSERT_TRUE(r.ok) << r.error;
  const std::string mime = readText(root / "data/mime/packages/kelmore-vantelfile.xml");
  EXPECT_NE(mime.find("<mime-type type=\"application/x-vantelfile\">"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.tvr\"/>"), std::string::npos);
  EXPECT_EQ(readText(root / "data/applications/kelmore.desktop"),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Kelmore\n"
            "Exec=\"/opt/kel more/kelmore\" %f\n"
            "Icon=" +
                (root / "share/icon.png").string() + "\n" +
                "MimeType=application/x-vantelfile;\n"
                "Terminal=false\n");
  EXPECT_EQ(readText(root / "config/mimeapps.list"),
            "[Default Applications]\napplication/x-vantelfile=kelmore.desktop\n");
}

TEST_F(Association, keeps_the_other_lines_of_mimeapps_list) {
  fs::create_directories(root / "config");
  std::ofstream(root / "config/mimeapps.list") << "[Added Associations]\ntext/plain=a.desktop;\n"
                                                  "[Default Applications]\n"
                                                  "application/x-vantelfile=old.desktop\n"
                                                  "text/html=b.desktop\n";
  ASSERT_TRUE(registerTvrAssociation(places, "/usr/bin/kelmore", {}).ok);
  EXPECT_EQ(readText(root / "config/mimeapps.list"),
            "[Added Associations]\ntext/plain=a.desktop;\n"
            "[Default Applications]\n"
            "application/x-vantelfile=kelmore.desktop\n"
            "text/html=b.desktop\n");
}

TEST_F(Association, exec_line_quotes_and_escapes_the_program) {
  EXPECT_EQ(desktopExecLine("/usr/bin/kelmore"), "\"/usr/bin/kelmore\" %f");
  EXPECT_EQ(desktopExecLine("/a/$x`y\"z\\/100%/k"), "\"/a/\\$x\\`y\\\"z\\\\/100%%/k\" %f");
}

TEST_F(Association, failure_is_reported) {
  // A file where the data folder should be.
  fs::create_directories(root);
  std::ofstream(root / "data") << "x";
  const AssociationResult r = registerTvrAssociation(places, "/usr/bin/kelmore", {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, (root / "data/mime/packages").string() + ": Not a directory");
  const AssociationResult relative = registerTvrAssociation(places, "kelmore", {});
  EXPECT_FALSE(relative.ok);
  EXPECT_EQ(relative.error, "kelmore: not a usable program path");
}

}  // namespace
}  // namespace kelmore::editor
