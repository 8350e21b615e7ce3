// The image download: the lines of an exported command file sent to the module byte by byte, then the
// closing commands, with the progress of the characters read.
// Layer: image tool (plain C++, no Qt).
//
// The caller has exported the file, found the link free and checked the module. The send opens the link
// once, sends every byte of every PRT line with its own ifOut, then 1000 zero bytes, the text "Completed."
// and a read that waits until the module took it all, and closes the link. Every step is checked: a link
// failure or a data error ends the send with the link closed and a message, never as completed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/px5000.h"

namespace kelmore::imagetool {

// The device calls of the download; each send reports whether its bytes went out.
class ImageDevice {
 public:
  virtual ~ImageDevice() = default;
  virtual bool isOpen() const = 0;
  virtual bool ifOpen() = 0;
  virtual void ifClose() = 0;
  virtual bool ifOut(std::uint8_t byte) = 0;
  virtual bool dummyWrite(int count) = 0;
  virtual bool printText(std::string_view text) = 0;
  // Waits until the module has taken what was sent; its answer is not looked at.
  virtual bool dummyRead() = 0;
};

// The device object as the download's device; a step counts as sent when PX5000 kept no link error and
// raised no argument error for it.
class Px5000ImageDevice : public ImageDevice {
 public:
  explicit Px5000ImageDevice(link::PX5000& device) : device_(device) {}
  bool isOpen() const override { return device_.isOpen(); }
  bool ifOpen() override;
  void ifClose() override { device_.ifClose(); }
  bool ifOut(std::uint8_t byte) override;
  bool dummyWrite(int count) override;
  bool printText(std::string_view text) override;
  bool dummyRead() override;

 private:
  template <typename Step>
  bool sent(Step&& step);
  link::PX5000& device_;
};

inline constexpr std::string_view kConvertError = " File convert error.";
inline constexpr std::string_view kCompleted = "Completed.";
inline constexpr std::string_view kCompletedTitle = "Export";
// A byte that did not go out: the module holds part of the images.
inline constexpr std::string_view kSendFailed = "Transfer failed.";
inline constexpr int kClosingZeros = 1000;

// The bar's step: the export's count / 100, at least 1; the bar shows min(100, characters read / step).
int progressPercent(std::size_t charactersRead, std::size_t exportCount);

struct DownloadResult {
  bool completed = false;
  std::string message;  // kCompleted, or why the send stopped
};

// Sends `fileText` (CR LF or LF lines). `progress` runs after each line with the bar's value.
DownloadResult sendCommandFile(std::string_view fileText, std::size_t exportCount, ImageDevice& device,
                               const std::function<void(int percent)>& progress = {});

}  // namespace kelmore::imagetool
