// PX5000: the device object, the one path to a display module. Link properties, presence check, open and
// close, framed or raw sends, replies with time-outs, model detection, and every module command.
// Layer: link (plain C++, no Qt).
//
// Use: set the link properties, test ifCheck_silent() (0 reachable, 1 cannot open or reach, 2 serial
// set-up failed or CTS off), set moduleName("") to detect ("PX0X0": no module), then one device operation:
// ifOpen(), any command members, ifClose(); linkError() then tells whether every step went out. Commands
// sent while the link is closed open and close it around themselves. Everything runs on the user-interface
// thread; the link lets the window process events while it writes and polls, so a handler may re-enter:
// test ifOpenf (isOpen()) before starting a device operation.
//
// Command members build their bytes whole and hand them to ifOut once. A numeric argument that does not
// fit its field, or a data array shorter than the bytes to copy, throws DeviceError before anything of
// that command is sent. Link failures never throw: they are kept (linkError) and make the rest of the
// operation return at once. Replies are kept as raw bytes.
//
// ifMode "COM" (exact) selects the serial link qolxCom; any other text selects the TCP link qolxSock, whose
// checks (an echo answered within 4000 ms, ifCheck and ifCheck_silent alike) and opens give 0 or 1. Both
// links send, pause and read by the same rules (ByteLink).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bitmap.h"
#include "common/models.h"
#include "link/linkenv.h"
#include "link/linkerror.h"
#include "link/qolxcom.h"
#include "link/qolxsock.h"

namespace kelmore::link {

// How long the TCP check waits for the module's echo.
inline constexpr int kEchoWaitMs = 4000;

class PX5000 {
 public:
  explicit PX5000(LinkEnv& env);                       // both links on the platform's port and sockets
  PX5000(LinkEnv& env, std::unique_ptr<qolxCom> com);  // TCP on the platform's sockets
  PX5000(LinkEnv& env, std::unique_ptr<qolxCom> com, std::unique_ptr<qolxSock> sock);
  ~PX5000();
  PX5000(const PX5000&) = delete;
  PX5000& operator=(const PX5000&) = delete;

  // Link-open flag: -1 from ifOpen (whatever its result) until ifClose, else 0.
  std::int16_t ifOpenf = 0;
  bool isOpen() const { return ifOpenf != 0; }
  // Write position in the accumulation buffer: printBmpFrombuf appends there.
  std::int32_t bmpFrombufP = 0;

  // --- link properties; a change takes effect at the next check, open or send ---
  void ifMode(std::string_view mode) { ifMode_ = mode; }
  const std::string& ifMode() const { return ifMode_; }
  void commPort(int port);  // DeviceError Overflow outside the 16-bit range
  int commPort() const { return commPort_; }
  void commSettings(std::string_view settings) { commSettings_ = settings; }
  const std::string& commSettings() const { return commSettings_; }
  void ipAddress(std::string_view address) { ipAddress_ = address; }
  const std::string& ipAddress() const { return ipAddress_; }
  void tcpPort(std::int64_t port);      // DeviceError Overflow outside the 32-bit range
  void tcpPort(std::string_view text);  // a number, to the nearest integer; else DeviceError Conversion
  std::int32_t tcpPort() const { return tcpPort_; }
  void moduleAdd(std::string_view add) { moduleAdd_ = add; }
  const std::string& moduleAdd() const { return moduleAdd_; }

  // --- link operations ---
  int ifCheck();
  int ifCheck_silent();
  int ifOpen();
  int ifOpenBlk();  // as ifOpen: every read of both links is bounded, so there is no blocking mode to ask
  void ifClose();
  // True when every byte was handed to the port (and, when it opened the link itself, has left it); a
  // failure is kept in linkError. Opens and closes around itself when the link is closed.
  bool ifOut(std::span<const std::uint8_t> data);
  // Reads as many bytes as `str` holds in the system code page (callers pass blanks); on success `str`
  // holds the raw reply bytes, on failure it is empty.
  bool IfInStr(std::string& str, int timeOutSec);
  // Reads data.size() bytes; on failure `data` keeps what arrived.
  bool IfIn(std::span<std::uint8_t> data, int timeOutSec);
  // The kept failure of the link since it was last opened (None: every step went out).
  LinkError linkError() const;

