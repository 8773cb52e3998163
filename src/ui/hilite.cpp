// Dimming of text fields.
#include "ui/hilite.h"

namespace ui {

void myTarvelHilite(TextField& field, bool dim) {
  // A label only changes colour; it never takes or drops the focus.
  if (field.tag() == 0) {
    field.setTextColor(dim ? Color::gray : Color::black);
    return;
  }

  // An input field is locked and unlocked together with the focus, so the last field a sequence of
  // rules touches decides where the focus ends.
  field.setEditable(!dim);
  field.setSelectable(!dim);
  field.setTextColor(dim ? Color::gray : Color::black);
  if (Window* window = field.window()) window->makeFirstResponder(dim ? nullptr : &field);
}

}  // namespace ui
