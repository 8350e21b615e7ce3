// The reference's "Models:" lines against the model gates: the models a line names are the listed models
// on which the compiler takes what the section describes.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/models.h"
#include "common/text.h"
#include "fake_host.h"
#include "helppages.h"

namespace kelmore {
namespace {

namespace fs = std::filesystem;
using ModelSet = std::set<std::string, std::less<>>;

constexpr std::string_view kModelsLine = "<p>Models: ";
constexpr std::string_view kTableLine = "as in the table";

// One statement section of a page: its anchor, the text of its "Models:" line and its examples.
struct Section {
  std::string page;
  std::string anchor;
  std::string models;  // without "Models: " and the closing "."
  std::vector<std::string> examples;
};

std::vector<Section> sectionsOf(const std::string& page, const std::string& html) {
  constexpr std::string_view kHeading = "<h2><a name=\"", kExample = "<pre class=\"example\">",
                             kPreEnd = "</pre>";
  std::vector<Section> sections;
  for (std::size_t at = html.find(kHeading); at != std::string::npos;) {
    const std::size_t nameAt = at + kHeading.size();
    const std::size_t next = html.find(kHeading, nameAt);
    const std::string_view body = std::string_view(html).substr(nameAt, next - nameAt);
    Section section{page, std::string(body.substr(0, body.find('"'))), {}, {}};
    if (const std::size_t line = body.find(kModelsLine); line != std::string_view::npos) {
      const std::size_t from = line + kModelsLine.size();
      const std::string_view text = body.substr(from, body.find("</p>", from) - from);
      section.models = std::string(text.ends_with('.') ? text.substr(0, text.size() - 1) : text);
    }
    for (std::size_t e = body.find(kExample); e != std::string_view::npos; e = body.find(kExample, e + 1)) {
      const std::size_t from = e + kExample.size();
      section.examples.push_back(
          testkit::unescapeHtml(std::string(body.substr(from, body.find(kPreEnd, from) - from))));
    }
    sections.push_back(std::move(section));
    at = next;
  }
  return sections;
}

std::vector<Section> referenceSections() {
  const fs::path folder = testkit::helpFolder();
  std::vector<fs::path> pages;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".html") pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  std::vector<Section> sections;
  for (const fs::path& page : pages)
    for (Section& section : sectionsOf(page.filename().string(), testkit::readHelpPage(page)))
      // A line "as in the table" leaves the models to the section's table of names.
      if (!section.models.empty() && section.models != kTableLine) sections.push_back(std::move(section));
  return sections;
}

ModelSet allModels() {
  return {kModelNames.begin(), kModelNames.end()};
}

// "all", "all but A, B and C" or "A, B, C"; every name one of the model list.
ModelSet namedModels(std::string_view text) {
  if (text == "all") return allModels();
  const bool but = text.starts_with("all but ");
  if (but) text.remove_prefix(std::string_view("all but ").size());
  std::string names(text);
  for (std::size_t at = names.find(" and "); at != std::string::npos; at = names.find(" and "))
    names.replace(at, 5, ", ");
  ModelSet named;
  for (std::string_view name : splitAt(names, ',')) {
    name = trimBlanks(name);
    EXPECT_TRUE(modelInfo(name).listed && !modelInfo(name).name.empty()) << "no listed model: " << name;
    named.emplace(name);
  }
  if (!but) return named;
  ModelSet rest;
  for (const std::string& model : allModels())
    if (!named.contains(model)) rest.insert(model);
  return rest;
}

bool isModelList(std::string_view text) {
  const std::string_view first = text.substr(0, text.find_first_of(" ,"));
  return first == "all" || !modelInfo(first).name.empty();
}

// One claim of a line: what it is about (empty: the section's statement) and the models it names. A line
// holds claims apart by "; " ("Timer_Event all; Port_Event all but PX-B"), and a note in parentheses of the
// form "what: models" is a claim of its own; another note names no models.
struct Claim {
  std::string subject;
  ModelSet models;
};

std::vector<Claim> claimsOf(std::string_view line) {
  std::vector<Claim> claims;
  auto add = [&claims](std::string_view text) {
    Claim claim;
    if (!isModelList(text)) {
      const std::size_t blank = text.find(' ');
      claim.subject = std::string(text.substr(0, blank));
      text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
    claim.models = namedModels(text);
    claims.push_back(std::move(claim));
  };
  for (std::size_t from = 0; from <= line.size();) {
    const std::size_t end = std::min(line.find("; ", from), line.size());
    std::string_view part = line.substr(from, end - from);
    from = end + 2;
    if (const std::size_t open = part.find(" ("); open != std::string_view::npos && part.ends_with(')')) {
      const std::string_view note = part.substr(open + 2, part.size() - open - 3);
      part = part.substr(0, open);
      add(part);
      if (const std::size_t colon = note.find(": "); colon != std::string_view::npos) {
        claims.push_back({std::string(note.substr(0, colon)), namedModels(note.substr(colon + 2))});
      }
    } else {
      add(part);
    }
  }
  return claims;
}

// What a claim is tried with where the section's examples show more than the claim is about.
struct Probe {
  std::string_view page, anchor, subject;
  std::vector<std::string_view> lines;
};

const Probe kProbes[] = {
    // The example names GPFRom2 as well, which the section's table gives its own models.
    {"memory.html", "targetmem", "", {"Sub Start()", "TargetMem GPRam", "TargetMem MacroMem", "End Sub"}},
    {"events.html",
     "routines",
     "Timer_Event",
     {"Sub Start()", "EventTimerSet enable, 50", "End Sub", "Sub Timer_Event()", "End Sub"}},
    {"events.html",
     "routines",
     "Port_Event",
     {"Sub Start()", "EventPortSet enable, port0 * &HFF = &H12", "End Sub", "Sub Port_Event()", "End Sub"}},
    {"events.html",
     "routines",
     "Touch_Event",
     {"Sub Start()", "EventTouchSet enable, 3", "End Sub", "Sub Touch_Event()", "End Sub"}},
    // The example sets port 2 as well, which the note's claim is about.
    {"ports.html",
     "portdirection",
     "",
     {"Sub Start()", "PortDirection \"iiiioooo\"", "PortDirection 1,255", "End Sub"}},
    {"ports.html",
     "portdirection",
     "ports 2 and 3",
     {"Sub Start()", "PortDirection 2,\"iiiioooo\"", "PortDirection 3,255", "End Sub"}},
};

std::vector<std::string> sourcesFor(const Section& section, const Claim& claim) {
  for (const Probe& probe : kProbes) {
    if (probe.page != section.page || probe.anchor != section.anchor || probe.subject != claim.subject)
      continue;
    std::string source;
    for (std::string_view line : probe.lines) source += std::string(line) + "\r\n";
    return {source};
  }
  if (claim.subject.empty()) return section.examples;
  return {};
}

// The listed models on which every one of the sources compiles.
ModelSet compilingModels(const std::vector<std::string>& sources) {
  ModelSet models;
  for (const std::string_view model : kModelNames) {
    bool all = true;
    for (const std::string& source : sources) {
      testkit::FakeHost host;
      host.source = source;
      host.model = std::string(model);
      MacroCompiler compiler{host};
      all = all && compiler.Compile();
    }
    if (all) models.emplace(model);
  }
  return models;
}

std::string listed(const ModelSet& models) {
  std::string text;
  for (const std::string& model : models) text += (text.empty() ? "" : ", ") + model;
  return text;
}

void PrintTo(const Section& section, std::ostream* out) {
  *out << section.page << "#" << section.anchor;
}

class ModelsLine : public testing::TestWithParam<Section> {};

TEST_P(ModelsLine, names_the_models_that_compile_it) {
  const Section& section = GetParam();
  for (const Claim& claim : claimsOf(section.models)) {
    const std::vector<std::string> sources = sourcesFor(section, claim);
    ASSERT_FALSE(sources.empty()) << "nothing to try \"" << claim.subject << "\" with";
    EXPECT_EQ(listed(compilingModels(sources)), listed(claim.models))
        << section.page << "#" << section.anchor << " " << claim.subject;
  }
}

INSTANTIATE_TEST_SUITE_P(help, ModelsLine, testing::ValuesIn(referenceSections()), [](const auto& i) {
  std::string name = i.param.page.substr(0, i.param.page.find('.')) + "_" + i.param.anchor;
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
});

}  // namespace
}  // namespace kelmore
