// The language reference that ships in share/help: every example compiles for the model it names, and
// every place the help map leads to is on its page.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/models.h"
#include "fake_host.h"
#include "mainwindow/helpsystem.h"
#include "mainwindow/macrocommands.h"
#include "platform/fileread.h"
#include "platform/paths.h"

namespace kelmore::mainwindow {
namespace {

namespace fs = std::filesystem;

fs::path helpFolder() {
  return platform::assetDir() / kHelpFolderName;
}

std::string readPage(std::string_view page) {
  const platform::FileRead file = platform::readRegularFile(helpFolder() / page, 1 << 20);
  EXPECT_TRUE(file.ok()) << page << ": " << file.message;
  return file.bytes;
}

std::string unescape(std::string text) {
  static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [entity, character] : kEntities)
    for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
      text.replace(at, entity.size(), character);
  return text;
}

struct Example {
  std::string name;  // page and number, for the test's name
  std::string source;
};

// The source of each <pre class="example"> block of each statement page, in page order.
std::vector<Example> referenceExamples() {
  std::vector<Example> examples;
  std::vector<std::string> pages;
  for (const HelpTopic& topic : helpTopics())
    if (std::find(pages.begin(), pages.end(), topic.page) == pages.end()) pages.emplace_back(topic.page);
  for (const std::string& page : pages) {
    const std::string html = readPage(page);
    constexpr std::string_view kOpen = "<pre class=\"example\">", kClose = "</pre>";
    int number = 0;
    for (std::size_t at = html.find(kOpen); at != std::string::npos; at = html.find(kOpen, at)) {
      at += kOpen.size();
      const std::size_t end = html.find(kClose, at);
      if (end == std::string::npos) break;
      std::string name = page.substr(0, page.find('.')) + "_" + std::to_string(++number);
      examples.push_back({name, unescape(html.substr(at, end - at))});
      at = end;
    }
  }
  return examples;
}

void PrintTo(const Example& example, std::ostream* out) {
  *out << example.name;
}

class ReferenceExample : public testing::TestWithParam<Example> {};

TEST_P(ReferenceExample, compiles_for_the_model_it_names) {
  const Example& example = GetParam();
  const SeriesDirective directive = checkSeries(example.source);
  ASSERT_EQ(directive.kind, SeriesDirective::Kind::Set) << example.source;
  ASSERT_TRUE(modelInfo(directive.model).listed) << directive.model;

  testkit::FakeHost host;
  host.source = example.source;
  host.model = directive.model;
  MacroCompiler compiler{host};
  EXPECT_TRUE(compiler.Compile()) << example.source;
  EXPECT_EQ(host.boxes, std::vector<std::string>{}) << example.source;
  for (const testkit::LogLine& line : host.log) EXPECT_NE(line.kind, LogKind::Error) << line.text;
}

INSTANTIATE_TEST_SUITE_P(help, ReferenceExample, testing::ValuesIn(referenceExamples()),
                         [](const auto& i) { return i.param.name; });

TEST(Reference, every_statement_page_has_examples_and_every_topic_its_place) {
  for (const HelpTopic& topic : helpTopics()) {
    const std::string html = readPage(topic.page);
    EXPECT_NE(html.find("<a name=\"" + std::string(topic.anchor) + "\">"), std::string::npos)
        << topic.page << "#" << topic.anchor;
  }
  const std::vector<Example> examples = referenceExamples();
  for (const HelpTopic& topic : helpTopics()) {
    const std::string prefix = std::string(topic.page.substr(0, topic.page.find('.'))) + "_";
    EXPECT_TRUE(std::any_of(examples.begin(), examples.end(), [&](const Example& e) {
      return e.name.starts_with(prefix);
    })) << topic.page;
  }
}

TEST(Reference, the_contents_page_links_every_statement_page) {
  const std::string contents = readPage(kHelpContentsPage);
  for (const HelpTopic& topic : helpTopics())
    EXPECT_NE(contents.find("href=\"" + std::string(topic.page) + "#" + std::string(topic.anchor) + "\""),
              std::string::npos)
        << topic.page << "#" << topic.anchor;
}

}  // namespace
}  // namespace kelmore::mainwindow
