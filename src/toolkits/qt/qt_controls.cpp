// Behaviour of the Qt wrappers as the panel sees it (the rules are in qt_toolkit.h).
#include "toolkits/qt/qt_controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include "toolkits/qt/qt_text.h"
#include "toolkits/qt/qt_validator.h"

namespace toolkits::qt {

namespace {

constexpr int kIconSide = 18;

// The tab view whose page this widget is, or none.
QTabWidget* tabsOfPage(const QWidget* w) {
  auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
  return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

}  // namespace

QIcon IconSource::icon(const ui::ImageRef& image) const {
  if (!image) return {};
  if (!image->file.empty()) return QIcon(QString::fromStdString(image->file.string()));
  const QString name = QString::fromStdString(image->name);
  QIcon icon = QIcon::fromTheme(name);
  if (icon.isNull()) icon = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
  if (icon.isNull()) icon = QIcon(QString::fromStdString((resources_ / (image->name + ".png")).string()));
  return icon;
}

// Qt marks a widget disabled on its own account with WA_ForceDisabled; an ancestor's state does not set it.
bool Node::ownEnabled() const { return widget_ && !widget_->testAttribute(Qt::WA_ForceDisabled); }

// Before the window is first shown every child counts as hidden to Qt, so only an explicit hide counts
// here. A tab page's own hidden state only says whether it is the selected page; what counts for it is
// whether its tab view still holds it.
bool Node::effectivelyHidden() const {
  if (!widget_) return true;
  for (const QWidget* w = widget_; w && !w->isWindow(); w = w->parentWidget()) {
    if (QTabWidget* tabs = tabsOfPage(w)) {
      if (tabs->indexOf(const_cast<QWidget*>(w)) < 0) return true;
      continue;
    }
    if (w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide)) return true;
  }
  return false;
}

QtButton::QtButton(Kind kind, QAbstractButton* button, std::string name, long tag, QtWindow* window,
                   const IconSource& icons)
    : Widget(kind, button, std::move(name), tag, window), icons_(icons) {
  if (kind == Kind::holdButton) button->setIconSize(QSize(kIconSide, kIconSide));
  // Qt has flipped a two-state button before clicked arrives, as the panel expects.
  QObject::connect(button, &QAbstractButton::clicked, &guard_, [this] {
    if (matrix_) matrix_->cellClicked(*this);
    else sendAction(*this);
  });
}

QAbstractButton* QtButton::button() const { return static_cast<QAbstractButton*>(widget_.data()); }

int QtButton::state() const { return button() && button()->isChecked() ? 1 : 0; }

// A radio cell switched on goes through its matrix so that the group keeps one selected row.
void QtButton::setState(int state) {
  if (!button()) return;
  if (matrix_ && state != 0) {
    for (QtButton* cell : matrix_->cells_)
      if (cell->button()) cell->button()->setChecked(cell == this);
    return;
  }
  button()->setChecked(state != 0);
}

ui::Text QtButton::title() const { return button() ? fromQString(button()->text()) : ui::Text::empty(); }

void QtButton::setTitle(const ui::Text& title) {
  if (!button()) return;
  button()->setText(toQString(title));
  if (window_ && window_->textsChanged) window_->textsChanged();
}

void QtButton::setImage(ui::ImageRef image) {
  image_ = std::move(image);
  showImages();
}

void QtButton::setAlternateImage(ui::ImageRef image) {
  alternateImage_ = std::move(image);
  showImages();
}

// One icon: the image for state 0 (Off), the alternate image for state 1 (On).
void QtButton::showImages() {
  if (!button()) return;
  QIcon icon;
  const QSize side(kIconSide, kIconSide);
  const QIcon off = icons_.icon(image_);
  const QIcon on = icons_.icon(alternateImage_);
  if (!off.isNull()) icon.addPixmap(off.pixmap(side), QIcon::Normal, QIcon::Off);
  if (!on.isNull()) icon.addPixmap(on.pixmap(side), QIcon::Normal, QIcon::On);
  button()->setIcon(icon);
}

void QtMatrix::cellClicked(QtButton& cell) {
  cell.setState(1);
  sendAction(*this);
}

void QtMenu::changed() { owner_.changed(); }

QtPopUp::QtPopUp(QComboBox* combo, std::string name, long tag, QtWindow* window, const IconSource& icons)
    : Widget(Kind::popUpButton, combo, std::move(name), tag, window), menu_(*this), icons_(icons) {
  combo->setIconSize(QSize(kIconSide, kIconSide));
  const int current = combo->currentIndex();
  for (int i = 0; i < combo->count(); ++i) menu_.addItem(ui::MenuItem(fromQString(combo->itemText(i))));
  menu_.select(current >= 0 && current < combo->count() ? current : (combo->count() > 0 ? 0 : -1));
  QObject::connect(combo, &QComboBox::activated, &guard_, [this](int index) { userSelected(index); });
}

QComboBox* QtPopUp::combo() const { return static_cast<QComboBox*>(widget_.data()); }

void QtPopUp::changed() {
  if (stale_) return;
  stale_ = true;
  QTimer::singleShot(0, &guard_, [this] { show(); });
}

void QtPopUp::show() {
  stale_ = false;
  QComboBox* box = combo();
  if (!box) return;
  const QSignalBlocker quiet(box);
  box->clear();
  for (const auto& item : menu_.items()) {
    if (item->isSeparator()) box->insertSeparator(box->count());
    else box->addItem(icons_.icon(item->image()), toQString(item->title()));
  }
  box->setCurrentIndex(static_cast<int>(menu_.selected()));
}

void QtPopUp::userSelected(long index) {
  if (!menu_.choosable(index)) {
    show();  // back to the selection the panel knows
    return;
  }
  menu_.select(index);
  sendAction(*this);
}

QtTextField::QtTextField(Kind kind, QWidget* widget, std::string name, long tag, QtWindow* window)
    : Widget(kind, widget, std::move(name), tag, window) {
  if (QLineEdit* edit = lineEdit()) {
    editable_ = !edit->isReadOnly();
    selectable_ = true;
  }
  if (QLabel* l = label()) labelText_ = l->text();
}

QLineEdit* QtTextField::lineEdit() const { return qobject_cast<QLineEdit*>(widget_.data()); }
QLabel* QtTextField::label() const { return qobject_cast<QLabel*>(widget_.data()); }

ui::Text QtTextField::stringValue() const {
  if (QLineEdit* edit = lineEdit()) return fromQString(edit->text());
  if (label()) return fromQString(labelText_);
  return ui::Text::empty();
}

// The program's value is not an edit: no check.
void QtTextField::setStringValue(const ui::Text& value) {
  const ui::Text text = toolkits::formattedFieldValue(value, formatter_.get());
  if (QLineEdit* edit = lineEdit()) {
    edit->setText(toQString(text));
  } else if (QLabel* l = label()) {
    labelText_ = toQString(text);
    l->setText(labelText_);
    if (window_ && window_->textsChanged) window_->textsChanged();
  }
}

void QtTextField::setEditable(bool editable) {
  editable_ = editable;
  if (QLineEdit* edit = lineEdit()) edit->setReadOnly(!editable);
}

void QtTextField::setSelectable(bool selectable) {
  selectable_ = selectable;
  if (!widget_) return;
  widget_->setFocusPolicy(selectable ? Qt::StrongFocus : Qt::NoFocus);
  if (QLabel* l = label())
    l->setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
}

// Grey is the palette's disabled text colour, so dimmed fields look like the style's own dimmed text.
void QtTextField::setTextColor(ui::Color color) {
  color_ = color;
  if (!widget_) return;
  QPalette palette = widget_->palette();
  const QColor ink = color == ui::Color::gray ? palette.color(QPalette::Disabled, QPalette::Text)
                                              : palette.color(QPalette::Active, QPalette::Text);
  palette.setColor(QPalette::Active, QPalette::Text, ink);
  palette.setColor(QPalette::Inactive, QPalette::Text, ink);
  palette.setColor(QPalette::Active, QPalette::WindowText, ink);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, ink);
  widget_->setPalette(palette);
}

