// The File menu's logic: the unsaved-change prompt across every command, loads, saves and their failures.
// Layer: tests (plain C++).
#include "editor/sourcefiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/sourcefile.h"
#include "filebytes.h"
#include "platform/atomicfile.h"

namespace kelmore::editor {
namespace {

namespace fs = std::filesystem;

using filebytes::readBytes;
using filebytes::writeBytes;

struct FakePane : SourcePane {
  std::string value;
  int documents = 0;
  std::string text() const override { return value; }
  void setDocument(const std::string& text) override {
    value = text;
    ++documents;
  }
};

struct FakePrompter : SourcePrompter {
  Answer answer = Answer::Yes;
  bool yesNo = true;
  std::optional<std::string> saveName;
  std::optional<std::string> openName;
  std::vector<std::string> asked;     // "title|text" of each question
  std::vector<std::string> messages;  // "title|text"
  int saveDialogs = 0;
  std::string openFolder;

  Answer askYesNoCancel(const std::string& text, const std::string& title) override {
    asked.push_back(title + "|" + text);
    return answer;
  }
  bool askYesNo(const std::string& text, const std::string& title) override {
    asked.push_back(title + "|" + text);
    return yesNo;
  }
  void showMessage(const std::string& text, const std::string& title, BoxIcon) override {
    messages.push_back(title + "|" + text);
  }
  std::optional<std::string> saveFileName(const std::string&) override {
    ++saveDialogs;
    return saveName;
  }
  std::optional<std::string> openFileName(const std::string& folder) override {
    openFolder = folder;
    return openName;
  }
};

struct FakeHost : SourceHost {
  std::string caption;
  int compileWinCleared = 0;
  int closes = 0;
  void setCaption(const std::string& c) override { caption = c; }
  void initCompileWin() override { ++compileWinCleared; }
  void closeWindow() override { ++closes; }
};

class Files : public testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("KELMORE_CODEPAGE");
    dir = fs::temp_directory_path() / ("kelmore-files-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "share");
    writeBytes(dir / "share/template1.tvr", "' Compiler Version :\r\nprint 1\r\n");
    writeBytes(dir / "other.tvr", "cls\r\n");
    files = std::make_unique<SourceFiles>(pane, prompter, host,
                                          SourcePlaces{dir / "share",
                                                       dir / "TMP.tvr",
                                                       "Ver4.4.3",
                                                       {dir / "xdgdata", dir / "xdgconfig"},
                                                       "/usr/bin/kelmore",
                                                       {}});
  }
  void TearDown() override {
    platform::test_seam::setWriteFunction(nullptr);
    fs::remove_all(dir);
  }
  std::string path(const char* name) const { return (dir / name).string(); }

  fs::path dir;
  FakePane pane;
  FakePrompter prompter;
  FakeHost host;
  std::unique_ptr<SourceFiles> files;
};

TEST_F(Files, untitled_start_shows_the_placeholder_unchanged) {
  files->startUp("");
  EXPECT_EQ(pane.value, "Type souce code here.");
  EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
  EXPECT_FALSE(files->isChanged());
  EXPECT_TRUE(files->Form_QueryUnload());
  EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(Files, start_up_opens_a_tvr_named_in_any_case) {
  writeBytes(dir / "UP.TVR", "print 1\r\n");
  files->startUp(path("UP.TVR"));
  EXPECT_EQ(pane.value, "Print 1\n");
  EXPECT_EQ(host.caption, "Macro-Editor" + path("UP.TVR"));
  EXPECT_EQ(host.compileWinCleared, 1);
  EXPECT_FALSE(files->isChanged());  // the load-time respelling is no change
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{"Loaded|1 lines loaded."}));
}

TEST_F(Files, start_up_with_another_name_or_a_missing_file_is_untitled) {
  files->startUp(path("other.txt"));
  EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
  files->startUp(path("gone.tvr"));
  EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
  EXPECT_EQ(pane.value, "Type souce code here.");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], "|Kelmore  " + path("gone.tvr") + ": No such file or directory");
}

