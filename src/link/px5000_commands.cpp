// PX5000 command members: display commands, memory and mode commands, macro download and start.
// Layer: link (plain C++, no Qt).
#include <algorithm>
#include <array>
#include <vector>

#include "common/framing.h"
#include "link/fields.h"
#include "link/px5000.h"
#include "platform/codepage.h"

namespace kelmore::link {

using fields::appendField;
using fields::appendWord;
using fields::arg16;
using fields::byte;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::int64_t kWindowFieldMax = 32767;
constexpr std::size_t kWmrBlock = 1024;
constexpr int kReplyWaitMs = 50;
constexpr int kWmrHeaderWaitMs = 1100;
constexpr int kWmrBlockWaitMs = 500;
constexpr int kShortTimeoutSec = 2;
constexpr int kLongTimeoutSec = 20;

Bytes withData(Bytes bytes, std::span<const std::uint8_t> data) {
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

}  // namespace

void PX5000::send(std::initializer_list<std::uint8_t> bytes) {
  ifOut(Bytes(bytes));
}

// --- display commands ---

void PX5000::printText(std::string_view text) {
  if (text.empty()) throw DeviceError(DeviceError::Kind::Argument);
  const std::string bytes = platform::toCodePage(text);
  ifOut(Bytes(bytes.begin(), bytes.end()));
}

int PX5000::printTextNum(std::string_view text) {
  if (text.empty()) throw DeviceError(DeviceError::Kind::Argument);
  return arg16(static_cast<std::int64_t>(platform::toCodePage(text).size()));
}

void PX5000::printCode(int code) {
  send({byte(code)});
}
void PX5000::bs() {
  send({0x08});
}
void PX5000::ht() {
  send({0x09});
}
void PX5000::lf() {
  send({0x0A});
}
void PX5000::hom() {
  send({0x0B});
}
void PX5000::cr() {
  send({0x0D});
}
void PX5000::clear() {
  send({0x0C});
}
void PX5000::bright(int bright) {
  send({0x1F, 0x58, byte(bright)});
}
void PX5000::Initialize() {
  send({0x1B, 0x40});
}

void PX5000::cursorSet(int x, int y) {
  Bytes bytes{0x1F, 0x24};
  appendWord(bytes, x);
  appendWord(bytes, y);
  ifOut(bytes);
}

void PX5000::cursorSelect(int mode) {
  send({0x1F, 0x43, byte(mode)});
}
void PX5000::screenMode(int mode) {
  send({0x1F, 0x28, 0x77, 0x10, byte(mode)});
}
void PX5000::internatinal(int fontSet) {
  send({0x1B, 0x52, byte(fontSet)});
}

void PX5000::characterCode(int codeTable) {
  const int n = arg16(codeTable);
  if (n < 0) fields::overflow();
  const int m = n <= 5 ? n : (n == 255 ? 255 : n + 10);
  send({0x1B, 0x74, byte(m)});
}

void PX5000::displayMode(int mode) {
  send({0x1F, byte(mode)});
  displayMode_ = mode;
}

void PX5000::scrollVelocity(int velocity) {
  send({0x1F, 0x73, byte(velocity)});
  scrollVelocity_ = velocity;
}

void PX5000::fontsize(int size) {
  send({0x1F, 0x28, 0x67, 0x01, byte(size)});
  fontsize_ = size;
}

void PX5000::kanjiMode(int mode) {
  send({0x1F, 0x28, 0x67, 0x02, byte(mode)});
  kanjiMode_ = mode;
}

void PX5000::characterType(int chara) {
  send({0x1F, 0x28, 0x67, 0x03, byte(chara)});
  characterType_ = chara;
}

void PX5000::fontScale(int x, int y) {
  send({0x1F, 0x28, 0x67, 0x40, byte(x), byte(y)});
  fontScaleX_ = x;
  fontScaleY_ = y;
}

void PX5000::fontBold(int bold) {
  send({0x1F, 0x28, 0x67, 0x41, byte(bold)});
  fontBold_ = bold;
}

void PX5000::wait(int waitTime) {
  send({0x1F, 0x28, 0x61, 0x01, byte(waitTime)});
}
void PX5000::shortwait(int waitTime) {
  send({0x1F, 0x28, 0x61, 0x02, byte(waitTime)});
}

void PX5000::scroll(int step, int count, int speed) {
  Bytes bytes{0x1F, 0x28, 0x61, 0x10};
  appendWord(bytes, step);
  appendWord(bytes, count);
  bytes.push_back(byte(speed));
  ifOut(bytes);
}

void PX5000::blink(int pattern, int normalTime, int eventTime, int count) {
  send({0x1F, 0x28, 0x61, 0x11, byte(pattern), byte(normalTime), byte(eventTime), byte(count)});
}

void PX5000::curtain(int direction, int speed, int pattern) {
  send({0x1F, 0x28, 0x61, 0x12, byte(direction), byte(speed), byte(pattern)});
}

void PX5000::spring(int direction, int speed, int address) {
  Bytes bytes{0x1F, 0x28, 0x61, 0x13, byte(direction), byte(speed)};
  appendWord(bytes, address);
  ifOut(bytes);
}

void PX5000::random(int speed, int address) {
  Bytes bytes{0x1F, 0x28, 0x61, 0x14, byte(speed)};
  appendWord(bytes, address);
  ifOut(bytes);
}

void PX5000::power(int power) {
  send({0x1F, 0x28, 0x61, 0x40, byte(power)});
}

void PX5000::dotDraw(int color, int x, int y) {
  Bytes bytes{0x1F, 0x28, 0x64, 0x10, byte(color)};
  appendWord(bytes, x);
  appendWord(bytes, y);
  ifOut(bytes);
}

void PX5000::lineDraw(int mode, int color, int x1, int y1, int x2, int y2) {
  Bytes bytes{0x1F, 0x28, 0x64, 0x11, byte(mode), byte(color)};
  for (int value : {x1, y1, x2, y2}) appendWord(bytes, value);
  ifOut(bytes);
}

// --- memory, mode and macro commands ---

void PX5000::scrollQuality(int quality) {
  send({0x1F, 0x6D, byte(quality)});
  scrollQuality_ = quality;
}

void PX5000::reverseMode(int sw) {
  send({0x1F, 0x72, byte(sw)});
}
void PX5000::drawMode(int sw) {
  send({0x1F, 0x77, byte(sw)});
}
void PX5000::windowSelect(int window) {
  send({0x1F, 0x28, 0x77, 0x01, byte(window)});
}

void PX5000::windowDefine(int window, int left, int top, int width, int height) {
  Bytes bytes{0x1F, 0x28, 0x77, 0x02, byte(window), 0x01};
  for (int value : {left, top, width, height}) appendField(bytes, value, kWindowFieldMax);
  ifOut(bytes);
}

void PX5000::windowCancel(int window) {
  send({0x1F, 0x28, 0x77, 0x02, byte(window), 0x00});
}
void PX5000::downloadEnable(int sw) {
  send({0x1B, 0x25, byte(sw)});
}

void PX5000::downloadDefine1(int size, int code, int dWidth, int dHeight,
                             std::span<const std::uint8_t> ddata) {
  const std::uint8_t c = byte(code);
  // No argument feeds the sixth byte; it goes out as 00.
  Bytes bytes{0x1B, 0x26, byte(size), c, c, 0x00};
  const std::int64_t patternBytes = std::int64_t{arg16(dWidth)} * (arg16(dHeight) / 8);
  ifOut(withData(std::move(bytes), fields::head(ddata, patternBytes)));
}

void PX5000::downloadCancel1(int size, int code) {
  send({0x1B, 0x3F, byte(size), byte(code)});
}

void PX5000::downloadDefine2(int hCode, int lcode, std::span<const std::uint8_t> ddata) {
  ifOut(withData({0x1F, 0x28, 0x67, 0x10, byte(hCode), byte(lcode)}, fields::head(ddata, 32)));
}

void PX5000::downloadCancel2(int hCode, int lcode) {
  send({0x1F, 0x28, 0x67, 0x11, byte(hCode), byte(lcode)});
}
void PX5000::downloadSave(int size) {
  send({0x1F, 0x28, 0x65, 0x11, byte(size)});
}
void PX5000::downloadTransfer(int size) {
  send({0x1F, 0x28, 0x65, 0x21, byte(size)});
}

void PX5000::userFontDefine(int table, int& s, std::span<const std::uint8_t> ddata) {
  const std::uint8_t size = byte(table);
  int n = s;
  if (size == 1) n = 6;
  if (size == 2) n = 16;
  if (size == 4) n = 64;
  Bytes bytes = withData({0x1F, 0x28, 0x65, 0x13, size}, fields::head(ddata, std::int64_t{128} * n));
  s = n;
  ifOut(bytes);
}

void PX5000::userModeIn() {
  ifOut(kUserModeIn);
  std::string reply(4, ' ');
  IfInStr(reply, kShortTimeoutSec);
}

void PX5000::userModeOut() {
  ifOut(kUserModeOut);
}
void PX5000::portSetting(int port, int portset) {
  send({0x1F, 0x28, 0x70, 0x01, byte(port), byte(portset)});
}
void PX5000::portOutput(int port, int pdate) {
  send({0x1F, 0x28, 0x70, 0x10, byte(port), byte(pdate)});
}

std::optional<std::uint8_t> PX5000::readSwitchReply() {
  pause(kReplyWaitMs);
  std::array<std::uint8_t, 4> reply{};
  if (!IfIn(reply, kLongTimeoutSec)) return std::nullopt;
  return reply[3];
}

std::optional<std::uint8_t> PX5000::portInput(int port) {
  send({0x1F, 0x28, 0x70, 0x20, byte(port)});
  return readSwitchReply();
}

void PX5000::fromRamMacroDefine(std::span<const std::uint8_t> macroData, std::int64_t dataLength) {
  fields::checkField(dataLength, kMaxMacroLength);
  ifOut(ramMacroDefine(fields::head(macroData, dataLength)));
}

void PX5000::fromMacroDefine(int number, int stepTimer, int loopTimer,
                             std::span<const std::uint8_t> macroData, std::int64_t dataLength) {
  const std::uint8_t area = byte(number);
  fields::checkField(dataLength, kMaxMacroLength);
  ifOut(flashMacroDefine(area, byte(stepTimer), byte(loopTimer), fields::head(macroData, dataLength)));
}

void PX5000::fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> macroData,
                                std::int64_t dataLength) {
  fields::checkField(dataLength, kMaxMacroLength);
  const auto code = fields::head(macroData, dataLength);
  // A failed link ends the sequence: its later pauses would only hold the window up.
  if (!ifOut(flashMacroHeader(1, code.size(), byte(stepTimer), byte(loopTimer)))) return;
  pause(kWmrHeaderWaitMs);
  // The offset is counted wide, so every length the header can carry goes out whole.
  for (std::size_t offset = 0; offset < code.size(); offset += kWmrBlock) {
    Bytes block(kWmrBlock, 0xFF);
    const auto piece = code.subspan(offset, std::min(kWmrBlock, code.size() - offset));
    std::copy(piece.begin(), piece.end(), block.begin());
    if (!ifOut(block)) return;
    pause(kWmrBlockWaitMs);
  }
}

