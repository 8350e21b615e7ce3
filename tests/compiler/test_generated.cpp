// Generated programs through the whole compile: every jump and event skip of the resolved code lands on an
// instruction.
// Layer: tests (plain C++).
//
// The optimiser shortens code behind labels and the fix-up turns tokens into offsets; a label moved by the
// wrong amount shows as a jump into the middle of an instruction. A fixed seed keeps the cases the same.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "compiler/instructions.h"
#include "compiler/mnemonic.h"
#include "fake_host.h"

namespace kelmore {
namespace {

class ProgramGenerator {
 public:
  explicit ProgramGenerator(unsigned seed) : rng_(seed) {}

  // A program for `model`; QT-R5xxP programs set up the touch event too.
  std::string program(std::string_view model) {
    lines_.clear();
    labels_ = 0;
    touch_ = model == "QT-R5xxP";
    for (const char* v : {"a", "b", "c", "i"}) lines_.push_back(std::string(v) + " = " + pick(kNumbers));
    lines_.push_back("Sub Start()");
    body(0);
    lines_.push_back("End Sub");
    lines_.push_back("Sub Foo(p, q)");
    body(0);
    lines_.push_back("End Sub");
    // The event routines the set-ups bind to; their code runs in the event registers.
    for (const char* routine : {"Timer_Event", "Port_Event", "Touch_Event"}) {
      lines_.push_back(std::string("Sub ") + routine + "()");
      lines_.push_back("e = " + pick(kNumbers));
      lines_.push_back("Print e, \"E\"");
      lines_.push_back("End Sub");
    }
    std::string text;
    for (const auto& l : lines_) text += l + "\r\n";
    return text;
  }

 private:
  static constexpr const char* kVariables[] = {"a", "b", "c", "i", "Port0"};
  static constexpr const char* kNumbers[] = {"0", "1", "-1", "10", "&HFFFF", "&h10", "3.5", "200"};
  static constexpr const char* kOperators[] = {"+", "-",  "*", "Mod", "And", "Or", "Xor",
                                               "=", "<>", "<", ">",   "<=",  ">="};