// The prompt across its states and answers, for every command that would discard the text.
enum class Command { New, Open, Template, Drop, Close };
enum class State { Unchanged, Untitled, Named };
struct Scenario {
  const char* name;
  State state;
  Answer answer;
  bool dialogCancelled;
  bool proceeds;
  bool asks;
  const char* savedTo;  // the file the prompt saved into, if any
};
constexpr Scenario kScenarios[] = {
    {"unchanged", State::Unchanged, Answer::Cancel, false, true, false, nullptr},
    {"untitled_yes", State::Untitled, Answer::Yes, false, true, true, "chosen.tvr"},
    {"untitled_yes_dialog_cancelled", State::Untitled, Answer::Yes, true, false, true, nullptr},
    {"untitled_no", State::Untitled, Answer::No, false, true, true, nullptr},
    {"untitled_cancel", State::Untitled, Answer::Cancel, false, false, true, nullptr},
    {"named_yes", State::Named, Answer::Yes, false, true, true, "named.tvr"},
    {"named_no", State::Named, Answer::No, false, true, true, nullptr},
    {"named_cancel", State::Named, Answer::Cancel, false, false, true, nullptr},
};
constexpr Command kCommands[] = {Command::New, Command::Open, Command::Template, Command::Drop,
                                 Command::Close};
const char* commandName(Command c) {
  switch (c) {
    case Command::New:
      return "New";
    case Command::Open:
      return "Open";
    case Command::Template:
      return "Template";
    case Command::Drop:
      return "Drop";
    case Command::Close:
      return "Close";
  }
  return "";
}

TEST_F(Files, prompt_matrix) {
  for (const Scenario& s : kScenarios) {
    for (Command command : kCommands) {
      SCOPED_TRACE(std::string(s.name) + " / " + commandName(command));
      pane = FakePane{};
      host = FakeHost{};
      prompter = FakePrompter{};
      SetUp();
      if (s.state == State::Named) {
        writeBytes(dir / "named.tvr", "x\r\n");
        files->openDroppedFile(path("named.tvr"));
      } else {
        files->startUp("");
      }
      if (s.state != State::Unchanged) pane.value += "edited";
      const std::string edited = pane.value;
      const std::string captionBefore = host.caption;
      prompter = FakePrompter{};
      prompter.answer = s.answer;
      prompter.saveName = s.dialogCancelled ? std::nullopt : std::optional<std::string>(path("chosen.tvr"));
      prompter.openName = path("other.tvr");

      bool closing = true;
      switch (command) {
        case Command::New:
          files->menuWhite_Click();
          break;
        case Command::Open:
          files->menuOpen_Click();
          break;
        case Command::Template:
          files->menuTemplate1_Click();
          break;
        case Command::Drop:
          files->openDroppedFile(path("other.tvr"));
          break;
        case Command::Close:
          closing = files->Form_QueryUnload();
          break;
      }

      EXPECT_EQ(prompter.asked.size(), s.asks ? 1u : 0u);
      if (s.asks) {
        const std::string name = s.state == State::Named ? path("named.tvr") : "New.tvr";
        EXPECT_EQ(prompter.asked[0], "Confirm|" + name + ": Do you want to save the change?");
      }
      if (s.savedTo) {
        EXPECT_EQ(readBytes(dir / s.savedTo), encodeSource(edited));
      }
      if (!s.proceeds) {
        EXPECT_EQ(pane.value, edited);
        EXPECT_EQ(host.caption, captionBefore);
        if (command == Command::Close) {
          EXPECT_FALSE(closing);
        }
        continue;
      }
      switch (command) {
        case Command::New:
          EXPECT_EQ(pane.value, "");
          EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
          break;
        case Command::Open:
        case Command::Drop:
          EXPECT_EQ(pane.value, "Cls\n");
          EXPECT_EQ(host.caption, "Macro-Editor" + path("other.tvr"));
          break;
        case Command::Template:
          EXPECT_EQ(pane.value, "' Compiler Version :Ver4.4.3\nPrint 1\n");
          EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
          break;
        case Command::Close:
          EXPECT_TRUE(closing);
          break;
      }
      if (command != Command::Close) {
        EXPECT_FALSE(files->isChanged());
      }
    }
  }
}

