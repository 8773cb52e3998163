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

namespace {

std::optional<std::string> utf8OrNone(const platform::Text& text) {
  if (text.isNone()) return std::nullopt;
  return text.utf8();
}

// The items as the pop-up's menu keeps them; every toolkit here keeps them in a PopUpMenu, read without
// itemAtIndex(), which would tell the menu that the caller may change an item.
void describeItems(ui::PopUpButton& popUp, Description& d) {
  const auto* menu = dynamic_cast<const PopUpMenu*>(&popUp.menu());
  if (!menu) return;
  for (const auto& item : menu->items())
    d.items.push_back({utf8OrNone(item->title()), item->isSeparator(), imageName(item->image())});
}

}  // namespace

platform::Text formattedFieldValue(const platform::Text& value, const ui::Formatter* formatter) {
  platform::Text text = value.isNone() ? platform::Text::empty() : value;
  if (!formatter) return text;
  platform::Text object;
  if (formatter->getObjectValue(object, text)) {
    platform::Text shown = formatter->stringForObjectValue(object);
    if (!shown.isNone()) return shown;
  }
  return text;
}

std::optional<std::string> imageName(const ui::ImageRef& image) {
  if (!image) return std::nullopt;
  if (!image->name.empty()) return image->name;
  return image->file.filename().string();
}

Description describe(ui::Control& control, const ToolkitSpecifics& toolkit) {
  Description d;
  const std::optional<Kind> kind = toolkit.kindOf(control);
  if (!kind) return d;
  d.kind = kindName(*kind);
  d.name = std::string(control.identifier());
  d.tag = control.tag();
  d.enabled = control.isEnabled();
  d.hidden = control.isHidden();
  const ui::Window* window = toolkit.windowOf(control);
  d.focused = window && window->firstResponder() == &control;

  if (ui::Button* button = control.asButton()) {
    d.state = button->state();
    d.title = utf8OrNone(button->title());
    if (*kind == Kind::holdButton) {
      d.image = imageName(button->image());
      d.alternateImage = imageName(button->alternateImage());
    }
  } else if (ui::Matrix* matrix = control.asMatrix()) {
    d.selectedRow = matrix->selectedRow();
  } else if (ui::PopUpButton* popUp = control.asPopUpButton()) {
    d.selectedIndex = popUp->indexOfSelectedItem();
    describeItems(*popUp, d);
  } else if (ui::TextField* field = control.asTextField()) {
    d.stringValue = field->stringValue().utf8();
    d.dimmed = field->textColor() == ui::Color::gray;
    d.editable = field->isEditable();
    d.selectable = field->isSelectable();
    d.secure = toolkit.isSecure(*field);
  } else if (ui::Box* box = control.asBox()) {
    d.title = utf8OrNone(box->title());
  } else if (ui::TabView* tabs = control.asTabView()) {
    d.selectedIndex = toolkit.selectedTab(*tabs);
    for (long i = 0; i < tabs->numberOfTabViewItems(); ++i)
      d.tabLabels.push_back(tabs->tabViewItemAtIndex(i)->label().utf8());
  } else if (ui::ProgressIndicator* progress = control.asProgressIndicator()) {
    d.animating = progress->isAnimating();
  }
  toolkit.describeOwn(control, d);
  return d;
}

bool set(ui::Control& control, std::string_view value, const ToolkitSpecifics& toolkit) {
  if (!toolkit.kindOf(control)) return false;
  if (ui::TextField* field = control.asTextField()) {
    field->setStringValue(platform::Text::fromUtf8(value));
    return true;
  }
  const std::optional<long> number = parseLong(value);
  if (!number) return false;
  if (ui::Button* button = control.asButton()) {
    if (*number != 0 && *number != 1) return false;
    button->setState(static_cast<int>(*number));
    return true;
  }
  if (ui::Matrix* matrix = control.asMatrix()) {
    if (*number < -1 || *number >= matrix->numberOfRows()) return false;
    matrix->selectCellAtRow(*number, 0);
    return true;
  }
  if (ui::PopUpButton* popUp = control.asPopUpButton()) {
    if (*number < -1 || *number >= popUp->menu().numberOfItems()) return false;
    popUp->selectItemAtIndex(*number);
    return true;
  }
  if (ui::TabView* tabs = control.asTabView()) {
    if (*number < -1 || *number >= tabs->numberOfTabViewItems()) return false;
    return toolkit.selectTab(*tabs, *number);
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
