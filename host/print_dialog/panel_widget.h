// The widget that shows the panel's view, from the toolkit the window hands to the plug-in.
#pragma once

class QWidget;
namespace ui {
class View;
}

namespace printdialog {

// The view's widget; none when there is no view or the toolkit has no widgets.
QWidget* panelWidget(ui::View* view);

}  // namespace printdialog
