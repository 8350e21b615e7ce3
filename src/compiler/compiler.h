// The macro compiler of one compilation: its state, its units and its error exits.
// Layer: compiler (plain C++, no Qt).
//
// A MacroCompiler is created for a host and holds everything of one compilation: the code text and
// emitters (codeout), the symbol tables (hensuulabel) and the compiler-wide state (compiler). Compile()
// resets it, runs the whole compilation and keeps the state for the listing stage to read afterwards.
//
// Statement compilers (see dispatch.h) end a compilation only through the error exits below, which report
// and then throw CompileStop; a failed check throws CompileFault, which the driver reports as the
// unexpected error of the current line. Never catch either of them inside a statement.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "compiler/codeout.h"
#include "compiler/hensuulabel.h"
#include "compiler/host.h"

namespace kelmore {

struct StatementRow;

// A failed explicit check (an index past a table or block stack, a missing word, a value that does not fit
// its field, a division by zero, ...). The message is short and in the system's style.
class CompileFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Thrown by the error exits once the error is reported; deliberately not a std::exception.
struct CompileStop {};

// The routines with a meaning of their own, recognised in any letter case.
enum class RoutineKind { Start, TimerEvent, PortEvent, TouchEvent, Other };
RoutineKind routineKind(std::string_view name);
// The name as the language writes it ("Timer_Event"); empty for Other.
std::string_view routineName(RoutineKind kind);
// Timer_Event, Port_Event and Touch_Event use the event registers V..Z.
bool isEventRoutine(std::string_view name);

// One prepared source line as a statement compiler gets it.
struct SourceLine {
  std::string_view text;                // trimmed, comment cut
  std::vector<std::string_view> words;  // split at every single blank; two blanks give an empty word
  int index = 0;                        // 0-based line index; messages name it as lineNumber() does

  // Word k; CompileFault "missing word" when the line has fewer words.
  std::string_view word(std::size_t k) const;
};

// Compiler-wide state of one compilation (reset by the set-up).
struct CompilerState {
  static constexpr int kBlockLevels = 17;  // levels 0..16 of each block kind
  using LevelArray = std::array<std::int16_t, kBlockLevels>;
  using LineArray = std::array<int, kBlockLevels>;
  // Every count starts at -1: the first block at a level is number 0.
  static constexpr LevelArray kNoBlocks = [] {
    LevelArray a{};
    a.fill(-1);
    return a;
  }();
  static constexpr LineArray kNoLines = [] {
    LineArray a{};
    a.fill(-1);
    return a;
  }();

  std::string currentScope = "global";
  std::int16_t wideMode = 0;
  std::int32_t markStart = 0;
  std::int32_t markEnd = 0;

  std::int16_t ifDepth = -1;
  std::int16_t forDepth = -1;
  std::int16_t selectDepth = -1;
  LevelArray ifCount = kNoBlocks;
  LevelArray forCount = kNoBlocks;
  LevelArray selectCount = kNoBlocks;
  LevelArray caseCount = kNoBlocks;
  std::array<std::string, kBlockLevels> selector;

  // The line that opened each open block and the open routine's head (-1: none); kept by the driver for
  // the open-block report.
  LineArray ifLine = kNoLines;
  LineArray forLine = kNoLines;
  LineArray selectLine = kNoLines;
  int routineLine = -1;

  // The current line index (-1 outside the passes).
  int lineIndex = -1;

  void reset();
  // Entry `level` of a level array; CompileFault for a level outside 0..16.
  static std::int16_t& at(LevelArray& array, int level);
  static void checkLevel(int level);
};

class MacroCompiler {
 public:
  explicit MacroCompiler(CompilerHost& host);
  MacroCompiler(const MacroCompiler&) = delete;
  MacroCompiler& operator=(const MacroCompiler&) = delete;

  // Compiles the host's source for the host's model. True when the code text, the views and the lists are
  // complete; false after the error was reported. Never throws.
  bool Compile();

  // The statements the code pass dispatches to: statementTable() unless a test brings its own rows.
  void setStatementTable(const StatementRow* rows, std::size_t count);

  // Selects source line `line`, colours it red and focuses the editor.
  void markErrorLine(int line);

  // The current line as every message and log line names it: the editor's line number, counted from 1 as
  // its Row box counts, while the line index and the mark stay 0-based.
  std::string lineNumber() const;

  // --- error exits (each reports, then throws CompileStop) ---
  enum class Mark { None, Before, After };
  // Message box with `text` (unless showBox is false), log "error:" + text, and the line mark when asked.
  [[noreturn]] void errorExit(std::string_view text, Mark mark, bool showBox = true);
  // "Expression error Line: " + the current line number, with box, log line and mark.
  [[noreturn]] void expressionExit();
  // Log "<line number>: This line cause unexpected error. Compile is disturbed.", mark, show the close
  // button.
  [[noreturn]] void unexpectedExit();
  // A statement the model lacks: box "'<keyword>'  is not ready.", then the unexpected-error exit.
  [[noreturn]] void notReadyExit(std::string_view keyword);
  // An image label the image list does not hold: log "<line number>Row has undefiened Image Label. Compile is
  // aborted." and mark the line; no box.
  [[noreturn]] void undefinedImageExit();

  CompilerHost& host;
  CompilerState compiler;
  HensuuLabel hensuulabel;
  CodeOut codeout;

 private:
  void setUp();
  std::vector<std::string> prepareLines();
  void structurePass(std::vector<std::string>& lines);
  // A routine head "Sub name(parameters)": the routine's scope, its entry label, its parameters and its
  // row in the routine table. `firstRoutine`: no Sub line came before, so the routine must be Start.
  void parseSubHeader(std::string_view line, bool firstRoutine);
  // Declares each parameter of `routine` as a variable of its scope, in order; returns the list as the
  // routine table keeps it, joined by "," without blanks.
  std::string declareParameters(std::string_view routine, std::string_view paramText);
  void codePass(const std::vector<std::string>& lines);
  // After the code pass: the register tip, the open-block checks, the optimiser passes and the label fix-up.
  void finishCode();
  void checkOpenBlocks();
  void labelFixUp();
  // The finished code shown: the code view with the caret line's code in red, the address box, the counts
  // and the three lists; the editor's selection comes back.
  void showResults();
  void fillLists();
  void progress(int value, int lastLine);
  [[noreturn]] void faultAfterPass(std::string_view message);

  const StatementRow* rows_ = nullptr;
  std::size_t rowCount_ = 0;
  int caretLine_ = 0;
  // The source's lines as the editor's load message counts them: a line end after the last line adds none.
  std::size_t sourceLines_ = 0;
  bool markFlag_ = false;
};

}  // namespace kelmore