  // The empty text detects the model over the link ("PX" width "X" height); other names are stored as
  // given and parsed: "PX" removed, split at "X", the pieces are the dot width and height. A name
  // without "X" (after the removal) or a piece that is no 16-bit number throws DeviceError, the name being
  // stored already.
  void moduleName(std::string_view name);
  const std::string& moduleName() const { return moduleName_; }
  int moduleDotX() const { return dotX_; }
  int moduleDotY() const { return dotY_; }

  // --- display commands ---
  void printText(std::string_view text);  // UTF-8, sent in the system code page; empty: DeviceError
  int printTextNum(std::string_view text);
  void printCode(int code);
  void bs();
  void ht();
  void lf();
  void hom();
  void cr();
  void clear();
  void bright(int bright);
  void Initialize();
  void cursorSet(int x, int y);
  void cursorSelect(int mode);
  void screenMode(int mode);
  int screenMode() const { return 0; }  // keeps nothing; no caller reads it
  void internatinal(int fontSet);
  void characterCode(int codeTable);
  void displayMode(int mode);
  int displayMode() const { return displayMode_; }
  void scrollVelocity(int velocity);
  int scrollVelocity() const { return scrollVelocity_; }
  void fontsize(int size);
  int fontsize() const { return fontsize_; }
  void kanjiMode(int mode);
  int kanjiMode() const { return kanjiMode_; }
  void characterType(int chara);
  int characterType() const { return characterType_; }
  void fontScale(int x, int y);
  int fontScaleX() const { return fontScaleX_; }
  int fontScaleY() const { return fontScaleY_; }
  void fontBold(int bold);
  int fontBold() const { return fontBold_; }
  void wait(int waitTime);
  void shortwait(int waitTime);
  void scroll(int step, int count, int speed);
  void blink(int pattern, int normalTime, int eventTime, int count);
  void curtain(int direction, int speed, int pattern);
  void spring(int direction, int speed, int address);
  void random(int speed, int address);
  void power(int power);
  void dotDraw(int color, int x, int y);
  void lineDraw(int mode, int color, int x1, int y1, int x2, int y2);

  // --- bitmap files and image commands ---
  // The image buffer holds the last converted image from index 0; the accumulation buffer collects images
  // for one flash write. Both live as long as the object; only the readers and the appending members
  // write them.
  static constexpr std::size_t kImageBufferBytes = 0x50001;
  static constexpr std::size_t kFromBufferBytes = 0x80001;
  // The readers read files of at most this many bytes.
  static constexpr std::size_t kMaxBmpFileBytes = 200000;

  // Image commands. Widths and heights are in dots; a height travels as height / 8 rows, so printBmp
  // refuses one that is no multiple of 8 with the module-size message ("(x,y)dot monochrome File only!")
  // and sends nothing, rather than shift every column. Addresses and the 32-bit lengths are 24-bit fields.
  // Too little data: DeviceError Index; all before any byte.
  void printBmp(int bmpWidth, int bmpHeight, std::span<const std::uint8_t> bmpData);
  void printBmpRam(std::int32_t address, int dataLength, std::span<const std::uint8_t> bmpData);
  void printBmpFrom(std::int32_t address, std::int32_t dataLength, std::span<const std::uint8_t> bmpData);
  void displayBmpFrom(int memory, std::int32_t address, int bmpWidth, int bmpHeight);
  void displayBmpFromEx(int memory, std::int32_t address, std::int32_t sourceY, int bmpWidth, int bmpHeight);
  void displayBmpFromS(int memory, std::int32_t address, int bmpWidth, int bmpHeight, int speed);
  void displayBmpFromExS(int memory, std::int32_t address, std::int32_t sourceY, int bmpWidth, int bmpHeight,
                         int speed);

