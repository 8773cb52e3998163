#include "toolkits/model/control_model.h"

#include <charconv>

namespace toolkits {

std::string_view kindName(Kind kind) {
  switch (kind) {
    case Kind::view: return "view";
    case Kind::label: return "label";
    case Kind::textField: return "textField";
    case Kind::checkBox: return "checkBox";
    case Kind::holdButton: return "holdButton";
    case Kind::pushButton: return "pushButton";
    case Kind::radioButton: return "radioButton";
    case Kind::matrix: return "matrix";
    case Kind::popUpButton: return "popUpButton";
    case Kind::box: return "box";
    case Kind::tabView: return "tabView";
    case Kind::progressIndicator: return "progressIndicator";
  }
  return "unknown";
}

bool takesFocus(Kind kind, bool selectable, bool enabled) {
  switch (kind) {
    case Kind::textField:
    case Kind::label:
      return selectable;
    case Kind::checkBox:
    case Kind::holdButton:
    case Kind::pushButton:
    case Kind::radioButton:
    case Kind::matrix:
    case Kind::popUpButton:
    case Kind::tabView:
      return enabled;
    case Kind::view:
    case Kind::box:
    case Kind::progressIndicator:
      break;
  }
  return false;
}

std::optional<long> parseLong(std::string_view text) {
  long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

ui::MenuItem* PopUpMenu::itemAtIndex(long index) {
  if (index < 0 || index >= numberOfItems()) return nullptr;
  changed();  // the caller may change the item
  return items_[static_cast<std::size_t>(index)].get();
}

void PopUpMenu::removeItemAtIndex(long index) {
  if (index < 0 || index >= numberOfItems()) return;
  items_.erase(items_.begin() + index);
  changed();
  if (selected_ < index) return;
  if (selected_ > index) {
    --selected_;
    return;
  }
  selected_ = -1;
  for (long i = index - 1; i >= 0; --i) {
    if (choosable(i)) {
      selected_ = i;
      return;
    }
  }
  for (long i = index; i < numberOfItems(); ++i) {
    if (choosable(i)) {
      selected_ = i;
      return;
    }
  }
}

void PopUpMenu::addItem(ui::MenuItem item) {
  const bool real = !item.isSeparator();
  items_.push_back(std::make_unique<ui::MenuItem>(std::move(item)));
  if (selected_ == -1 && real) selected_ = numberOfItems() - 1;
  changed();
}

void PopUpMenu::removeAllItems() {
  items_.clear();
  selected_ = -1;
  changed();
}

void PopUpMenu::select(long index) {
  if (index < -1 || index >= numberOfItems()) return;
  selected_ = index;
  changed();
}

bool PopUpMenu::choosable(long index) const {
  return index >= 0 && index < numberOfItems() && !items_[static_cast<std::size_t>(index)]->isSeparator();
}

}  // namespace toolkits
