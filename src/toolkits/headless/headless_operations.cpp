// What a user does to the headless controls (click, select, type, paste, clear), the program-side
// setter that hosts use to place values, and the facts a host shows.
#include "toolkits/headless/headless_toolkit.h"
#include "toolkits/headless/headless_widgets.h"

namespace headless {

namespace {

using platform::Text;

// The field behind a ui::TextField when a user may edit it now: a headless input that is editable,
// enabled and shown. Editing starts as a click into the field, which takes the keyboard focus.
TextFieldWidget* editableField(ui::TextField& field) {
  Node* node = nodeOf(field);
  if (!node || (node->kind_ != Kind::textField && node->kind_ != Kind::label)) return nullptr;
  auto* widget = static_cast<TextFieldWidget*>(node);
  if (!widget->editable_ || !widget->reachable()) return nullptr;
  if (widget->window_) widget->window_->makeFirstResponder(widget);
  return widget;
}

std::optional<std::string> imageName(const ui::ImageRef& image) {
  if (!image) return std::nullopt;
  if (!image->name.empty()) return image->name;
  return image->file.filename().string();
}

std::optional<std::string> utf8OrNone(const Text& text) {
  if (text.isNone()) return std::nullopt;
  return text.utf8();
}

}  // namespace

bool click(ui::Control& control) {
  Node* node = nodeOf(control);
  if (!node || !node->reachable()) return false;
  switch (node->kind_) {
    case Kind::checkBox:
    case Kind::holdButton: {
      auto* button = static_cast<ButtonWidget*>(node);
      button->state_ = button->state_ == 0 ? 1 : 0;
      button->sendAction(*button);
      return true;
    }
    case Kind::pushButton:
      node->sendAction(node->control());
      return true;
    case Kind::radioButton: {
      auto* cell = static_cast<ButtonWidget*>(node);
      // A radio button on its own just turns on; in a group, the group chooses and reports.
      if (!cell->matrix_) {
        cell->state_ = 1;
        cell->sendAction(*cell);
        return true;
      }
      if (!cell->matrix_->enabled_) return false;
      cell->setState(1);
      cell->matrix_->sendAction(*cell->matrix_);
      return true;
    }
    default:
      return false;
  }
}

bool select(ui::Control& control, long index) {
  Node* node = nodeOf(control);
  if (!node || !node->reachable()) return false;
  switch (node->kind_) {
    case Kind::popUpButton: {
      auto* popUp = static_cast<PopUpWidget*>(node);
      if (!popUp->menu_.choosable(index)) return false;
      popUp->menu_.select(index);
      popUp->sendAction(*popUp);
      return true;
    }
    case Kind::matrix: {
      auto* matrix = static_cast<MatrixWidget*>(node);
      auto* cell = static_cast<ButtonWidget*>(matrix->cellAtRow(index));
      if (!cell || !cell->reachable()) return false;
      matrix->selectCellAtRow(index, 0);
      matrix->sendAction(*matrix);
      return true;
    }
    case Kind::tabView: {
      auto* tabs = static_cast<TabViewWidget*>(node);
      if (index < 0 || index >= tabs->numberOfTabViewItems()) return false;
      tabs->selected_ = index;
      tabs->sendAction(*tabs);
      return true;
    }
    default:
      return false;
  }
}

// Each key is one Unicode character: a surrogate pair travels as one key of two units.
std::size_t typeText(ui::TextField& field, const Text& text) {
  TextFieldWidget* widget = editableField(field);
  if (!widget) return 0;
  const std::u16string& units = text.utf16();
  std::size_t taken = 0;
  for (std::size_t i = 0; i < units.size();) {
    std::size_t width = 1;
    if (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      width = 2;
    }
    const Text key = Text::fromUtf16(units.substr(i, width));
    i += width;
    const std::size_t length = widget->value_.length();
    const Text proposed = widget->value_ + key;
    if (widget->applyEdit(proposed, {proposed.length(), 0}, {length, 0})) ++taken;
  }
  return taken;
}

bool paste(ui::TextField& field, const Text& text) {
  TextFieldWidget* widget = editableField(field);
  if (!widget || text.isEmpty()) return false;
  const std::size_t length = widget->value_.length();
  const Text proposed = widget->value_ + text;
  return widget->applyEdit(proposed, {proposed.length(), 0}, {length, 0});
}

// Deleting from an empty field is no edit at all, so the formatter is not asked.
bool clear(ui::TextField& field) {
  TextFieldWidget* widget = editableField(field);
  if (!widget) return false;
  const std::size_t length = widget->value_.length();
  if (length == 0) return true;
  return widget->applyEdit(Text::empty(), {0, 0}, {0, length});
}

bool set(ui::Control& control, std::string_view value) {
  Node* node = nodeOf(control);
  if (!node) return false;
  if (node->kind_ == Kind::textField || node->kind_ == Kind::label) {
    static_cast<TextFieldWidget*>(node)->setStringValue(Text::fromUtf8(value));
    return true;
  }
  const std::optional<long> number = toolkits::parseLong(value);
  if (!number) return false;
  switch (node->kind_) {
    case Kind::checkBox:
    case Kind::holdButton:
    case Kind::radioButton:
    case Kind::pushButton:
      if (*number != 0 && *number != 1) return false;
      static_cast<ButtonWidget*>(node)->setState(static_cast<int>(*number));
      return true;
    case Kind::matrix: {
      auto* matrix = static_cast<MatrixWidget*>(node);
      if (*number < -1 || *number >= matrix->numberOfRows()) return false;
      matrix->selectCellAtRow(*number, 0);
      return true;
    }
    case Kind::popUpButton: {
      auto* popUp = static_cast<PopUpWidget*>(node);
      if (*number < -1 || *number >= popUp->menu_.numberOfItems()) return false;
      popUp->selectItemAtIndex(*number);
      return true;
    }
    case Kind::tabView: {
      auto* tabs = static_cast<TabViewWidget*>(node);
      if (*number < -1 || *number >= tabs->numberOfTabViewItems()) return false;
      tabs->selected_ = *number;
      return true;
    }
    default:
      return false;
  }
}

Description describe(ui::Control& control) {
  Description d;
  Node* node = nodeOf(control);
  if (!node) return d;
  d.kind = toolkits::kindName(node->kind_);
  d.name = node->name_;
  d.tag = node->tag_;
  d.enabled = node->enabled_;
  d.hidden = node->effectivelyHidden();
  ui::Control* focus = node->window_ ? node->window_->firstResponder() : nullptr;
  d.focused = focus && nodeOf(*focus) == node;

  switch (node->kind_) {
    case Kind::checkBox:
    case Kind::holdButton:
    case Kind::pushButton:
    case Kind::radioButton: {
      auto* button = static_cast<ButtonWidget*>(node);
      d.state = button->state_;
      d.title = utf8OrNone(button->title_);
      if (node->kind_ == Kind::holdButton) {
        d.image = imageName(button->image_);
        d.alternateImage = imageName(button->alternateImage_);
      }
      break;
    }
    case Kind::matrix:
      d.selectedRow = static_cast<MatrixWidget*>(node)->selectedRow();
      break;
    case Kind::popUpButton: {
      auto* popUp = static_cast<PopUpWidget*>(node);
      d.selectedIndex = popUp->menu_.selected();
      for (const auto& item : popUp->menu_.items()) {
        d.items.push_back({utf8OrNone(item->title()), item->isSeparator(), imageName(item->image())});
      }
      break;
    }
    case Kind::textField:
    case Kind::label: {
      auto* field = static_cast<TextFieldWidget*>(node);
      d.stringValue = field->value_.utf8();
      d.dimmed = field->color_ == ui::Color::gray;
      d.editable = field->editable_;
      d.selectable = field->selectable_;
      d.secure = field->secure_;
      break;
    }
    case Kind::box:
      d.title = utf8OrNone(static_cast<BoxWidget*>(node)->title_);
      break;
    case Kind::tabView: {
      auto* tabs = static_cast<TabViewWidget*>(node);
      d.selectedIndex = tabs->selected_;
      for (const TabItem* item : tabs->items_) d.tabLabels.push_back(item->label_.utf8());
      break;
    }
    case Kind::progressIndicator:
      d.animating = static_cast<ProgressWidget*>(node)->animating_;
      break;
    case Kind::view:
      break;
  }
  return d;
}

}  // namespace headless
