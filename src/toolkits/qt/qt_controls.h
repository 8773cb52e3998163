// The wrappers behind qt_toolkit.h: one object per named widget of a loaded layout, implementing the ui
// interface of its kind over the widget. The panel-visible state that a widget does not hold itself (text
// colour, images, pop-up items, the first responder) lives here, never in widget properties.
// Drivers that operate the widgets as a user would (the step engine's Qt hands) read these classes.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkits/model/control_model.h"
#include "toolkits/qt/qt_naming.h"
#include "ui/toolkit.h"

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTabWidget;

namespace toolkits::qt {

class QtWindow;
class QtMatrix;

// Turns the panel's images into icons: theme name, its "-symbolic" form, then the bundle's PNG of that name.
class IconSource {
 public:
  explicit IconSource(std::filesystem::path resources) : resources_(std::move(resources)) {}
  QIcon icon(const ui::ImageRef& image) const;

 private:
  std::filesystem::path resources_;
};

// What every wrapper shares. The widget may die before the wrapper (a host that deletes its window
// first): every operation then does nothing.
class Node {
 public:
  Node(Kind kind, QWidget* widget, std::string name, long tag, QtWindow* window)
      : kind_(kind), widget_(widget), name_(std::move(name)), tag_(tag), window_(window) {}
  virtual ~Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  virtual ui::Control& control() = 0;
  Kind kind() const { return kind_; }

  // The control's own enabled flag: a disabled container does not clear it.
  bool ownEnabled() const;
  // Hidden itself, inside a hidden container or on a removed tab page; unselected tab pages count as shown.
  bool effectivelyHidden() const;
  bool reachable() const { return ownEnabled() && !effectivelyHidden(); }
  void sendAction(ui::Control& sender) const {
    if (action_) action_(sender);
  }

  Kind kind_;
  QPointer<QWidget> widget_;
  std::string name_;
  long tag_;
  QtWindow* window_;
  ui::Action action_;
  // The context of the widget's signal connections: they end with the wrapper.
  QObject guard_;
};

// Hiding and enabling go to the Qt widget, while it lives.
template <class Interface>
class Widget : public toolkits::NodeControl<Interface, Node> {
 public:
  using toolkits::NodeControl<Interface, Node>::NodeControl;
  void setHidden(bool hidden) override {
    if (this->widget_) this->widget_->setHidden(hidden);
  }
  void setEnabled(bool enabled) override {
    if (this->widget_) this->widget_->setEnabled(enabled);
  }
  bool isEnabled() const override { return this->ownEnabled(); }
};

class QtContainer : public Widget<ui::Control> {
 public:
  using Widget::Widget;
};

// Check box, hold button, push button, radio cell.
class QtButton : public Widget<ui::Button> {
 public:
  QtButton(Kind kind, QAbstractButton* button, std::string name, long tag, QtWindow* window, const IconSource& icons);
  ui::Button* asButton() override { return this; }
  int state() const override;
  void setState(int state) override;
  ui::Text title() const override;
  void setTitle(const ui::Text& title) override;
  void setImage(ui::ImageRef image) override;
  ui::ImageRef image() const override { return image_; }
  void setAlternateImage(ui::ImageRef image) override;
  ui::ImageRef alternateImage() const override { return alternateImage_; }

  QAbstractButton* button() const;

  QtMatrix* matrix_ = nullptr;  // radio cells only

 private:
  void showImages();

  const IconSource& icons_;
  ui::ImageRef image_;
  ui::ImageRef alternateImage_;
};

// The cells keep no exclusive group of Qt's: the matrix alone decides, so "no row selected" can exist.
class QtMatrix : public CellMatrix<Widget<ui::Matrix>, QtButton> {
 public:
  using CellMatrix::CellMatrix;
  ui::Matrix* asMatrix() override { return this; }
  // A cell the user clicked: it alone is on, then the matrix reports.
  void cellClicked(QtButton& cell);
};

class QtPopUp;

class QtMenu : public PopUpMenu {
 public:
  explicit QtMenu(QtPopUp& owner) : owner_(owner) {}

 protected:
  void changed() override;

 private:
  QtPopUp& owner_;
};

// The items live here; the combo box shows them. Items the panel changes through itemAtIndex() reach the
// combo box at the next turn of the event loop, or at once through show().
class QtPopUp : public Widget<ui::PopUpButton> {
 public:
  QtPopUp(QComboBox* combo, std::string name, long tag, QtWindow* window, const IconSource& icons);
  ui::PopUpButton* asPopUpButton() override { return this; }
  long indexOfSelectedItem() const override { return menu_.selected(); }
  void selectItemAtIndex(long index) override { menu_.select(index); }
  ui::MenuItem* selectedItem() override { return menu_.itemAtIndex(menu_.selected()); }
  ui::Menu& menu() override { return menu_; }

