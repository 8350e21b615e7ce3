// Code text builder for the instruction, optimiser and listing tests: instructions by name, bytes by value.
// Layer: tests (plain C++).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/codetext.h"
#include "compiler/instructions.h"

namespace kelmore::testkit {

class CodeBuilder {
 public:
  CodeBuilder() = default;
  explicit CodeBuilder(std::string_view start) : text_(start) {}

  // Instruction bytes, each with a blank.
  CodeBuilder& op(Opcode opcode, std::initializer_list<int> operands = {}) {
    text_ += opcodeText(opcode);
    return bytes(operands);
  }
  CodeBuilder& bytes(std::initializer_list<int> values) {
    for (int v : values) appendCodeByte(text_, static_cast<std::uint8_t>(v));
    return *this;
  }
  // Bytes of a Data statement, each with ".".
  CodeBuilder& data(std::initializer_list<int> values) {
    for (int v : values) appendCodeByte(text_, static_cast<std::uint8_t>(v), kDataSeparator);
    return *this;
  }
  CodeBuilder& token(int slot, bool absolute = false) {
    text_ += labelToken(slot, absolute);
    return *this;
  }
  // P# of the characters of `literal` (or PR of register codes).
  CodeBuilder& print(std::string_view literal) { return counted(Opcode::PrintConst, literal); }
  CodeBuilder& printReg(std::string_view registers) { return counted(Opcode::PrintReg, registers); }
  CodeBuilder& counted(Opcode opcode, std::string_view content) {
    op(opcode, {static_cast<int>(content.size() % 256), static_cast<int>(content.size() / 256)});
    for (char c : content) appendCodeByte(text_, static_cast<std::uint8_t>(c));
    return *this;
  }
  // Raw text (a hand-written tail, say).
  CodeBuilder& raw(std::string_view text) {
    text_ += text;
    return *this;
  }

  // Byte address and character count of the code so far.
  int address() const { return static_cast<int>(text_.size() / kCellChars); }
  int chars() const { return static_cast<int>(text_.size()); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace kelmore::testkit
