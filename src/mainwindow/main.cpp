// kelmore: the macro development environment. Starts the main window with the program's arguments.
// Layer: main window (Qt).
#include <QApplication>

#include "imagetool/frmimage.h"
#include "mainwindow/form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelmore"));
  kelmore::mainwindow::Form1::Options options;
  options.arguments = QApplication::arguments();
  options.imageTool = kelmore::imagetool::FrmImage::factory();
  kelmore::mainwindow::Form1 window(options);
  window.Form_Load();
  return QApplication::exec();
}
