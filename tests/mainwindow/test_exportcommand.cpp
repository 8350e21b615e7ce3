// The Export command through the prompter: no code, a stale source, code too large, the dialog's start
// and cancel, the BIN and unknown endings, a saved file and a folder that cannot be written.
// Layer: tests (Qt).
#include "mainwindow/exportcommand.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QWidget>
#include <fstream>
#include <vector>

#include "../widgets/scriptedprompter.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;
using widgets::test::ScriptedPrompter;

class FixedClock : public ExportClock {
 public:
  LocalTime now() const override { return {2026, 1, 2, 3, 4, 5}; }
};

// Root writes anywhere: a read-only folder is only read-only to an ordinary user.
class AsOrdinaryUser {
 public:
  AsOrdinaryUser() : wasRoot_(::geteuid() == 0) {
    if (wasRoot_) {
      EXPECT_EQ(::seteuid(kNobody), 0);
    }
  }
  ~AsOrdinaryUser() {
    if (wasRoot_) {
      EXPECT_EQ(::seteuid(0), 0);
    }
  }

 private:
  static constexpr uid_t kNobody = 65534;
  bool wasRoot_;
};

std::string readFile(const fs::path& path) {
  return platform::readRegularFile(path, 1 << 20).bytes;
}

class ExportFlow : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::dataDir() / "export-flow";
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec_);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    source_ = dir_ / "macro.tvr";
  }

  ExportSources sources() {
    return {[this] { return code_; },
            [this] { return changed_; },
            [this] { return target_; },
            [this](std::int32_t lastIndex) {
              fitCalls_.push_back(lastIndex);
              return fits_;
            },
            [this] { return source_; },
            [this](const QString& line) { log_ << line; }};
  }

  // One export with the dialog answering `fileName` (empty: Cancel).
  void exportAs(const QString& fileName) {
    prompter_.fileNames << fileName;
    command_.menuExport_Click();
  }
  QString path(const char* name) const { return QString::fromStdString((dir_ / name).string()); }

  ScriptedPrompter prompter_;
  QWidget window_;
  FixedClock clock_;
  ExportCommand command_{&window_, prompter_, sources(), &clock_};
  QString code_ = QStringLiteral("50 23 41 00 ");
  bool changed_ = false;
  int target_ = 0;
  bool fits_ = true;
  std::vector<std::int32_t> fitCalls_;
  fs::path source_;
  QStringList log_;
  fs::path dir_;
  std::error_code ec_;
};

TEST_F(ExportFlow, no_code_is_refused_before_the_dialog) {
  code_.clear();
  exportAs(path("macro.dat"));
  ASSERT_EQ(prompter_.boxes.size(), 1u);
  EXPECT_EQ(prompter_.boxes[0].text, "Code is not generated.");
  EXPECT_EQ(prompter_.boxes[0].title, "");
  EXPECT_EQ(log_, QStringList{"error:Code is not generated."});
  EXPECT_TRUE(prompter_.saveDialogs.empty());
  EXPECT_TRUE(fitCalls_.empty());
}

TEST_F(ExportFlow, a_stale_source_asks_and_cancel_stops) {
  changed_ = true;
  prompter_.answers.push_back(QMessageBox::Cancel);
  exportAs(path("macro.dat"));
  ASSERT_EQ(prompter_.boxes.size(), 1u);
  EXPECT_EQ(prompter_.boxes[0].text, "Souce code has been changed. Do you continue anyway?");
  EXPECT_EQ(prompter_.boxes[0].title, "Macro Compiler");
  EXPECT_TRUE(prompter_.saveDialogs.empty());
  EXPECT_TRUE(fs::is_empty(dir_));

  prompter_.answers.push_back(QMessageBox::Ok);
  command_.menuExport_Click();  // the dialog takes the name left from the first try
  EXPECT_EQ(prompter_.texts(),
            QStringList({"Souce code has been changed. Do you continue anyway?",
                         "Souce code has been changed. Do you continue anyway?", "A file is saved."}));
  EXPECT_TRUE(fs::exists(dir_ / "macro.dat"));
}

