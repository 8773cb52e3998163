// What every control toolkit behind ui/toolkit.h decides the same way, so that the panel sees the same
// behaviour on each: the kinds of control a layout makes, which of them take the keyboard focus, and a
// pop-up's items with the rules that keep its selection valid.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "ui/toolkit.h"

namespace toolkits {

enum class Kind { view, label, textField, checkBox, holdButton, pushButton, radioButton, matrix, popUpButton,
                  box, tabView, progressIndicator };

// "view", "label", "textField", "checkBox", ... as hosts show them.
std::string_view kindName(Kind kind);

// Whether a control may become its window's first responder: a text field while selectable; buttons,
// matrices, pop-ups and tab views while enabled; labels only while selectable; nothing else.
bool takesFocus(Kind kind, bool selectable, bool enabled);

// A decimal number and nothing else, or none.
std::optional<long> parseLong(std::string_view text);

// A pop-up's items and its selected index (-1 for none). The selection stays on its item while others
// come and go; when its item goes, it falls back to the nearest earlier item that is not a separator,
// else the nearest later one, else to none. A pop-up without a selection takes the first real item
// added. A toolkit that draws the items overrides changed() to hear of every change.
class PopUpMenu : public ui::Menu {
 public:
  long numberOfItems() const override { return static_cast<long>(items_.size()); }
  ui::MenuItem* itemAtIndex(long index) override;
  void removeItemAtIndex(long index) override;
  void addItem(ui::MenuItem item) override;
  void removeAllItems() override;

  long selected() const { return selected_; }
  // -1 clears the selection; other indexes outside the menu change nothing.
  void select(long index);
  // Whether a user may choose the item: one that exists and is not a separator.
  bool choosable(long index) const;
  // The items as they stand, for showing them. Items live behind pointers, so that itemAtIndex stays
  // valid while others are added.
  const std::vector<std::unique_ptr<ui::MenuItem>>& items() const { return items_; }

 protected:
  // Called after every change, and when a caller gets an item it may change.
  virtual void changed() {}

 private:
  std::vector<std::unique_ptr<ui::MenuItem>> items_;
  long selected_ = -1;
};

}  // namespace toolkits
