// Whole-compilation fixture for the statement tests: compile lines for a model through the fake host, and
// the cases of their tables, a program with the code it compiles to or the errors it gives.
// Layer: tests (plain C++).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/dispatch.h"
#include "fake_host.h"

namespace kelmore::testkit {

inline constexpr std::string_view kPreamble = "45 44 45 54 00 00 00 45 50 00 00 30 00 00 00 00 00 00 ";

struct Compiled {
  std::unique_ptr<FakeHost> host = std::make_unique<FakeHost>();
  std::unique_ptr<MacroCompiler> mc;
  bool ok = false;

  // The code after the preamble, as the code view shows it after a successful compile.
  std::string code() const {
    const std::string& view = host->codeView;
    return view.starts_with(kPreamble) ? view.substr(kPreamble.size()) : "(no code: " + view + ")";
  }
  // Boxes, log lines ("log:...") and marks ("mark:n") of errors, in order; phase lines left out.
  std::vector<std::string> errors() const {
    std::vector<std::string> out;
    std::size_t logIndex = 0;
    for (const std::string& e : host->events) {
      if (e.starts_with("log:")) {
        if (host->log[logIndex++].kind == LogKind::Error) out.push_back(e);
      } else {
        out.push_back(e);
      }
    }
    return out;
  }
  // Name and address of a label of the label list, or "absent".
  std::string labelAddress(std::string_view name) const {
    for (const ListRow& row : host->lists[CompilerList::Labels])
      if (row.sub1 == name) return row.sub2;
    return "absent";
  }
  // The variable key bound to a register ("" when free).
  std::string binding(std::string_view reg) const {
    for (const ListRow& row : host->lists[CompilerList::Variables])
      if (row.text == reg) return row.sub1;
    return "absent";
  }
};

// `setUp`, when given, prepares the host before the compile (an image list, say).
inline Compiled compileLines(std::string_view model, const std::vector<std::string_view>& lines,
                             void (*setUp)(FakeImageList&) = nullptr) {
  Compiled c;
  c.host->model = std::string(model);
  if (setUp) setUp(c.host->imageList);
  std::string text;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) text += "\r\n";
    text += lines[k];
  }
  c.host->source = text;
  c.mc = std::make_unique<MacroCompiler>(*c.host);
  c.ok = c.mc->Compile();
  return c;
}

// The error events of the expression exit on line index n: the message names the line from 1, as the
// editor's Row box does, and the mark takes the index.
inline std::vector<std::string> expressionError(int line) {
  const std::string text = "Expression error Line: " + std::to_string(line + 1);
  return {"box:" + text, "log:error:" + text, "mark:" + std::to_string(line)};
}
// The error events of the error exit with `text` on line n, its line marked after the box and the log.
inline std::vector<std::string> errorExitAt(const std::string& text, int line) {
  return {"box:" + text, "log:error:" + text, "mark:" + std::to_string(line)};
}
// The error events of the unexpected-error exit on line index n (the log names line n + 1).
inline std::vector<std::string> unexpectedError(int line) {
  return {"log:" + std::to_string(line + 1) + ": This line cause unexpected error. Compile is disturbed.",
          "mark:" + std::to_string(line)};
}
// The error events of an unrecognised operand followed by the unexpected-error exit on line n.
inline std::vector<std::string> unknownOperand(std::string_view token, int line) {
  const std::string text = "Vatiabl(s) " + std::string(token) + "  can not be found.";
  std::vector<std::string> events = {"box:" + text, "log:error:" + text};
  for (std::string& e : unexpectedError(line)) events.push_back(std::move(e));
  return events;
}

// A program for a model and the code after the preamble it compiles to, one instruction per string.
struct CodeCase {
  const char* name;
  std::string_view model;
  std::vector<std::string_view> lines;
  std::string_view code;
};
// A program for a model and the error events of its compile, in order.
struct ErrorCase {
  const char* name;
  std::string_view model;
  std::vector<std::string_view> lines;
  std::vector<std::string> events;
};
// A failing case is named in the test's message by its name, not by its bytes.
inline void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << c.name;
}
inline void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

// The compile of `lines` for `model` succeeds with `code` after the preamble (`setUp` as for compileLines).
inline void expectCode(std::string_view model, const std::vector<std::string_view>& lines,
                       std::string_view code, void (*setUp)(FakeImageList&) = nullptr) {
  const Compiled result = compileLines(model, lines, setUp);
  ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.errors());
  EXPECT_EQ(result.code(), code);
}
// The compile of `lines` for `model` fails with exactly `events`; it is handed back for further checks.
inline Compiled expectErrors(std::string_view model, const std::vector<std::string_view>& lines,
                             const std::vector<std::string>& events,
                             void (*setUp)(FakeImageList&) = nullptr) {
  Compiled result = compileLines(model, lines, setUp);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errors(), events);
  return result;
}

}  // namespace kelmore::testkit
