// Window localisation from the string table: loadResStrings and the string ids controls carry.
// Layer: widgets (the window kit, Qt).
//
// A control keeps its real design text and carries the ids of its caption and tip as properties; a missing
// or unknown id leaves the design text, so a window never shows a number. Ids are set with the helpers.
#pragma once

#include <QList>
#include <QString>
#include <string_view>

class QObject;
class QWidget;

namespace kelmore::widgets {

inline constexpr int kResFontName = 20;
inline constexpr int kResFontSize = 21;

// The string of `id` as a QString; empty for an unknown id.
QString resText(int id);
// The string of `id`, or `designText` (UTF-8) when the table lacks it.
QString resTextOr(int id, std::string_view designText);

// The caption id of a label, menu entry, button, box or window, and the tip id of a control or toolbar
// button (a QAction on a toolbar).
void setResCaption(QObject* control, int id);
void setResTip(QObject* control, int id);
// The header ids of a list view's columns (QTreeWidget), in column order; 0 leaves a column as designed.
void setResColumns(QObject* listView, const QList<int>& ids);
// The caption and tip ids of each tab of a tab strip (QTabBar or QTabWidget).
void setResTabs(QObject* tabs, const QList<int>& captionIds, const QList<int>& tipIds);

// Localises `window` and every control in it (menus and toolbar buttons included): the font named by
// strings 20 and 21, then each caption, tip, column header and tab whose id the string table knows.
void loadResStrings(QWidget* window);

}  // namespace kelmore::widgets
