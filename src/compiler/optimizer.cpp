// Peephole optimiser: print runs joined, compare sequences folded, labels and caret marks moved along.
// Layer: compiler (plain C++, no Qt).
#include "compiler/optimizer.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "common/codetext.h"
#include "common/numbers.h"
#include "common/strings.h"
#include "compiler/compiler.h"

namespace kelmore::optimizer {
namespace {

constexpr std::size_t kHeaderChars = 4 * kCellChars;    // opcode and count of a P# or PR
constexpr std::size_t kCountCell = 2 * kCellChars;      // the count field of a P# or PR
constexpr std::size_t kConditionCell = 3 * kCellChars;  // the condition of a C# or CR

// Removed code, in the order of the walk: each entry took `chars` characters out behind character `key`
// (the start of the instruction or field the rewrite changed). A position behind a key moves back by the
// length removed there, all removals at once.
class Shifts {
 public:
  void add(std::size_t key, std::size_t chars) {
    keys_.push_back(key);
    total_ += chars;
    totals_.push_back(total_);
  }
  bool empty() const { return keys_.empty(); }

  // Characters removed behind keys below `position`.
  std::size_t removedBefore(std::size_t position) const {
    const auto it = std::lower_bound(keys_.begin(), keys_.end(), position);
    return it == keys_.begin() ? 0 : totals_[static_cast<std::size_t>(it - keys_.begin()) - 1];
  }

  void moveMark(std::int32_t& mark) const {
    if (mark > 0) mark -= static_cast<std::int32_t>(removedBefore(static_cast<std::size_t>(mark)));
  }

  // A label at byte address a moves back by the bytes removed at addresses below a.
  void moveLabels(std::span<std::int32_t> labelAddresses) const {
    for (auto& address : labelAddresses)
      if (address > 0)
        address -= static_cast<std::int32_t>(
            byteAddress(removedBefore(cellOffset(static_cast<std::size_t>(address)))));
  }

