#include "qt/window_facts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include "toolkits/qt/qt_naming.h"

namespace host::qt {
namespace {

using toolkits::qt::withoutMnemonic;

std::string text(const QString& s) { return withoutMnemonic(s).toStdString(); }

// Qt's own widgets inside others (a tab bar's scroll arrows, a spin box's line edit) carry "qt_" names.
bool isQtsOwn(const QWidget& w) { return w.objectName().startsWith(QLatin1String("qt_")); }

// The window's own widget in view: not the panel's, not one Qt made inside another of its widgets.
bool isWindowsOwnInView(const QWidget& w, const QWidget& window, const QWidget* panelView) {
  if (isQtsOwn(w) || !w.isVisibleTo(&window)) return false;
  return !panelView || (&w != panelView && !panelView->isAncestorOf(&w));
}

}  // namespace

bool tabShowsWhole(const QTabBar& bar, int index) {
  const QRect tab = bar.tabRect(index);
  if (tab.isEmpty() || !bar.rect().contains(tab)) return false;
  // The bar itself may be cut by the tab widget around it when the window is too narrow for it.
  const QRect shown = bar.visibleRegion().boundingRect();
  if (bar.isVisible() && !shown.contains(tab)) return false;
  // A tab is as wide as its title plus the style's padding unless it was shortened (elided).
  const int needed = bar.fontMetrics().horizontalAdvance(withoutMnemonic(bar.tabText(index))) +
                     bar.style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, &bar);
  return tab.width() >= needed;
}

WindowFacts windowFacts(const QWidget& window, const QWidget* panelView) {
  WindowFacts facts;
  facts.title = window.windowTitle().toStdString();
  for (const QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
    if (!isWindowsOwnInView(*tabs, window, panelView)) continue;
    for (int i = 0; i < tabs->count(); ++i) facts.tabs.push_back(text(tabs->tabText(i)));
  }
  for (const QAbstractButton* b : window.findChildren<QAbstractButton*>())
    if (isWindowsOwnInView(*b, window, panelView) && !b->text().isEmpty()) facts.buttons.push_back(text(b->text()));
  for (const QWidget* w : window.findChildren<QWidget*>()) {
    if (!isWindowsOwnInView(*w, window, panelView)) continue;
    // A label that shows rich text shows the panel's summary, in the panel's words.
    if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty() &&
                                                         label->textFormat() != Qt::RichText)
      facts.labels.push_back(text(label->text()));
    else if (const auto* box = qobject_cast<const QGroupBox*>(w); box && !box->title().isEmpty())
      facts.labels.push_back(text(box->title()));
  }
  if (const QTabWidget* panelTabs = panelView ? panelView->findChild<QTabWidget*>() : nullptr) {
    for (int i = 0; i < panelTabs->count(); ++i)
      facts.panelTabs.push_back({text(panelTabs->tabText(i)), tabShowsWhole(*panelTabs->tabBar(), i)});
  }
  return facts;
}

}  // namespace host::qt
