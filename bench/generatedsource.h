// Generated macro sources for the benchmarks: routines of one fixed shape, repeated to a line count.
// Layer: bench (plain C++).
#pragma once

#include <string>

namespace kelmore::bench {

// Core: the control flow, expressions and calls every model compiles. Every: each routine also carries
// every form of the width, memory, stack, display, event, text and Data statements, for a model that takes
// them all (QT-R5xxP) and an image list that holds the label "logo"; the event routines are there too.
enum class SourceForms { Core, Every };

// Routines of a fixed shape: a user label, assignments and expressions, an If with Else, a For loop, a
// Select with two Cases, the statement forms asked for, a GoTo and a call. About ten labels a routine keeps
// 30,000 lines inside the 4096 label slots; globals only, so the 21 registers suffice.
inline std::string generateSource(int lines, SourceForms forms = SourceForms::Core) {
  const bool every = forms == SourceForms::Every;
  std::string s;
  int count = 0;
  auto add = [&](const std::string& line) {
    s += line;
    s += "\r\n";
    ++count;
  };
  for (int g = 0; g < 8; ++g) add("g" + std::to_string(g) + " = " + std::to_string(g * 3 + 1));
  add("i = 0");
  add("Sub Start()");
  add("End Sub");
  add("Sub P(a, b)");
  add("End Sub");
  if (every) {
    for (const char* routine : {"Timer_Event", "Port_Event", "Touch_Event"}) {
      add(std::string("Sub ") + routine + "()");
      add("Print \"event\", 13");
      add("End Sub");
    }
  }
  int routine = 0;
  while (count < lines) {
    const std::string n = std::to_string(routine);
    add("Sub R" + n + "()");
    add("top" + n + ": ' loop start");
    for (int k = 0; count < lines - (every ? 64 : 24) && k < 70; ++k) {
      // Built by appending: GCC 12 warns (falsely) about "literal" + string in release builds.
      std::string a = "g";
      a += std::to_string(k % 8);
      std::string b = "g";
      b += std::to_string((k + 3) % 8);
      switch (k % 5) {
        case 0:
          add(a + " = " + a + " + 1");
          break;
        case 1:
          add(a + " = ( " + b + " + 3 ) * " + a);
          break;
        case 2:
          add(a + " = " + b + " - 2 * 4 + &h10");
          break;
        case 3:
          add(a + " = " + b + " Mod 7 And 3");
          break;
        default:
          add(a + " = " + b);
          break;
      }
    }
    add("If g1 > 10 Then");
    add("g2 = g2 - 1");
    add("Else");
    add("g3 = g1 * 2");
    add("End If");
    add("For i = 1 To g4 + 1");
    add("g5 = g5 + i");
    add("If g5 > 100 Then");
    add("Exit For");
    add("End If");
    add("Continue");
    add("Next");
    add("Sleep g2 + 1");
    add("g0 = Peek(g1)");
    add("g1 = VPeek(16)");
    add("g2 = top" + n);
    add("P g1, g2 + 1");
    add("Select Case g6 + 1");
    add("Case 1");
    add("g7 = 2");
    add("Case Else");
    add("g7 = 3");
    add("End Select");
    if (every) {
      for (const char* line : {"Mem8",
                               "Mem16",
                               "Mem32",
                               "Sel32",
                               "g3 = 70000",
                               "Sel16",
                               "TargetMem GPFRom2",
                               "SetFocusWin 1",
                               "SetUsrWin 1,0,0,g1,64",
                               "Scroll g2,2,1",
                               "Blink 3,,5",
                               "Curtain ,2",
                               "Spring 1,2,&H100",
                               "Random ,g4 + 1",
                               "CopyBmp logo",
                               "CopyBmp ram,1,g3,128,64",
                               "Line 0,0,g1,10,1,BF",
                               "Pset g1,g2 * 2",
                               "PortDirection 1,\"iiiioooo\"",
                               "PortDirection g5",
                               "VPoke g1,65",
                               "Poke g2 + 1,g3",
                               "Push g1",
                               "Pop g1"})
        add(line);
    }
    if (routine > 0) add("R" + std::to_string(routine - 1));
    add("GoTo top" + n);
    add("End Sub");
    ++routine;
  }
  return s;
}

}  // namespace kelmore::bench
