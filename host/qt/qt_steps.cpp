#include "qt/qt_steps.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "qt/panel_frame.h"
#include "qt/window_facts.h"
#include "toolkits/qt/qt_controls.h"
#include "toolkits/qt/qt_text.h"
#include "toolkits/qt/qt_toolkit.h"

namespace host::qt {

namespace {

using toolkits::Kind;
using toolkits::qt::Node;

std::optional<std::string> imageName(const ui::ImageRef& image) {
  if (!image) return std::nullopt;
  if (!image->name.empty()) return image->name;
  return image->file.filename().string();
}

// Where a click lands on a button: on the indicator of a check box or radio button (their middle may be
// empty space of a wide layout cell, which Qt does not count as a hit), else the middle.
QPoint clickPoint(QAbstractButton& button) {
  const int middle = button.height() / 2;
  if (qobject_cast<QCheckBox*>(&button))
    return {button.style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 + 1, middle};
  if (qobject_cast<QRadioButton*>(&button))
    return {button.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) / 2 + 1, middle};
  return button.rect().center();
}

// The panel's view (root) placed in the parent window, once, and shown: in a panel frame as its view,
// else in the parent's layout.
void place(QWidget& root, QWidget& parent) {
  if (root.window() != parent.window() && root.parentWidget() == nullptr) {
    if (auto* frame = dynamic_cast<PanelFrame*>(&parent)) frame->setView(&root);
    else if (QLayout* layout = parent.layout()) layout->addWidget(&root);
    else root.setParent(&parent);
    root.show();
  }
  if (!parent.isVisible()) parent.show();
}

// The wrapper of a control a user could operate now, with the panel's view placed in the parent window and
// shown, so that clicks and keys reach laid-out widgets; none for another toolkit's, disabled or hidden.
Node* reach(ui::Control& control, QWidget& parent) {
  Node* node = toolkits::qt::nodeOf(control);
  if (!node || !node->reachable()) return nullptr;
  place(*node->widget_->window(), parent);
  return node;
}

// The line edit of an input field the user may edit now, clicked into (which takes the keyboard focus)
// with the cursor at the end of its text.
QLineEdit* editableField(ui::TextField& field, QWidget& parent) {
  Node* node = reach(field, parent);
  if (!node || node->kind_ != Kind::textField) return nullptr;
  auto* wrapper = static_cast<toolkits::qt::QtTextField*>(node);
  QLineEdit* edit = wrapper->lineEdit();
  if (!edit || !wrapper->isEditable()) return nullptr;
  if (ui::Window* window = wrapper->window()) window->makeFirstResponder(wrapper);
  QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
  QTest::keyClick(edit, Qt::Key_End);
  return edit;
}

}  // namespace

bool QtActions::click(ui::Control& control) {
  Node* node = reach(control, parent_);
  if (!node) return false;
  switch (node->kind_) {
    case Kind::checkBox:
    case Kind::holdButton:
    case Kind::pushButton:
    case Kind::radioButton: {
      auto* button = static_cast<toolkits::qt::QtButton*>(node)->button();
      if (!button->isEnabled()) return false;  // its matrix is disabled
      QTest::mouseClick(button, Qt::LeftButton, {}, clickPoint(*button));
      return true;
    }
    default:
      return false;
  }
}

bool QtActions::select(ui::Control& control, long index) {
  Node* node = reach(control, parent_);
  if (!node) return false;
  switch (node->kind_) {
    case Kind::popUpButton: {
      auto* popUp = static_cast<toolkits::qt::QtPopUp*>(node);
      if (!popUp->menu_.choosable(index)) return false;
      popUp->show();
      // The choice as the pop-up's list reports it when the user picks an item.
      QComboBox* combo = popUp->combo();
      combo->setCurrentIndex(static_cast<int>(index));
      emit combo->activated(static_cast<int>(index));
      return true;
    }
    case Kind::matrix: {
      ui::Button* cell = static_cast<toolkits::qt::QtMatrix*>(node)->cellAtRow(index);
      return cell && click(*cell);
    }
    case Kind::tabView: {
      QTabWidget* tabs = static_cast<toolkits::qt::QtTabView*>(node)->tabWidget();
      if (index < 0 || index >= tabs->count()) return false;
      QTabBar* bar = tabs->tabBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(static_cast<int>(index)).center());
      return true;
    }
    default:
      return false;
  }
}

// One key press per Unicode character, so a character outside the BMP travels as one key, as on a keyboard.
std::size_t QtActions::type(ui::TextField& field, const platform::Text& text) {
  QLineEdit* edit = editableField(field, parent_);
  if (!edit) return 0;
  const QString keys = toolkits::qt::toQString(text);
  std::size_t taken = 0;
  for (qsizetype i = 0; i < keys.size();) {
    const qsizetype width = keys[i].isHighSurrogate() && i + 1 < keys.size() && keys[i + 1].isLowSurrogate() ? 2 : 1;
    const QString before = edit->text();
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, keys.mid(i, width), Qt::NoModifier);
    if (edit->text() != before) ++taken;
    i += width;
  }
  return taken;
}

bool QtActions::paste(ui::TextField& field, const platform::Text& text) {
  if (text.isEmpty()) return false;
  QLineEdit* edit = editableField(field, parent_);
  if (!edit) return false;
  const QString before = edit->text();
  QGuiApplication::clipboard()->setText(toolkits::qt::toQString(text));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  return edit->text() != before;
}

// Deleting from an empty field is no edit at all.
bool QtActions::clear(ui::TextField& field) {
  QLineEdit* edit = editableField(field, parent_);
  if (!edit) return false;
  if (edit->text().isEmpty()) return true;
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  return edit->text().isEmpty();
}

