// Compiler driver: set-up, line preparation, structure pass, code pass, fix-up and summary.
// Layer: compiler (plain C++, no Qt).
#include "compiler/compiler.h"

#include <algorithm>
#include <unordered_set>

#include "common/codetext.h"
#include "common/numbers.h"
#include "common/strings.h"
#include "compiler/dispatch.h"
#include "compiler/instructions.h"
#include "compiler/optimizer.h"
#include "compiler/stmt_support.h"

namespace kelmore {
namespace {

// The string table's texts the driver uses.
constexpr int kResCanNotBeFound = 1014;        // " can not be found."
constexpr int kResStartFirst = 1018;           // "Please start with 'Stear().'"
constexpr int kResLabelUnderscore = 1019;      // "Label cannot start with '_'."
constexpr int kResExpressionError = 1027;      // "Expression error Line: "
constexpr int kResLabel = 1028;                // "Label"
constexpr int kResEndIfMissing = 1029;         // "' End if' is missing."
constexpr int kResParenthesesRequired = 1031;  // "'()' is required, even if it's no argument."
constexpr int kResUnexpectedError = 1032;      // ": This line cause unexpected error. Compile is disturbed."
constexpr int kResUndefinedImage = 1039;       // "Row has undefiened Image Label. Compile is aborted."
constexpr int kResDuplicateLabel = 1071;       // "Duplication Label."
constexpr int kResLogStructure = 2001;         // "Structure analysis Phase."
constexpr int kResLogLabelsAssigned = 2002;    // "Assign Label address.... OK."
constexpr int kResLogCodeGeneration = 2009;    // "Intermittent code generating Phase."

// Line indexes and counts are 16-bit: line 32767 is the last a source may have.
constexpr int kMaxLineIndex = 32767;
constexpr std::string_view kTooManyLines = "Source has more than 32768 lines. Compile is aborted.";
constexpr std::string_view kNextMissing = "'Next' is missing.";
constexpr std::string_view kEndSelectMissing = "'End Select' is missing.";
constexpr std::string_view kEndSubMissing = "'End Sub' is missing.";
// Logged after "error:" when the code text holds an "L" that starts no label token.
constexpr const char* kBrokenToken = "Label token is broken.";
// About 64 progress updates per pass, whatever the length of the source.
constexpr int kProgressSteps = 64;
constexpr std::size_t kFlashBlockBytes = 4096;

std::string str(std::string_view v) {
  return std::string(v);
}

// The routines with a meaning of their own, as the language writes their names.
struct NamedRoutine {
  RoutineKind kind;
  std::string_view name;
};
constexpr NamedRoutine kNamedRoutines[] = {{RoutineKind::Start, "Start"},
                                           {RoutineKind::TimerEvent, "Timer_Event"},
                                           {RoutineKind::PortEvent, "Port_Event"},
                                           {RoutineKind::TouchEvent, "Touch_Event"}};

// Cuts the comment off a prepared line: from the first "'" outside double quotes.
void cutComment(std::string& line) {
  bool inString = false;
  for (std::size_t k = 0; k < line.size(); ++k) {
    if (line[k] == '"') inString = !inString;
    if (line[k] == '\'' && !inString) {
      line.resize(k);
      break;
    }
  }
  // A trailing comment never changes the code before it: the cut line is trimmed again.
  line.resize(trimBlanks(line).empty() ? 0 : line.find_last_not_of(' ') + 1);
}

}  // namespace

RoutineKind routineKind(std::string_view name) {
  const std::string lower = toLowerAscii(name);
  for (const NamedRoutine& routine : kNamedRoutines)
    if (lower == toLowerAscii(routine.name)) return routine.kind;
  return RoutineKind::Other;
}

std::string_view routineName(RoutineKind kind) {
  for (const NamedRoutine& routine : kNamedRoutines)
    if (routine.kind == kind) return routine.name;
  return {};
}

bool isEventRoutine(std::string_view name) {
  const RoutineKind kind = routineKind(name);
  return kind == RoutineKind::TimerEvent || kind == RoutineKind::PortEvent || kind == RoutineKind::TouchEvent;
}

std::string_view SourceLine::word(std::size_t k) const {
  if (k >= words.size()) throw CompileFault("missing word");
  return words[k];
}

void CompilerState::reset() {
  *this = CompilerState{};
}

void CompilerState::checkLevel(int level) {
  if (level < 0 || level >= kBlockLevels) throw CompileFault("block nesting out of range");
}

std::int16_t& CompilerState::at(LevelArray& array, int level) {
  checkLevel(level);
  return array[static_cast<std::size_t>(level)];
}

MacroCompiler::MacroCompiler(CompilerHost& h) : host(h), hensuulabel(*this), codeout(*this) {
  const auto table = statementTable();
  rows_ = table.data();
  rowCount_ = table.size();
}

void MacroCompiler::setStatementTable(const StatementRow* rows, std::size_t count) {
  rows_ = rows;
  rowCount_ = count;
}

void MacroCompiler::markErrorLine(int line) {
  host.markLine(line);
}

std::string MacroCompiler::lineNumber() const {
  return std::to_string(compiler.lineIndex + 1);
}

void MacroCompiler::errorExit(std::string_view text, Mark mark, bool showBox) {
  const bool haveLine = compiler.lineIndex >= 0;
  if (mark == Mark::Before && haveLine) markErrorLine(compiler.lineIndex);
  if (showBox) host.messageBox(text);
  host.addlog("error:" + str(text), LogKind::Error);
  if (mark == Mark::After && haveLine) markErrorLine(compiler.lineIndex);
  throw CompileStop{};
}

void MacroCompiler::expressionExit() {
  errorExit(str(resString(kResExpressionError)) + lineNumber(), Mark::After);
}

void MacroCompiler::unexpectedExit() {
  host.addlog(lineNumber() + str(resString(kResUnexpectedError)), LogKind::Error);
  if (compiler.lineIndex >= 0) markErrorLine(compiler.lineIndex);
  host.setCloseVisible(true);
  throw CompileStop{};
}

void MacroCompiler::notReadyExit(std::string_view keyword) {
  host.messageBox(stmt::notReady(keyword));
  unexpectedExit();
}

void MacroCompiler::undefinedImageExit() {
  host.addlog(lineNumber() + str(resString(kResUndefinedImage)), LogKind::Error);
  if (compiler.lineIndex >= 0) markErrorLine(compiler.lineIndex);
  throw CompileStop{};
}

void MacroCompiler::faultAfterPass(std::string_view message) {
  host.addlog("error:" + str(message), LogKind::Error);
  host.setCloseVisible(true);
  throw CompileStop{};
}

void MacroCompiler::progress(int value, int lastLine) {
  const int step = std::max(1, (lastLine + 1) / kProgressSteps);
  if (value % step == 0 || value == lastLine) host.setProgressValue(static_cast<float>(value));
}

bool MacroCompiler::Compile() {
  try {
    std::vector<std::string> lines;
    try {
      setUp();
      lines = prepareLines();
      structurePass(lines);
      codePass(lines);
    } catch (const std::exception& fault) {
      if (compiler.lineIndex >= 0) unexpectedExit();
      faultAfterPass(fault.what());
    }
    compiler.lineIndex = -1;
    try {
      finishCode();
      showResults();
    } catch (const std::exception& fault) {
      faultAfterPass(fault.what());
    }
    return true;
  } catch (const CompileStop&) {
    return false;
  }
}

void MacroCompiler::setUp() {
  host.clearLog();
  compiler.reset();
  host.refreshWindow();
  hensuulabel.hensuuInit();
  compiler.currentScope = "global";
  host.saveSelection();
  // Nothing of an earlier compile stays in view while this one runs or after it fails.
  codeout.codeText.clear();
  host.setCodeText("");
  host.setAddressText("");
  host.clearList(CompilerList::Variables);
  host.clearList(CompilerList::Routines);
  host.clearList(CompilerList::Labels);
  caretLine_ = host.caretLine();
  markFlag_ = false;
}

std::vector<std::string> MacroCompiler::prepareLines() {
  std::string text = host.sourceText();
  std::replace(text.begin(), text.end(), '\t', ' ');
  std::vector<std::string> lines;
  if (!text.empty()) {
    for (std::string_view line : splitLines(text)) lines.emplace_back(trimBlanks(line));
  }
  const bool endsInLineEnd = !text.empty() && (text.back() == '\r' || text.back() == '\n');
  sourceLines_ = lines.size() - (endsInLineEnd ? 1 : 0);
  if (static_cast<long>(lines.size()) - 1 > kMaxLineIndex) errorExit(kTooManyLines, Mark::None);
  host.addlog(resString(kResLogStructure), LogKind::Phase);
  const int lastLine = static_cast<int>(lines.size()) - 1;
  if (lastLine > 0) host.setProgressMax(static_cast<float>(lastLine));
  return lines;
}

void MacroCompiler::structurePass(std::vector<std::string>& lines) {
  hensuulabel.stdHighWater = -1;
  hensuulabel.intHighWater = -1;
  hensuulabel.tableOverflow = false;
  int routineCount = 0;
  int userLabelCount = 0;
  bool firstRoutine = true;
  const int lastLine = static_cast<int>(lines.size()) - 1;

  for (int i = 0; i <= lastLine; ++i) {
    compiler.lineIndex = i;
    progress(i, lastLine);
    std::string& line = lines[static_cast<std::size_t>(i)];
    cutComment(line);
    if (line.empty()) continue;

    const auto words = splitWords(line);
    const std::string_view word0 = words.front();
    if (word0 == "Sub") {
      parseSubHeader(line, firstRoutine);
      firstRoutine = false;
      ++routineCount;
    } else if (!word0.empty() && word0.back() == ':') {
      if (word0.front() == '_') errorExit(resString(kResLabelUnderscore), Mark::After, false);
      const std::string_view name = word0.substr(0, word0.size() - 1);
      if (name.empty()) errorExit(resString(kResParenthesesRequired), Mark::Before);
      if (hensuulabel.getLabelToken(name) != kNo)
        errorExit(resString(kResDuplicateLabel), Mark::After, false);
      hensuulabel.setLabel(name, codeout.addressText());
      ++userLabelCount;
    }
    // An overflow is reported at the line that caused it.
    if (hensuulabel.tableOverflow) unexpectedExit();
  }
  compiler.lineIndex = -1;
  host.addlog("Number of procedure." + std::to_string(routineCount), LogKind::Phase);
  host.addlog("Number of user labels." + std::to_string(userLabelCount), LogKind::Phase);
  host.addlog(resString(kResLogCodeGeneration), LogKind::Phase);
}

void MacroCompiler::parseSubHeader(std::string_view line, bool firstRoutine) {
  const std::string_view rest = line.substr(std::min<std::size_t>(4, line.size()));
  const std::size_t open = rest.find('(');
  const std::size_t close = rest.find(')');
  const bool shaped = open != std::string_view::npos && open >= 1 && close != std::string_view::npos &&
                      close >= 2 && close > open;
  const std::string_view name = shaped ? trimBlanks(rest.substr(0, open)) : std::string_view();
  if (name.empty()) errorExit(resString(kResParenthesesRequired), Mark::Before);
  compiler.currentScope = std::string(name);
  if (firstRoutine && toLowerAscii(name) != "start") errorExit(resString(kResStartFirst), Mark::Before);
  // A user label of the routine's name would be moved to the routine's entry without a word.
  if (hensuulabel.getLabelToken(name) != kNo && hensuulabel.getRoutineName(name) == kNo)
    errorExit(resString(kResDuplicateLabel), Mark::After, false);
  hensuulabel.addLabel(name);

  const std::string params = declareParameters(name, rest.substr(open + 1, close - open - 1));
  // A second routine of the same name would leave two entry points for one call.
  const bool known = hensuulabel.getRoutineName(name) != kNo;
  hensuulabel.addRoutine(name);
  if (known) errorExit("routine exist!", Mark::After, false);
  hensuulabel.setRoutine(name, params);
}

std::string MacroCompiler::declareParameters(std::string_view routine, std::string_view paramText) {
  std::string params;
  // "( )" has no parameter, the same as "()": no register goes to a nameless variable.
  if (trimBlanks(paramText).empty()) return params;
  std::unordered_set<std::string> seen;
  for (const std::string_view text : splitAt(paramText, ',')) {
    const std::string_view piece = trimBlanks(text);
    // Every parameter needs a name of its own.
    if (piece.empty() || !seen.insert(toLowerAscii(piece)).second)
      errorExit(resString(kResParenthesesRequired), Mark::Before);
    if (!params.empty()) params += ',';
    params += piece;
    hensuulabel.addVar(std::string(routine) + "::" + std::string(piece));
  }
  return params;
}

void MacroCompiler::codePass(const std::vector<std::string>& lines) {
  const int lastLine = static_cast<int>(lines.size()) - 1;
  if (lastLine > 0) host.setProgressMax(static_cast<float>(lastLine));
  codeout.codeText.reserve(codeout.codeText.size() + lines.size() * 24 + kPreamble.size());
  codeout.codeText += kPreamble;
  compiler.currentScope = "global";

  for (int i = 0; i <= lastLine; ++i) {
    compiler.lineIndex = i;
    progress(i, lastLine);
    if (i == caretLine_) {
      compiler.markStart = static_cast<std::int32_t>(codeout.codeText.size());
      markFlag_ = true;
    } else if (markFlag_) {
      compiler.markEnd = static_cast<std::int32_t>(codeout.codeText.size());
      markFlag_ = false;
    }
    const std::string& text = lines[static_cast<std::size_t>(i)];
    if (!text.empty()) {
      SourceLine line{text, splitWords(text), i};
      if (line.words.front() == "Sub" && compiler.currentScope != "global") {
        compiler.lineIndex = compiler.routineLine;
        errorExit(kEndSubMissing, Mark::After);
      }
      const std::int16_t ifBefore = compiler.ifDepth;
      const std::int16_t forBefore = compiler.forDepth;
      const std::int16_t selectBefore = compiler.selectDepth;
      const bool globalBefore = compiler.currentScope == "global";

      const StatementRow* row = nullptr;
      for (std::size_t r = 0; r < rowCount_ && !row; ++r)
        if (rowMatches(rows_[r], line, *this)) row = &rows_[r];
      if (!row) throw CompileFault("no statement for this line");
      row->compile(*this, line);

      auto opened = [i](std::int16_t before, std::int16_t after,
                        std::array<int, CompilerState::kBlockLevels>& at) {
        if (after > before && after >= 0 && after < CompilerState::kBlockLevels)
          at[static_cast<std::size_t>(after)] = i;
      };
      opened(ifBefore, compiler.ifDepth, compiler.ifLine);
      opened(forBefore, compiler.forDepth, compiler.forLine);
      opened(selectBefore, compiler.selectDepth, compiler.selectLine);
      if (globalBefore && compiler.currentScope != "global") compiler.routineLine = i;
    }
    if (hensuulabel.tableOverflow) unexpectedExit();
  }
  // The caret on the last line: its code runs to the end, and the optimiser keeps that end in step.
  if (markFlag_) compiler.markEnd = static_cast<std::int32_t>(codeout.codeText.size());
  compiler.lineIndex = -1;
}

void MacroCompiler::checkOpenBlocks() {
  auto report = [this](std::string_view text, int line) {
    compiler.lineIndex = line;
    errorExit(text, Mark::After);
  };
  auto openedAt = [](const std::array<int, CompilerState::kBlockLevels>& lines, std::int16_t depth) {
    return depth >= 0 && depth < CompilerState::kBlockLevels ? lines[static_cast<std::size_t>(depth)] : -1;
  };
  if (compiler.ifDepth != -1)
    report(resString(kResEndIfMissing), openedAt(compiler.ifLine, compiler.ifDepth));
  if (compiler.forDepth != -1) report(kNextMissing, openedAt(compiler.forLine, compiler.forDepth));
  if (compiler.selectDepth != -1)
    report(kEndSelectMissing, openedAt(compiler.selectLine, compiler.selectDepth));
  if (compiler.currentScope != "global") report(kEndSubMissing, compiler.routineLine);
}

void MacroCompiler::labelFixUp() {
  std::string& code = codeout.codeText;
  const auto& names = hensuulabel.labelName();
  const auto& addresses = hensuulabel.labelAddress();
  int undefinedSlot = -1;
  // The token mark never occurs in hex digits or separators, so one scan finds every token.
  for (std::size_t pos = code.find(kLabelTokenMark); pos != std::string::npos;
       pos = code.find(kLabelTokenMark, pos + 1)) {
    const auto token = parseLabelToken(std::string_view(code).substr(pos));
    if (pos % kCellChars != 0 || !token) throw CompileFault(kBrokenToken);
    const std::string& address = addresses[static_cast<std::size_t>(token->slot)];
    if (address.empty()) {
      if (undefinedSlot < 0 || token->slot < undefinedSlot) undefinedSlot = token->slot;
      continue;
    }
    const auto target = static_cast<long>(roundHalfEven(HensuuLabel::hexVal("&h" + address)));
    // A relative field counts from the byte after it, which ends its instruction.
    const long base = token->absolute ? 0 : static_cast<long>(byteAddress(pos + kLabelTokenChars));
    writeField16(code, pos, static_cast<std::uint16_t>(static_cast<std::uint32_t>(target - base) & 0xFFFF));
  }
  if (undefinedSlot >= 0) {
    const std::string message = str(resString(kResLabel)) + " " +
                                names[static_cast<std::size_t>(undefinedSlot)] +
                                str(resString(kResCanNotBeFound));
    host.messageBox(message);
    host.addlog("error:" + message, LogKind::Error);
    throw CompileStop{};
  }
}

void MacroCompiler::finishCode() {
  // The registers the passes handed out, shown even when a check of the finished code then fails.
  std::string tip;
  if (hensuulabel.stdHighWater >= 0)
    tip = "A - " + std::string(1, static_cast<char>('A' + hensuulabel.stdHighWater)) + " ,   ";
  if (hensuulabel.intHighWater >= 0)
    tip += "V - " + std::string(1, static_cast<char>('V' + hensuulabel.intHighWater));
  tip += " used.";
  host.setListToolTip(CompilerList::Variables, tip);

  checkOpenBlocks();

  optimizer::optimizePrintConst(*this);
  optimizer::optimizePrintReg(*this);
  optimizer::optimizeIf(*this);

  labelFixUp();
  host.addlog(resString(kResLogLabelsAssigned), LogKind::Phase);
}

void MacroCompiler::showResults() {
  const std::string& code = codeout.codeText;
  host.setCodeText(code);
  if (markFlag_) compiler.markEnd = static_cast<std::int32_t>(code.size());
  host.colourCode(0, code.size(), kBlack);
  const auto markStart =
      static_cast<std::size_t>(std::clamp<std::int32_t>(compiler.markStart, 0, code.size()));
  const auto markEnd = static_cast<std::size_t>(std::clamp<std::int32_t>(compiler.markEnd, 0, code.size()));
  if (markEnd > markStart) host.colourCode(markStart, markEnd - markStart, kRed);

  const std::size_t lastAddress = code.empty() ? 0 : byteAddress(code.size() - 1);
  const std::string lastAddressText = hexUpper(lastAddress, 4);
  host.setAddressText("Add: " + lastAddressText);
  host.addlog("Number of line of source code." + std::to_string(sourceLines_), LogKind::Phase);
  host.addlog("Number of generated code." + lastAddressText, LogKind::Phase);
  if (host.targetArea() != 0)
    host.addlog("Macro:" + std::to_string(lastAddress / kFlashBlockBytes + 1) + " block", LogKind::Phase);

  fillLists();
  host.restoreSelection();
  host.setCodeVisible(true);
}

void MacroCompiler::fillLists() {
  for (int s = 0; s < HensuuLabel::kStdRegs; ++s)
    host.addListItem(CompilerList::Variables, hensuulabel.stdRegName()[s], hensuulabel.stdRegBinding()[s],
                     "");
  for (int s = 0; s < HensuuLabel::kIntRegs; ++s)
    host.addListItem(CompilerList::Variables, hensuulabel.intRegName()[s], hensuulabel.intRegBinding()[s],
                     "");
  for (std::size_t s = 0; s < hensuulabel.sysVarCode().size(); ++s)
    host.addListItem(CompilerList::Variables, hensuulabel.sysVarCode()[s], hensuulabel.sysVarName()[s], "");
  host.addListItem(CompilerList::Variables, "end", "", "");

  for (int s = 0; s < HensuuLabel::kLabels; ++s) {
    const auto slot = static_cast<std::size_t>(s);
    if (hensuulabel.labelAddress()[slot].empty()) {
      host.setListToolTip(CompilerList::Labels, std::to_string(s) + " labels used.");
      break;
    }
    host.addListItem(CompilerList::Labels, hensuulabel.labelToken()[slot], hensuulabel.labelName()[slot],
                     hensuulabel.labelAddress()[slot]);
  }
  host.addListItem(CompilerList::Labels, "end", "", "");

  for (int s = 0; s < HensuuLabel::kRoutines; ++s) {
    const auto slot = static_cast<std::size_t>(s);
    if (hensuulabel.routineName()[slot].empty()) {
      host.setListToolTip(CompilerList::Routines, std::to_string(s) + " Routines used.");
      break;
    }
    host.addListItem(CompilerList::Routines, hensuulabel.routineName()[slot],
                     hensuulabel.routineParams()[slot], "");
  }
}

}  // namespace kelmore
