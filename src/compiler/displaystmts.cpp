// Statement compilers for display-module commands: windows, effects, drawing, CopyBmp and PortDirection.
// Layer: compiler (plain C++, no Qt).
#include "compiler/displaystmts.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/strings.h"
#include "common/text.h"
#include "compiler/modelgate.h"
#include "compiler/stmt_support.h"

namespace kelmore {

using stmt::evaluate;
using stmt::isVariable;
using stmt::textFrom;

namespace {

// One field of a command after its head, in wire order.
enum class FieldKind : std::uint8_t {
  Byte,      // argument `index`, one byte
  Word,      // argument `index`, two bytes low first
  Literal,   // the byte `value`
  LineMode,  // Line's sixth argument: none 00, "b" 01, "bf" 02, else one byte
};
constexpr int kRequired = -1;

struct CommandField {
  FieldKind kind;
  std::uint8_t index = 0;
  int value = kRequired;  // the default of an optional argument, the byte of a literal
};

constexpr CommandField byteArg(std::uint8_t index, int defaultValue = kRequired) {
  return {FieldKind::Byte, index, defaultValue};
}
constexpr CommandField wordArg(std::uint8_t index) {
  return {FieldKind::Word, index, kRequired};
}
constexpr CommandField literal(int value) {
  return {FieldKind::Literal, 0, value};
}
constexpr CommandField kLineMode{FieldKind::LineMode, 5, 0};

struct DisplayCommand {
  std::string_view keyword;
  std::optional<ModelGate> gate;
  std::string_view head;  // hex byte template
  std::vector<CommandField> fields;
};

const std::vector<DisplayCommand>& displayCommands() {
  static const std::vector<DisplayCommand> commands = {
      {"SetFocusWin", std::nullopt, "1F,28,77,01", {byteArg(0)}},
      {"SetUsrWin",
       std::nullopt,
       "1F,28,77,02",
       {byteArg(0), literal(0x01), wordArg(1), wordArg(2), wordArg(3), wordArg(4)}},
      {"Scroll", std::nullopt, "1F,28,61,10", {wordArg(0), wordArg(1), byteArg(2, 0x01)}},
      // The command takes the repetition, written first, last.
      {"Blink",
       std::nullopt,
       "1F,28,61,11",
       {byteArg(1, 0x01), byteArg(2, 0x0A), byteArg(3, 0x0A), byteArg(0, 0x0A)}},
      {"Curtain", ModelGate::Drawing, "1F,28,61,12", {byteArg(0, 0x03), byteArg(1, 0x01), byteArg(2, 0xFF)}},
      {"Spring", ModelGate::Drawing, "1F,28,61,13", {byteArg(0, 0x02), byteArg(1, 0x01), wordArg(2)}},
      {"Random", ModelGate::Drawing, "1F,28,61,14", {byteArg(0, 0x01), wordArg(1)}},
      {"Line",
       ModelGate::Drawing,
       "1F,28,64,11",
       {kLineMode, byteArg(4, 0x01), wordArg(0), wordArg(1), wordArg(2), wordArg(3)}},
      {"Pset", ModelGate::Drawing, "1F,28,64,10", {byteArg(2, 0x01), wordArg(0), wordArg(1)}},
  };
  return commands;
}

// An emitter's error word ends the statement; the expression compiler has already said why.
void require(MacroCompiler& mc, std::string_view answer) {
  if (answer != kEmitOk) mc.unexpectedExit();
}

void printBytes(MacroCompiler& mc, std::initializer_list<std::uint8_t> bytes) {
  mc.codeout.code_print(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

void printRegisters(MacroCompiler& mc, std::initializer_list<std::string_view> vars) {
  std::vector<std::uint8_t> codes;
  for (std::string_view var : vars) {
    const std::string reg = mc.hensuulabel.getVarReg(var);
    if (reg == kNo) throw CompileFault("variable has no register");
    codes.push_back(static_cast<std::uint8_t>(reg.front()));
  }
  mc.codeout.code_printReg(codes);
}

void emitField(MacroCompiler& mc, std::span<const std::string_view> args, const CommandField& field) {
  CodeOut& out = mc.codeout;
  switch (field.kind) {
    case FieldKind::Byte:
      require(mc, field.value == kRequired ? out.code_hiki1(args, field.index)
                                           : out.code_hiki1s(args, field.index, field.value));
      return;
    case FieldKind::Word:
      require(mc, out.code_hiki2(args, field.index));
      return;
    case FieldKind::Literal:
      printBytes(mc, {static_cast<std::uint8_t>(field.value)});
      return;
    case FieldKind::LineMode: {
      const std::string mode = toLowerAscii(argumentAt(args, field.index));
      if (mode == "b")
        printBytes(mc, {0x01});
      else if (mode == "bf")
        printBytes(mc, {0x02});
      else
        require(mc, out.code_hiki1s(args, field.index, field.value));
      return;
    }
  }
}

// The text after the keyword and its blank, split at ",".
std::vector<std::string_view> argumentList(const SourceLine& line) {
  return splitAt(textFrom(line.text, line.words[0].size() + 1), ',');
}

// --- CopyBmp ---

constexpr std::array<std::uint8_t, 4> kCopyHead{0x1F, 0x28, 0x66, 0x10};

struct CopyMemory {
  std::string_view text;  // lower case
  std::uint8_t code;      // RAM 00, FROM 01, VRAM 02
  bool direct;            // also a first argument of the direct form
};
constexpr std::array<CopyMemory, 9> kCopyMemories{{
    {"ram", 0x00, true},
    {"from", 0x01, true},
    {"vram", 0x02, true},
    {"f 0", 0x01, false},
    {"f 1-4", 0x01, false},
    {"f 1", 0x01, false},
    {"f 2", 0x01, false},
    {"f 3", 0x01, false},
    {"f 4", 0x01, false},
}};

const CopyMemory* copyMemory(std::string_view lowerText) {
  for (const CopyMemory& m : kCopyMemories)
    if (m.text == lowerText) return &m;
  return nullptr;
}

void copyHead(MacroCompiler& mc, std::uint8_t memory) {
  printBytes(mc, {kCopyHead[0], kCopyHead[1], kCopyHead[2], kCopyHead[3], memory});
}

void printWord(MacroCompiler& mc, std::uint16_t value) {
  printBytes(mc, {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)});
}

// memory, segment, offset, width, height, [y]: the 24-bit address segment * 256 + offset is built in
// registers and sent as three register bytes, low first.
void copyDirect(MacroCompiler& mc, std::span<const std::string_view> args, std::uint8_t memory) {
  constexpr std::string_view kSegment = "_copybmp";
  constexpr std::array<std::string_view, 3> kAddress{"_copybmp0", "_copybmp1", "_copybmp2"};
  CodeOut& out = mc.codeout;
  copyHead(mc, memory);

  const std::string segment = evaluate(mc, requiredArgument(args, 1));
  mc.hensuulabel.addVar(kSegment);
  if (isVariable(mc, segment))
    out.code_calcReg(kSegment, segment, "=");
  else
    out.code_calcImm(kSegment, wordField(segment), "=");
  const std::string offset = evaluate(mc, requiredArgument(args, 2));
  for (std::string_view name : kAddress) mc.hensuulabel.addVar(name);
  std::string_view low = kAddress[0];
  if (isVariable(mc, offset)) {
    out.code_calcReg(kAddress[1], offset, "=");
    out.code_calcImm(kAddress[1], 256, "/");
    low = offset;
  } else {
    const std::uint16_t value = wordField(offset);
    out.code_calcImm(kAddress[0], value % 256, "=");
    out.code_calcImm(kAddress[1], value / 256, "=");
  }
  out.code_calcReg(kAddress[1], kSegment, "+");
  out.code_calcReg(kAddress[2], kAddress[1], "=");
  out.code_calcImm(kAddress[2], 256, "/");
  printRegisters(mc, {low, kAddress[1], kAddress[2]});
  for (std::string_view name : kAddress) mc.hensuulabel.delVar(name);

  // Without y the image goes to the height's row: the height's own value, a register sent again.
  require(mc, out.code_hiki2(args, argumentAt(args, 5).empty() ? 4 : 5));
  require(mc, out.code_hiki2(args, 3));
  require(mc, out.code_hiki2(args, 4));
  printBytes(mc, {0x01});
}

// An image of the image tool's list by its label: its memory, address, page and size as literal bytes.
void copyImage(MacroCompiler& mc, std::string_view label) {
  const ImageListView& images = mc.host.images();
  const int count = images.imgCount();
  for (int i = 0; i < count; ++i) {
    const ImageEntry image = images.image(i);
    if (image.imgLabel != label) continue;
    const CopyMemory* memory = copyMemory(toLowerAscii(image.imgMemory));
    if (!memory) throw CompileFault("image memory area cannot be copied");
    if (image.imgAddress < 0 || image.imgAddress > 0xFFFF) throw CompileFault("image address out of range");
    if (image.imgPage < 0 || image.imgPage > 0xFF) throw CompileFault("image page out of range");
    copyHead(mc, memory->code);
    printBytes(mc,
               {static_cast<std::uint8_t>(image.imgAddress & 0xFF),
                static_cast<std::uint8_t>(image.imgAddress >> 8), static_cast<std::uint8_t>(image.imgPage)});
    // The module counts rows of 8 dots.
    const auto rows = static_cast<std::uint16_t>(image.imgY / 8);
    printWord(mc, rows);
    printWord(mc, static_cast<std::uint16_t>(image.imgX));
    printWord(mc, rows);
    printBytes(mc, {0x01});
    return;
  }
  mc.undefinedImageExit();
}

// --- PortDirection ---

struct PortRow {
  std::string_view text;
  std::uint8_t port;
  bool upper;  // only where the model has ports 2 and 3
};
constexpr std::array<PortRow, 4> kPorts{{{"0", 0, false}, {"1", 1, false}, {"2", 2, true}, {"3", 3, true}}};
constexpr std::array<std::uint8_t, 4> kPortHead{0x1F, 0x28, 0x70, 0x01};
constexpr std::size_t kPatternChars = 10;  // a quote, eight of "i" / "o", a quote

[[noreturn]] void badPattern(MacroCompiler& mc) {
  const std::string text =
      std::string(resString(1020)) + "\r\n" + std::string(resString(1021)) + " PortDirection \"iiiioooo\"";
  mc.errorExit(text, MacroCompiler::Mark::After);
}

std::uint8_t patternMask(MacroCompiler& mc, std::string_view pattern) {
  if (pattern.size() != kPatternChars) badPattern(mc);
  std::uint8_t mask = 0;
  for (std::size_t bit = 0; bit < 8; ++bit) {
    const std::string c = toLowerAscii(pattern.substr(bit + 1, 1));
    if (c == "o")
      mask = static_cast<std::uint8_t>(mask | (0x80 >> bit));
    else if (c != "i")
      badPattern(mc);
  }
  return mask;
}

}  // namespace

void compileDisplayCommand(MacroCompiler& mc, const SourceLine& line) {
  const DisplayCommand* command = nullptr;
  for (const DisplayCommand& c : displayCommands())
    if (c.keyword == line.words[0]) command = &c;
  if (!command) throw CompileFault("no display command of this name");
  if (command->gate) requireModel(mc, *command->gate, command->keyword);
  const std::vector<std::string_view> args = argumentList(line);
  mc.codeout.code_printHex(command->head);
  for (const CommandField& field : command->fields) emitField(mc, args, field);
}

void compileCopyBmp(MacroCompiler& mc, const SourceLine& line) {
  const std::vector<std::string_view> args = argumentList(line);
  const std::string_view first = requiredArgument(args, 0);
  const CopyMemory* memory = copyMemory(toLowerAscii(first));
  if (memory && memory->direct)
    copyDirect(mc, args, memory->code);
  else
    copyImage(mc, first);
}

void compilePortDirection(MacroCompiler& mc, const SourceLine& line) {
  std::string_view io = trimBlanks(textFrom(line.text, line.words[0].size() + 1));
  std::uint8_t port = 0;
  const std::size_t comma = io.find(',');
  if (comma != std::string_view::npos) {
    // The whole port text names the port: "10" or "1x" is no port 1.
    const std::string_view portText = trimBlanks(io.substr(0, comma));
    const PortRow* row = nullptr;
    for (const PortRow& p : kPorts)
      if (p.text == portText) row = &p;
    if (!row || (row->upper && !modelPasses(mc, ModelGate::UpperPorts))) throw CompileFault("no such port");
    port = row->port;
    io = trimBlanks(io.substr(comma + 1));
  }
  if (io.empty()) throw CompileFault("required argument missing");
  if (io.front() == '"' && io.back() == '"') {
    printBytes(mc, {kPortHead[0], kPortHead[1], kPortHead[2], kPortHead[3], port, patternMask(mc, io)});
    return;
  }
  const std::string mask = evaluate(mc, io);
  if (!isVariable(mc, mask)) {
    printBytes(mc, {kPortHead[0], kPortHead[1], kPortHead[2], kPortHead[3], port, byteField(mask)});
    return;
  }
  printBytes(mc, {kPortHead[0], kPortHead[1], kPortHead[2], kPortHead[3], port});
  printRegisters(mc, {mask});
}

}  // namespace kelmore
