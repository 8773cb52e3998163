// What every control toolkit behind ui/toolkit.h decides the same way, so that the panel sees the same
// behaviour on each: the kinds of control a layout makes, which of them take the keyboard focus, a
// pop-up's items with the rules that keep its selection valid, and the facts a host shows of a control.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
  // Facts that only one toolkit has are optional fields here, filled by its describeOwn() below and shown
  // by a host only when set.
  std::optional<std::string> accessibleName;  // what a screen reader announces (Qt)
};

// One toolkit's part in describing and setting its controls: what it alone knows of them, where the ui
// interfaces say nothing. Each toolkit implements it once; describe() and set() below are the same for all.
class ToolkitSpecifics {
 public:
  virtual ~ToolkitSpecifics() = default;
  // The kind of one of this toolkit's controls; none for another toolkit's control, which describe() shows
  // as "unknown" and set() refuses.
  virtual std::optional<Kind> kindOf(ui::Control& control) const = 0;
  // The window whose keyboard focus the control may hold; none when it has none.
  virtual const ui::Window* windowOf(ui::Control& control) const = 0;
  // Whether an input field shows dots instead of its text.
  virtual bool isSecure(ui::TextField& field) const = 0;
  // The tab item shown, -1 for none.
  virtual long selectedTab(ui::TabView& tabs) const = 0;
  // Shows tab item index (-1: none) as the program would, without an action; false when it cannot.
  // REQUIRES: -1 <= index < tabs.numberOfTabViewItems().
  virtual bool selectTab(ui::TabView& tabs, long index) const = 0;
  // Fills the optional fields of the description that only this toolkit has; nothing by default.
  virtual void describeOwn(ui::Control&, Description&) const {}
};

// kindOf() and windowOf() for a toolkit whose controls all derive from one Node class that holds their
// kind_ and window_.
template <class Node>
class NodeSpecifics : public ToolkitSpecifics {
 public:
  std::optional<Kind> kindOf(ui::Control& control) const override {
    const auto* node = dynamic_cast<const Node*>(&control);
    if (!node) return std::nullopt;
    return node->kind_;
  }
  const ui::Window* windowOf(ui::Control& control) const override {
    const auto* node = dynamic_cast<const Node*>(&control);
    return node ? node->window_ : nullptr;
  }
};

// The Control operations that every toolkit answers from its Node class (its name_, tag_, action_ and
// effectivelyHidden()); each toolkit's widget template adds hiding and enabling, which it keeps its own way.
template <class Interface, class Node>
class NodeControl : public Interface, public Node {
 public:
  using Node::Node;
  ui::Control& control() override { return *this; }
  std::string_view identifier() const override { return this->name_; }
  long tag() const override { return this->tag_; }
  bool isHidden() const override { return this->effectivelyHidden(); }
  void setAction(ui::Action action) override { this->action_ = std::move(action); }
};

// A tab view's items in order. Each stays alive as long as the list, so that a pointer the program still
// holds to a removed item never dangles.
template <class Item>
class TabItems {
 public:
  void add(std::unique_ptr<Item> item) {
    shown_.push_back(item.get());
    owned_.push_back(std::move(item));
  }
  long count() const { return static_cast<long>(shown_.size()); }
  bool empty() const { return shown_.empty(); }
  // The item at index; none outside.
  Item* at(long index) const {
    return index < 0 || index >= count() ? nullptr : shown_[static_cast<std::size_t>(index)];
  }
  // Takes the item out of the order and gives it with its former index; none when it is not one of them.
  std::optional<std::pair<Item*, long>> remove(const ui::TabViewItem* item) {
    for (std::size_t i = 0; i < shown_.size(); ++i) {
      if (shown_[i] != item) continue;
      Item* removed = shown_[i];
      shown_.erase(shown_.begin() + static_cast<long>(i));
      return std::pair{removed, static_cast<long>(i)};
    }
    return std::nullopt;
  }

 private:
  std::vector<Item*> shown_;
  std::vector<std::unique_ptr<Item>> owned_;
};

// The facts a host shows of control, a control of toolkit; kind "unknown" and nothing else for a control of
// another toolkit.
Description describe(ui::Control& control, const ToolkitSpecifics& toolkit);

// Sets control, a control of toolkit, as the program would, without formatter or action: a text field's or
// label's string value (UTF-8), a two-state button's state ("0" or "1"), a matrix's selected row, a pop-up's
// selected index or a tab view's selected item (decimal; "-1" for none). False when the value does not fit
// the control or the control is another toolkit's.
bool set(ui::Control& control, std::string_view value, const ToolkitSpecifics& toolkit);

// A text field's value as its cell stores it: passed through the formatter's conversions when there is
// one (a value the formatter cannot convert is kept as given); none becomes the empty text, as a field
// always has one.
platform::Text formattedFieldValue(const platform::Text& value, const ui::Formatter* formatter);

// The name a host shows of an image: its theme name, else its file's name; none for no image.
std::optional<std::string> imageName(const ui::ImageRef& image);

// A radio matrix as every toolkit keeps it: one two-state cell per row, in column 0 only; the selected row
// is the first cell that is on. Base is the toolkit's widget over ui::Matrix, Cell its button widget.
template <class Base, class Cell>
class CellMatrix : public Base {
 public:
  using Base::Base;
  long selectedRow() const override {
    for (std::size_t row = 0; row < cells_.size(); ++row)
      if (cells_[row]->state() != 0) return static_cast<long>(row);
    return -1;
  }
  // Row -1 clears the selection; any other row outside the matrix changes nothing.
  void selectCellAtRow(long row, long column) override {
    if (column != 0) return;
    if (row == -1) {
      for (Cell* cell : cells_) cell->setState(0);
      return;
    }
    if (Cell* cell = at(row)) cell->setState(1);
  }
  ui::Button* selectedCell() override { return at(selectedRow()); }
  long numberOfRows() const override { return static_cast<long>(cells_.size()); }
  ui::Button* cellAtRow(long row) override { return at(row); }

  std::vector<Cell*> cells_;

 private:
  Cell* at(long row) const {
    return row < 0 || row >= numberOfRows() ? nullptr : cells_[static_cast<std::size_t>(row)];
  }
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