bool QtActions::set(ui::Control& control, std::string_view value) {
  Node* node = toolkits::qt::nodeOf(control);
  if (!node) return false;
  if (node->kind_ == Kind::textField || node->kind_ == Kind::label) {
    static_cast<toolkits::qt::QtTextField*>(node)->setStringValue(platform::Text::fromUtf8(value));
    return true;
  }
  const std::optional<long> number = toolkits::parseLong(value);
  if (!number) return false;
  switch (node->kind_) {
    case Kind::checkBox:
    case Kind::holdButton:
    case Kind::radioButton:
    case Kind::pushButton:
      if (*number != 0 && *number != 1) return false;
      static_cast<toolkits::qt::QtButton*>(node)->setState(static_cast<int>(*number));
      return true;
    case Kind::matrix: {
      auto* matrix = static_cast<toolkits::qt::QtMatrix*>(node);
      if (*number < -1 || *number >= matrix->numberOfRows()) return false;
      matrix->selectCellAtRow(*number, 0);
      return true;
    }
    case Kind::popUpButton: {
      auto* popUp = static_cast<toolkits::qt::QtPopUp*>(node);
      if (*number < -1 || *number >= popUp->menu_.numberOfItems()) return false;
      popUp->selectItemAtIndex(*number);
      return true;
    }
    case Kind::tabView: {
      QTabWidget* tabs = static_cast<toolkits::qt::QtTabView*>(node)->tabWidget();
      if (!tabs || *number < -1 || *number >= tabs->count()) return false;
      tabs->setCurrentIndex(static_cast<int>(*number));
      return true;
    }
    default:
      return false;
  }
}

std::vector<ui::Control*> QtActions::controlsOf(ui::Nib& nib) {
  std::vector<ui::Control*> controls;
  auto* qtNib = dynamic_cast<toolkits::qt::QtNib*>(&nib);
  if (!qtNib) return controls;
  for (const auto& node : qtNib->nodes_) controls.push_back(&node->control());
  return controls;
}

ControlFacts QtActions::describe(ui::Control& control) {
  ControlFacts f;
  Node* node = toolkits::qt::nodeOf(control);
  if (!node) return f;
  f.kind = toolkits::kindName(node->kind_);
  f.name = node->name_;
  f.tag = node->tag_;
  f.enabled = node->ownEnabled();
  f.hidden = node->effectivelyHidden();
  ui::Control* focus = node->window_ ? node->window_->firstResponder() : nullptr;
  f.focused = focus && toolkits::qt::nodeOf(*focus) == node;
  if (node->widget_) {
    // A pop-up's box shows the panel's latest items from the next turn of the event loop: now, for its name.
    if (node->kind_ == Kind::popUpButton) static_cast<toolkits::qt::QtPopUp*>(node)->show();
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(node->widget_);
    f.accessibleName = access ? access->text(QAccessible::Name).toStdString() : std::string();
  }

  switch (node->kind_) {
    case Kind::checkBox:
    case Kind::holdButton:
    case Kind::pushButton:
    case Kind::radioButton: {
      auto* button = static_cast<toolkits::qt::QtButton*>(node);
      f.state = button->state();
      f.title = button->title().utf8();
      if (node->kind_ == Kind::holdButton) {
        f.image = imageName(button->image());
        f.alternateImage = imageName(button->alternateImage());
      }
      break;
    }
    case Kind::matrix:
      f.selectedRow = static_cast<toolkits::qt::QtMatrix*>(node)->selectedRow();
      break;
    case Kind::popUpButton: {
      auto* popUp = static_cast<toolkits::qt::QtPopUp*>(node);
      f.selectedIndex = popUp->menu_.selected();
      for (const auto& item : popUp->menu_.items()) {
        std::optional<std::string> title;
        if (!item->title().isNone()) title = item->title().utf8();
        f.items.push_back({title, item->isSeparator(), imageName(item->image())});
      }
      break;
    }
    case Kind::textField:
    case Kind::label: {
      auto* field = static_cast<toolkits::qt::QtTextField*>(node);
      f.stringValue = field->stringValue().utf8();
      f.dimmed = field->textColor() == ui::Color::gray;
      f.editable = field->isEditable();
      f.selectable = field->isSelectable();
      f.secure = field->lineEdit() && field->lineEdit()->echoMode() == QLineEdit::Password;
      break;
    }
    case Kind::box:
      f.title = static_cast<toolkits::qt::QtBox*>(node)->title().utf8();
      break;
    case Kind::tabView: {
      auto* tabs = static_cast<toolkits::qt::QtTabView*>(node);
      f.selectedIndex = tabs->selectedIndex();
      for (const auto* item : tabs->items_) f.tabLabels.push_back(item->label().utf8());
      break;
    }
    case Kind::progressIndicator:
      f.animating = static_cast<toolkits::qt::QtProgress*>(node)->isAnimating();
      break;
    case Kind::view:
      break;
  }
  return f;
}

std::optional<WindowFacts> QtActions::window(ui::Nib* nib) {
  QWidget* root = nib ? toolkits::qt::widgetOf(*nib) : nullptr;
  if (root) place(*root, parent_);
  else if (!parent_.isVisible()) parent_.show();
  // The window's layout settles its size before the facts are read.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  return windowFacts(*parent_.window(), root);
}

int runSteps(int argc, char** argv, QWidget& parent, std::string_view program) {
  toolkits::qt::QtToolkit toolkit;
  toolkits::qt::QtRunLoop runLoop;
  QtActions actions(parent);
  Frontend frontend{toolkit, runLoop, actions, program};
  return runCommandLine(argc, argv, frontend);
}

}  // namespace host::qt
