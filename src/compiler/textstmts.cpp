// Statement compilers that send text and bytes: Data, Print, Cls, Cursor, the double-byte mode, SetFont.
// Layer: compiler (plain C++, no Qt).
#include "compiler/textstmts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/models.h"
#include "common/numbers.h"
#include "common/strings.h"
#include "common/text.h"
#include "compiler/stmt_support.h"
#include "platform/codepage.h"

namespace kelmore {

using stmt::constantByte;
using stmt::evaluate;
using stmt::isVariable;
using stmt::registerByte;
using stmt::textFrom;

namespace {

constexpr int kVariableAsData = 1022;
// The literal buffer counts its bytes in 16 bits, signed: one item holds at most this many.
constexpr std::size_t kMaxItemBytes = 32767;
constexpr std::string_view kQuoteMissing = "'\"' is missing.";
constexpr std::string_view kNotInCodePage = "Character is not in the code page. Line: ";
// The byte a "," of a text item sends, whatever the code page.
constexpr std::array<std::uint8_t, 1> kComma = {0x2C};

// The character sets of the double-byte mode: the words that name each (unused places empty), and its byte.
struct Language {
  std::array<std::string_view, 4> words;
  std::uint8_t byte;
};
constexpr std::array<Language, 4> kLanguages{{
    {{"j", "jis", "sjis"}, 0x00},
    {{"k", "korea", "korean", "hangul"}, 0x01},
    {{"sc", "simplified_chinese", "simplified"}, 0x02},
    {{"tc", "traditional_chinese", "traditional"}, 0x03},
}};

// Display command bytes sent as P# literals.
constexpr std::uint8_t kClearScreen = 0x0C;
constexpr std::array<std::uint8_t, 2> kCursorPosition = {0x1F, 0x24};
// 1F 28 67, an option, its value: the display options. The character set is an option too, whose byte
// depends on the model.
constexpr std::array<std::uint8_t, 3> kDisplayOption = {0x1F, 0x28, 0x67};
constexpr std::uint8_t kFontSizeOption = 0x01;
constexpr std::uint8_t kDoubleByteOption = 0x02;

// The characters after the keyword and its blank.
std::string_view argumentText(const SourceLine& line) {
  return textFrom(line.text, line.words.front().size() + 1);
}

// Items separated by "," outside double quotes; no text gives no item, "," alone two empty ones.
std::vector<std::string_view> splitItems(std::string_view text) {
  std::vector<std::string_view> items;
  if (text.empty()) return items;
  bool inString = false;
  std::size_t from = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '"')
      inString = !inString;
    else if (text[k] == ',' && !inString) {
      items.push_back(trimBlanks(text.substr(from, k - from)));
      from = k + 1;
    }
  }
  items.push_back(trimBlanks(text.substr(from)));
  return items;
}

bool isTextItem(std::string_view item) {
  return !item.empty() && item.front() == '"';
}

// The bytes of a quoted text item in the code page, one piece a run between its commas: a "," of the text
// is an item of its own (the byte 2C), so the bound holds for each run, and each goes out as its own
// instruction. The text ends at its closing quote and nothing may follow it: a character left out or
// dropped would send something else than the source says.
std::vector<std::string> textRuns(MacroCompiler& mc, std::string_view item) {
  const std::size_t close = item.find('"', 1);
  if (close == std::string_view::npos) mc.errorExit(kQuoteMissing, MacroCompiler::Mark::After);
  if (close + 1 != item.size()) mc.expressionExit();
  std::vector<std::string> runs;
  for (const std::string_view run : splitAt(item.substr(1, close - 1), ',')) {
    std::optional<std::string> bytes = platform::toCodePageExact(run);
    if (!bytes) mc.errorExit(std::string(kNotInCodePage) + mc.lineNumber(), MacroCompiler::Mark::After);
    if (bytes->size() > kMaxItemBytes) throw CompileFault("text item longer than 32767 bytes");
    runs.push_back(std::move(*bytes));
  }
  return runs;
}

std::span<const std::uint8_t> asBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// An item that is no text: an empty one is no expression (a stray "," would send a NUL byte).
std::string evaluateItem(MacroCompiler& mc, std::string_view item) {
  if (item.empty()) mc.expressionExit();
  return evaluate(mc, item);
}

// The words after the keyword joined without blanks, in lower case ("8 x16" reads as "8x16").
std::string joinedArgument(const SourceLine& line) {
  std::string joined;
  for (std::size_t k = 1; k < line.words.size(); ++k) joined += line.words[k];
  return toLowerAscii(joined);
}

// The bytes of a display option: 1F 28 67, the option, its value.
std::array<std::uint8_t, 5> displayOption(std::uint8_t option, std::uint8_t value) {
  return {kDisplayOption[0], kDisplayOption[1], kDisplayOption[2], option, value};
}

