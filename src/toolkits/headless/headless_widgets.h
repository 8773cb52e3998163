// The headless control model behind headless_toolkit.h: one object per widget of a layout, each
// implementing its ui interface and sharing the tree facts (name, tag, parent, hidden, window) in Node.
// Private to the toolkit library.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkits/model/control_model.h"
#include "ui/toolkit.h"

namespace headless {

using toolkits::Kind;

class HeadlessWindow;
class MatrixWidget;

// What every widget shares: its place in the layout's tree and the common control state.
class Node {
 public:
  Node(Kind kind, std::string name) : kind_(kind), name_(std::move(name)) {}
  virtual ~Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  virtual ui::Control& control() = 0;

  // Hidden itself, inside a hidden container or on a removed tab item.
  bool effectivelyHidden() const;
  // Whether a user could operate the control now.
  bool reachable() const { return enabled_ && !effectivelyHidden(); }
  // Sends the action, if one is set, with the given sender.
  void sendAction(ui::Control& sender) const {
    if (action_) action_(sender);
  }

  Kind kind_;
  std::string name_;
  long tag_ = 0;
  bool hidden_ = false;
  bool enabled_ = true;
  bool detached_ = false;  // a page whose tab item was removed
  Node* parent_ = nullptr;
  HeadlessWindow* window_ = nullptr;
  ui::Action action_;
};

// The common Control operations over Node, for each ui interface: hiding and enabling are flags here.
template <class Interface>
class Widget : public toolkits::NodeControl<Interface, Node> {
 public:
  using toolkits::NodeControl<Interface, Node>::NodeControl;
  void setHidden(bool hidden) override { this->hidden_ = hidden; }
  void setEnabled(bool enabled) override { this->enabled_ = enabled; }
  bool isEnabled() const override { return this->enabled_; }
};

class ContainerWidget : public Widget<ui::Control> {
 public:
  explicit ContainerWidget(std::string name) : Widget(Kind::view, std::move(name)) {}
};

// Check box, hold button, push button, radio cell.
class ButtonWidget : public Widget<ui::Button> {
 public:
  using Widget::Widget;
  ui::Button* asButton() override { return this; }
  int state() const override { return state_; }
  void setState(int state) override;
  platform::Text title() const override { return title_; }
  void setTitle(const platform::Text& title) override { title_ = title.isNone() ? platform::Text::empty() : title; }
  void setImage(ui::ImageRef image) override { image_ = std::move(image); }
  ui::ImageRef image() const override { return image_; }
  void setAlternateImage(ui::ImageRef image) override { alternateImage_ = std::move(image); }
  ui::ImageRef alternateImage() const override { return alternateImage_; }

  int state_ = 0;
  platform::Text title_ = platform::Text::empty();
  ui::ImageRef image_;
  ui::ImageRef alternateImage_;
  MatrixWidget* matrix_ = nullptr;  // radio cells only
};

class MatrixWidget : public toolkits::CellMatrix<Widget<ui::Matrix>, ButtonWidget> {
 public:
  explicit MatrixWidget(std::string name) : CellMatrix(Kind::matrix, std::move(name)) {}
  ui::Matrix* asMatrix() override { return this; }
};

class PopUpWidget : public Widget<ui::PopUpButton> {
 public:
  explicit PopUpWidget(std::string name) : Widget(Kind::popUpButton, std::move(name)) {}
  ui::PopUpButton* asPopUpButton() override { return this; }
  long indexOfSelectedItem() const override { return menu_.selected(); }
  void selectItemAtIndex(long index) override { menu_.select(index); }
  ui::MenuItem* selectedItem() override { return menu_.itemAtIndex(menu_.selected()); }
  ui::Menu& menu() override { return menu_; }

