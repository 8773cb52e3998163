// What a user does to the headless controls (click, select, type, paste, clear), and what the headless
// widgets alone know of themselves for the shared setter and description (control_model.h).
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

namespace {

// What the headless widgets alone know of themselves.
class HeadlessSpecifics : public toolkits::NodeSpecifics<Node> {
 public:
  bool isSecure(ui::TextField& field) const override {
    const auto* widget = dynamic_cast<TextFieldWidget*>(&field);
    return widget && widget->secure_;
  }
  long selectedTab(ui::TabView& tabs) const override {
    const auto* widget = dynamic_cast<TabViewWidget*>(&tabs);
    return widget ? widget->selected_ : -1;
  }
  bool selectTab(ui::TabView& tabs, long index) const override {
    auto* widget = dynamic_cast<TabViewWidget*>(&tabs);
    if (!widget) return false;
    widget->selected_ = index;
    return true;
  }
};

}  // namespace

const toolkits::ToolkitSpecifics& specifics() {
  static const HeadlessSpecifics headless;
  return headless;
}

bool set(ui::Control& control, std::string_view value) { return toolkits::set(control, value, specifics()); }

toolkits::Description describe(ui::Control& control) { return toolkits::describe(control, specifics()); }

}  // namespace headless
