// Help: context numbers and keywords land on their place in the reference, everything else on the
// contents, and the viewer shows the place or says that the pages are missing.
// Layer: tests (Qt).
#include "mainwindow/helpsystem.h"
#include "mainwindow/helpwindow.h"

#include <gtest/gtest.h>

#include <QTextBrowser>
#include <QUrl>
#include <string>

#include "editor/hints.h"
#include "editor/keywords.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

struct ContextCase {
  const char* name;
  int context;
  HelpPlace place;
};

const ContextCase kContexts[] = {
    {"for_loop_words", 36, {"controlflow.html", "for"}},
    {"print", 68, {"text.html", "print"}},
    {"select_case", 17, {"controlflow.html", "select"}},
    {"ports", 24, {"ports.html", "portvars"}},
    {"or", 50, {"assignments.html", "logic"}},
    {"vpeek", 77, {"assignments.html", "peek"}},
    {"event_routines", 31, {"events.html", "routines"}},
    {"zero_is_the_contents", 0, {"index.html", ""}},
    {"unknown_is_the_contents", 999, {"index.html", ""}},
    {"negative_is_the_contents", -36, {"index.html", ""}},
};

class HelpContext : public testing::TestWithParam<ContextCase> {};
TEST_P(HelpContext, lands_on_its_place) {
  EXPECT_EQ(helpForContext(GetParam().context), GetParam().place);
}
INSTANTIATE_TEST_SUITE_P(help, HelpContext, testing::ValuesIn(kContexts),
                         [](const auto& i) { return std::string(i.param.name); });

struct KeywordCase {
  const char* name;
  const char* word;
  HelpPlace place;
};

const KeywordCase kKeywords[] = {
    {"any_case", "vpeek", {"assignments.html", "peek"}},
    {"blank_before_the_keyword", "OR", {"assignments.html", "logic"}},
    {"blanks_around_the_keyword", "poke", {"memory.html", "poke"}},
    {"mode_word", "enable", {"events.html", "timer"}},
    {"font_size", "8x16", {"text.html", "setfont"}},
    {"memory_area", "GPFRom2", {"memory.html", "targetmem"}},
    {"system_variable", "TpX", {"events.html", "touchvars"}},
    {"part_of_a_keyword_is_not_it", "Port", {"index.html", ""}},
    {"unknown_word", "Pause", {"index.html", ""}},
    {"empty_word", "", {"index.html", ""}},
};

class HelpKeyword : public testing::TestWithParam<KeywordCase> {};
TEST_P(HelpKeyword, lands_on_its_place) {
  EXPECT_EQ(helpForKeyword(GetParam().word), GetParam().place);
}
INSTANTIATE_TEST_SUITE_P(help, HelpKeyword, testing::ValuesIn(kKeywords),
                         [](const auto& i) { return std::string(i.param.name); });

// The words of the editor's keyword table, as the table spells them.
std::vector<std::string_view> tableWords() {
  std::vector<std::string_view> words;
  for (const editor::OpWord& w : editor::kOpWords) words.push_back(w.word);
  for (const editor::StmtWord& w : editor::kStmtWords) words.push_back(w.word);
  for (const editor::FuncWord& w : editor::kFuncWords) words.push_back(w.word);
  return words;
}

TEST(HelpMap, every_word_of_the_keyword_table_has_exactly_one_entry) {
  for (std::string_view word : tableWords()) {
    EXPECT_NE(helpForKeyword(word), helpContents()) << word;
    int topics = 0;
    for (const HelpTopic& topic : helpTopics()) {
      std::string_view rest = topic.keywords;
      for (std::size_t blank; !rest.empty();
           rest.remove_prefix(blank == rest.npos ? rest.size() : blank + 1)) {
        blank = rest.find(' ');
        if (editor::namesKeyword(rest.substr(0, blank), editor::bareKeyword(word))) ++topics;
      }
    }
    EXPECT_EQ(topics, 1) << word;
  }
}

TEST(HelpMap, every_help_context_of_the_hints_has_an_entry) {
  std::vector<editor::Hint> hints;
  for (const editor::StmtWord& w : editor::kStmtWords) hints.push_back(editor::parseHint(w.hint));
  for (const editor::FuncWord& w : editor::kFuncWords) hints.push_back(editor::parseHint(w.hint));
  for (const editor::Hint& hint : hints)
    if (hint.helpContext != 0) {
      EXPECT_NE(helpForContext(hint.helpContext), helpContents()) << hint.text;
    }
}

class Viewer : public testing::Test {
 protected:
  static std::filesystem::path pages() { return platform::assetDir() / kHelpFolderName; }
  static QString shown(const HelpWindow& window) {
    const QUrl url = window.browser()->source();
    return url.fileName() + (url.hasFragment() ? QStringLiteral("#") + url.fragment() : QString());
  }
};

TEST_F(Viewer, shows_the_place_of_each_command) {
  HelpWindow window(pages(), nullptr);
  EXPECT_FALSE(window.isVisible());
  window.keyword("Next");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(shown(window), QStringLiteral("controlflow.html#for"));
  window.context(72);
  EXPECT_EQ(shown(window), QStringLiteral("controlflow.html#sleep"));
  window.contents();
  EXPECT_EQ(shown(window), QStringLiteral("index.html"));
  EXPECT_TRUE(window.browser()->toPlainText().contains(QStringLiteral("Kelmore language reference")));
  window.keyword("CopyBmp");
  EXPECT_EQ(shown(window), QStringLiteral("effects.html#copybmp"));
  EXPECT_TRUE(window.browser()->toPlainText().contains(QStringLiteral("CopyBmp memory,segment,offset")));
  window.quit();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(Viewer, a_missing_help_folder_is_said_in_the_window) {
  const std::filesystem::path missing = platform::dataDir() / "no-help-here";
  HelpWindow window(missing, nullptr);
  window.keyword("For");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.browser()->toPlainText(),
            QStringLiteral("The help pages are not installed.\n") +
                QString::fromStdString((missing / "controlflow.html").string()) +
                QStringLiteral(" was not found."));
}

}  // namespace
}  // namespace kelmore::mainwindow
