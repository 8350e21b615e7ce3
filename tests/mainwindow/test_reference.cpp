// The language reference that ships in share/help: every example compiles for the model it names, and
// every place the help map leads to is on its page.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/models.h"
#include "fake_host.h"
#include "helppages.h"
#include "mainwindow/helpsystem.h"
#include "mainwindow/macrocommands.h"

namespace kelmore::mainwindow {
namespace {

using testkit::unescapeHtml;

struct Example {
  std::string name;  // page and number, for the test's name
  std::string source;
  std::string says;  // a refused example: the log line the compile ends with
};

std::vector<std::string> statementPages() {
  std::vector<std::string> pages;
  for (const HelpTopic& topic : helpTopics())
    if (std::find(pages.begin(), pages.end(), topic.page) == pages.end()) pages.emplace_back(topic.page);
  return pages;
}

// The source of each <pre class="`kind`"> block of each statement page, in page order. A refused block is
// followed by <p class="says"><code>the log line</code></p>.
std::vector<Example> referenceBlocks(std::string_view kind) {
  std::vector<Example> examples;
  for (const std::string& page : statementPages()) {
    const std::string html = testkit::readHelpPage(page);
    const std::string open = "<pre class=\"" + std::string(kind) + "\">";
    constexpr std::string_view kClose = "</pre>", kSays = "<p class=\"says\"><code>", kSaysEnd = "</code>";
    int number = 0;
    for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
      at += open.size();
      const std::size_t end = html.find(kClose, at);
      if (end == std::string::npos) break;
      Example example{page.substr(0, page.find('.')) + "_" + std::to_string(++number),
                      unescapeHtml(html.substr(at, end - at)),
                      {}};
      at = end + kClose.size();
      const std::size_t next = html.find_first_not_of(" \n", at);
      if (next != std::string::npos && html.compare(next, kSays.size(), kSays) == 0) {
        const std::size_t from = next + kSays.size();
        example.says = unescapeHtml(html.substr(from, html.find(kSaysEnd, from) - from));
      }
      examples.push_back(std::move(example));
    }
  }
  return examples;
}

std::vector<Example> referenceExamples() {
  return referenceBlocks("example");
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

// What a page says the compile refuses, it refuses, with the message the page quotes.
class RefusedExample : public testing::TestWithParam<Example> {};

TEST_P(RefusedExample, fails_with_the_message_the_page_quotes) {
  const Example& example = GetParam();
  ASSERT_FALSE(example.says.empty()) << example.source;
  const SeriesDirective directive = checkSeries(example.source);
  ASSERT_EQ(directive.kind, SeriesDirective::Kind::Set) << example.source;

  testkit::FakeHost host;
  host.source = example.source;
  host.model = directive.model;
  MacroCompiler compiler{host};
  EXPECT_FALSE(compiler.Compile()) << example.source;
  const std::vector<std::string> errors = host.logOf(LogKind::Error);
  ASSERT_FALSE(errors.empty()) << example.source;
  EXPECT_EQ(errors.back(), example.says) << example.source;
}

INSTANTIATE_TEST_SUITE_P(help, RefusedExample, testing::ValuesIn(referenceBlocks("refused")),
                         [](const auto& i) { return i.param.name; });

TEST(Reference, every_statement_page_has_examples_and_every_topic_its_place) {
  for (const HelpTopic& topic : helpTopics()) {
    const std::string html = testkit::readHelpPage(topic.page);
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
  const std::string contents = testkit::readHelpPage(kHelpContentsPage);
  for (const HelpTopic& topic : helpTopics())
    EXPECT_NE(contents.find("href=\"" + std::string(topic.page) + "#" + std::string(topic.anchor) + "\""),
              std::string::npos)
        << topic.page << "#" << topic.anchor;
}

}  // namespace
}  // namespace kelmore::mainwindow
