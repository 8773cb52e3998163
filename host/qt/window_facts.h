// The facts of a window around the panel's view, as the window step prints them: its title, its own tab
// titles, buttons and labels in view (not the panel's, which the dump shows), and whether each of the
// panel's tab titles shows whole at the window's current size.
#pragma once

#include <QString>

#include "engine/engine.h"

class QTabBar;
class QWidget;

namespace host::qt {

// Whether tab index of bar shows its whole title: the tab lies inside the bar, the bar is not cut by the
// widgets around it, and the tab is as wide as its title and the style's padding need (no eliding).
bool tabShowsWhole(const QTabBar& bar, int index);

// window: the top-level window; panelView: the panel's view inside it, none when it shows none.
WindowFacts windowFacts(const QWidget& window, const QWidget* panelView);

}  // namespace host::qt