TEST_F(ExportFlow, code_too_large_stops_before_the_dialog) {
  fits_ = false;
  exportAs(path("macro.dat"));
  EXPECT_EQ(fitCalls_, std::vector<std::int32_t>{3});  // the last index of four bytes
  EXPECT_TRUE(prompter_.saveDialogs.empty());
  EXPECT_TRUE(prompter_.boxes.empty());  // the capacity test shows its own
}

TEST_F(ExportFlow, the_dialog_starts_in_the_source_folder_then_proposes_the_last_name) {
  exportAs({});
  ASSERT_EQ(prompter_.saveDialogs.size(), 1u);
  EXPECT_EQ(prompter_.saveDialogs[0].dir, QString::fromStdString(dir_.string()));
  EXPECT_EQ(prompter_.saveDialogs[0].filter,
            "All Files (*);;Varlesk Format (*.dat);;Hex Format (*.mot);;Binary (*.bin);;TEXT (*.txt)");
  EXPECT_EQ(prompter_.saveDialogs[0].selectedFilter, "Varlesk Format (*.dat)");
  EXPECT_TRUE(prompter_.boxes.empty());  // Cancel: nothing said, nothing written
  EXPECT_TRUE(command_.exportFileName().isEmpty());
  EXPECT_TRUE(fs::is_empty(dir_));

  exportAs(path("first.mot"));
  exportAs({});
  ASSERT_EQ(prompter_.saveDialogs.size(), 3u);
  EXPECT_EQ(prompter_.saveDialogs[2].dir, path("first.mot"));
  EXPECT_EQ(command_.exportFileName(), path("first.mot"));
}

TEST_F(ExportFlow, an_untitled_source_starts_the_dialog_at_home) {
  source_.clear();
  exportAs({});
  ASSERT_EQ(prompter_.saveDialogs.size(), 1u);
  EXPECT_EQ(prompter_.saveDialogs[0].dir, QDir::homePath());
}

TEST_F(ExportFlow, bin_and_unknown_endings_say_so_and_write_nothing) {
  exportAs(path("macro.bin"));
  exportAs(path("macro.tvr"));
  EXPECT_EQ(prompter_.texts(),
            QStringList({"This format is Under construction.", "This format is not supported."}));
  EXPECT_TRUE(log_.isEmpty());
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ExportFlow, a_saved_file_follows_its_ending_and_the_target) {
  target_ = 1;
  exportAs(path("macro.txt"));
  exportAs(path("macro.dat"));
  EXPECT_EQ(prompter_.texts(), QStringList({"A file is saved.", "A file is saved."}));
  EXPECT_EQ(prompter_.boxes[0].title, "");
  EXPECT_TRUE(readFile(dir_ / "macro.txt").starts_with("REM *** Header ***\r\n DB  &H1F, &H28, &H65, &H01"));
  EXPECT_TRUE(readFile(dir_ / "macro.txt")
                  .ends_with(" DB  &H1F, &H28, &H65, &H02, &H4F, &H55, &H54\r\n"
                             "REM *** end of object code ***\r\n"));
  EXPECT_TRUE(readFile(dir_ / "macro.dat").starts_with("*** 2026/01/02 03:04:05***\r\n"));
}

TEST_F(ExportFlow, a_code_longer_than_the_length_field_is_reported_and_not_written) {
  code_ = QString("00 ").repeated(65536);
  exportAs(path("macro.mot"));
  const QString text = "A file is not saved. macro code longer than 65535 bytes";
  EXPECT_EQ(prompter_.texts(), QStringList{text});
  EXPECT_EQ(log_, QStringList{"error:" + text});
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ExportFlow, a_read_only_folder_keeps_the_old_file_and_reports) {
  const fs::path file = dir_ / "macro.mot";
  std::ofstream(file) << "old records";
  fs::permissions(
      dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  {
    AsOrdinaryUser user;
    exportAs(QString::fromStdString(file.string()));
  }
  fs::permissions(dir_, fs::perms::owner_all);
  const QString text =
      "A file is not saved. " + QString::fromStdString(file.string()) + ": Permission denied";
  EXPECT_EQ(prompter_.texts(), QStringList{text});
  EXPECT_EQ(log_, QStringList{"error:" + text});
  EXPECT_EQ(readFile(file), "old records");
}

}  // namespace
}  // namespace kelmore::mainwindow
