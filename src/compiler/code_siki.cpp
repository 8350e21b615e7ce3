// Expression compiler: infix text to postfix, then folded constants or compare/arithmetic code.
// Layer: compiler (plain C++, no Qt).
#include <locale.h>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/numbers.h"
#include "common/strings.h"
#include "compiler/codeout.h"
#include "compiler/compiler.h"
#include "compiler/instructions.h"

namespace kelmore {
namespace {

// The fourteen operator tokens, compared exactly; "=" is a comparison inside an expression.
bool isComparison(std::string_view t) {
  for (const auto& op : kOperators)
    if (op.condition && op.token == t) return true;
  return false;
}

bool isOperator(std::string_view t) {
  for (const auto& op : kOperators)
    if (op.token == t) return true;
  return false;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// General format with up to 15 significant digits ("-3", "2.5", "1E+15"), the same under every locale: the
// window toolkit sets the user's locale, whose decimal comma would change folded constants.
std::string formatDouble(double value) {
  if (value == 0) return "0";
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

// The value of a decimal number text ("1.5", "-2", "1E+15", "3D2"), read with a decimal point under every
// locale. A magnitude past the double range is a fault, never a silent 0.
double decimalValue(std::string_view t) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  std::string text(t);
  for (char& c : text)
    if (c == 'D' || c == 'd') c = 'E';
  const double value = strtod_l(text.c_str(), nullptr, cLocale);
  if (std::isinf(value)) throw CompileFault("number too large");
  return value;
}

std::int32_t toInt32(double value) {
  const auto v = nearestInRange(value, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max());
  if (!v) throw CompileFault("value outside 32 bits");
  return static_cast<std::int32_t>(*v);
}

}  // namespace

bool isNumberText(std::string_view t) {
  if (t.size() >= 3 && t[0] == '&') {
    const char radix = lowerAscii(t[1]);
    const std::string_view digits = t.substr(2);
    if (radix == 'h') {
      if (digits.size() > 8) return false;
      for (char c : digits)
        if (hexDigitValue(c) < 0) return false;
      return true;
    }
    if (radix == 'o') {
      if (digits.size() > 11) return false;
      for (char c : digits)
        if (c < '0' || c > '7') return false;
      return true;
    }
    return false;
  }
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  bool digits = false;
  while (i < t.size() && isDigit(t[i])) ++i, digits = true;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && isDigit(t[i])) ++i, digits = true;
  }
  if (!digits) return false;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    const std::size_t first = i;
    while (i < t.size() && isDigit(t[i])) ++i;
    if (i == first) return false;
  }
  return i == t.size();
}

