// Window localisation from the string table.
// Layer: widgets (the window kit, Qt).
#include "widgets/resstrings.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>

#include "common/strings.h"
#include "widgets/qtstrings.h"

namespace kelmore::widgets {
namespace {

constexpr const char* kCaptionId = "kelmoreCaptionId";
constexpr const char* kTipId = "kelmoreTipId";
constexpr const char* kColumnIds = "kelmoreColumnIds";
constexpr const char* kTabCaptionIds = "kelmoreTabCaptionIds";
constexpr const char* kTabTipIds = "kelmoreTabTipIds";

// The text of the id held in `property`; nothing when there is none or the table lacks it.
bool lookUp(const QObject* control, const char* property, QString& text) {
  bool ok = false;
  const int id = control->property(property).toInt(&ok);
  if (!ok || id <= 0) return false;
  text = resText(id);
  return !text.isEmpty();
}

QList<int> idList(const QObject* control, const char* property) {
  QList<int> ids;
  for (const QVariant& v : control->property(property).toList()) ids.append(v.toInt());
  return ids;
}

void setCaption(QObject* control, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(control))
    action->setText(text);
  else if (auto* menu = qobject_cast<QMenu*>(control))
    menu->setTitle(text);
  else if (auto* label = qobject_cast<QLabel*>(control))
    label->setText(text);
  else if (auto* button = qobject_cast<QAbstractButton*>(control))
    button->setText(text);
  else if (auto* box = qobject_cast<QGroupBox*>(control))
    box->setTitle(text);
  else if (auto* widget = qobject_cast<QWidget*>(control); widget && widget->isWindow())
    widget->setWindowTitle(text);
}

void setTip(QObject* control, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(control))
    action->setToolTip(text);
  else if (auto* widget = qobject_cast<QWidget*>(control))
    widget->setToolTip(text);
}

void localiseTabs(QObject* control) {
  QTabBar* bar = qobject_cast<QTabBar*>(control);
  if (auto* tabs = qobject_cast<QTabWidget*>(control)) bar = tabs->tabBar();
  if (!bar) return;
  const QList<int> captions = idList(control, kTabCaptionIds);
  const QList<int> tips = idList(control, kTabTipIds);
  for (int i = 0; i < bar->count(); ++i) {
    if (i < captions.size() && !resText(captions[i]).isEmpty()) bar->setTabText(i, resText(captions[i]));
    if (i < tips.size() && !resText(tips[i]).isEmpty()) bar->setTabToolTip(i, resText(tips[i]));
  }
}

void localiseColumns(QObject* control) {
  auto* view = qobject_cast<QTreeWidget*>(control);
  if (!view) return;
  const QList<int> ids = idList(control, kColumnIds);
  QTreeWidgetItem* header = view->headerItem();
  for (int i = 0; i < ids.size() && i < header->columnCount(); ++i)
    if (!resText(ids[i]).isEmpty()) header->setText(i, resText(ids[i]));
}

void localise(QObject* control) {
  QString text;
  if (lookUp(control, kCaptionId, text)) setCaption(control, text);
  if (lookUp(control, kTipId, text)) setTip(control, text);
  localiseTabs(control);
  localiseColumns(control);
}

}  // namespace

QString resText(int id) {
  return fromStd(resString(id));
}

QString resTextOr(int id, std::string_view designText) {
  const QString text = resText(id);
  return text.isEmpty() ? fromStd(designText) : text;
}

void setResCaption(QObject* control, int id) {
  control->setProperty(kCaptionId, id);
}
void setResTip(QObject* control, int id) {
  control->setProperty(kTipId, id);
}

void setResColumns(QObject* listView, const QList<int>& ids) {
  QVariantList list;
  for (int id : ids) list.append(id);
  listView->setProperty(kColumnIds, list);
}

void setResTabs(QObject* tabs, const QList<int>& captionIds, const QList<int>& tipIds) {
  QVariantList captions, tips;
  for (int id : captionIds) captions.append(id);
  for (int id : tipIds) tips.append(id);
  tabs->setProperty(kTabCaptionIds, captions);
  tabs->setProperty(kTabTipIds, tips);
}

void loadResStrings(QWidget* window) {
  QFont font = window->font();
  const QString family = resText(kResFontName);
  if (!family.isEmpty()) font.setFamily(family);
  bool ok = false;
  const int points = resText(kResFontSize).toInt(&ok);
  if (ok && points > 0) font.setPointSize(points);
  window->setFont(font);

  localise(window);
  for (QWidget* control : window->findChildren<QWidget*>()) {
    control->setFont(font);
    localise(control);
  }
  // Menu entries and toolbar buttons are actions, owned by the window or by their menus.
  for (QAction* action : window->findChildren<QAction*>()) localise(action);
}

}  // namespace kelmore::widgets