void QtTextField::setFormatter(std::unique_ptr<ui::Formatter> formatter) {
  formatter_ = std::move(formatter);
  QLineEdit* edit = lineEdit();
  if (!edit) return;
  if (formatter_) edit->setValidator(new FormatterValidator(*edit, *formatter_));
  else edit->setValidator(nullptr);
}

ui::Window* QtTextField::window() const { return window_; }

ui::Text QtBox::title() const {
  auto* box = qobject_cast<QGroupBox*>(widget_.data());
  return box ? fromQString(box->title()) : ui::Text::empty();
}

void QtBox::setTitle(const ui::Text& title) {
  if (auto* box = qobject_cast<QGroupBox*>(widget_.data())) box->setTitle(toQString(title));
}

void QtTabItem::setLabel(const ui::Text& label) {
  label_ = label.isNone() ? ui::Text::empty() : label;
  QTabWidget* tabs = tabs_.tabWidget();
  if (!tabs || !page_) return;
  const int index = tabs->indexOf(page_);
  if (index >= 0) tabs->setTabText(index, toQString(label_));
}

QtTabView::QtTabView(QTabWidget* tabs, std::string name, long tag, QtWindow* window)
    : Widget(Kind::tabView, tabs, std::move(name), tag, window) {
  // Every tab title shows whole: the tab view asks for the width of all of them rather than scrolling.
  tabs->setUsesScrollButtons(false);
  tabs->setElideMode(Qt::ElideNone);
  for (int i = 0; i < tabs->count(); ++i) {
    items_.add(std::make_unique<QtTabItem>(*this, tabs->widget(i), fromQString(tabs->tabText(i))));
  }
  QObject::connect(tabs, &QTabWidget::tabBarClicked, &guard_, [this](int index) {
    if (index >= 0) sendAction(*this);
  });
}