  QComboBox* combo() const;
  // Whether a user may choose the item (control_model.h).
  bool choosable(long index) const { return menu_.choosable(index); }
  // Marks the combo box out of date and schedules its update.
  void changed();
  // Brings the combo box up to date now.
  void show();
  // The user chose an item in the combo box.
  void userSelected(long index);

  QtMenu menu_;

 private:
  const IconSource& icons_;
  bool stale_ = false;
};

// Labels and input fields.
class QtTextField : public Widget<ui::TextField> {
 public:
  QtTextField(Kind kind, QWidget* widget, std::string name, long tag, QtWindow* window);
  ui::TextField* asTextField() override { return this; }
  ui::Text stringValue() const override;
  void setStringValue(const ui::Text& value) override;
  void setEditable(bool editable) override;
  bool isEditable() const override { return editable_; }
  void setSelectable(bool selectable) override;
  bool isSelectable() const override { return selectable_; }
  void setTextColor(ui::Color color) override;
  ui::Color textColor() const override { return color_; }
  void setFormatter(std::unique_ptr<ui::Formatter> formatter) override;
  const ui::Formatter* formatter() const override { return formatter_.get(); }
  ui::Window* window() const override;

  QLineEdit* lineEdit() const;
  QLabel* label() const;

 private:
  bool editable_ = false;
  bool selectable_ = false;
  QString labelText_;  // a label's text as the panel set it; the label may show it with a mnemonic
  ui::Color color_ = ui::Color::black;
  std::unique_ptr<ui::Formatter> formatter_;
};

class QtBox : public Widget<ui::Box> {
 public:
  using Widget::Widget;
  ui::Box* asBox() override { return this; }
  ui::Text title() const override;
  void setTitle(const ui::Text& title) override;
};

class QtTabView;

class QtTabItem : public ui::TabViewItem {
 public:
  QtTabItem(QtTabView& tabs, QWidget* page, ui::Text label) : tabs_(tabs), page_(page), label_(std::move(label)) {}
  ui::Text label() const override { return label_; }
  void setLabel(const ui::Text& label) override;

  QtTabView& tabs_;
  QPointer<QWidget> page_;
  ui::Text label_;
};

class QtTabView : public Widget<ui::TabView> {
 public:
  QtTabView(QTabWidget* tabs, std::string name, long tag, QtWindow* window);
  ui::TabView* asTabView() override { return this; }
  long numberOfTabViewItems() const override { return items_.count(); }
  ui::TabViewItem* tabViewItemAtIndex(long index) override { return items_.at(index); }
  void removeTabViewItem(ui::TabViewItem* item) override;
  void selectFirstTabViewItem() override;

  QTabWidget* tabWidget() const;
  long selectedIndex() const;

  toolkits::TabItems<QtTabItem> items_;
};

// Turning means an indeterminate (busy) bar, which the style animates with its own timers.
class QtProgress : public Widget<ui::ProgressIndicator> {
 public:
  QtProgress(QProgressBar* bar, std::string name, long tag, QtWindow* window);
  ui::ProgressIndicator* asProgressIndicator() override { return this; }
  void startAnimation() override;
  void stopAnimation() override;
  bool isAnimating() const override { return animating_; }

 private:
  bool animating_ = false;
};

class QtWindow : public ui::Window {
 public:
  // Accepts as the headless window does: text fields while selectable, buttons, matrices, pop-ups and
  // tab views while enabled, nothing else; the widget takes Qt's focus too.
  bool makeFirstResponder(ui::Control* control) override;
  ui::Control* firstResponder() const override { return firstResponder_; }

  // Called after the panel changed a label's text or a button's title (the layout renames its fields).
  std::function<void()> textsChanged;

 private:
  ui::Control* firstResponder_ = nullptr;
};

class QtNib;

class QtView : public ui::View {
 public:
  explicit QtView(QtNib& nib) : nib_(nib) {}
  ui::Window* window() const override;
  QtNib& nib() const { return nib_; }

 private:
  QtNib& nib_;
};

// A loaded layout: its root widget, its window, its wrappers in document order.
class QtNib : public ui::Nib {
 public:
  QtNib(QWidget* root, std::filesystem::path resources) : icons_(std::move(resources)), root_(root), view_(*this) {}
  ~QtNib() override;
  ui::View& rootView() override { return view_; }
  ui::Control* controlNamed(std::string_view name) override;

  IconSource icons_;  // before the wrappers, which draw with it
  QPointer<QWidget> root_;
  QtWindow window_;
  Naming naming_;
  std::vector<std::unique_ptr<Node>> nodes_;

 private:
  QtView view_;
};

// The wrapper behind a ui::Control of this toolkit, or none.
inline Node* nodeOf(ui::Control& control) { return dynamic_cast<Node*>(&control); }

}  // namespace toolkits::qt
