// Behaviour of the headless controls as the program sees it: radio groups, pop-up menus, tab items,
// keyboard focus and formatter-checked edits.
#include "toolkits/headless/headless_widgets.h"

namespace headless {

// Walks up to the layout's root: any hidden or detached level hides everything below it.
bool Node::effectivelyHidden() const {
  for (const Node* n = this; n; n = n->parent_) {
    if (n->hidden_ || n->detached_) return true;
  }
  return false;
}

// Two-state buttons know only 0 and 1. A radio cell switched on goes through its matrix so that the group
// keeps one selected row.
void ButtonWidget::setState(int state) {
  const int twoState = state != 0 ? 1 : 0;
  if (matrix_ && twoState == 1) {
    for (ButtonWidget* cell : matrix_->cells_) cell->state_ = cell == this ? 1 : 0;
    return;
  }
  state_ = twoState;
}

void TextFieldWidget::setStringValue(const platform::Text& value) {
  value_ = toolkits::formattedFieldValue(value, formatter_.get());
}

ui::Window* TextFieldWidget::window() const { return window_; }

bool TextFieldWidget::applyEdit(const platform::Text& proposed, ui::Range proposedSelection,
                                ui::Range originalSelection) {
  if (formatter_ && !formatter_->isPartialStringValid(proposed, proposedSelection, value_, originalSelection)) {
    return false;
  }
  value_ = proposed;
  return true;
}

// The page leaves the tab view with its controls; the selection moves to the first remaining item when
// the selected one goes.
void TabViewWidget::removeTabViewItem(ui::TabViewItem* item) {
  const auto removed = items_.remove(item);
  if (!removed) return;
  const auto [tabItem, index] = *removed;
  if (tabItem->page_) tabItem->page_->detached_ = true;
  if (selected_ == index) {
    selected_ = items_.empty() ? -1 : 0;
  } else if (selected_ > index) {
    --selected_;
  }
}

// None clears the focus. A control of another window is refused, and so is one that cannot take the
// keyboard: a text field that is not selectable, a disabled button, matrix or pop-up, or any other kind.
bool HeadlessWindow::makeFirstResponder(ui::Control* control) {
  if (!control) {
    firstResponder_ = nullptr;
    return true;
  }
  Node* node = nodeOf(*control);
  if (!node || node->window_ != this) return false;
  const bool field = node->kind_ == Kind::textField || node->kind_ == Kind::label;
  if (!toolkits::takesFocus(node->kind_, field && static_cast<TextFieldWidget*>(node)->selectable_, node->enabled_)) {
    return false;
  }
  firstResponder_ = control;
  return true;
}

ui::Control* HeadlessNib::controlNamed(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const auto& node : nodes_) {
    if (node->name_ == name) return &node->control();
  }
  return nullptr;
}

}  // namespace headless