QTabWidget* QtTabView::tabWidget() const { return static_cast<QTabWidget*>(widget_.data()); }

long QtTabView::selectedIndex() const { return tabWidget() ? tabWidget()->currentIndex() : -1; }

// The page leaves the tab view with its controls; when the selected page goes, the first remaining one
// is selected.
void QtTabView::removeTabViewItem(ui::TabViewItem* item) {
  const auto removed = items_.remove(item);
  if (!removed) return;
  QTabWidget* tabs = tabWidget();
  QtTabItem* tabItem = removed->first;
  if (tabs && tabItem->page_) {
    const int index = tabs->indexOf(tabItem->page_);
    const bool wasSelected = index == tabs->currentIndex();
    if (index >= 0) tabs->removeTab(index);
    if (wasSelected && tabs->count() > 0) tabs->setCurrentIndex(0);
  }
}

void QtTabView::selectFirstTabViewItem() {
  if (tabWidget() && tabWidget()->count() > 0) tabWidget()->setCurrentIndex(0);
}

QtProgress::QtProgress(QProgressBar* bar, std::string name, long tag, QtWindow* window)
    : Widget(Kind::progressIndicator, bar, std::move(name), tag, window) {
  bar->setTextVisible(false);
  bar->setRange(0, 1);
  bar->setValue(0);
}

void QtProgress::startAnimation() {
  animating_ = true;
  if (auto* bar = qobject_cast<QProgressBar*>(widget_.data())) bar->setRange(0, 0);
}

void QtProgress::stopAnimation() {
  animating_ = false;
  if (auto* bar = qobject_cast<QProgressBar*>(widget_.data())) {
    bar->setRange(0, 1);
    bar->setValue(0);
  }
}

bool QtWindow::makeFirstResponder(ui::Control* control) {
  if (!control) {
    if (firstResponder_) {
      if (Node* node = nodeOf(*firstResponder_); node && node->widget_) node->widget_->clearFocus();
    }
    firstResponder_ = nullptr;
    return true;
  }
  Node* node = nodeOf(*control);
  if (!node || node->window_ != this) return false;
  const bool field = node->kind_ == Kind::textField || node->kind_ == Kind::label;
  const bool selectable = field && static_cast<QtTextField*>(node)->isSelectable();
  if (!takesFocus(node->kind_, selectable, node->ownEnabled())) return false;
  firstResponder_ = control;
  if (node->widget_) node->widget_->setFocus(Qt::OtherFocusReason);
  return true;
}

ui::Window* QtView::window() const { return &nib_.window_; }

// The wrappers go first, so no signal of a dying widget reaches them.
QtNib::~QtNib() {
  nodes_.clear();
  delete root_.data();
}

ui::Control* QtNib::controlNamed(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const auto& node : nodes_)
    if (node->name_ == name) return &node->control();
  return nullptr;
}

}  // namespace toolkits::qt
