#include "qt/panel_frame.h"

#include <QVBoxLayout>

#include <vector>

namespace host::qt {

// Qt orders only widgets that take the focus, so the anchor is the last such widget before anchor in the
// chain (anchor itself when it takes the focus).
void placeInTabOrder(QWidget* anchor, const std::vector<QWidget*>& widgets) {
  QWidget* previous = anchor;
  while (previous->focusPolicy() == Qt::NoFocus && previous->previousInFocusChain() != anchor)
    previous = previous->previousInFocusChain();
  for (QWidget* w : widgets) {
    if (w->focusPolicy() == Qt::NoFocus) continue;
    QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

PanelFrame::PanelFrame(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

void PanelFrame::setView(QWidget* view) {
  if (view_) {
    layout()->removeWidget(view_);
    view_->hide();
    view_->setParent(nullptr);
  }
  view_ = view;
  if (!view) return;
  // The view's own focus chain is the layout's document order (the loader makes the widgets in that
  // order); it is kept, and placed right after the frame, before the window's controls that follow.
  std::vector<QWidget*> chain;
  for (QWidget* w = view->nextInFocusChain(); w && w != view; w = w->nextInFocusChain())
    if (view->isAncestorOf(w)) chain.push_back(w);
  layout()->addWidget(view);
  placeInTabOrder(this, chain);
  view->show();
}

}  // namespace host::qt
