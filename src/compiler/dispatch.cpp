// Statement dispatch table: one row per line form, in the order the language requires.
// Layer: compiler (plain C++, no Qt).
#include "compiler/dispatch.h"

#include <vector>

#include "compiler/assignments.h"
#include "compiler/controlflow.h"
#include "compiler/displaystmts.h"
#include "compiler/eventstmts.h"
#include "compiler/memorystmts.h"
#include "compiler/textstmts.h"

namespace kelmore {
namespace {

// The model line: the main window has read the model from it before compiling; it produces no code.
void compilePXSeries(MacroCompiler&, const SourceLine&) {}

}  // namespace

bool rowMatches(const StatementRow& row, const SourceLine& line, const MacroCompiler& mc) {
  const std::string_view word0 = line.words.empty() ? std::string_view() : line.words.front();
  switch (row.form) {
    case LineForm::Label:
      return !word0.empty() && word0.back() == ':';
    case LineForm::Keyword:
      return word0 == row.keyword;
    case LineForm::RoutineCall: {
      const std::string_view name = trimBlanks(word0);
      return !name.empty() && mc.hensuulabel.getRoutineName(name) != kNo;
    }
    case LineForm::Other:
      return true;
  }
  return false;
}

std::span<const StatementRow> statementTable() {
  // Rows in dispatch order; the first that matches takes the line. One row a line form.
  // clang-format off
  static const std::vector<StatementRow> rows = {
      {LineForm::Label, "", compileLabelLine},
      {LineForm::Keyword, "PXSeries", compilePXSeries},
      {LineForm::Keyword, "Mem8", compileMem8},
      {LineForm::Keyword, "Mem16", compileMem16},
      {LineForm::Keyword, "Mem32", compileMem32},
      {LineForm::Keyword, "Sel16", compileSel16},
      {LineForm::Keyword, "Sel32", compileSel32},
      {LineForm::Keyword, "TargetMem", compileTargetMem},
      {LineForm::Keyword, "SetFocusWin", compileDisplayCommand},
      {LineForm::Keyword, "SetUsrWin", compileDisplayCommand},
      {LineForm::Keyword, "Random", compileDisplayCommand},
      {LineForm::Keyword, "Spring", compileDisplayCommand},
      {LineForm::Keyword, "Curtain", compileDisplayCommand},
      {LineForm::Keyword, "Blink", compileDisplayCommand},
      {LineForm::Keyword, "Scroll", compileDisplayCommand},
      {LineForm::Keyword, "CopyBmp", compileCopyBmp},
      {LineForm::Keyword, "Line", compileDisplayCommand},
      {LineForm::Keyword, "Pset", compileDisplayCommand},
      {LineForm::Keyword, "PortDirection", compilePortDirection},
      {LineForm::Keyword, "VPoke", compileVPoke},
      {LineForm::Keyword, "Poke", compilePoke},
      {LineForm::Keyword, "Push", compilePush},
      {LineForm::Keyword, "Pop", compilePop},
      {LineForm::Keyword, "EventTouchSet", compileEventTouchSet},
      {LineForm::Keyword, "EventPortSet", compileEventPortSet},
      {LineForm::Keyword, "EventTimerSet", compileEventTimerSet},
      {LineForm::Keyword, "EventEnable", compileEventEnable},
      {LineForm::Keyword, "EventDisable", compileEventDisable},
      {LineForm::Keyword, "Sub", compileSub},
      {LineForm::Keyword, "Sleep", compileSleep},
      {LineForm::Keyword, "For", compileFor},
      {LineForm::Keyword, "Exit", compileExit},
      {LineForm::Keyword, "Continue", compileContinue},
      {LineForm::Keyword, "Next", compileNext},
      {LineForm::Keyword, "Select", compileSelect},
      {LineForm::Keyword, "Case", compileCase},
      {LineForm::Keyword, "If", compileIf},
      {LineForm::Keyword, "Else", compileElse},
      {LineForm::Keyword, "End", compileEnd},
      {LineForm::Keyword, "GoTo", compileGoTo},
      {LineForm::Keyword, "Data", compileData},
      {LineForm::Keyword, "Print", compilePrint},
      {LineForm::Keyword, "Cls", compileCls},
      {LineForm::Keyword, "Cursor", compileCursor},
      {LineForm::Keyword, "KanjiOn", compileKanjiOn},
      {LineForm::Keyword, "CjkOn", compileKanjiOn},
      {LineForm::Keyword, "KanjiOff", compileKanjiOff},
      {LineForm::Keyword, "CjkOff", compileKanjiOff},
      {LineForm::Keyword, "SetFont", compileSetFont},
      {LineForm::RoutineCall, "", compileRoutineCall},
      {LineForm::Other, "", compileAssignment},
  };
  // clang-format on
  return rows;
}

}  // namespace kelmore
