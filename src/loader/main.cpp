// Ferrant: the standalone loader that sends a command file's PRT bytes to a COM port.
// Layer: loader (Qt Widgets).
#include <QApplication>
#include <QFile>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "loader/qolixwindow.h"
#include "loader/serialbyteport.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kelmore::loader::kWindowClass);

  // The rest of the command line names the start folder; a folder that can't be entered leaves the one
  // the program was started in.
  const QStringList args = QApplication::arguments().mid(1);
  if (!args.isEmpty()) {
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(QFile::encodeName(args.join(' ')).toStdString()),
                                  error);
  }

  kelmore::loader::SerialBytePort port;
  kelmore::loader::QolixWindow window(port);
  window.show();
  return app.exec();
}
