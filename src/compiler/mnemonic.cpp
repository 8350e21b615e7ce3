// Mnemonic listing: instruction lines, Data rows, the caret line's spans, and the stage on the host.
// Layer: compiler (plain C++, no Qt).
#include "compiler/mnemonic.h"

#include <algorithm>
#include <optional>

#include "common/codetext.h"
#include "common/numbers.h"
#include "common/strings.h"
#include "compiler/compiler.h"
#include "compiler/instructions.h"

namespace kelmore::mnemonic {
namespace {

constexpr int kLogStart = 2005;  // "Mnemonic code generating Phase."
constexpr int kLogDone = 2006;   // "Complete cmpile."
constexpr std::string_view kLineEnd = "\r\n";
// A continuation row of Data bytes lines up under the bytes after the six-digit address and its blank.
constexpr std::string_view kDataRowBreak = "\r\n       ";
constexpr int kDataPerRow = 8;
constexpr std::size_t kPrintBytesShown = 3;
constexpr std::size_t kProgressSteps = 256;

// A register or port byte shown as its character; a byte outside ASCII cannot stand in the UTF-8 listing.
char shownChar(std::uint8_t byte) {
  return byte < 0x80 ? static_cast<char>(byte) : '?';
}

// Reads the fields of one decoded instruction.
class Fields {
 public:
  Fields(std::string_view text, const CodeItem& item) : text_(text), item_(item) {}

  std::uint8_t byte(std::size_t index) const { return itemByte(text_, item_.offset, index); }
  char chr(std::size_t index) const { return shownChar(byte(index)); }
  // The two hex digits exactly as the code text has them.
  std::string_view hh(std::size_t index) const { return cellDigits(text_, itemCell(item_.offset, index)); }
  std::uint32_t u16(std::size_t index) const { return readField16(text_, itemCell(item_.offset, index)); }

  std::string skip(std::size_t index) const {
    const std::uint32_t v = u16(index);
    if (v < 32768) return std::to_string(v);
    std::string text = "-";
    text += std::to_string(65536 - v);
    return text;
  }
  // 16-bit immediates are unsigned; a 32-bit one is read as signed, as the module does.
  std::string imm(std::size_t index) const {
    if (!item_.wide) return std::to_string(u16(index));
    return std::to_string(static_cast<std::int32_t>(readField32(text_, itemCell(item_.offset, index))));
  }
  // Skip of a compare: its last field.
  std::string lastSkip() const { return skip(item_.lengthBytes - 2); }