double numberValue(std::string_view t) {
  if (!isNumberText(t)) return leadingNumber(t);
  if (t[0] == '&' && (t[1] == 'h' || t[1] == 'H')) {
    std::uint64_t value = 0;
    for (char c : t.substr(2)) value = (value << 4) | static_cast<unsigned>(hexDigitValue(c));
    // Up to four digits read as 16 bits, five to eight as 32 bits, both signed.
    if (t.size() - 2 <= 4) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  if (t[0] == '&') {
    std::uint64_t value = 0;
    for (char c : t.substr(2)) value = value * 8 + static_cast<unsigned>(c - '0');
    // An octal literal is at most 32 bits; eleven digits can say more.
    if (value > 0xFFFFFFFFu) throw CompileFault("number too large");
    if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  return decimalValue(t);
}

std::int16_t CodeOut::opPriority(std::string_view token) {
  if (token.size() == 3) {
    if (equalsIgnoringCase(token, "mod")) return 4;
    if (equalsIgnoringCase(token, "and") || equalsIgnoringCase(token, "xor")) return 1;
    return 5;
  }
  if (token.size() == 2) {
    if (token == "<>" || token == "<=" || token == ">=") return 2;
    if (equalsIgnoringCase(token, "or")) return 1;
    return 5;
  }
  if (token.size() > 1) return 5;
  if (token.empty()) return 0;
  switch (token[0]) {
    case '(':
      return 6;
    case '*':
    case '/':
      return 4;
    case '+':
    case '-':
      return 3;
    case '=':
    case '<':
    case '>':
      return 2;
    case ')':
      return 0;
    default:
      return 5;
  }
}

void CodeOut::toPostfix(std::string_view expression) {
  workStack.clear();
  postfixList.clear();
  workStack.emplace_back();  // sentinel

  auto top = [this]() -> std::string_view {
    return workStack.empty() ? std::string_view() : std::string_view(workStack.back());
  };
  auto moveTop = [this]() {
    if (workStack.empty()) throw CompileFault("')' without '('");
    postfixList.push_back(std::move(workStack.back()));
    workStack.pop_back();
  };

  std::string spaced;
  spaced.reserve(expression.size() + 8);
  for (char c : expression) {
    if (c == '(')
      spaced += " ( ";
    else if (c == ')')
      spaced += " ) ";
    else
      spaced += c;
  }
  const std::string_view text = trimBlanks(spaced);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t blank = text.find(' ', start);
    if (blank == std::string_view::npos) blank = text.size();
    const std::string_view t = text.substr(start, blank - start);
    start = blank + 1;
    if (t.empty()) continue;
    const std::int16_t priority = opPriority(t);
    while (priority <= opPriority(top()) && top() != "(") moveTop();
    if (t == ")") {
      if (workStack.empty()) throw CompileFault("')' without '('");
      workStack.pop_back();
    } else {
      workStack.emplace_back(t);
    }
  }
  while (workStack.size() > 1) moveTop();
}

std::string CodeOut::fold(const std::string& left, const std::string& right, const std::string& op) const {
  const double l = numberValue(left);
  const double r = numberValue(right);
  if (op == "=") return l == r ? "1" : "0";
  if (op == "<>") return l != r ? "1" : "0";
  if (op == "<") return l < r ? "1" : "0";
  if (op == ">") return l > r ? "1" : "0";
  if (op == "<=") return l <= r ? "1" : "0";
  if (op == ">=") return l >= r ? "1" : "0";
  if (op == "+" || op == "-" || op == "*") {
    const double v = op == "+" ? l + r : op == "-" ? l - r : l * r;
    if (!std::isfinite(v)) throw CompileFault("constant overflow");
    return formatDouble(v);
  }
  const std::int32_t a = toInt32(l);
  const std::int32_t b = toInt32(r);
  if (op == "/" || op == "Mod") {
    if (b == 0) throw CompileFault("division by zero");
    // The module divides integers and truncates toward zero; folding does the same.
    if (b == -1) return op == "/" ? std::to_string(-static_cast<std::int64_t>(a)) : "0";
    return std::to_string(op == "/" ? a / b : a % b);
  }
  if (op == "And") return std::to_string(a & b);
  if (op == "Or") return std::to_string(a | b);
  return std::to_string(a ^ b);  // Xor
}

std::string CodeOut::code_siki(std::string_view expression, std::int16_t base) {
  auto& tables = owner_.hensuulabel;
  toPostfix(expression);
  workStack.clear();
  const bool wide = owner_.compiler.wideMode != 0;
  const std::int16_t compareSkip = wide ? 12 : 10;
  const std::int16_t jumpSkip = wide ? 8 : 6;

  auto pop = [this]() {
    if (workStack.empty()) throw CompileFault("operator without its operands");
    std::string v = std::move(workStack.back());
    workStack.pop_back();
    return v;
  };

  const std::size_t count = postfixList.size();
  for (std::size_t k = 0; k < count; ++k) {
    const std::string& t = postfixList[k];
    if (!isOperator(t)) {
      workStack.push_back(t);
      if (tables.getVarReg(t) == kNo && !isNumberText(t)) {
        const std::string message =
            std::string(resString(1030)) + " " + t + " " + std::string(resString(1014));
        owner_.host.messageBox(message);
        owner_.host.addlog("error:" + message, LogKind::Error);
        return std::string(kCodeSikiError);
      }
      continue;
    }
    const std::string right = pop();
    const std::string left = pop();
    const bool leftVar = tables.getVarReg(left) != kNo;
    const bool rightVar = tables.getVarReg(right) != kNo;
    const std::size_t p = workStack.size();
    if (!leftVar && !rightVar) {
      workStack.push_back(fold(left, right, t));
      continue;
    }
    const std::string temp = "_sp" + std::to_string(base + static_cast<long>(p));
    if (tables.getVarReg(temp) == kNo) tables.addVar(temp);
    if (isComparison(t)) {
      if (leftVar && !rightVar) {
        code_jmpcImm(left, numberValue(right), t, compareSkip);
      } else if (!leftVar) {
        code_calcImm(temp, numberValue(left), "=");
        code_jmpcReg(temp, right, t, compareSkip);
      } else {
        code_jmpcReg(left, right, t, compareSkip);
      }
      code_calcImm(temp, 0, "=");
      code_jmp(jumpSkip);
      code_calcImm(temp, 1, "=");
    } else {
      if (leftVar && !rightVar) {
        code_calcReg(temp, left, "=");
        code_calcImm(temp, numberValue(right), t);
      } else if (!leftVar) {
        code_calcImm(temp, numberValue(left), "=");
        code_calcReg(temp, right, t);
      } else {
        if (toLowerAscii(left) != toLowerAscii(temp)) code_calcReg(temp, left, "=");
        code_calcReg(temp, right, t);
      }
    }
    workStack.push_back(temp);
    if (leftVar && rightVar) {
      const std::string next = "_sp" + std::to_string(base + static_cast<long>(p) + 1);
      if (tables.getVarReg(next) != kNo) tables.delVar(next);
    }
  }
  // Nothing to compute, or operands left without an operator between them, is no expression.
  if (workStack.size() != 1) owner_.expressionExit();
  return workStack.front();
}

}  // namespace kelmore
