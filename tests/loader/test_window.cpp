// Ferrant's window, offscreen: its controls, the caption rule, folder walking and the messages of a press.
// Layer: tests (Qt Widgets).
#include "loader/qolixwindow.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "loader/sender.h"

namespace kelmore::loader {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class FakePort : public BytePort {
 public:
  PortStatus open(const std::string& portName) override {
    openedName = portName;
    return openStatus;
  }
  PortStatus write(std::span<const std::uint8_t> bytes) override {
    sent.insert(sent.end(), bytes.begin(), bytes.end());
    return PortStatus::Ok;
  }
  PortStatus drain() override { return PortStatus::Ok; }
  void close() override {}

  PortStatus openStatus = PortStatus::Ok;
  std::string openedName;
  Bytes sent;
};

// A folder of its own as the current folder, and the window made in it.
class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    startFolder = fs::current_path();
    root = fs::temp_directory_path() / ("kelmore-ferrant-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "sub");
    write("a.dat", "PRT 01h 02h;\r\n");
    write("[data].dat", "PRT 0ah\r\n");
    write("bad.dat", "PRT 03h xy\r\n");
    write("B.txt", "*** nothing\r\n");
    write("sub/inner.dat", "PRT 04h\r\n");
    fs::current_path(root);
  }
  void TearDown() override {
    window.reset();
    fs::current_path(startFolder);
    fs::remove_all(root);
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(root / name) << text; }
  QolixWindow& make() {
    window = std::make_unique<QolixWindow>(port);
    window->setMessageSink([this](const QString& text) { messages << text; });
    return *window;
  }
  template <typename T>
  T* child(const char* name) {
    T* found = window->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QStringList listTexts() {
    QStringList texts;
    auto* list = child<QListWidget>("fileList");
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  void select(const QString& text) {
    auto* list = child<QListWidget>("fileList");
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->setCurrentItem(found.front());
  }
  QString caption() { return child<QPushButton>("actionButton")->text(); }
  void press() { child<QPushButton>("actionButton")->click(); }

  fs::path startFolder;
  fs::path root;
  FakePort port;
  std::unique_ptr<QolixWindow> window;
  QStringList messages;
};

TEST_F(WindowTest, starts_with_its_controls_in_place) {
  QolixWindow& w = make();
  EXPECT_EQ(w.objectName(), "qolix");
  EXPECT_EQ(w.windowTitle(), "Zarvinet Qolix sample program");
  EXPECT_EQ(w.size(), QSize(800, 300));
  EXPECT_EQ(child<QPushButton>("actionButton")->geometry(), QRect(300, 40, 100, 30));
  EXPECT_EQ(child<QListWidget>("fileList")->geometry(), QRect(0, 30, 270, 180));
  EXPECT_EQ(child<QLineEdit>("folderLine")->geometry(), QRect(0, 0, 750, 30));
  auto* ports = child<QComboBox>("portBox");
  EXPECT_EQ(ports->geometry().topLeft(), QPoint(410, 40));
  EXPECT_EQ(ports->width(), 100);
  EXPECT_FALSE(ports->isEditable());
  ASSERT_EQ(ports->count(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));
  EXPECT_EQ(ports->currentText(), "COM1");
  EXPECT_EQ(caption(), "");
  EXPECT_EQ(child<QLineEdit>("folderLine")->text(), "");
  EXPECT_EQ(listTexts(), QStringList({"[..]", "[data].dat", "[sub]", "a.dat", "B.txt", "bad.dat"}));
}

TEST_F(WindowTest, caption_follows_what_the_selected_entry_is) {
  make();
  select("[sub]");
  EXPECT_EQ(caption(), "OPEN");
  select("a.dat");
  EXPECT_EQ(caption(), "WRITE");
  select("[..]");
  EXPECT_EQ(caption(), "OPEN");
  select("[data].dat");  // a file, whatever its name looks like
  EXPECT_EQ(caption(), "WRITE");
  child<QListWidget>("fileList")->clearSelection();
  EXPECT_EQ(caption(), "WRITE");
}

TEST_F(WindowTest, press_without_selection_only_retitles) {
  QolixWindow& w = make();
  press();
  EXPECT_EQ(w.windowTitle(), "Zarvinet QOLIX Sample Application");
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(port.openedName.empty());
  EXPECT_EQ(fs::current_path(), root);
}

TEST_F(WindowTest, open_walks_into_a_folder_and_back) {
  make();
  select("[sub]");
  press();
  EXPECT_EQ(fs::current_path(), root / "sub");
  EXPECT_EQ(child<QLineEdit>("folderLine")->text(), QString::fromStdString((root / "sub").string()));
  EXPECT_EQ(listTexts(), QStringList({"[..]", "inner.dat"}));
  EXPECT_EQ(caption(), "OPEN");  // kept until the list speaks again
  EXPECT_TRUE(messages.isEmpty());

  select("inner.dat");
  press();
  EXPECT_EQ(port.sent, Bytes{0x04});

  select("[..]");
  press();
  EXPECT_EQ(fs::current_path(), root);
  EXPECT_EQ(child<QLineEdit>("folderLine")->text(), QString::fromStdString(root.string()));
}

TEST_F(WindowTest, root_folder_has_no_parent_entry) {
  fs::current_path("/");
  make();
  EXPECT_FALSE(listTexts().contains("[..]"));
}

TEST_F(WindowTest, folder_line_shows_a_long_path_whole) {
  fs::path deep = root;
  for (int i = 0; i < 12; ++i) deep /= std::string(30, static_cast<char>('a' + i));
  fs::create_directories(deep);
  ASSERT_GT(deep.string().size(), 300u);
  fs::current_path(deep.parent_path());
  make();
  select(QStringLiteral("[%1]").arg(QString::fromStdString(deep.filename().string())));
  press();
  EXPECT_EQ(child<QLineEdit>("folderLine")->text(), QString::fromStdString(deep.string()));
  EXPECT_EQ(fs::current_path(), deep);
}

TEST_F(WindowTest, write_sends_the_file_to_the_chosen_port) {
  make();
  child<QComboBox>("portBox")->setCurrentIndex(15);
  select("a.dat");
  press();
  EXPECT_EQ(port.openedName, "COM16");
  EXPECT_EQ(port.sent, (Bytes{0x01, 0x02}));
  EXPECT_EQ(messages, QStringList{"Job completed."});

  port.sent.clear();
  select("[data].dat");
  press();
  EXPECT_EQ(port.sent, Bytes{0x0A});
  EXPECT_EQ(fs::current_path(), root);
}

TEST_F(WindowTest, failures_give_their_messages) {
  make();
  select("bad.dat");
  press();
  EXPECT_EQ(port.sent, Bytes{0x03});

  select("a.dat");
  fs::remove(root / "a.dat");
  press();

  write("a.dat", "PRT 01h\r\n");
  port.openStatus = PortStatus::OpenFailed;
  press();
  EXPECT_EQ(messages, QStringList({"File data error.", "Fail to open the file.", "Fail to open Comport."}));
}

TEST_F(WindowTest, message_box_is_titled_ferrant_with_ok_alone) {
  window = std::make_unique<QolixWindow>(port);  // the real message box
  select("a.dat");
  QString title, text;
  QMessageBox::StandardButtons buttons;
  bool hasOwner = true;
  // The send lets timers run between lines, so the box is looked for until it stands.
  QTimer poll;
  int looks = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      if (++looks > 500) poll.stop();
      return;
    }
    poll.stop();
    title = box->windowTitle();
    text = box->text();
    buttons = box->standardButtons();
    hasOwner = box->parentWidget() != nullptr;
    box->button(QMessageBox::Ok)->click();
  });
  poll.start(10);
  press();
  EXPECT_EQ(title, "Ferrant");
  EXPECT_EQ(text, "Job completed.");
  EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_FALSE(hasOwner);
}

}  // namespace
}  // namespace kelmore::loader
