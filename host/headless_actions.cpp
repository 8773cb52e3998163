#include "headless_actions.h"

#include "toolkits/headless/headless_toolkit.h"

namespace host {

bool HeadlessActions::click(ui::Control& control) { return headless::click(control); }
bool HeadlessActions::select(ui::Control& control, long index) { return headless::select(control, index); }
std::size_t HeadlessActions::type(ui::TextField& field, const platform::Text& text) {
  return headless::typeText(field, text);
}
bool HeadlessActions::paste(ui::TextField& field, const platform::Text& text) { return headless::paste(field, text); }
bool HeadlessActions::clear(ui::TextField& field) { return headless::clear(field); }
bool HeadlessActions::set(ui::Control& control, std::string_view value) { return headless::set(control, value); }
std::vector<ui::Control*> HeadlessActions::controlsOf(ui::Nib& nib) { return headless::controlsOf(nib); }

ControlFacts HeadlessActions::describe(ui::Control& control) {
  const headless::Description d = headless::describe(control);
  ControlFacts f;
  f.kind = d.kind;
  f.tag = d.tag;
  f.state = d.state;
  f.selectedRow = d.selectedRow;
  f.selectedIndex = d.selectedIndex;
  f.stringValue = d.stringValue;
  f.title = d.title;
  f.enabled = d.enabled;
  f.dimmed = d.dimmed;
  f.editable = d.editable;
  f.hidden = d.hidden;
  f.focused = d.focused;
  f.animating = d.animating;
  f.image = d.image;
  f.alternateImage = d.alternateImage;
  for (const auto& item : d.items) f.items.push_back({item.title, item.separator, item.image});
  f.tabLabels = d.tabLabels;
  return f;
}

}  // namespace host