 private:
  std::vector<std::size_t> keys_;    // ascending
  std::vector<std::size_t> totals_;  // running sum of removed characters
  std::size_t total_ = 0;
};

void append(std::string& out, std::string_view text, std::size_t from, std::size_t to) {
  out.append(text.substr(from, to - from));
}

// The inverted condition of the cell at `offset` when the compare emitters wrote a condition there.
std::optional<std::uint8_t> foldableCondition(std::string_view text, std::size_t offset) {
  const auto condition = readInstructionByte(text, offset);
  return condition ? invertedCondition(*condition) : std::nullopt;
}

bool textAt(std::string_view text, std::size_t offset, std::string_view expected) {
  return offset <= text.size() && text.substr(offset, expected.size()) == expected;
}

// A complete JP at `offset`.
bool jumpAt(std::string_view text, std::size_t offset, bool wide) {
  return offset < text.size() && decodeAt(text, offset, wide).is(Opcode::Jump);
}

// A compare's skip of 4 over the JP that follows it: the shape both folds of a condition leave or take.
constexpr std::uint16_t kSkipJump = 4;
constexpr std::string_view kSkipOverJump = "04 00 4A 50 ";

// --- fold 1: the boolean load sequence behind a compare ---
// From the compare's field at o: 0A 00 | 4C 23 rr 3D 00 00 | 4A 50 06 00 | 4C 23 rr 3D 01 00 |
// 43 23 rr 3D 01 00 04 00 | 4A 50 field. The three registers are not compared with each other.
// From the compare's field up to the final jump's field, and what the fold takes out of it.
constexpr std::size_t kLoadSequenceChars = cellOffset(28);
constexpr std::size_t kLoadSequenceRemoved = cellOffset(24);

bool loadSequenceAt(std::string_view text, std::size_t o, bool wide) {
  return !wide && textAt(text, o, "0A 00 4C 23 ") &&
         textAt(text, o + cellOffset(5), "3D 00 00 4A 50 06 00 4C 23 ") &&
         textAt(text, o + cellOffset(15), "3D 01 00 43 23 ") &&
         textAt(text, o + cellOffset(21), "3D 01 00 04 00 4A 50 ") && jumpAt(text, o + cellOffset(26), wide);
}

// Walks the text once and hands each item to `rewrite`, which either appends its rewritten form to `out`,
// notes the removal and answers the offset to go on at, or answers 0 to have the item copied as it stands.
template <typename Rewrite>
std::string rewriteWalk(std::string_view text, Shifts& shifts, Rewrite rewrite) {
  std::string out;
  out.reserve(text.size());
  CodeWalker walker(text);
  while (!walker.atEnd()) {
    const CodeItem item = walker.next();
    const std::size_t resume = rewrite(item, walker.wide(), out, shifts);
    if (resume != 0) {
      walker.seek(resume);
    } else {
      append(out, text, item.offset, item.end);
    }
  }
  return out;
}

void applyShifts(const Shifts& shifts, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
                 std::int32_t& markEnd) {
  if (shifts.empty()) return;
  shifts.moveLabels(labelAddresses);
  shifts.moveMark(markStart);
  shifts.moveMark(markEnd);
}

std::string foldLoadSequences(std::string_view text, Shifts& shifts) {
  return rewriteWalk(text, shifts, [&](const CodeItem& item, bool wide, std::string& out, Shifts& s) {
    if (!(item.is(Opcode::CompareImm) || item.is(Opcode::CompareReg))) return std::size_t{0};
    const std::size_t field = itemCell(item.offset, item.lengthBytes - 2);
    if (!loadSequenceAt(text, field, wide)) return std::size_t{0};
    append(out, text, item.offset, field);
    appendField16(out, kSkipJump);
    s.add(field, kLoadSequenceRemoved);
    return field + kLoadSequenceChars - kField16Chars;  // the final jump, kept whole
  });
}

// --- folds 2 and 3: a compare that only skips the next jump takes over the jump's field ---
std::string foldCompares(std::string_view text, Opcode compare, Shifts& shifts) {
  return rewriteWalk(text, shifts, [&](const CodeItem& item, bool wide, std::string& out, Shifts& s) {
    // The 32-bit C# has its skip elsewhere and stays as written.
    if (!item.is(compare) || (compare == Opcode::CompareImm && item.wide)) return std::size_t{0};
    const std::size_t o = item.offset;
    const std::size_t skip = itemCell(o, item.lengthBytes - 2);
    const auto inverted = foldableCondition(text, o + kConditionCell);
    if (!inverted || !textAt(text, skip, kSkipOverJump) || !jumpAt(text, skip + kField16Chars, wide))
      return std::size_t{0};
    append(out, text, o, o + kConditionCell);
    appendCodeByte(out, *inverted);
    append(out, text, o + kConditionCell + kCellChars, skip);
    const std::size_t jumpField = skip + kSkipOverJump.size();
    append(out, text, jumpField, jumpField + kField16Chars);
    s.add(o, kSkipOverJump.size());
    return jumpField + kField16Chars;
  });
}

std::vector<bool> labelledAddresses(std::span<const std::int32_t> labelAddresses, std::size_t byteCount) {
  std::vector<bool> labelled(byteCount + 1, false);
  for (const auto address : labelAddresses)
    if (address >= 0 && static_cast<std::size_t>(address) <= byteCount) labelled[address] = true;
  return labelled;
}

// The label table of a compilation as byte addresses, and back.
void storeLabelAddresses(HensuuLabel& labels, std::span<const std::int32_t> before,
                         std::span<const std::int32_t> after) {
  for (std::size_t slot = 0; slot < after.size(); ++slot)
    if (after[slot] != before[slot])
      labels.setLabelAddressAt(static_cast<int>(slot), hexUpper(static_cast<std::uint32_t>(after[slot]), 4));
}

void finishPass(CompilerHost& host, int logId) {
  host.addlog(resString(logId), LogKind::Phase);
  host.setProgressValue(host.progressMax());
}

// The label table of a compilation as byte addresses for the length of one pass, then written back.
struct CompilerLabels {
  explicit CompilerLabels(HensuuLabel& table)
      : labels(table), before(table.labelAddressValues()), addresses(before) {}
  void store() { storeLabelAddresses(labels, before, addresses); }

