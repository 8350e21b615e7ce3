// The image tool window as the main window sees it: made on first use through the factory the program
// gives, shown from the Tool menu and the Image key, asked before the program quits, and the owner of the
// image list that the compiler's CopyBmp reads.
// Layer: main window (Qt).
#pragma once

#include <functional>
#include <memory>

#include "common/imagelist.h"
#include "mainwindow/prompter.h"

class QComboBox;
class QWidget;

namespace kelmore::mainwindow {

class ImageToolWindow {
 public:
  virtual ~ImageToolWindow() = default;
  // Refreshes the model selection and the view and shows the window; the main window hides meanwhile.
  virtual void showTool() = 0;
  virtual const ImageListView& imageList() const = 0;
  // Before the program quits: false when the user chose to stay (unsaved changes).
  virtual bool queryQuit() = 0;
};

struct ImageToolHost {
  QWidget* mainWindow = nullptr;        // hidden while the tool is up, shown when it closes
  const QComboBox* modelBox = nullptr;  // the model list the tool follows
  Prompter* prompter = nullptr;
};

using ImageToolFactory = std::function<std::unique_ptr<ImageToolWindow>(const ImageToolHost&)>;

}  // namespace kelmore::mainwindow
