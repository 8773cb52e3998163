// The control toolkit as the panel sees it. The panel talks to these interfaces only; the headless model
// (toolkits/headless) and the Qt toolkit (toolkits/qt) implement them.
//
// Every operation has a default that does nothing and every query a default of 0, the empty string, none
// or false. An absent control (an outlet the layout did not connect) is served by these defaults, see
// ui/outlet.h, so the panel never tests for absence except where it must decide on it.
#pragma once

#include <any>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace ui {

using platform::Text;

class Control;
class Button;
class Matrix;
class PopUpButton;
class TextField;
class Box;
class TabView;
class ProgressIndicator;
class View;

enum class Color { black, gray };

// An image by identity: a theme icon name or a bundle file. Size in points.
struct Image {
  std::string name;
  std::filesystem::path file;
  double width = 0;
  double height = 0;
};
using ImageRef = std::shared_ptr<const Image>;

// A selection or edit range in UTF-16 units.
struct Range {
  std::size_t location = 0;
  std::size_t length = 0;
};

// A text field's formatter: asked before every edit; the field applies the edit only on true.
class Formatter {
 public:
  virtual ~Formatter() = default;
  virtual Text stringForObjectValue(const Text& value) const { return value; }
  virtual bool getObjectValue(Text& value, const Text& string) const {
    value = string;
    return true;
  }
  virtual bool isPartialStringValid(const Text& partial, Range proposedSelection, const Text& original,
                                    Range originalSelection) const = 0;
};

// The window that holds the panel; it has one keyboard focus (first responder).
class Window {
 public:
  virtual ~Window() = default;
  // nullptr clears the focus. Returns whether the focus changed as asked.
  virtual bool makeFirstResponder(Control* control) = 0;
  virtual Control* firstResponder() const = 0;
};

// An action sent to the panel with the sending control.
using Action = std::function<void(Control& sender)>;

class Control {
 public:
  virtual ~Control() = default;
  virtual std::string_view identifier() const { return {}; }
  virtual long tag() const { return 0; }
  virtual void setHidden(bool) {}
  virtual bool isHidden() const { return false; }
  virtual void setEnabled(bool) {}
  virtual bool isEnabled() const { return false; }
  // The action sent after the user operates the control.
  virtual void setAction(Action) {}

  // Kind queries, so that a loader can hand a control to a typed outlet without RTTI across libraries.
  virtual Button* asButton() { return nullptr; }
  virtual Matrix* asMatrix() { return nullptr; }
  virtual PopUpButton* asPopUpButton() { return nullptr; }
  virtual TextField* asTextField() { return nullptr; }
  virtual Box* asBox() { return nullptr; }
  virtual TabView* asTabView() { return nullptr; }
  virtual ProgressIndicator* asProgressIndicator() { return nullptr; }
};

// Check box, hold button (two-state toggle), push button, and the cells of a radio matrix.
class Button : public Control {
 public:
  virtual int state() const { return 0; }
  virtual void setState(int) {}
  virtual Text title() const { return Text(); }
  virtual void setTitle(const Text&) {}
  virtual void setImage(ImageRef) {}
  virtual ImageRef image() const { return nullptr; }
  virtual void setAlternateImage(ImageRef) {}
  virtual ImageRef alternateImage() const { return nullptr; }
};

class Matrix : public Control {
 public:
  // -1 when no cell is selected.
  virtual long selectedRow() const { return 0; }
  virtual void selectCellAtRow(long, long) {}
  virtual Button* selectedCell() { return nullptr; }
  virtual long numberOfRows() const { return 0; }
  virtual Button* cellAtRow(long) { return nullptr; }
};

class MenuItem {
 public:
  MenuItem() = default;
  explicit MenuItem(Text title) : title_(std::move(title)) {}
  static MenuItem separatorItem() {
    MenuItem item;
    item.separator_ = true;
    return item;
  }
  bool isSeparator() const { return separator_; }
  const Text& title() const { return title_; }
  void setTitle(Text title) { title_ = std::move(title); }
  const ImageRef& image() const { return image_; }
  void setImage(ImageRef image) { image_ = std::move(image); }
  const std::any& representedObject() const { return represented_; }
  void setRepresentedObject(std::any object) { represented_ = std::move(object); }

 private:
  Text title_;
  ImageRef image_;
  std::any represented_;
  bool separator_ = false;
};

class Menu {
 public:
  virtual ~Menu() = default;
  virtual long numberOfItems() const { return 0; }
  virtual MenuItem* itemAtIndex(long) { return nullptr; }
  virtual void removeItemAtIndex(long) {}
  virtual void addItem(MenuItem) {}
  virtual void removeAllItems() {}
};

class PopUpButton : public Control {
 public:
  // -1 when nothing is selected.
  virtual long indexOfSelectedItem() const { return 0; }
  virtual void selectItemAtIndex(long) {}
  virtual MenuItem* selectedItem() { return nullptr; }
  // The pop-up's menu; a control without one answers with a menu that has no items and ignores changes.
  virtual Menu& menu() {
    static Menu none;
    return none;
  }
};

// Labels (tag 0) and input fields (tag not 0).
class TextField : public Control {
 public:
  virtual Text stringValue() const { return Text(); }
  virtual void setStringValue(const Text&) {}
  virtual void setEditable(bool) {}
  virtual bool isEditable() const { return false; }
  virtual void setSelectable(bool) {}
  virtual bool isSelectable() const { return false; }
  virtual void setTextColor(Color) {}
  virtual Color textColor() const { return Color::black; }
  // The field's cell takes ownership of the formatter.
  virtual void setFormatter(std::unique_ptr<Formatter>) {}
  virtual const Formatter* formatter() const { return nullptr; }
  // The window that holds the field, or none.
  virtual Window* window() const { return nullptr; }
};

class Box : public Control {
 public:
  virtual Text title() const { return Text(); }
  virtual void setTitle(const Text&) {}
};

class TabViewItem {
 public:
  virtual ~TabViewItem() = default;
  virtual Text label() const = 0;
  virtual void setLabel(const Text&) = 0;
};

class TabView : public Control {
 public:
  virtual long numberOfTabViewItems() const { return 0; }
  virtual TabViewItem* tabViewItemAtIndex(long) { return nullptr; }
  virtual void removeTabViewItem(TabViewItem*) {}
  virtual void selectFirstTabViewItem() {}
};

class ProgressIndicator : public Control {
 public:
  virtual void startAnimation() {}
  virtual void stopAnimation() {}
  virtual bool isAnimating() const { return false; }
};

// The root of a loaded layout.
class View {
 public:
  virtual ~View() = default;
  virtual Window* window() const = 0;
};

// The object whose outlets a layout connects (the panel).
class NibOwner {
 public:
  virtual ~NibOwner() = default;
  // Called once per named control of the layout. The owner keeps the control if the name is one of its
  // outlets and sets the control's action.
  virtual void connectOutlet(std::string_view name, Control& control) = 0;
};

// A loaded layout: owns its controls and its root view.
class Nib {
 public:
  virtual ~Nib() = default;
  virtual View& rootView() = 0;
  // A control by object name, or none (hosts and tests; the panel uses its outlets).
  virtual Control* controlNamed(std::string_view name) = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // Loads a Qt Designer layout file; none when it cannot be read.
  virtual std::unique_ptr<Nib> loadNib(const std::filesystem::path& file, NibOwner& owner) = 0;
};

}  // namespace ui