 private:
  std::string_view text_;
  const CodeItem& item_;
};

// The names the listing gives the system registers. Where a model names a register its own way (PX-B
// reads 7..9 as its touch panel first, PX-5200B's 2 is its DIP switch), the model's first system variable
// of that code names it; the listing's own spellings ("ComAhd", "timerInterval") stand for the rest.
struct ListedRegister {
  char code;
  std::string_view name;
  bool modelNamed;
};
constexpr ListedRegister kListedRegisters[] = {
    {'7', "TsR", true},
    {'8', "Ts1", true},
    {'9', "Ts2", true},
    {'&', "TrsCount", false},
    {'[', "ActSts", false},
    {'0', "Port0", false},
    {'1', "Port1", false},
    {'2', "Jumper", true},
    {'4', "Port4", false},
    {'*', "ComAhd", false},
    {'@', "Com", false},
    {'%', "RecCount", false},
    {'?', "timerInterval", false},
};

std::string S(std::uint8_t code, std::string_view model) {
  return sysRegName(shownChar(code), model);
}
std::string O(std::uint8_t op) {
  return std::string(opName(op));
}

std::string memoryName(std::uint8_t code, const MemoryAreaNames& names) {
  for (std::size_t i = 0; i < kMemoryAreas.size(); ++i)
    if (kMemoryAreas[i].code == code) return std::string(names[i]);
  return "------";
}

std::string eventSwitch(const Fields& f) {
  return f.byte(2) != 0 ? "enable," + f.skip(3) : "disable";
}

std::string instructionText(std::string_view text, const CodeItem& item, const ListingInput& in) {
  const Fields f(text, item);
  const std::string_view model = in.model;
  switch (item.info->opcode) {
    case Opcode::PrintConst: {
      const std::uint32_t n = f.u16(2);
      std::string line = "print data(" + std::to_string(n) + ")";
      for (std::size_t i = 0; i < std::min<std::size_t>(n, kPrintBytesShown); ++i)
        line.append(" &h").append(f.hh(4 + i));
      return line;
    }
    case Opcode::PrintReg: {
      std::string line = "print ";
      for (std::size_t i = 0, n = f.u16(2); i < n; ++i) {
        if (i > 0) line += ',';
        line += f.chr(4 + i);
      }
      return line;
    }
    case Opcode::LoadImm: {
      const std::uint8_t reg = f.byte(2);
      const std::uint8_t op = f.byte(3);
      const std::string self = std::string(1, f.chr(2)) + " = " + S(reg, model);
      switch (op) {
        case kOpLoad:
          return S(reg, model) + " = " + f.imm(4);
        case kOpIncrement:
          return self + " + 1";
        case kOpDecrement:
          return self + " - 1";
        case kOpShiftRight:
          return self + " >> " + std::to_string(f.byte(4));
        case kOpShiftLeft:
          return self + " << " + std::to_string(f.byte(4));
        default:
          return self + " " + O(op) + " " + f.imm(4);
      }
    }
    case Opcode::LoadReg: {
      const std::uint8_t dst = f.byte(2);
      const std::uint8_t op = f.byte(3);
      if (op == kOpLoad) return S(dst, model) + " = " + S(f.byte(4), model);
      return std::string(1, f.chr(2)) + " = " + S(dst, model) + " " + O(op) + " " + S(f.byte(4), model);
    }
    case Opcode::CompareImm:
      return "jmpc " + S(f.byte(2), model) + " " + O(f.byte(3)) + " " + f.imm(4) + ", " + f.lastSkip();
    case Opcode::CompareReg:
      return "jmpc " + S(f.byte(2), model) + " " + O(f.byte(3)) + " " + S(f.byte(4), model) + "," +
             f.lastSkip();
    case Opcode::Jump:
      return "jmp " + f.skip(2);
    case Opcode::Call:
      return "call " + f.skip(2);
    case Opcode::Return:
      return "ret ";
    case Opcode::EventEnable:
      return "eventEnable ";
    case Opcode::EventDisable:
      return "eventDisable ";
    case Opcode::EventTouch:
      return "eventTouch " + eventSwitch(f);
    case Opcode::EventTimer:
      return "eventTimer " + eventSwitch(f);
    case Opcode::EventPort: {
      if (f.byte(2) == 0) return "eventPort disable";
      std::string line = "event Port";
      line += f.chr(4);
      line.append(" * &h").append(f.hh(8)).append(f.hh(7));
      line.append(f.byte(3) == 0 ? " = " : " <> ");
      line.append("&h").append(f.hh(6)).append(f.hh(5));
      return line + "," + f.skip(9);
    }
    case Opcode::EventReturn:
      return "eventRet ";
    case Opcode::Wait:
      return "wait";
    case Opcode::VramImm:
      return "vram(" + std::string(1, f.chr(2)) + ") = &h" + std::string(f.hh(3));
    case Opcode::VramReg:
      return "vram(" + std::string(1, f.chr(2)) + ") = " + f.chr(3);
    case Opcode::VramRead:
      return std::string(1, f.chr(2)) + " = vram(" + f.chr(3) + ")";
    case Opcode::Push:
      return std::string("Push ") + f.chr(2);
    case Opcode::Pop:
      return std::string("Pop ") + f.chr(2);
    case Opcode::End:
      return "end";
    case Opcode::TargetMemory:
      return "TargerMemory " + memoryName(f.byte(2), in.memoryAreaNames);
    case Opcode::Mem8:
      return "Mem8 ";
    case Opcode::Mem16:
      return "Mem16 ";
    case Opcode::Mem32:
      return "Mem32 ";
    case Opcode::Mode:
      if (f.byte(2) == kModeNarrow) return "Sel16";
      if (f.byte(2) == kModeWide) return "Sel32";
      return "Sel--";
  }
  return {};
}

std::string addressText(std::size_t address) {
  std::string digits = std::to_string(address);
  if (digits.size() >= 6) return digits.substr(digits.size() - 6);
  return std::string(6 - digits.size(), '0') + digits;
}

TextSpan clampedSpan(std::int64_t start, std::int64_t end, std::size_t size) {
  const auto limit = static_cast<std::int64_t>(size);
  start = std::clamp<std::int64_t>(start, 0, limit);
  end = std::clamp<std::int64_t>(end, start, limit);
  return {static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)};
}

}  // namespace

std::string sysRegName(char code, std::string_view model) {
  for (const ListedRegister& row : kListedRegisters) {
    if (row.code != code) continue;
    if (row.modelNamed)
      for (const SystemVariable& variable : modelInfo(model).systemVariables)
        if (variable.code == code) return std::string(variable.name);
    return std::string(row.name);
  }
  return std::string(1, code);
}

