// Ferrant's one window: folder line, file list, port box and the action button that opens a folder or
// writes the selected command file to the chosen port.
// Layer: loader (Qt Widgets).
#pragma once

#include <QWidget>
#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelmore::loader {

class BytePort;

inline constexpr const char* kWindowClass = "qolix";
inline constexpr const char* kStartTitle = "Zarvinet Qolix sample program";
inline constexpr const char* kPressedTitle = "Zarvinet QOLIX Sample Application";
inline constexpr int kPortCount = 16;

class QolixWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows a message to the user; the default is an OK box titled "Ferrant" without an owner.
  using MessageSink = std::function<void(const QString& text)>;

  explicit QolixWindow(BytePort& port, QWidget* parent = nullptr);

  void setMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }

 public slots:
  // The action button: enter the selected folder, or write the selected file to the selected port.
  void actionButton_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void fillList();
  // Any notification of the file list: "OPEN" for a folder, "WRITE" for a file; no selection, no change.
  void fileList_Notify();

  BytePort& port_;
  MessageSink showMessage_;
  QPushButton* actionButton_ = nullptr;
  QComboBox* portBox_ = nullptr;
  QListWidget* fileList_ = nullptr;
  QLineEdit* folderLine_ = nullptr;
};

}  // namespace kelmore::loader
