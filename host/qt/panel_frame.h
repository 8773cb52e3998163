// The frame a window gives the panel's view (the print dialog's Job Handling tab, the job agent's
// window). The view fills it, so a larger window gives the panel room, and the frame asks for the view's
// natural size, so the window's default and minimum sizes follow from the panel's (the toolkit's tab views
// ask for the width of all their titles). The view's controls take their place in the window's Tab order
// where the frame stands, in the order of the panel's layout.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

namespace host::qt {

// Moves widgets, in their order, right after anchor in its window's Tab order (a widget made after the
// window's buttons would otherwise come after them). Widgets that take no focus are passed over.
void placeInTabOrder(QWidget* anchor, const std::vector<QWidget*>& widgets);

class PanelFrame : public QWidget {
 public:
  explicit PanelFrame(QWidget* parent = nullptr);

  // Puts view into the frame (reparented: the panel's layout still owns it and deletes it) in place of the
  // view before; none empties the frame. The window grows to its new minimum size if it has to.
  void setView(QWidget* view);
  QWidget* view() const { return view_; }

 private:
  QPointer<QWidget> view_;
};

}  // namespace host::qt