  template <std::size_t N>
  std::string pick(const char* const (&items)[N]) {
    return items[rng_() % N];
  }
  int roll(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string operand() { return roll(2) ? pick(kVariables) : pick(kNumbers); }
  std::string expression(int depth) {
    if (depth == 0 || roll(3) == 0) return operand();
    const std::string e = expression(depth - 1) + " " + pick(kOperators) + " " + expression(depth - 1);
    return roll(4) == 0 ? "( " + e + " )" : e;
  }

  std::string memoryStatement() {
    switch (roll(6)) {
      case 0:
        return "VPoke " + operand() + ", " + operand();
      case 1:
        return "Poke " + expression(1) + ", " + operand();
      case 2:
        return "Push " + pick(kVariables);
      case 3:
        return "Pop " + pick(kVariables);
      case 4:
        return "Mem16";
      default:
        return "TargetMem GPRam";
    }
  }
  std::string displayStatement() {
    switch (roll(7)) {
      case 0:
        return "Pset " + operand() + ", " + operand();
      case 1:
        return "Line " + operand() + "," + operand() + ",1,1,," + (roll(2) ? "BF" : "b");
      case 2:
        return "Blink " + operand();
      case 3:
        return "SetUsrWin 1," + expression(1) + ",0,8,8";
      case 4:
        return "CopyBmp ram," + operand() + "," + operand() + ",8," + operand();
      case 5:
        return "PortDirection " + operand();
      default:
        return "Random ," + expression(1);
    }
  }

  void body(int depth) {
    for (int k = 1 + roll(5); k > 0; --k) {
      switch (roll(15)) {
        case 0:
        case 1:
          lines_.push_back(pick(kVariables) + " = " + expression(2));
          break;
        case 2:
          if (depth > 3) break;
          lines_.push_back("If " + expression(1) + " Then");
          body(depth + 1);
          if (roll(2)) {
            lines_.push_back("Else");
            body(depth + 1);
          }
          lines_.push_back("End If");
          break;
        case 3:
          if (depth > 3) break;
          lines_.push_back("For i = " + operand() + " To " + operand());
          body(depth + 1);
          lines_.push_back("Next");
          break;
        case 4:
          if (depth > 3) break;
          lines_.push_back("Select Case " + expression(1));
          for (int c = roll(3); c >= 0; --c) {
            lines_.push_back("Case " + operand());
            body(depth + 1);
          }
          lines_.push_back("End Select");
          break;
        case 5:
          lines_.push_back("l" + std::to_string(labels_++) + ":");
          break;
        case 6:
          if (labels_ > 0) lines_.push_back("GoTo l" + std::to_string(roll(labels_)));
          break;
        case 7:
          lines_.push_back("Sleep " + operand());
          break;
        case 8:
          lines_.push_back("Foo " + operand() + ", " + operand());
          break;
        case 9:
          lines_.push_back(memoryStatement());
          break;
        case 10:
          lines_.push_back(displayStatement());
          break;
        case 11:
          // The immediates widen and narrow again between the jumps and labels of the routine.
          lines_.push_back(roll(2) ? "Sel32" : "Sel16");
          break;
        case 12:
          lines_.push_back(roll(2) ? "Print \"x,y\", " + expression(1) : "Cursor " + operand() + ", 3");
          if (roll(2)) lines_.push_back("Print " + std::to_string(roll(256)) + ", \"ｱ\"");
          break;
        case 13:
          lines_.push_back("Data \"AB\", " + std::to_string(roll(256)) + ", 7");
          break;
        case 14:
          switch (roll(4)) {
            case 0:
              lines_.push_back("EventTimerSet " + std::string(roll(2) ? "enable" : "disable") + ", " +
                               operand());
              break;
            case 1:
              lines_.push_back("EventPortSet enable, port" + std::to_string(roll(2)) +
                               " * &HFF = " + std::to_string(roll(256)));
              break;
            case 2:
              if (touch_) lines_.push_back("EventTouchSet enable, " + operand());
              break;
            default:
              lines_.push_back(roll(2) ? "EventEnable" : "KanjiOn");
              break;
          }
          break;
      }
    }
  }

  std::mt19937 rng_;
  std::vector<std::string> lines_;
  int labels_ = 0;
  bool touch_ = false;
};

// Byte addresses of every instruction start (and of the end), and the target of every jump.
struct Decoded {
  std::set<long> starts;
  std::vector<std::pair<long, long>> jumps;  // from, to
  bool truncated = false;
};

Decoded decode(const std::string& code) {
  Decoded d;
  CodeWalker walker(code);
  while (!walker.atEnd()) {
    const CodeItem item = walker.next();
    d.starts.insert(static_cast<long>(item.offset / 3));
    if (item.kind == ItemKind::Truncated) d.truncated = true;
    if (item.kind != ItemKind::Instruction) continue;
    const Opcode op = item.info->opcode;
    if (op != Opcode::Jump && op != Opcode::Call && op != Opcode::CompareImm && op != Opcode::CompareReg &&
        op != Opcode::EventTouch && op != Opcode::EventTimer && op != Opcode::EventPort)
      continue;
    const std::size_t field = item.offset + 3 * (item.lengthBytes - 2);
    long skip = itemByte(code, field, 0) + 256L * itemByte(code, field, 1);
    if (skip >= 32768) skip -= 65536;
    d.jumps.emplace_back(static_cast<long>(item.offset / 3), static_cast<long>(item.end / 3) + skip);
  }
  d.starts.insert(static_cast<long>(code.size() / 3));
  return d;
}

TEST(GeneratedPrograms, every_jump_and_label_lands_on_an_instruction) {
  ProgramGenerator generator(20261210);
  constexpr int kPrograms = 300;
  int compiled = 0;
  for (int n = 0; n < kPrograms; ++n) {
    testkit::FakeHost host;
    // Two models that take every generated statement; QT-R5xxP also has the touch event.
    host.model = n % 2 ? "QT-R5xxP" : "PX-*";
    host.source = generator.program(host.model);
    host.caret = n % 40;
    MacroCompiler mc{host};
    if (!mc.Compile()) continue;
    ++compiled;
    const std::string& code = host.codeView;
    ASSERT_EQ(code.find('L'), std::string::npos) << host.source;
    const Decoded d = decode(code);
    ASSERT_FALSE(d.truncated) << host.source;
    for (const auto& [from, to] : d.jumps)
      ASSERT_TRUE(d.starts.count(to)) << "jump at " << from << " to " << to << "\n" << host.source;
    for (const auto& row : host.lists[CompilerList::Labels]) {
      if (row.text == "end") continue;
      ASSERT_TRUE(d.starts.count(std::stol(row.sub2, nullptr, 16))) << row.sub1 << "\n" << host.source;
    }
    ASSERT_LE(mc.compiler.markStart, mc.compiler.markEnd);
    ASSERT_LE(static_cast<std::size_t>(mc.compiler.markEnd), code.size());
    const mnemonic::Listing listing =
        mnemonic::buildListing(code, {host.model, mc.compiler.markStart, mc.compiler.markEnd});
    ASSERT_LE(listing.red.start + listing.red.length, listing.text.size());
  }
  // Most programs compile (the others hit a constant that does not fit, say), so the checks bite.
  EXPECT_GT(compiled, kPrograms / 3);
}

}  // namespace
}  // namespace kelmore