long failingWrite(int, const void*, unsigned long) {
  errno = EACCES;
  return -1;
}

TEST_F(Files, failed_save_in_the_prompt_stops_the_command_and_keeps_the_change) {
  writeBytes(dir / "named.tvr", "x\r\n");
  files->openDroppedFile(path("named.tvr"));
  pane.value += "edited";
  prompter.answer = Answer::Yes;
  prompter.messages.clear();
  platform::test_seam::setWriteFunction(failingWrite);
  files->menuWhite_Click();
  EXPECT_EQ(pane.value, "x\nedited");
  EXPECT_TRUE(files->isChanged());
  EXPECT_FALSE(files->Form_QueryUnload());
  ASSERT_FALSE(prompter.messages.empty());
  EXPECT_EQ(prompter.messages[0], "|Kelmore  " + path("named.tvr") + ": Permission denied");
  EXPECT_EQ(readBytes(dir / "named.tvr"), "x\r\n");
}

TEST_F(Files, failed_save_as_keeps_untitled_and_changed) {
  files->startUp("");
  pane.value = "a";
  prompter.saveName = path("new.tvr");
  platform::test_seam::setWriteFunction(failingWrite);
  files->menuSave_Click();
  EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
  EXPECT_TRUE(files->isChanged());
  EXPECT_FALSE(fs::exists(dir / "new.tvr"));
}

TEST_F(Files, save_as_then_save_write_the_named_file) {
  files->startUp("");
  pane.value = "a\nb";
  prompter.saveName = path("new.tvr");
  files->menuSave_Click();
  EXPECT_EQ(host.caption, "Macro-Editor" + path("new.tvr"));
  EXPECT_FALSE(files->isChanged());
  pane.value = "c";
  prompter.saveName = std::nullopt;
  files->menuSave_Click();
  EXPECT_EQ(prompter.saveDialogs, 1);
  EXPECT_EQ(readBytes(dir / "new.tvr"), "c");
  EXPECT_FALSE(files->isChanged());
}

TEST_F(Files, save_as_adds_tvr_to_a_name_typed_without_an_ending) {
  const std::pair<std::string, std::string> names[] = {{"prog", "prog.tvr"},
                                                       {"prog.txt", "prog.txt"},
                                                       {"prog.TVR", "prog.TVR"},
                                                       {"v1.d/prog", "v1.d/prog.tvr"}};
  pane.value = "Cls\n";
  fs::create_directories(dir / "v1.d");
  for (const auto& [typed, saved] : names) {
    prompter.saveName = path(typed.c_str());
    files->menuAdd_Click();
    EXPECT_EQ(files->fileName(), path(saved.c_str()));
    EXPECT_EQ(readBytes(dir / saved), "Cls\r\n") << typed;
  }
}

TEST_F(Files, characters_the_code_page_lacks_are_named_before_the_save) {
  pane.value = "Print \"1 €\"\nCls\n' ™ and ™\n";
  prompter.saveName = path("euro.tvr");
  prompter.yesNo = false;
  files->menuAdd_Click();
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_EQ(
      prompter.asked[0],
      "Confirm|These characters are not in the code page and are saved as \"?\":\n line 1: €\n line 3: ™ "
      "™\nSave anyway?");
  EXPECT_FALSE(fs::exists(dir / "euro.tvr"));
  EXPECT_TRUE(files->isUntitled());
  EXPECT_TRUE(files->isChanged());

  prompter.yesNo = true;
  files->menuAdd_Click();
  EXPECT_EQ(readBytes(dir / "euro.tvr"), "Print \"1 ?\"\r\nCls\r\n' ? and ?\r\n");
  EXPECT_FALSE(files->isChanged());
}