  // Readers of one-bit Windows bitmaps (a set pixel bit is a dot) into the image buffer, in column-byte
  // layout: width × ceil(height / 8) bytes. True on success. A name without ".bmp" ("Not BMP File!" for
  // readBmpFile and readBmpFileEx), a zero width or height ("File size 0 error!") fail with their message;
  // any other refusal (no file, more than kMaxBmpFileBytes, not a plain one-bit bitmap, a header that lies)
  // fails without one. The outputs take the file's width and height once its header is read.
  bool readBmpFile(std::string_view fileName);
  // The header alone, with its own messages: a name that does not end in ".bmp", a size beyond &H40000
  // dots, a file that is not a monochrome bitmap.
  bool checkBmpFile(std::string_view fileName, std::int16_t& xsize, std::int16_t& ysize);
  bool readBmpFileXY(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize);
  // The image at the top left of a module-sized picture: moduleDotX × (moduleDotY / 8) bytes. Fails
  // without a message when no module size is known or its height is no multiple of 8. Unlike the other
  // readers it throws what they turn into a failure: DeviceError FileNotFound or FileAccess for a file it
  // cannot open or read; Index for a file that ends inside its header (the information header its size
  // field names, else the common 40 bytes after the file header); Overflow for a width or height beyond
  // 16 bits, whatever the depth, as both are taken before the bit count is judged; Index for pixels past
  // the file's end or a module picture larger than the image buffer.
  bool readBmpFileXYfit(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize);
  // As readBmpFile, without clearing the image buffer first.
  bool readBmpFileEx(std::string_view fileName, std::int32_t& width, std::int32_t& height);
  // Copies the image buffer's first h.size() bytes into h.
  void getBmph(std::span<std::uint8_t> h);

  // Appending to the accumulation buffer: element by element at bmpFrombufP, which moves on. A position
  // outside the buffer, or data shorter than dataLength, throws DeviceError Index; what was appended before
  // stays.
  void printBmpFrombuf(std::int32_t dataLength, std::span<const std::uint8_t> bmpData);
  void printBmpFrombufP(std::int32_t startP, std::int32_t dataLength, std::span<const std::uint8_t> bmpData);
  // One flash image-data command carrying accumulation buffer bytes start .. start + size - 1.
  void printBmpFrombufOut(std::int32_t fromAddress, std::int32_t bmpFrombufAddress, std::int32_t size);

  // A reader, then a command or an append of its image; on failure the operation's message. printBmpFile
  // and printBmpFileFrombuf take only a file of exactly the module's size, its height a multiple of 8.
  bool printBmpFile(std::string_view fileName);
  bool printBmpFileFrombuf(std::string_view fileName);
  bool printBmpFileFrombufP(std::int32_t startP, std::string_view fileName, std::int32_t& xsize,
                            std::int32_t& ysize);
  bool printBmpFileFrombufXY(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize);
  bool printBmpFileFrombufXYfit(std::string_view fileName, std::int32_t& xsize, std::int32_t& ysize);
  bool printBmpFileFrombufEx(std::string_view fileName, std::int32_t& width, std::int32_t& height);