  HensuuLabel& labels;
  const std::vector<std::int32_t> before;
  std::vector<std::int32_t> addresses;
};

constexpr int kLogPrintDone = 1038;  // "Complete Optimize 'Print'"
constexpr int kLogIfDone = 1037;     // "Complete Optimize 'If'"

}  // namespace

void joinPrints(Opcode target, std::string& codeText, std::span<std::int32_t> labelAddresses,
                std::int32_t& markStart, std::int32_t& markEnd) {
  const std::string_view text = codeText;
  const std::vector<bool> labelled = labelledAddresses(labelAddresses, byteAddress(text.size()));
  // An empty mark (the caret line made no code) stays empty: it is never pulled onto a run.
  const bool markHasCode = markStart != markEnd;
  std::optional<std::int32_t> joinedMarkStart;

  Shifts shifts;
  bool previousIsTarget = false;
  std::size_t headOut = 0;
  std::uint32_t headCount = 0;
  std::string out = rewriteWalk(text, shifts, [&](const CodeItem& item, bool, std::string& o, Shifts& s) {
    if (!item.is(target)) {
      previousIsTarget = false;
      return std::size_t{0};
    }
    const std::uint32_t count = readField16(text, item.offset + kCountCell);
    const std::size_t address = byteAddress(item.offset);
    const bool join = previousIsTarget && !labelled[address] && headCount + count <= kMaxPrintCount;
    previousIsTarget = true;
    if (!join) {
      headOut = o.size();
      headCount = count;
      return std::size_t{0};
    }
    if (markHasCode && static_cast<std::size_t>(markStart) == item.offset)
      joinedMarkStart = static_cast<std::int32_t>(headOut);
    append(o, text, item.offset + kHeaderChars, item.end);
    headCount += count;
    writeCodeByte(o, headOut + kCountCell, static_cast<std::uint8_t>(headCount % 256));
    writeCodeByte(o, headOut + kCountCell + kCellChars, static_cast<std::uint8_t>(headCount / 256));
    s.add(item.offset, kHeaderChars);
    return item.end;
  });

  applyShifts(shifts, labelAddresses, markStart, markEnd);
  if (joinedMarkStart) markStart = *joinedMarkStart;
  codeText = std::move(out);
}

void foldIf(std::string& codeText, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
            std::int32_t& markEnd) {
  // One rewrite per fold, in order: the first leaves the pattern that the other two take up.
  Shifts loads;
  codeText = foldLoadSequences(codeText, loads);
  applyShifts(loads, labelAddresses, markStart, markEnd);
  Shifts regs;
  codeText = foldCompares(codeText, Opcode::CompareReg, regs);
  applyShifts(regs, labelAddresses, markStart, markEnd);
  Shifts imms;
  codeText = foldCompares(codeText, Opcode::CompareImm, imms);
  applyShifts(imms, labelAddresses, markStart, markEnd);
}

void optimizePrintConst(std::string& codeText, std::span<std::int32_t> labelAddresses,
                        std::int32_t& markStart, std::int32_t& markEnd, CompilerHost& host) {
  joinPrints(Opcode::PrintConst, codeText, labelAddresses, markStart, markEnd);
  finishPass(host, kLogPrintDone);
}

void optimizePrintReg(std::string& codeText, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
                      std::int32_t& markEnd, CompilerHost& host) {
  joinPrints(Opcode::PrintReg, codeText, labelAddresses, markStart, markEnd);
  finishPass(host, kLogPrintDone);
}

void optimizeIf(std::string& codeText, std::span<std::int32_t> labelAddresses, std::int32_t& markStart,
                std::int32_t& markEnd, CompilerHost& host) {
  foldIf(codeText, labelAddresses, markStart, markEnd);
  finishPass(host, kLogIfDone);
}

void optimizePrintConst(MacroCompiler& mc) {
  CompilerLabels labels(mc.hensuulabel);
  optimizePrintConst(mc.codeout.codeText, labels.addresses, mc.compiler.markStart, mc.compiler.markEnd,
                     mc.host);
  labels.store();
}

void optimizePrintReg(MacroCompiler& mc) {
  CompilerLabels labels(mc.hensuulabel);
  optimizePrintReg(mc.codeout.codeText, labels.addresses, mc.compiler.markStart, mc.compiler.markEnd,
                   mc.host);
  labels.store();
}

void optimizeIf(MacroCompiler& mc) {
  CompilerLabels labels(mc.hensuulabel);
  optimizeIf(mc.codeout.codeText, labels.addresses, mc.compiler.markStart, mc.compiler.markEnd, mc.host);
  labels.store();
}

}  // namespace kelmore::optimizer
