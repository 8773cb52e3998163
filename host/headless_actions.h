// The step engine's hands on the headless controls: the headless toolkit's user operations, and its
// specifics for the setter and the description that every toolkit shares.
#pragma once

#include "engine/engine.h"
#include "toolkits/headless/headless_toolkit.h"

namespace host {

class HeadlessActions : public UserActions {
 public:
  HeadlessActions() : UserActions(headless::specifics()) {}
  bool click(ui::Control& c) override { return headless::click(c); }
  bool select(ui::Control& c, long index) override { return headless::select(c, index); }
  std::size_t type(ui::TextField& f, const platform::Text& text) override { return headless::typeText(f, text); }
  bool paste(ui::TextField& f, const platform::Text& text) override { return headless::paste(f, text); }
  bool clear(ui::TextField& f) override { return headless::clear(f); }
  std::vector<ui::Control*> controlsOf(ui::Nib& nib) override { return headless::controlsOf(nib); }
};

}  // namespace host