  // --- memory, mode and macro commands ---
  void scrollQuality(int quality);
  int scrollQuality() const { return scrollQuality_; }
  void reverseMode(int sw);
  void drawMode(int sw);
  void windowSelect(int window);
  void windowDefine(int window, int left, int top, int width, int height);
  void windowCancel(int window);
  void downloadEnable(int sw);
  void downloadDefine1(int size, int code, int dWidth, int dHeight, std::span<const std::uint8_t> ddata);
  void downloadCancel1(int size, int code);
  void downloadDefine2(int hCode, int lcode, std::span<const std::uint8_t> ddata);
  void downloadCancel2(int hCode, int lcode);
  void downloadSave(int size);
  void downloadTransfer(int size);
  // Size 1, 2 or 4 sets s to 6, 16 or 64; 128 × s pattern bytes follow.
  void userFontDefine(int table, int& s, std::span<const std::uint8_t> ddata);
  void userModeIn();
  void userModeOut();
  void portSetting(int port, int portset);
  void portOutput(int port, int pdate);
  // The port's value, or nothing when no complete reply came.
  std::optional<std::uint8_t> portInput(int port);
  void fromRamMacroDefine(std::span<const std::uint8_t> macroData, std::int64_t dataLength);
  void fromMacroDefine(int number, int stepTimer, int loopTimer, std::span<const std::uint8_t> macroData,
                       std::int64_t dataLength);
  // Header, 1100 ms, then 1024-byte blocks (FF past the code), 500 ms after each.
  void fromMacroDefineWmr(int stepTimer, int loopTimer, std::span<const std::uint8_t> macroData,
                          std::int64_t dataLength);
  // User mode, flash definition of area `number`, and its macro number in the auto-start switch.
  void fromMacroStart(int number, int stepTimer, int loopTimer, std::span<const std::uint8_t> macroData,
                      std::int64_t dataLength);
  void MacroGo(int number, int stepTimer, int idleTimer);
  void writeMemorySw(int sw, int d);
  // The switch's value, or nothing when no complete reply came.
  std::optional<std::uint8_t> readMemorySw(int sw);
  std::string readXDot();  // the 6-byte reply, or empty
  std::string readYDot();
  void dummyWrite(int dataLength);  // below 1 sends nothing
  std::string dummyRead();

  // A plain wait of a device sequence (no events); it starts once what was sent has left the port. The
  // members' own waits and the main window's 1000 ms before a RAM macro definition go through here.
  void pause(int ms);

  // The link units, for their test seams.
  qolxCom& com() { return *com_; }
  qolxSock& sock() { return *sock_; }

 private:
  bool serial() const { return ifMode_ == "COM"; }
  // The link unit ifMode selects.
  ByteLink& unit();
  const ByteLink& unit() const;
  void send(std::initializer_list<std::uint8_t> bytes);
  std::string readDot(std::uint8_t which);
  std::optional<std::uint8_t> readSwitchReply();
  void message(std::string_view text);
  bool readWholeBmp(std::string_view fileName, bool clearFirst, std::int32_t& width, std::int32_t& height);
  // Why a read gave no one-bit picture: refused by a rule of the readers, or a run-time failure that only
  // readBmpFileXYfit passes on.
  enum class ReadFailure { Refused, Missing, Unreadable, Oversized, Overrun };
  struct OneBitRead {
    std::optional<bitmap::DotImage> dots;
    ReadFailure failure = ReadFailure::Refused;  // when there are no dots
  };
  OneBitRead readOneBit(std::string_view fileName, bool clearOnceRead, std::int32_t& width,
                        std::int32_t& height);
  bool storeImage(const bitmap::DotImage& image);
  bool fitsModule(std::int32_t width, std::int32_t height) const;
  std::string moduleSizeMessage() const;

  LinkEnv& env_;
  std::unique_ptr<qolxCom> com_;
  std::unique_ptr<qolxSock> sock_;

  std::string moduleName_;
  int dotX_ = 0;
  int dotY_ = 0;
  std::string ifMode_;
  int commPort_ = 0;
  std::string commSettings_;
  std::string ipAddress_;
  std::int32_t tcpPort_ = 0;
  std::string moduleAdd_;
  int fontsize_ = 0;
  int fontScaleX_ = 0;
  int fontScaleY_ = 0;
  int fontBold_ = 0;
  int kanjiMode_ = 0;
  int characterType_ = 0;
  int displayMode_ = 0;
  int scrollVelocity_ = 0;
  int scrollQuality_ = 0;
  std::vector<std::uint8_t> imageBuffer_ = std::vector<std::uint8_t>(kImageBufferBytes, 0);
  std::vector<std::uint8_t> fromBuffer_ = std::vector<std::uint8_t>(kFromBufferBytes, 0);
};

}  // namespace kelmore::link
