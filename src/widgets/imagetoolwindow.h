// The image tool window as the main window sees it: made on first use through the factory the program
// gives, shown from the Tool menu and the Image key, asked before the program quits, and the owner of the
// image list that the compiler's CopyBmp reads.
// Layer: widgets (the window kit, Qt).
#pragma once

#include <functional>
#include <memory>

#include "common/imagelistview.h"
#include "widgets/prompter.h"

class QComboBox;
class QString;
class QWidget;

namespace kelmore::link {
class PX5000;
}

namespace kelmore::widgets {

class OperationGuard;

class ImageToolWindow {
 public:
  virtual ~ImageToolWindow() = default;
  // Refreshes the model selection and the view and shows the window; the main window hides meanwhile.
  virtual void showTool() = 0;
  virtual const ImageListView& imageList() const = 0;
  // Before the program quits: false when the user chose to stay (unsaved changes).
  virtual bool queryQuit() = 0;
  // The port the image export window's port box names, which the Port menu's scan preselects; "" while
  // that window is not loaded.
  virtual QString exportPortText() const = 0;
};

// What the image download uses of the main window: its one device object, the guard that keeps a second
// device operation out, the port box, the module check and its end, and the port scan.
class ImageToolDevice {
 public:
  virtual ~ImageToolDevice() = default;
  virtual link::PX5000& device() = 0;
  virtual OperationGuard& operations() = 0;
  virtual QComboBox* portBox() = 0;
  virtual bool commCheck() = 0;
  virtual void commCoda() = 0;
  // The port scan window, preselecting `preselect` ("COM3") when it is there; "COM1".."COM16", or "" when
  // it was closed without a choice.
  virtual QString scanPorts(const QString& preselect) = 0;
};

struct ImageToolHost {
  QWidget* mainWindow = nullptr;        // hidden while the tool is up, shown when it closes
  const QComboBox* modelBox = nullptr;  // the model list the tool follows
  Prompter* prompter = nullptr;
  ImageToolDevice* device = nullptr;  // absent: the export window offers no download
};

using ImageToolFactory = std::function<std::unique_ptr<ImageToolWindow>(const ImageToolHost&)>;

}  // namespace kelmore::widgets