TEST_F(Files, a_long_list_of_lost_characters_is_cut_after_ten_lines) {
  std::string text;
  for (int i = 0; i < 12; ++i) text += "' €\n";
  pane.value = text;
  prompter.saveName = path("many.tvr");
  prompter.yesNo = false;
  files->menuAdd_Click();
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_NE(prompter.asked[0].find("\n line 10: €\n ...\nSave anyway?"), std::string::npos)
      << prompter.asked[0];
  EXPECT_EQ(prompter.asked[0].find("line 11"), std::string::npos);
}

TEST_F(Files, cancelled_save_as_changes_nothing) {
  files->startUp("");
  pane.value = "a";
  prompter.saveName = std::nullopt;
  files->menuAdd_Click();
  EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
  EXPECT_TRUE(files->isChanged());
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(Files, failed_open_changes_nothing) {
  files->startUp("");
  pane.value = "kept";
  prompter.answer = Answer::No;
  prompter.openName = path("gone.tvr");
  const int documents = pane.documents;
  files->menuOpen_Click();
  EXPECT_EQ(pane.value, "kept");
  EXPECT_EQ(pane.documents, documents);
  EXPECT_EQ(host.caption, "Macro-EditorNew.tvr");
  EXPECT_EQ(host.compileWinCleared, 0);
  EXPECT_EQ(files->savedText(), "Type souce code here.");
  EXPECT_EQ(prompter.messages.back(), "|Kelmore  " + path("gone.tvr") + ": No such file or directory");
}

TEST_F(Files, open_dialog_starts_in_the_folder_of_the_last_file) {
  fs::create_directories(dir / "sub");
  writeBytes(dir / "sub/s.tvr", "");
  files->openDroppedFile(path("sub/s.tvr"));
  files->menuOpen_Click();
  EXPECT_EQ(prompter.openFolder, path("sub"));
}

TEST_F(Files, missing_template_changes_nothing) {
  files->startUp("");
  files->menuTemplate2_Click();
  EXPECT_EQ(pane.value, "Type souce code here.");
  EXPECT_EQ(prompter.messages.back(),
            "|Kelmore  " + (dir / "share/template2.tvr").string() + ": No such file or directory");
}

TEST_F(Files, dropped_file_of_another_kind_is_refused_before_the_prompt) {
  files->startUp("");
  pane.value = "edited";
  files->openDroppedFile(path("picture.bmp"));
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{"Error|Not .tvr file!"}));
  EXPECT_EQ(pane.value, "edited");
}

TEST_F(Files, tmp_save_writes_whatever_the_state_and_tmp_load_reads_it) {
  files->startUp("");
  pane.value = "x = 1\n";
  EXPECT_TRUE(files->TMP_Save());
  EXPECT_EQ(readBytes(dir / "TMP.tvr"), "x = 1\r\n");
  EXPECT_TRUE(files->isChanged());
  pane.value = "other";
  EXPECT_TRUE(files->TMP_Load());
  EXPECT_EQ(pane.value, "x = 1\n");
  platform::test_seam::setWriteFunction(failingWrite);
  EXPECT_FALSE(files->TMP_Save());
  EXPECT_EQ(prompter.messages.back(), "|Kelmore  " + path("TMP.tvr") + ": Permission denied");
}

TEST_F(Files, close_asks_the_window_to_close) {
  files->menuClose_Click();
  EXPECT_EQ(host.closes, 1);
}

TEST_F(Files, file_association_asks_then_reports) {
  prompter.yesNo = false;
  files->menuFileAssociation_Click();
  EXPECT_EQ(prompter.asked, (std::vector<std::string>{"confirm|Do you change (*.tvr)File association?"}));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_FALSE(fs::exists(dir / "xdgdata"));
  prompter.yesNo = true;
  files->menuFileAssociation_Click();
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{"|(*.tvr) File association is changed."}));
  EXPECT_TRUE(fs::exists(dir / "xdgdata/applications/kelmore.desktop"));
}

}  // namespace
}  // namespace kelmore::editor