  toolkits::PopUpMenu menu_;
};

class TextFieldWidget : public Widget<ui::TextField> {
 public:
  using Widget::Widget;
  ui::TextField* asTextField() override { return this; }
  platform::Text stringValue() const override { return value_; }
  void setStringValue(const platform::Text& value) override;
  void setEditable(bool editable) override { editable_ = editable; }
  bool isEditable() const override { return editable_; }
  void setSelectable(bool selectable) override { selectable_ = selectable; }
  bool isSelectable() const override { return selectable_; }
  void setTextColor(ui::Color color) override { color_ = color; }
  ui::Color textColor() const override { return color_; }
  void setFormatter(std::unique_ptr<ui::Formatter> formatter) override { formatter_ = std::move(formatter); }
  const ui::Formatter* formatter() const override { return formatter_.get(); }
  ui::Window* window() const override;

  // Applies an edit the user proposes, after the formatter's consent; returns whether it was applied.
  bool applyEdit(const platform::Text& proposed, ui::Range proposedSelection, ui::Range originalSelection);

  platform::Text value_ = platform::Text::empty();
  bool editable_ = false;
  bool selectable_ = false;
  bool secure_ = false;
  ui::Color color_ = ui::Color::black;
  std::unique_ptr<ui::Formatter> formatter_;
};

class BoxWidget : public Widget<ui::Box> {
 public:
  explicit BoxWidget(std::string name) : Widget(Kind::box, std::move(name)) {}
  ui::Box* asBox() override { return this; }
  platform::Text title() const override { return title_; }
  void setTitle(const platform::Text& title) override { title_ = title.isNone() ? platform::Text::empty() : title; }

  platform::Text title_ = platform::Text::empty();
};

class TabItem : public ui::TabViewItem {
 public:
  TabItem(platform::Text label, Node* page) : label_(std::move(label)), page_(page) {}
  platform::Text label() const override { return label_; }
  void setLabel(const platform::Text& label) override { label_ = label.isNone() ? platform::Text::empty() : label; }

  platform::Text label_;
  Node* page_;
};

class TabViewWidget : public Widget<ui::TabView> {
 public:
  explicit TabViewWidget(std::string name) : Widget(Kind::tabView, std::move(name)) {}
  ui::TabView* asTabView() override { return this; }
  long numberOfTabViewItems() const override { return items_.count(); }
  ui::TabViewItem* tabViewItemAtIndex(long index) override { return items_.at(index); }
  void removeTabViewItem(ui::TabViewItem* item) override;
  void selectFirstTabViewItem() override { selected_ = items_.empty() ? -1 : 0; }

  toolkits::TabItems<TabItem> items_;
  long selected_ = -1;
};

class ProgressWidget : public Widget<ui::ProgressIndicator> {
 public:
  explicit ProgressWidget(std::string name) : Widget(Kind::progressIndicator, std::move(name)) {}
  ui::ProgressIndicator* asProgressIndicator() override { return this; }
  void startAnimation() override { animating_ = true; }
  void stopAnimation() override { animating_ = false; }
  bool isAnimating() const override { return animating_; }

  bool animating_ = false;
};

class HeadlessWindow : public ui::Window {
 public:
  bool makeFirstResponder(ui::Control* control) override;
  ui::Control* firstResponder() const override { return firstResponder_; }

 private:
  ui::Control* firstResponder_ = nullptr;
};

class RootView : public ui::View {
 public:
  explicit RootView(HeadlessWindow& window) : window_(window) {}
  ui::Window* window() const override { return &window_; }

 private:
  HeadlessWindow& window_;
};

// A loaded layout: owns its window, its widgets (in document order, root first) and its root view.
class HeadlessNib : public ui::Nib {
 public:
  HeadlessNib() : view_(window_) {}
  ui::View& rootView() override { return view_; }
  ui::Control* controlNamed(std::string_view name) override;

  HeadlessWindow window_;
  std::vector<std::unique_ptr<Node>> nodes_;

 private:
  RootView view_;
};

// The headless widget behind a control, or none for a control of another toolkit.
inline Node* nodeOf(ui::Control& control) { return dynamic_cast<Node*>(&control); }

}  // namespace headless
