// The step engine's hands on the headless controls: a thin adapter over the headless toolkit's user
// operations and its description of a control.
#pragma once

#include "engine/engine.h"

namespace host {

class HeadlessActions : public UserActions {
 public:
  bool click(ui::Control& control) override;
  bool select(ui::Control& control, long index) override;
  std::size_t type(ui::TextField& field, const platform::Text& text) override;
  bool paste(ui::TextField& field, const platform::Text& text) override;
  bool clear(ui::TextField& field) override;
  bool set(ui::Control& control, std::string_view value) override;
  std::vector<ui::Control*> controlsOf(ui::Nib& nib) override;
  ControlFacts describe(ui::Control& control) override;
};

}  // namespace host