// One coordinate of Cursor, low byte first. A register value's high byte is computed in the module.
void cursorCoordinate(MacroCompiler& mc, std::string_view text) {
  constexpr std::string_view kHighByte = "_cursor";
  const std::string r = evaluateItem(mc, trimBlanks(text));
  CodeOut& out = mc.codeout;
  if (!isVariable(mc, r)) {
    const auto value = nearestInRange(HensuuLabel::hexVal(r), 0, 65535);
    if (!value) throw CompileFault("cursor position outside 0..65535");
    const std::array<std::uint8_t, 2> bytes = {static_cast<std::uint8_t>(*value % 256),
                                               static_cast<std::uint8_t>(*value / 256)};
    out.code_print(bytes);
    return;
  }
  mc.hensuulabel.addVar(kHighByte);
  out.code_calcReg(kHighByte, r, "=");
  out.code_calcImm(kHighByte, 256, "/");
  const std::array<std::uint8_t, 2> registers = {registerByte(mc, r), registerByte(mc, kHighByte)};
  out.code_printReg(registers);
  mc.hensuulabel.delVar(kHighByte);
}

}  // namespace

void compileData(MacroCompiler& mc, const SourceLine& line) {
  CodeOut& out = mc.codeout;
  const std::size_t start = out.codeText.size();
  for (const std::string_view item : splitItems(argumentText(line))) {
    if (isTextItem(item)) {
      const std::vector<std::string> runs = textRuns(mc, item);
      for (std::size_t k = 0; k < runs.size(); ++k) {
        if (k > 0) out.code_outData(kComma);
        out.code_outData(asBytes(runs[k]));
      }
      continue;
    }
    const std::string r = evaluateItem(mc, item);
    if (isVariable(mc, r)) {
      // Instructions in the middle of a table would be read as its data.
      out.codeText.resize(start);
      mc.errorExit(resString(kVariableAsData), MacroCompiler::Mark::After);
    }
    const std::array<std::uint8_t, 1> byte = {constantByte(r)};
    out.code_outData(byte);
  }
}

void compilePrint(MacroCompiler& mc, const SourceLine& line) {
  CodeOut& out = mc.codeout;
  for (const std::string_view item : splitItems(argumentText(line))) {
    if (isTextItem(item)) {
      const std::vector<std::string> runs = textRuns(mc, item);
      for (std::size_t k = 0; k < runs.size(); ++k) {
        if (k > 0) out.code_print(kComma);
        out.code_print(asBytes(runs[k]));
      }
      continue;
    }
    const std::string r = evaluateItem(mc, item);
    if (isVariable(mc, r)) {
      const std::array<std::uint8_t, 1> reg = {registerByte(mc, r)};
      out.code_printReg(reg);
    } else {
      const std::array<std::uint8_t, 1> byte = {constantByte(r)};
      out.code_print(byte);
    }
  }
}

void compileCls(MacroCompiler& mc, const SourceLine&) {
  const std::array<std::uint8_t, 1> bytes = {kClearScreen};
  mc.codeout.code_print(bytes);
}

void compileCursor(MacroCompiler& mc, const SourceLine& line) {
  const std::vector<std::string_view> items = splitAt(argumentText(line), ',');
  if (items.size() < 2) throw CompileFault("Cursor without y");
  mc.codeout.code_print(kCursorPosition);
  cursorCoordinate(mc, items[0]);
  cursorCoordinate(mc, items[1]);
}

void compileKanjiOn(MacroCompiler& mc, const SourceLine& line) {
  const std::string language = joinedArgument(line);
  std::uint8_t languageByte = kLanguages[0].byte;
  if (!language.empty()) {
    const auto named = std::ranges::find_if(kLanguages, [&language](const Language& l) {
      return std::ranges::find(l.words, std::string_view(language)) != l.words.end();
    });
    if (named == kLanguages.end()) throw CompileFault("unknown character set " + language);
    languageByte = named->byte;
  }
  const std::array<std::uint8_t, 5> on = displayOption(kDoubleByteOption, 0x01);
  const std::array<std::uint8_t, 5> characterSet =
      displayOption(modelInfo(mc.host.modelName()).characterSetCommand, languageByte);
  std::array<std::uint8_t, on.size() + characterSet.size()> bytes{};
  std::ranges::copy(on, bytes.begin());
  std::ranges::copy(characterSet, bytes.begin() + on.size());
  mc.codeout.code_print(bytes);
}

void compileSetFont(MacroCompiler& mc, const SourceLine& line) {
  const std::string size = joinedArgument(line);
  const auto code = fontSizeCode(modelInfo(mc.host.modelName()), size);
  if (!code) throw CompileFault("the model has no font size " + size);
  mc.codeout.code_print(displayOption(kFontSizeOption, *code));
}

void compileKanjiOff(MacroCompiler& mc, const SourceLine&) {
  mc.codeout.code_print(displayOption(kDoubleByteOption, 0x00));
}

}  // namespace kelmore
