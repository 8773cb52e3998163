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

ControlFacts HeadlessActions::describe(ui::Control& control) { return headless::describe(control); }

}  // namespace host
