// What every control toolkit behind ui/toolkit.h decides the same way, so that the panel sees the same
// behaviour on each: the kinds of control a layout makes, which of them take the keyboard focus, a
// pop-up's items with the rules that keep its selection valid, and the facts a host shows of a control.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit.h"

namespace toolkits {

enum class Kind { view, label, textField, checkBox, holdButton, pushButton, radioButton, matrix, popUpButton,
                  box, tabView, progressIndicator };

// "view", "label", "textField", "checkBox", ... as hosts show them.
std::string_view kindName(Kind kind);

// Whether a control may become its window's first responder: text fields and labels while selectable;
// buttons, matrices, pop-ups and tab views while enabled; nothing else.
bool takesFocus(Kind kind, bool selectable, bool enabled);

// The facts a host shows about one control. Fields that do not apply to the kind stay none or empty.
struct MenuItemFacts {
  std::optional<std::string> title;  // none for a separator
  bool separator = false;
  std::optional<std::string> image;  // image name, none when the item has no image
};

struct Description {
  // "checkBox", "holdButton", "pushButton", "radioButton", "matrix", "popUpButton", "textField",
  // "label", "box", "tabView", "progressIndicator", "view"; "unknown" for a control of another toolkit.
  std::string kind = "unknown";
  std::string name;
  long tag = 0;
  std::optional<long> state;          // buttons and radio cells
  std::optional<long> selectedRow;    // matrices
  std::optional<long> selectedIndex;  // pop-ups and tab views
  std::optional<std::string> stringValue;  // text fields and labels
  std::optional<std::string> title;        // buttons, radio cells, boxes
  bool enabled = false;  // the control's own flag, not its container's
  bool dimmed = false;    // text colour grey
  bool editable = false;
  bool selectable = false;
  bool secure = false;    // password field: shown as dots on a screen
  bool hidden = false;    // itself, a container or a removed tab page hidden
  bool focused = false;   // the window's keyboard focus
  bool animating = false;
  std::vector<MenuItemFacts> items;     // pop-ups
  std::vector<std::string> tabLabels;   // tab views
  std::optional<std::string> image;           // hold buttons
  std::optional<std::string> alternateImage;  // hold buttons
  // What a screen reader announces, on toolkits that have one (the headless one has none).
  std::optional<std::string> accessibleName;
};

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
