// The help map: context numbers and keywords to places in the language reference.
// Layer: main window (plain C++, no Qt).
#include "mainwindow/helpsystem.h"

#include <algorithm>

#include "editor/hints.h"

namespace kelmore::mainwindow {
namespace {

constexpr HelpTopic kTopics[] = {
    // Control flow and routines
    {"controlflow.html", "layout", {29}, "Start PXSeries"},
    {"controlflow.html", "sub", {28}, "Sub End"},
    {"controlflow.html", "goto", {38}, "GoTo"},
    {"controlflow.html", "if", {35}, "If Then Else"},
    {"controlflow.html", "for", {36}, "For To Step Next Exit Continue"},
    {"controlflow.html", "select", {17}, "Select Case"},
    {"controlflow.html", "sleep", {72}, "Sleep"},
    // Assignments and expressions
    {"assignments.html", "assign", {}, "="},
    {"assignments.html", "arith", {45}, "+ - * / Mod"},
    {"assignments.html", "compare", {}, "<> < > >= <="},
    {"assignments.html", "logic", {46, 47, 50}, "And Or Xor"},
    {"assignments.html", "peek", {76, 77}, "Peek VPeek"},
    {"assignments.html", "width", {}, "Sel16 Sel32"},
    {"assignments.html", "sysvars", {}, "ActSts TrsCount"},
    // Memory and windows
    {"memory.html", "mem8", {}, "Mem8 Mem16 Mem32"},
    {"memory.html", "targetmem", {}, "TargetMem MacroMem VRam GPRam GPFRom GPFRom2 ImgRam ImgFRom MemSw"},
    {"memory.html", "vpoke", {74}, "VPoke"},
    {"memory.html", "poke", {}, "Poke"},
    {"memory.html", "push", {79, 80}, "Push Pop"},
    {"memory.html", "windows", {}, "SetFocusWin SetUsrWin"},
    // Effects and drawing
    {"effects.html", "scroll", {70}, "Scroll"},
    {"effects.html", "blink", {54}, "Blink"},
    {"effects.html", "curtain", {58}, "Curtain"},
    {"effects.html", "spring", {73}, "Spring"},
    {"effects.html", "random", {69}, "Random"},
    {"effects.html", "copybmp", {56}, "CopyBmp"},
    {"effects.html", "line", {65}, "Line"},
    {"effects.html", "pset", {67}, "Pset"},
    // Ports
    {"ports.html", "portdirection", {66}, "PortDirection"},
    {"ports.html", "portvars", {24}, "Port0 Port1 Port4 DipSw Jumper"},
    {"ports.html", "com", {25, 26}, "Com RecCount ComAHD ReadAhd"},
    // Events
    {"events.html", "routines", {31}, "Timer_Event Port_Event Touch_Event"},
    {"events.html", "timer", {62}, "EventTimerSet enable"},
    {"events.html", "port", {61}, "EventPortSet"},
    {"events.html", "touch", {}, "EventTouchSet"},
    {"events.html", "switch", {59, 60}, "EventEnable EventDisable"},
    {"events.html", "touchvars", {}, "TpIN TpX TpY TsR Ts1 Ts2"},
    // Data and text
    {"text.html", "data", {18}, "Data"},
    {"text.html", "print", {68}, "Print"},
    {"text.html", "cls", {55}, "Cls"},
    {"text.html", "cursor", {57}, "Cursor"},
    {"text.html", "kanji", {63, 64}, "KanjiOn KanjiOff CjkOn CjkOff"},
    {"text.html", "setfont", {71}, "SetFont 5x7 6x8 8x16 12x24 16x32"},
};

HelpPlace placeOf(const HelpTopic& topic) {
  return {std::string(topic.page), std::string(topic.anchor)};
}

bool explains(const HelpTopic& topic, std::string_view word) {
  std::string_view rest = topic.keywords;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    if (editor::namesKeyword(rest.substr(0, blank), word)) return true;
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return false;
}

}  // namespace

std::span<const HelpTopic> helpTopics() {
  return kTopics;
}

HelpPlace helpContents() {
  return {std::string(kHelpContentsPage), {}};
}

HelpPlace helpForContext(int helpContext) {
  if (helpContext == 0) return helpContents();
  for (const HelpTopic& topic : kTopics)
    if (std::ranges::find(topic.contexts, helpContext) != topic.contexts.end()) return placeOf(topic);
  return helpContents();
}

HelpPlace helpForKeyword(std::string_view word) {
  word = editor::bareKeyword(word);
  for (const HelpTopic& topic : kTopics)
    if (explains(topic, word)) return placeOf(topic);
  return helpContents();
}

}  // namespace kelmore::mainwindow
