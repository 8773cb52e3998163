// Loading layouts with QUiLoader into wrapped widgets; the host-side helpers of qt_toolkit.h.
#include "toolkits/qt/qt_toolkit.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QUiLoader>

#include <map>

#include "toolkits/qt/qt_controls.h"
#include "toolkits/qt/qt_text.h"

namespace toolkits::qt {

namespace {

// Layouts are a few tens of kilobytes; anything far beyond is not one of ours.
constexpr qint64 kMaxLayoutBytes = 4 * 1024 * 1024;

// Widgets that Qt makes inside its own widgets carry names starting "qt_" (or none): not the layout's.
bool isLayoutWidget(const QWidget* w) {
  const QString name = w->objectName();
  return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// The nearest enclosing "...Matrix" container of a widget, below the root.
QWidget* matrixAround(QWidget* w, QWidget* root) {
  for (QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
    if (p->objectName().endsWith(QLatin1String("Matrix"))) return p;
  return nullptr;
}

class Loader {
 public:
  explicit Loader(QtNib& nib) : nib_(nib), icons_(nib.icons_) {}

  // Wraps the layout's widgets in document order (Qt keeps children in creation order, and QUiLoader
  // creates them as the file lists them).
  void wrap(QWidget* parent) {
    for (QObject* child : parent->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (!w) continue;
      if (isLayoutWidget(w)) nib_.nodes_.push_back(make(w));
      if (!qobject_cast<QComboBox*>(w)) wrap(w);
    }
  }

 private:
  std::unique_ptr<Node> make(QWidget* w) {
    std::string name = w->objectName().toStdString();
    const long tag = w->property("tag").toLongLong();
    QtWindow* window = &nib_.window_;
    if (w->objectName().endsWith(QLatin1String("Matrix"))) {
      auto matrix = std::make_unique<QtMatrix>(Kind::matrix, w, std::move(name), tag, window);
      matrices_[w] = matrix.get();
      return matrix;
    }
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QLabel*>(w)) {
      const Kind kind = qobject_cast<QLineEdit*>(w) ? Kind::textField : Kind::label;
      return std::make_unique<QtTextField>(kind, w, std::move(name), tag, window);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      Kind kind = Kind::pushButton;
      if (qobject_cast<QCheckBox*>(w)) kind = Kind::checkBox;
      else if (qobject_cast<QRadioButton*>(w)) kind = Kind::radioButton;
      else if (button->isCheckable()) kind = Kind::holdButton;
      auto made = std::make_unique<QtButton>(kind, button, std::move(name), tag, window, icons_);
      if (kind == Kind::radioButton) joinMatrix(*made);
      return made;
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      return std::make_unique<QtPopUp>(combo, std::move(name), tag, window, icons_);
    }
    if (qobject_cast<QGroupBox*>(w)) return std::make_unique<QtBox>(Kind::box, w, std::move(name), tag, window);
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      return std::make_unique<QtTabView>(tabs, std::move(name), tag, window);
    }
    if (auto* bar = qobject_cast<QProgressBar*>(w)) {
      return std::make_unique<QtProgress>(bar, std::move(name), tag, window);
    }
    return std::make_unique<QtContainer>(Kind::view, w, std::move(name), tag, window);
  }

  // The matrix decides alone which cell is on, so Qt's own exclusivity is switched off; a second checked
  // cell in the layout takes the selection, as the group would.
  void joinMatrix(QtButton& cell) {
    auto found = matrices_.find(matrixAround(cell.button(), nib_.root_));
    if (found == matrices_.end()) return;
    cell.button()->setAutoExclusive(false);
    cell.matrix_ = found->second;
    found->second->cells_.push_back(&cell);
    if (cell.state() == 1) cell.setState(1);
  }

  QtNib& nib_;
  const IconSource& icons_;
  std::map<QWidget*, QtMatrix*> matrices_;
};

}  // namespace

std::unique_ptr<ui::Nib> QtToolkit::loadNib(const std::filesystem::path& file, ui::NibOwner& owner) {
  QFile in(QString::fromStdString(file.string()));
  if (in.size() > kMaxLayoutBytes || !in.open(QIODevice::ReadOnly)) return nullptr;
  QUiLoader loader;
  QWidget* root = loader.load(&in);
  if (!root) return nullptr;

  auto nib = std::make_unique<QtNib>(root, file.parent_path());
  Loader(*nib).wrap(root);
  nib->naming_.bind(nib->nodes_);
  nib->naming_.refresh();
  nib->window_.textsChanged = [naming = &nib->naming_] { naming->refresh(); };
  // The owner sees the finished layout, so a matrix arrives with its cells.
  for (const auto& node : nib->nodes_) owner.connectOutlet(node->name_, node->control());
  return nib;
}

QWidget* widgetOf(ui::View& view) {
  auto* qtView = dynamic_cast<QtView*>(&view);
  return qtView ? qtView->nib().root_.data() : nullptr;
}

QWidget* widgetOf(ui::Nib& nib) {
  auto* qtNib = dynamic_cast<QtNib*>(&nib);
  return qtNib ? qtNib->root_.data() : nullptr;
}

QWidget* widgetOf(ui::Control& control) {
  Node* node = nodeOf(control);
  return node ? node->widget_.data() : nullptr;
}

std::vector<ui::Control*> controlsOf(ui::Nib& nib) {
  std::vector<ui::Control*> controls;
  auto* qtNib = dynamic_cast<QtNib*>(&nib);
  if (!qtNib) return controls;
  for (const auto& node : qtNib->nodes_) controls.push_back(&node->control());
  return controls;
}

namespace {

// What the wrappers alone know of their widgets.
class QtSpecifics : public toolkits::NodeSpecifics<Node> {
 public:
  bool isSecure(ui::TextField& field) const override {
    const auto* wrapper = dynamic_cast<QtTextField*>(&field);
    return wrapper && wrapper->lineEdit() && wrapper->lineEdit()->echoMode() == QLineEdit::Password;
  }
  long selectedTab(ui::TabView& tabs) const override {
    const auto* wrapper = dynamic_cast<QtTabView*>(&tabs);
    return wrapper ? wrapper->selectedIndex() : -1;
  }
  bool selectTab(ui::TabView& tabs, long index) const override {
    const auto* wrapper = dynamic_cast<QtTabView*>(&tabs);
    QTabWidget* widget = wrapper ? wrapper->tabWidget() : nullptr;
    if (!widget || index >= widget->count()) return false;
    widget->setCurrentIndex(static_cast<int>(index));
    return true;
  }
  // What a screen reader announces of the control.
  void describeOwn(ui::Control& control, Description& description) const override {
    Node* node = nodeOf(control);
    if (!node || !node->widget_) return;
    // A pop-up's box shows the panel's latest items from the next turn of the event loop: now, for its name.
    if (node->kind_ == Kind::popUpButton) static_cast<QtPopUp*>(node)->show();
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(node->widget_);
    description.accessibleName = access ? access->text(QAccessible::Name).toStdString() : std::string();
  }
};

}  // namespace

const ToolkitSpecifics& specifics() {
  static const QtSpecifics qt;
  return qt;
}

void QtRunLoop::runFor(std::chrono::milliseconds limit) {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, static_cast<int>(limit.count()));
}

void MessageBoxAlerts::present(const platform::Text& title, const platform::Text& message,
                               const platform::Text& button) {
  QMessageBox box(QMessageBox::Information, toQString(title), toQString(message), QMessageBox::NoButton, parent_);
  box.addButton(toQString(button), QMessageBox::AcceptRole);
  box.setWindowModality(parent_ ? Qt::WindowModal : Qt::ApplicationModal);
  box.exec();
}

}  // namespace toolkits::qt
