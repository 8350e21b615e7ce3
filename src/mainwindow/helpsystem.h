// Help: the help commands the main window gives, and the one map from help context numbers and keywords to
// the pages of the language reference.
// Layer: main window (plain C++, no Qt).
//
// The reference is a folder of HTML pages (share/help). Each topic is one place on one page: the hints'
// help context numbers and the keyword table's words lead there. A context of 0, a context or word no
// topic holds, and an empty word all lead to the contents page.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace kelmore::mainwindow {

// What the Help menu, F1 and the "topics" button ask of the help viewer.
class HelpSystem {
 public:
  virtual ~HelpSystem() = default;
  virtual void contents() = 0;
  virtual void context(int helpContext) = 0;
  virtual void keyword(std::string_view word) = 0;
  // Closes the viewer (the program is ending).
  virtual void quit() = 0;
};

struct HelpTopic {
  std::string_view page;        // file name in the help folder
  std::string_view anchor;      // the place on the page
  std::array<int, 3> contexts;  // help context numbers of the hints that lead here; 0 fills unused places
  std::string_view keywords;    // the words explained here, blank-separated, as the keyword table spells them
};

struct HelpPlace {
  std::string page;
  std::string anchor;  // empty: the top of the page
  friend bool operator==(const HelpPlace&, const HelpPlace&) = default;
};

inline constexpr std::string_view kHelpContentsPage = "index.html";
inline constexpr std::string_view kHelpFolderName = "help";

// Every topic, in the order of the reference.
std::span<const HelpTopic> helpTopics();

HelpPlace helpContents();
HelpPlace helpForContext(int helpContext);
// The word is compared ignoring case, blanks and a "(" of the keyword ("vpeek" finds "VPeek(").
HelpPlace helpForKeyword(std::string_view word);

}  // namespace kelmore::mainwindow
