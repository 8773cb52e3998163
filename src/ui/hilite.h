// Dimming of text fields. Labels and text fields are never disabled: an input field is locked and greyed,
// a label only greyed.
#pragma once

#include "ui/outlet.h"
#include "ui/toolkit.h"

namespace ui {

// myTarvelHilite: dims (dim true) or undims a text field. A field with a non-zero tag is an input field:
// dimming makes it neither editable nor selectable, greys it and clears its window's keyboard focus;
// undimming reverses that and gives the field the focus. A field with tag 0 only changes colour. A field
// outside a window moves no focus.
void myTarvelHilite(TextField& field, bool dim);

// The same through an outlet; an absent field is left alone.
inline void myTarvelHilite(const Outlet<TextField>& field, bool dim) { myTarvelHilite(*field, dim); }

}  // namespace ui