LabelsByAddress labelsByAddress(std::span<const std::string> names, std::span<const std::int32_t> addresses) {
  LabelsByAddress labels;
  for (std::size_t slot = 0; slot < std::min(names.size(), addresses.size()); ++slot)
    if (!names[slot].empty() && addresses[slot] >= 0)
      labels.try_emplace(static_cast<std::uint32_t>(addresses[slot]), names[slot]);  // lowest slot wins
  return labels;
}

Listing buildListing(std::string_view codeText, const ListingInput& in,
                     const std::function<void(std::size_t)>& progress) {
  Listing result;
  std::string& out = result.text;
  out.reserve(codeText.size() * 4);
  const std::size_t length = codeText.size();
  const std::size_t progressStep = std::max<std::size_t>(1, length / kProgressSteps);
  std::size_t nextProgress = 0;

  bool dataMode = false;
  bool restIsData = false;  // a truncated last instruction: every byte left is listed as data
  int dataCount = -1;
  bool marking = false;
  std::size_t spanStart = 0;
  std::size_t spanEnd = 0;

  CodeWalker walker(codeText);
  while (!walker.atEnd()) {
    const std::size_t at = walker.offset();
    const auto pos = static_cast<std::int64_t>(at) + 1;  // the caret marks compare with 1-based positions
    if (progress && at >= nextProgress) {
      progress(at + 1);
      nextProgress = at + progressStep;
    }

    if (marking && (pos >= in.markEnd || pos < in.markStart)) {
      spanEnd = out.size();
      marking = false;
    } else if (!marking && in.markStart <= pos && pos < in.markEnd) {
      spanStart = out.size();
      marking = true;
    }

    if (dataMode && !restIsData && cellSeparator(codeText, at) != kDataSeparator) {
      out += kLineEnd;
      dataMode = false;
    }

    const auto appendDataByte = [&] {
      out.append(cellDigits(codeText, at)).push_back(' ');
      ++dataCount;
    };
    if (dataMode) {
      appendDataByte();
      walker.seek(at + kCellChars);
    } else {
      out += addressText(byteAddress(at));
      out += ' ';
      const CodeItem item = walker.next();
      if (item.kind == ItemKind::Instruction) {
        out += instructionText(codeText, item, in);
      } else {
        if (in.labels != nullptr) {
          const auto label = in.labels->find(static_cast<std::uint32_t>(byteAddress(at)));
          if (label != in.labels->end()) out.append(label->second).append(kDataRowBreak);
        }
        // Every data run counts its rows afresh, labelled or not.
        dataCount = -1;
        appendDataByte();
        dataMode = true;
        if (item.kind == ItemKind::Truncated) restIsData = true;
        walker.seek(at + kCellChars);
      }
    }

    if (dataMode) {
      if (dataCount % kDataPerRow == kDataPerRow - 1) out += kDataRowBreak;
    } else {
      out += kLineEnd;
    }
  }

  if (marking) spanEnd = out.size();
  result.red = {spanStart, spanEnd > spanStart ? spanEnd - spanStart : 0};

  result.codeText = std::string(codeText);
  blankSeparators(result.codeText);
  result.codeRed = clampedSpan(in.markStart, in.markEnd, result.codeText.size());
  return result;
}

void makeMnemonic(MnemonicHost& host, std::int32_t markStart, std::int32_t markEnd,
                  const LabelsByAddress& labels, const MemoryAreaNames& memoryAreaNames) {
  host.activateLog();
  host.addlog(resString(kLogStart), LogKind::Phase);
  const std::string codeText = host.codePaneText();
  host.setProgressMax(static_cast<float>(codeText.size()));

  const std::string model = host.modelName();
  const ListingInput input{model, markStart, markEnd, &labels, memoryAreaNames};
  const Listing listing =
      buildListing(codeText, input, [&](std::size_t pos) { host.setProgressValue(static_cast<float>(pos)); });

  host.setCodeText(listing.codeText);
  host.colourCode(listing.codeRed.start, listing.codeRed.length, kRed);
  host.setMnemonicText(listing.text);
  host.colourMnemonic(0, listing.text.size(), kBlack);
  host.colourMnemonic(listing.red.start, listing.red.length, kRed);

  host.addlog(resString(kLogDone), LogKind::Phase);
  host.setProgressValue(host.progressMax());
}

void makeMnemonic(MnemonicHost& host, const MacroCompiler& mc, const MemoryAreaNames& memoryAreaNames) {
  makeMnemonic(host, mc.compiler.markStart, mc.compiler.markEnd,
               labelsByAddress(mc.hensuulabel.labelName(), mc.hensuulabel.labelAddressValues()),
               memoryAreaNames);
}

}  // namespace kelmore::mnemonic
