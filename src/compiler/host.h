// Compiler host: everything the macro compiler needs from the main window, and nothing more.
// Layer: compiler (plain C++, no Qt). The main window implements it; tests use a recording fake.
//
// CompileStageHost holds the calls the compiler and the mnemonic listing (mnemonic::MnemonicHost) both make,
// so one window class serves both stages. All calls come from the one thread that runs the compile. Texts are
// UTF-8. Editor services are line-based: lines are 0-based and CR LF, a lone CR and a lone LF each end a
// line, so the compiler never deals in editor character positions. None of these calls fails in a way the
// compiler sees.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/imagelistview.h"
#include "common/rgb.h"

namespace kelmore {

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};

// The three list views the compiler fills: variables (ListViewAZ), labels and routines.
enum class CompilerList { Variables, Labels, Routines };

// What a log line reports: a phase or count line, or an error (the "error:" lines, the unexpected-error
// line, the undefined-image line). Hosts show errors apart by this kind, never by the text.
enum class LogKind { Phase, Error };

// What every compile stage writes to: the compile log with its progress bar, the model name and the code
// view.
class CompileStageHost {
 public:
  virtual ~CompileStageHost() = default;

  // --- compile log window ---
  // Appends one line: a blank, the message and a line end.
  virtual void addlog(std::string_view message, LogKind kind) = 0;
  virtual void setProgressMax(float maximum) = 0;
  virtual float progressMax() = 0;
  // Never above the maximum.
  virtual void setProgressValue(float value) = 0;

  // --- settings ---
  // The model name as the model box holds it now (read afresh at every use; compared exactly).
  virtual std::string modelName() = 0;

  // --- code view ---
  // Replaces the code view's text; it shows black until coloured again.
  virtual void setCodeText(std::string_view text) = 0;
  // Colours `length` characters of the code view from `start` (0-based).
  virtual void colourCode(std::size_t start, std::size_t length, Rgb colour) = 0;
};

class CompilerHost : public virtual CompileStageHost {
 public:
  // --- source editor ---
  // The whole source text.
  virtual std::string sourceText() = 0;
  // The 0-based line that holds the caret (the start of the selection).
  virtual int caretLine() = 0;
  // Remembers the editor's selection so restoreSelection can put it back.
  virtual void saveSelection() = 0;
  // Puts back the selection saved by saveSelection and gives the editor the focus.
  virtual void restoreSelection() = 0;
  // Selects source line `line` without its line end, colours it red and gives the editor the focus. A
  // line past the last one selects the whole text.
  virtual void markLine(int line) = 0;

  // --- code view and address box ---
  virtual void setCodeVisible(bool visible) = 0;
  // The address box ("Add: 0011").
  virtual void setAddressText(std::string_view text) = 0;

  // --- list views ---
  virtual void clearList(CompilerList list) = 0;
  // Adds one row: item text and sub-items 1 and 2.
  virtual void addListItem(CompilerList list, std::string_view text, std::string_view subItem1,
                           std::string_view subItem2) = 0;
  virtual std::string listToolTip(CompilerList list) = 0;
  virtual void setListToolTip(CompilerList list, std::string_view tip) = 0;

  // --- compile log window ---
  // Empties the compile log.
  virtual void clearLog() = 0;
  // The log window's close button.
  virtual void setCloseVisible(bool visible) = 0;
  // Repaints the main window (and recolours the caret line) before a compile starts.
  virtual void refreshWindow() = 0;

  // --- dialogs ---
  // A message box with an OK button and the default title.
  virtual void messageBox(std::string_view text) = 0;

  // --- settings the compile reads ---
  // The target area index 0..4 (0 = RAM macro area).
  virtual int targetArea() = 0;
  // The image tool's list, read by CopyBmp.
  virtual const ImageListView& images() = 0;
};

}  // namespace kelmore
