// Loading a layout of the panel's bundle through the toolkit the host handed over.
#pragma once

#include <memory>
#include <string_view>

#include "platform/bundle.h"
#include "ui/toolkit.h"

namespace ui {

// respondsToSelector:(loadNibNamed:owner:topLevelObjects:) — true when the host gave a toolkit.
bool canLoadNibs();

// Loads the layout <name>.ui of the bundle with the owner; none when there is no toolkit or no such
// layout.
std::unique_ptr<Nib> loadNibNamed(const platform::Bundle& bundle, std::string_view name, NibOwner& owner);

}  // namespace ui
