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
  place(*toolkits::qt::widgetOf(control)->window(), parent);
  return node;
}

// The line edit of an input field the user may edit now, clicked into (which takes the keyboard focus)
// with the cursor at the end of its text.
QLineEdit* editableField(ui::TextField& field, QWidget& parent) {
  Node* node = reach(field, parent);
  if (!node || node->kind() != Kind::textField) return nullptr;
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
  switch (node->kind()) {
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
  switch (node->kind()) {
    case Kind::popUpButton: {
      auto* popUp = static_cast<toolkits::qt::QtPopUp*>(node);
      if (!popUp->choosable(index)) return false;
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

std::vector<ui::Control*> QtActions::controlsOf(ui::Nib& nib) { return toolkits::qt::controlsOf(nib); }

std::optional<WindowFacts> QtActions::window(ui::Nib* nib) {
  QWidget* root = nib ? toolkits::qt::widgetOf(*nib) : nullptr;
  if (root) place(*root, parent_);
  else if (!parent_.isVisible()) parent_.show();
  // The window's layout settles its size before the facts are read.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  return windowFacts(*parent_.window(), root);
}

int runSteps(int argc, char** argv, QWidget& parent, std::string_view program, const JobActions* job) {
  toolkits::qt::QtToolkit toolkit;
  toolkits::qt::QtRunLoop runLoop;
  QtActions actions(parent);
  Frontend frontend{toolkit, runLoop, actions, program, job};
  return runCommandLine(argc, argv, frontend);
}

}  // namespace host::qt
