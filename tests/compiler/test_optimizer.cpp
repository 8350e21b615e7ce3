// Tests of the peephole optimiser: print joins, If folds, label and mark moves, and the one-walk rewrite
// against a step-by-step in-place rewrite on generated programs.
// Layer: tests (plain C++).
#include "compiler/optimizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "code_builder.h"
#include "common/codetext.h"
#include "common/numbers.h"
#include "fake_host.h"

namespace kelmore {
namespace {

using optimizer::kNoAddress;
using testkit::CodeBuilder;
using O = Opcode;

// --- the in-place rewrite, step by step, with 1-based positions ---

std::size_t hexAt(const std::string& t, std::size_t pos1) {
  return readCodeByte(t, pos1 - 1);
}

void putHex(std::string& t, std::size_t pos1, unsigned value) {
  const std::string digits = hexUpper(value & 0xFF, 2);
  t[pos1 - 1] = digits[0];
  t[pos1] = digits[1];
}

void moveBack(std::int32_t& mark, std::size_t after, int chars) {
  if (mark > static_cast<std::int32_t>(after)) mark -= chars;
}

void moveLabels(std::vector<std::int32_t>& labels, std::size_t after, int bytes) {
  for (auto& a : labels)
    if (a != kNoAddress && a > static_cast<std::int32_t>(after)) a -= bytes;
}

void referencePrint(std::string_view target, std::string& t, std::vector<std::int32_t>& labels,
                    std::int32_t& markStart, std::int32_t& markEnd) {
  const bool markHasCode = markStart != markEnd;
  std::string previous;
  std::size_t pos = 1;
  std::size_t h = 0;
  std::size_t headCount = 0;
  bool wide = false;
  while (pos <= t.size()) {
    const CodeItem item = decodeAt(t, pos - 1, wide);
    const std::string opcode = t.substr(pos - 1, 5);
    if (opcode != target.substr(0, 5)) {
      if (item.is(O::Mode)) wide = itemByte(t, pos - 1, 2) == kModeWide;
      previous = opcode;
      pos += 3 * item.lengthBytes;
      continue;
    }
    const std::size_t s = pos;
    const std::size_t n = hexAt(t, s + 6) + 256 * hexAt(t, s + 9);
    pos = s + 12 + 3 * n;
    const bool labelTarget = std::count(labels.begin(), labels.end(), static_cast<std::int32_t>(s / 3)) > 0;
    if (previous != target.substr(0, 5) || labelTarget || headCount + n > 0xFFFF) {
      h = s;
      headCount = n;
    } else {
      t.erase(s - 1, 12);
      headCount += n;
      putHex(t, h + 6, static_cast<unsigned>(headCount % 256));
      putHex(t, h + 9, static_cast<unsigned>(headCount / 256));
      pos -= 12;
      moveBack(markStart, s - 1, 12);
      moveBack(markEnd, s - 1, 12);
      moveLabels(labels, s / 3, 4);
      if (markHasCode && markStart == static_cast<std::int32_t>(s - 1))
        markStart = static_cast<std::int32_t>(h - 1);
    }
    previous = opcode;
  }
}

// The item of a fresh walk that starts at `offset`, if any.
std::optional<CodeItem> walkedAt(const std::string& t, std::size_t offset) {
  CodeWalker walker(t);
  while (!walker.atEnd() && walker.offset() <= offset) {
    const CodeItem item = walker.next();
    if (item.offset == offset) return item;
  }
  return std::nullopt;
}

bool jumpWalkedAt(const std::string& t, std::size_t offset) {
  const auto item = walkedAt(t, offset);
  return item && item->is(O::Jump);
}

bool foldableCondition(const std::string& t, std::size_t offset) {
  const std::string cell = t.substr(offset, 3);
  return cell == "3D " || cell == "21 " || cell == "3C " || cell == "3E " || cell == "28 " || cell == "29 ";
}

template <typename Fits, typename Apply>
void textSearch(std::string& t, std::string_view pattern, Fits fits, Apply apply) {
  std::size_t from = 2;
  for (;;) {
    const std::size_t hit = t.find(pattern, from - 1);
    if (hit == std::string::npos) return;
    const std::size_t p = hit + 1;
    if (fits(p)) apply(p);
    from = p + 1;
  }
}

void referenceIf(std::string& t, std::vector<std::int32_t>& labels, std::int32_t& markStart,
                 std::int32_t& markEnd) {
  const auto shorten = [&](std::size_t p, int chars) {
    moveBack(markStart, p - 1, chars);
    moveBack(markEnd, p - 1, chars);
    moveLabels(labels, p / 3, chars / 3);
  };
  textSearch(
      t, "0A 00 4C 23 ",
      [&](std::size_t p) {
        const std::size_t o = p - 1;
        if (t.compare(o + 15, 27, "3D 00 00 4A 50 06 00 4C 23 ") != 0 ||
            t.compare(o + 45, 15, "3D 01 00 43 23 ") != 0 ||
            t.compare(o + 63, 21, "3D 01 00 04 00 4A 50 ") != 0)
          return false;
        // Only a 16-bit compare whose field is here, found by the walk, and a whole final jump.
        if (o < 15) return false;
        for (std::size_t start : {o - 18, o - 15}) {
          const auto item = walkedAt(t, start);
          if (item && !item->wide && (item->is(O::CompareImm) || item->is(O::CompareReg)) &&
              item->offset + 3 * (item->lengthBytes - 2) == o)
            return jumpWalkedAt(t, o + 78);
        }
        return false;
      },
      [&](std::size_t p) {
        t.replace(p - 1, 84, "04 00 4A 50 ");
        shorten(p, 72);
      });
  const auto foldCompare = [&](std::string_view opcode, std::size_t skipAt) {
    textSearch(
        t, opcode,
        [&](std::size_t p) {
          const std::size_t o = p - 1;
          const auto item = walkedAt(t, o);
          if (!item || item->kind != ItemKind::Instruction || item->info->text != opcode) return false;
          if (item->wide && item->is(O::CompareImm)) return false;  // its 32-bit form stays
          return foldableCondition(t, o + 9) && t.compare(o + skipAt, 12, "04 00 4A 50 ") == 0 &&
                 jumpWalkedAt(t, o + skipAt + 6);
        },
        [&](std::size_t p) {
          const std::size_t o = p - 1;
          const std::string inverted = hexUpper(*invertedCondition(readCodeByte(t, o + 9)), 2) + " ";
          t = t.substr(0, o + 9) + inverted + t.substr(o + 12, skipAt - 12) + t.substr(o + skipAt + 12);
          shorten(p, 12);
        });
  };
  foldCompare("43 52 ", 15);
  foldCompare("43 23 ", 18);
}

// --- cases ---

struct State {
  std::string text;
  std::vector<std::int32_t> labels = {};
  std::int32_t markStart = 0;
  std::int32_t markEnd = 0;
  friend bool operator==(const State&, const State&) = default;
};

std::ostream& operator<<(std::ostream& os, const State& s) {
  os << "\"" << s.text << "\" labels";
  for (auto a : s.labels) os << " " << a;
  return os << " marks " << s.markStart << ".." << s.markEnd;
}

State printConst(State s) {
  optimizer::joinPrints(O::PrintConst, s.text, s.labels, s.markStart, s.markEnd);
  return s;
}
State printReg(State s) {
  optimizer::joinPrints(O::PrintReg, s.text, s.labels, s.markStart, s.markEnd);
  return s;
}
State foldIf(State s) {
  optimizer::foldIf(s.text, s.labels, s.markStart, s.markEnd);
  return s;
}

TEST(PrintJoin, two_print_const_become_one) {
  const std::string code = CodeBuilder(kPreamble).print("A").print("B").text();
  EXPECT_EQ(printConst({code}).text, std::string(kPreamble) + "50 23 02 00 41 42 ");
}

TEST(PrintJoin, a_label_on_the_second_keeps_it_and_a_label_behind_a_join_moves_back_4) {
  CodeBuilder code(kPreamble);
  code.print("A");
  const int second = code.address();
  code.print("B").print("C");
  const int behind = code.address();
  code.op(O::Return);
  const State after = printConst({code.text(), {second, behind, kNoAddress}});
  EXPECT_EQ(after.text, std::string(kPreamble) + "50 23 01 00 41 50 23 02 00 42 43 52 54 ");
  EXPECT_EQ(after.labels, (std::vector<std::int32_t>{second, behind - 4, kNoAddress}));
}

TEST(PrintJoin, other_print_opcode_breaks_the_run) {
  const std::string code =
      CodeBuilder().print("A").printReg("B").print("C").printReg("D").printReg("E").text();
  const State once = printConst({code});
  EXPECT_EQ(once.text, code);
  EXPECT_EQ(printReg(once).text, CodeBuilder().print("A").printReg("B").print("C").printReg("DE").text());
}

TEST(PrintJoin, empty_print_is_joined_like_any_other) {
  const std::string code = CodeBuilder().print("A").print("").print("B").text();
  EXPECT_EQ(printConst({code}).text, CodeBuilder().print("AB").text());
}

TEST(PrintJoin, whole_instructions_are_stepped_over) {
  // Data bytes that read 50 23, a push, a pop and a mode instruction each end a run.
  const std::string code = CodeBuilder()
                               .print("A")
                               .data({0x50, 0x23, 0x01, 0x00})
                               .print("B")
                               .op(O::Push, {'A'})
                               .print("C")
                               .op(O::Pop, {'A'})
                               .print("D")
                               .op(O::Mode, {'0'})
                               .print("E")
                               .text();
  EXPECT_EQ(printConst({code}).text, code);
}

TEST(PrintJoin, instruction_lengths_keep_the_walk_on_instruction_starts) {
  // A 4-byte increment, a 5-byte shift and an 8-byte wide load whose immediate ends in 50 23: a walk that
  // misjudged any of them would miss the print instructions behind it.
  for (const std::string& head :
       {CodeBuilder().op(O::LoadImm, {'A', 0x69}).text(), CodeBuilder().op(O::LoadImm, {'A', 0x3E, 1}).text(),
        CodeBuilder().op(O::Mode, {'1'}).op(O::LoadImm, {'A', '=', 0, 0, 0x50, 0x23}).text()}) {
    const std::string code = CodeBuilder(head).print("A").print("B").text();
    EXPECT_EQ(printConst({code}).text, CodeBuilder(head).print("AB").text()) << head;
  }
}

TEST(PrintJoin, count_grows_past_255_in_16_bits) {
  const std::string code = CodeBuilder().print(std::string(200, 'x')).print(std::string(100, 'y')).text();
  EXPECT_EQ(printConst({code}).text.substr(0, 12), "50 23 2C 01 ");
}

TEST(PrintJoin, a_join_past_65535_bytes_starts_a_new_run) {
  const std::string big(65535, 'x');
  const std::string code = CodeBuilder().print(big).print("A").print("B").text();
  EXPECT_EQ(printConst({code}).text, CodeBuilder().print(big).print("AB").text());
}

TEST(PrintJoin, caret_code_starting_with_a_joined_print_is_marked_from_the_run_head) {
  CodeBuilder code(kPreamble);
  const int head = code.chars();
  code.print("A");
  const int caretStart = code.chars();
  code.print("B").op(O::Jump, {0, 0});  // the caret line: a print and a jump
  const int caretEnd = code.chars();
  code.print("C");
  const State after = printConst({code.text(), {}, caretStart, caretEnd});
  EXPECT_EQ(after.markStart, head);
  // The whole caret code stays marked, its jump included; only the removed header shortens it.
  EXPECT_EQ(after.markEnd, caretEnd - 12);
  EXPECT_EQ(after.text.substr(static_cast<std::size_t>(after.markEnd)), "50 23 01 00 43 ");
}

TEST(PrintJoin, a_caret_line_without_code_stays_unmarked) {
  CodeBuilder code(kPreamble);
  code.print("A");
  const int at = code.chars();
  code.print("B");
  const State after = printConst({code.text(), {}, at, at});
  EXPECT_EQ(after.markStart, after.markEnd);
}

TEST(PrintJoin, marks_behind_a_join_move_back_12) {
  CodeBuilder code;
  code.print("A").print("B");
  const int start = code.chars();
  code.op(O::Return);
  const int end = code.chars();
  const State after = printConst({code.text(), {}, start, end});
  EXPECT_EQ(after.markStart, start - 12);
  EXPECT_EQ(after.markEnd, end - 12);
}

// x < 10 with x in A and _sp0 in B, then If _sp0 = 1 skip 4 and the jump to the else label (slot 1).
CodeBuilder booleanCompare(CodeBuilder code, bool registers) {
  if (registers)
    code.op(O::CompareReg, {'A', '<', 'C', 0x0A, 0x00});
  else
    code.op(O::CompareImm, {'A', '<', 0x0A, 0x00, 0x0A, 0x00});
  return code.op(O::LoadImm, {'B', '=', 0, 0})
      .op(O::Jump, {6, 0})
      .op(O::LoadImm, {'B', '=', 1, 0})
      .op(O::CompareImm, {'B', '=', 1, 0, 4, 0})
      .op(O::Jump)
      .token(1);
}

TEST(IfFold, constant_compare_loses_the_load_sequence_and_the_jump) {
  CodeBuilder code = booleanCompare(CodeBuilder(kPreamble), false);
  const int behind = code.address();
  code.op(O::Return);
  const State after = foldIf({code.text(), {behind, 3, kNoAddress}});
  EXPECT_EQ(after.text, std::string(kPreamble) + "43 23 41 29 0A 00 L0001 52 54 ");
  EXPECT_EQ(after.labels, (std::vector<std::int32_t>{behind - 28, 3, kNoAddress}));
}

TEST(IfFold, register_compare_folds_the_same_way) {
  const State after = foldIf({booleanCompare(CodeBuilder(kPreamble), true).text()});
  EXPECT_EQ(after.text, std::string(kPreamble) + "43 52 41 29 43 L0001 ");
}

struct FoldCase {
  const char* name;
  std::string before;
  std::string after;
};

// The bytes of a code text as the characters of a print literal.
std::string literalOf(const std::string& codeText) {
  const std::vector<std::uint8_t> bytes = codeTextToBytes(codeText);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<FoldCase> foldCases() {
  const auto jumpTo1 = [](CodeBuilder c) { return c.op(O::Jump).token(1).text(); };
  const std::string compareInPrint =
      CodeBuilder()
          .print(
              literalOf(CodeBuilder().op(O::CompareImm, {'A', '=', 1, 0, 4, 0}).op(O::Jump, {1, 0}).text()))
          .text();
  std::string sequence = booleanCompare(CodeBuilder(), false).text();
  sequence.replace(sequence.size() - 6, 6, "05 00 ");
  const std::string sequenceInPrint = CodeBuilder().print(literalOf(sequence)).text();
  return {
      {"if_variable", jumpTo1(CodeBuilder().op(O::CompareImm, {'A', '=', 1, 0, 4, 0})),
       "43 23 41 21 01 00 L0001 "},
      {"every_condition_inverts", jumpTo1(CodeBuilder().op(O::CompareReg, {'A', ')', 'B', 4, 0})),
       "43 52 41 3C 42 L0001 "},
      {"jump_with_explicit_skip",
       CodeBuilder().op(O::CompareReg, {'A', '!', 'B', 4, 0}).op(O::Jump, {8, 0}).text(),
       "43 52 41 3D 42 08 00 "},
      {"other_condition_stays", jumpTo1(CodeBuilder().op(O::CompareImm, {'A', 0, 1, 0, 4, 0})),
       jumpTo1(CodeBuilder().op(O::CompareImm, {'A', 0, 1, 0, 4, 0}))},
      {"skip_over_something_else_stays",
       CodeBuilder().op(O::CompareImm, {'A', '=', 1, 0, 4, 0}).op(O::Return).text(),
       CodeBuilder().op(O::CompareImm, {'A', '=', 1, 0, 4, 0}).op(O::Return).text()},
      {"wide_compare_stays",
       jumpTo1(CodeBuilder().op(O::Mode, {'1'}).op(O::CompareImm, {'A', '=', 1, 0, 0, 0, 4, 0})),
       jumpTo1(CodeBuilder().op(O::Mode, {'1'}).op(O::CompareImm, {'A', '=', 1, 0, 0, 0, 4, 0}))},
      {"wide_compare_whose_immediate_reads_04_00_stays",
       CodeBuilder()
           .op(O::Mode, {'1'})
           .op(O::CompareImm, {'A', '=', 1, 0, 4, 0, 0x4A, 0x50})
           .op(O::Return)
           .text(),
       CodeBuilder()
           .op(O::Mode, {'1'})
           .op(O::CompareImm, {'A', '=', 1, 0, 4, 0, 0x4A, 0x50})
           .op(O::Return)
           .text()},
      {"register_compare_folds_in_wide_mode",
       jumpTo1(CodeBuilder().op(O::Mode, {'1'}).op(O::CompareReg, {'A', '=', 'B', 4, 0})),
       "4D 44 31 43 52 41 21 42 L0001 "},
      {"truncated_jump_stays",
       CodeBuilder().op(O::CompareImm, {'A', '=', 1, 0, 4, 0}).op(O::Jump, {0}).text(),
       CodeBuilder().op(O::CompareImm, {'A', '=', 1, 0, 4, 0}).op(O::Jump, {0}).text()},
      // Compare code inside literal bytes is data, not code.
      {"compare_inside_print_stays", compareInPrint, compareInPrint},
      {"load_sequence_inside_print_stays", sequenceInPrint, sequenceInPrint},
  };
}

class Fold : public ::testing::TestWithParam<FoldCase> {};

TEST_P(Fold, rewrites_as_expected) {
  EXPECT_EQ(foldIf({GetParam().before}).text, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(optimizer, Fold, ::testing::ValuesIn(foldCases()),
                         [](const auto& i) { return std::string(i.param.name); });

// --- the passes inside a compilation ---

TEST(Compilation, folds_the_if_condition_moves_its_labels_and_logs_each_pass) {
  testkit::FakeHost host;
  host.source = testkit::joinLines({"Sub start()", "x = 0", "If x < 10 Then", "x = 1", "End If", "End Sub"});
  host.caret = 2;
  MacroCompiler mc(host);
  ASSERT_TRUE(mc.Compile()) << host.lastLog();
  // x = 0, then one compare that jumps over x = 1 to the end of the block: 10 - 1 = 9 is the inverted
  // test's constant field, and the jump field skips the 6-byte load.
  const std::string expected =
      std::string(kPreamble) + "4C 23 41 3D 00 00 43 23 41 29 0A 00 06 00 4C 23 41 3D 01 00 ";
  EXPECT_EQ(host.codeView.substr(0, expected.size()), expected);
  const std::vector<std::string> phases = host.logOf(LogKind::Phase);
  const auto first = std::find(phases.begin(), phases.end(), "Complete Optimize 'Print'");
  ASSERT_NE(first, phases.end());
  ASSERT_GE(std::distance(first, phases.end()), 3);
  EXPECT_EQ(*(first + 1), "Complete Optimize 'Print'");
  EXPECT_EQ(*(first + 2), "Complete Optimize 'If'");
  // The caret line's code is the folded compare alone.
  EXPECT_EQ(mc.compiler.markStart, 18 * 3 + 18);
  EXPECT_EQ(mc.compiler.markEnd, 18 * 3 + 18 + 24);
}

// --- the one-walk rewrite against the in-place one, on generated programs ---

// Fragments a compilation strings together, with bytes picked to look like opcodes where they must not be
// taken for them.
std::string fragment(std::mt19937& rng, bool& wide) {
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  static constexpr int kTricky[] = {0x43, 0x23, 0x52, 0x50, 0x4A, 0x04, 0x00, 0x0A, 0x4C, 0x3D, 0x41, 0x31};
  const auto tricky = [&] { return static_cast<char>(kTricky[pick(12)]); };
  const auto jump = [&](CodeBuilder c) { return c.op(O::Jump).token(pick(4)).text(); };
  switch (pick(16)) {
    case 0:
    case 1: {
      std::string literal;
      for (int i = pick(5); i > 0; --i) literal += tricky();
      return CodeBuilder().print(literal).text();
    }
    case 2:
      return CodeBuilder().printReg(std::string(static_cast<std::size_t>(pick(3)), 'A')).text();
    case 3: {
      CodeBuilder c;
      for (int i = pick(3) + 1; i > 0; --i) c.data({tricky()});
      return c.text();
    }
    case 4:
      return CodeBuilder().op(pick(2) ? O::Push : O::Pop, {'A'}).text();
    case 5:
      return CodeBuilder()
          .op(O::LoadImm, {'A', pick(2) ? 0x69 : 0x3E, 1})
          .text()
          .substr(0, pick(2) ? 12 : 15);
    case 6:
      wide = !wide;
      return CodeBuilder().op(O::Mode, {wide ? '1' : '0'}).text();
    case 7:
    case 8: {
      std::string seq = booleanCompare(CodeBuilder(), pick(2) == 1).text();
      return seq.substr(0, seq.size() - 6) + labelToken(pick(4), false);
    }
    case 9:
      return jump(wide ? CodeBuilder().op(O::CompareImm, {'A', '<', 1, 0, 0, 0, 4, 0})
                       : CodeBuilder().op(O::CompareImm, {'A', '<', 1, 0, 4, 0}));
    case 10:
      return jump(CodeBuilder().op(O::CompareReg, {'A', '(', 'B', 4, 0}));
    case 11:
      return jump(CodeBuilder());
    case 12:
      return CodeBuilder()
          .op(O::LoadImm, {'A', '='})
          .token(pick(4), true)
          .bytes(wide ? std::initializer_list<int>{0, 0} : std::initializer_list<int>{})
          .text();
    case 13:
      return CodeBuilder().op(O::Return).text();
    default: {
      std::string literal;
      for (int i = pick(3); i > 0; --i) literal += tricky();
      return CodeBuilder().print(literal).print(std::string(1, tricky())).text();
    }
  }
}

State generated(std::uint32_t seed) {
  std::mt19937 rng(seed);
  bool wide = false;
  std::vector<std::int32_t> boundaries;
  std::string text(kPreamble);
  for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
    boundaries.push_back(static_cast<std::int32_t>(text.size()));
    text += fragment(rng, wide);
  }
  boundaries.push_back(static_cast<std::int32_t>(text.size()));
  const auto boundary = [&] { return boundaries[rng() % boundaries.size()]; };
  State s{text};
  for (int slot = 0; slot < 6; ++slot) s.labels.push_back(rng() % 5 == 0 ? kNoAddress : boundary() / 3);
  s.markStart = boundary();
  switch (rng() % 4) {
    case 0:
      s.markEnd = 0;
      break;  // the caret on the last line: its end is set after the passes
    case 1:
      s.markEnd = s.markStart;
      break;
    default:
      s.markEnd = std::max(s.markStart, boundary());
  }
  return s;
}

TEST(OneWalkRewrite, equals_the_in_place_rewrite_on_generated_programs) {
  for (std::uint32_t seed = 1; seed <= 600; ++seed) {
    const State input = generated(seed);
    State expected = input;
    referencePrint("50 23", expected.text, expected.labels, expected.markStart, expected.markEnd);
    State actual = printConst(input);
    ASSERT_EQ(actual, expected) << "print const, seed " << seed << " from " << input;
    referencePrint("50 52", expected.text, expected.labels, expected.markStart, expected.markEnd);
    actual = printReg(actual);
    ASSERT_EQ(actual, expected) << "print reg, seed " << seed;
    const State beforeIf = expected;
    referenceIf(expected.text, expected.labels, expected.markStart, expected.markEnd);
    actual = foldIf(actual);
    ASSERT_EQ(actual, expected) << "if, seed " << seed << " from " << beforeIf;
  }
}

}  // namespace
}  // namespace kelmore