void PX5000::fromMacroStart(int number, int stepTimer, int loopTimer, std::span<const std::uint8_t> macroData,
                            std::int64_t dataLength) {
  // The auto-start value is checked with the rest, so a bad number sends nothing of the sequence.
  const std::uint8_t autoStart = byte(macroNumber(arg16(number)));
  byte(stepTimer);
  byte(loopTimer);
  fields::checkField(dataLength, kMaxMacroLength);
  fields::head(macroData, dataLength);
  userModeIn();
  fromMacroDefine(number, stepTimer, loopTimer, macroData, dataLength);
  dummyRead();
  writeMemorySw(kAutoStartSwitch, autoStart);
  dummyRead();
  userModeOut();
}

void PX5000::MacroGo(int number, int stepTimer, int idleTimer) {
  send({0x1F, 0x5E, byte(number), byte(stepTimer), byte(idleTimer)});
}

void PX5000::writeMemorySw(int sw, int d) {
  send({0x1F, 0x28, 0x65, 0x03, byte(sw), byte(d)});
}

std::optional<std::uint8_t> PX5000::readMemorySw(int sw) {
  send({0x1F, 0x28, 0x65, 0x04, byte(sw)});
  return readSwitchReply();
}

std::string PX5000::readDot(std::uint8_t which) {
  send({0x1F, 0x28, 0x65, 0x40, which});
  pause(kReplyWaitMs);
  std::string reply(6, ' ');
  IfInStr(reply, kShortTimeoutSec);
  return reply;
}

std::string PX5000::readXDot() {
  return readDot(0x40);
}
std::string PX5000::readYDot() {
  return readDot(0x41);
}

void PX5000::dummyWrite(int dataLength) {
  if (arg16(dataLength) < 1) return;
  ifOut(Bytes(static_cast<std::size_t>(dataLength), 0x00));
}

std::string PX5000::dummyRead() {
  send({0x1F, 0x28, 0x65, 0x40, 0x40});
  pause(kReplyWaitMs);
  std::string reply(6, ' ');
  IfInStr(reply, kLongTimeoutSec);
  return reply;
}

}  // namespace kelmore::link
