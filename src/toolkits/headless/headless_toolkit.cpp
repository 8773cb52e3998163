// Reading Qt Designer layouts into headless controls (the mapping is documented in headless_toolkit.h).
#include "toolkits/headless/headless_toolkit.h"

#include <fcntl.h>
#include <pugixml.hpp>
#include <unistd.h>

#include <charconv>
#include <cstdint>

#include "toolkits/headless/headless_widgets.h"

namespace headless {

namespace {

using platform::Text;

// Layouts are a few tens of kilobytes; anything far beyond is not one of ours.
constexpr std::uintmax_t kMaxLayoutBytes = 4 * 1024 * 1024;
constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxWidgets = 10000;

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// The value element of a widget's property (or attribute, for tab pages) of that name, or an empty node.
pugi::xml_node valueOf(pugi::xml_node element, const char* tag, std::string_view name) {
  for (pugi::xml_node p : element.children(tag)) {
    if (name == p.attribute("name").value()) return p.first_child();
  }
  return {};
}

std::optional<bool> boolProperty(pugi::xml_node widget, std::string_view name) {
  pugi::xml_node v = valueOf(widget, "property", name);
  if (!v || std::string_view(v.name()) != "bool") return std::nullopt;
  return std::string_view(v.child_value()) == "true";
}

std::optional<long> numberProperty(pugi::xml_node widget, std::string_view name) {
  pugi::xml_node v = valueOf(widget, "property", name);
  if (!v || std::string_view(v.name()) != "number") return std::nullopt;
  std::string_view digits = v.child_value();
  long number = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

// A <string> value as a text; a missing property gives the empty text.
Text stringValue(pugi::xml_node value) {
  if (!value || std::string_view(value.name()) != "string") return Text::empty();
  return Text::fromUtf8(value.child_value());
}

Text stringProperty(pugi::xml_node widget, std::string_view name) {
  return stringValue(valueOf(widget, "property", name));
}

std::string enumProperty(pugi::xml_node widget, std::string_view name) {
  pugi::xml_node v = valueOf(widget, "property", name);
  if (!v || std::string_view(v.name()) != "enum") return {};
  return v.child_value();
}

constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);

}  // namespace

// One <widget> element with everything its control takes from the layout.
struct WidgetSpec {
  std::size_t parent = kNoParent;  // the widget that holds it, directly or through layouts
  bool page = false;               // a direct child element: a tab item when the parent is a tab view
  std::string name;
  std::string cls;
  long tag = 0;
  bool enabled = true;
  bool hidden = false;
  Text text;
  Text title;
  Text pageTitle;
  bool readOnly = false;
  bool password = false;
  bool checkable = false;
  bool checked = false;
  std::vector<Text> items;
  long currentIndex = 0;
};

// A layout read once, its widgets in document order; panels made later build their controls from it.
struct HeadlessToolkit::Layout {
  std::vector<WidgetSpec> widgets;
};

namespace {

// Reads the widget elements of one layout. False when the layout goes beyond the bounds.
class Reader {
 public:
  explicit Reader(std::vector<WidgetSpec>& widgets) : widgets_(widgets) {}

  bool read(pugi::xml_node rootWidget) { return readWidget(rootWidget, kNoParent, false, 0); }

 private:
  bool readWidget(pugi::xml_node element, std::size_t parent, bool page, int depth) {
    if (depth > kMaxDepth || widgets_.size() >= kMaxWidgets) return false;
    const std::size_t index = widgets_.size();
    widgets_.push_back(describe(element, parent, page));
    for (pugi::xml_node child : element.children()) {
      const std::string_view what = child.name();
      if (what == "widget" && !readWidget(child, index, true, depth + 1)) return false;
      if (what == "layout" && !readLayout(child, index, depth + 1)) return false;
    }
    return true;
  }

  // Layouts only arrange: their widgets belong to the widget that holds the layout.
  bool readLayout(pugi::xml_node layout, std::size_t parent, int depth) {
    if (depth > kMaxDepth) return false;
    for (pugi::xml_node item : layout.children("item")) {
      for (pugi::xml_node child : item.children()) {
        const std::string_view what = child.name();
        if (what == "widget" && !readWidget(child, parent, false, depth + 1)) return false;
        if (what == "layout" && !readLayout(child, parent, depth + 1)) return false;
      }
    }
    return true;
  }

  static WidgetSpec describe(pugi::xml_node element, std::size_t parent, bool page) {
    WidgetSpec w;
    w.parent = parent;
    w.page = page;
    w.name = element.attribute("name").value();
    w.cls = element.attribute("class").value();
    w.tag = numberProperty(element, "tag").value_or(0);
    w.enabled = boolProperty(element, "enabled").value_or(true);
    w.hidden = !boolProperty(element, "visible").value_or(true) || boolProperty(element, "hidden").value_or(false);
    w.text = stringProperty(element, "text");
    w.title = stringProperty(element, "title");
    if (page) w.pageTitle = stringValue(valueOf(element, "attribute", "title"));
    w.readOnly = boolProperty(element, "readOnly").value_or(false);
    w.password = enumProperty(element, "echoMode") == "QLineEdit::Password";
    w.checkable = boolProperty(element, "checkable").value_or(false);
    w.checked = boolProperty(element, "checked").value_or(false);
    if (w.cls == "QComboBox") {
      for (pugi::xml_node item : element.children("item")) w.items.push_back(stringProperty(item, "text"));
    }
    w.currentIndex = numberProperty(element, "currentIndex").value_or(0);
    return w;
  }

  std::vector<WidgetSpec>& widgets_;
};

// The control for a widget class; the layout's root is always a plain view.
std::unique_ptr<Node> makeControl(const WidgetSpec& w, bool hasParent, MatrixWidget* matrix) {
  if (!hasParent) return std::make_unique<ContainerWidget>(w.name);
  if (endsWith(w.name, "Matrix")) return std::make_unique<MatrixWidget>(w.name);

  const std::string_view cls = w.cls;
  if (cls == "QLineEdit" || cls == "QLabel") {
    const bool input = cls == "QLineEdit";
    auto field = std::make_unique<TextFieldWidget>(input ? Kind::textField : Kind::label, w.name);
    field->value_ = w.text;
    field->editable_ = input && !w.readOnly;
    field->selectable_ = input;
    field->secure_ = input && w.password;
    return field;
  }
  if (cls == "QCheckBox" || cls == "QRadioButton" || cls == "QToolButton" || cls == "QPushButton") {
    Kind kind = Kind::pushButton;
    if (cls == "QCheckBox") {
      kind = Kind::checkBox;
    } else if (cls == "QRadioButton") {
      kind = Kind::radioButton;
    } else if (w.checkable) {
      kind = Kind::holdButton;
    }
    auto button = std::make_unique<ButtonWidget>(kind, w.name);
    button->title_ = w.text;
    if (kind != Kind::pushButton) button->state_ = w.checked ? 1 : 0;
    if (kind == Kind::radioButton && matrix) {
      button->matrix_ = matrix;
      matrix->cells_.push_back(button.get());
      // A second checked cell in the layout takes the selection, as the group would.
      if (button->state_ == 1) button->setState(1);
    }
    return button;
  }
  if (cls == "QComboBox") {
    auto popUp = std::make_unique<PopUpWidget>(w.name);
    for (const Text& item : w.items) popUp->menu_.addItem(ui::MenuItem(item));
    const long count = popUp->menu_.numberOfItems();
    const long current = w.currentIndex;
    popUp->menu_.select(count == 0 ? -1 : (current >= 0 && current < count ? current : 0));
    return popUp;
  }
  if (cls == "QGroupBox") {
    auto box = std::make_unique<BoxWidget>(w.name);
    box->title_ = w.title;
    return box;
  }
  if (cls == "QTabWidget") return std::make_unique<TabViewWidget>(w.name);
  if (cls == "QProgressBar") return std::make_unique<ProgressWidget>(w.name);
  return std::make_unique<ContainerWidget>(w.name);
}

// Builds the widget tree of one layout, in document order.
void build(const std::vector<WidgetSpec>& widgets, HeadlessNib& nib) {
  std::vector<Node*> built(widgets.size());
  std::vector<MatrixWidget*> matrixOf(widgets.size());  // the nearest enclosing matrix, itself included
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const WidgetSpec& w = widgets[i];
    Node* parent = w.parent == kNoParent ? nullptr : built[w.parent];
    MatrixWidget* matrix = w.parent == kNoParent ? nullptr : matrixOf[w.parent];
    std::unique_ptr<Node> made = makeControl(w, parent != nullptr, matrix);
    Node* node = made.get();
    node->parent_ = parent;
    node->window_ = &nib.window_;
    node->tag_ = w.tag;
    node->enabled_ = w.enabled;
    node->hidden_ = w.hidden;
    nib.nodes_.push_back(std::move(made));
    built[i] = node;
    matrixOf[i] = node->kind_ == Kind::matrix ? static_cast<MatrixWidget*>(node) : matrix;
    if (parent && parent->kind_ == Kind::tabView && w.page) {
      auto& tabs = static_cast<TabViewWidget&>(*parent);
      tabs.items_.add(std::make_unique<TabItem>(w.pageTitle, node));
    }
  }
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    if (built[i]->kind_ != Kind::tabView) continue;
    auto& tabs = static_cast<TabViewWidget&>(*built[i]);
    const long current = widgets[i].currentIndex;
    tabs.selected_ = tabs.items_.empty() ? -1 : (current >= 0 && current < tabs.numberOfTabViewItems() ? current : 0);
  }
}

// Hands every named control but the root to the owner; the owner sees the finished layout, so a matrix
// arrives with its cells.
std::unique_ptr<ui::Nib> connect(std::unique_ptr<HeadlessNib> nib, ui::NibOwner& owner) {
  for (std::size_t i = 1; i < nib->nodes_.size(); ++i) {
    Node& node = *nib->nodes_[i];
    if (!node.name_.empty()) owner.connectOutlet(node.name_, node.control());
  }
  return nib;
}

// The same file unchanged: same device and inode, size, modification and change times.
bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

}  // namespace

std::shared_ptr<const HeadlessToolkit::Layout> HeadlessToolkit::parseLayout(std::string_view uiText) {
  if (uiText.size() > kMaxLayoutBytes) return nullptr;
  ++layoutsParsed_;
  pugi::xml_document doc;
  if (!doc.load_buffer(uiText.data(), uiText.size())) return nullptr;
  pugi::xml_node root = doc.child("ui").child("widget");
  if (!root) return nullptr;
  auto layout = std::make_shared<Layout>();
  if (!Reader(layout->widgets).read(root)) return nullptr;
  return layout;
}

std::unique_ptr<ui::Nib> HeadlessToolkit::loadNibFromText(std::string_view uiText, ui::NibOwner& owner) {
  const auto layout = parseLayout(uiText);
  if (!layout) return nullptr;
  auto nib = std::make_unique<HeadlessNib>();
  build(layout->widgets, *nib);
  return connect(std::move(nib), owner);
}

// A layout is read and parsed once while its file stays the same; each load builds new controls.
std::unique_ptr<ui::Nib> HeadlessToolkit::loadNib(const std::filesystem::path& file, ui::NibOwner& owner) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  std::shared_ptr<const Layout> layout;
  const auto found = layouts_.find(file.native());
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uintmax_t>(info.st_size) <= kMaxLayoutBytes) {
    if (found != layouts_.end() && sameFile(found->second.file, info)) {
      layout = found->second.layout;
    } else {
      std::string text(static_cast<std::size_t>(info.st_size), '\0');
      std::size_t done = 0;
      for (ssize_t n = 0; done < text.size(); done += static_cast<std::size_t>(n)) {
        n = ::read(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
      }
      // A file that changed while it was read is taken as read, but not kept.
      struct stat after {};
      if (done == text.size() && (layout = parseLayout(text)) && ::fstat(fd, &after) == 0 && sameFile(info, after)) {
        layouts_[file.native()] = CachedLayout{info, layout};
      }
    }
  }
  ::close(fd);
  if (!layout) {
    if (found != layouts_.end()) layouts_.erase(found);
    return nullptr;
  }
  auto nib = std::make_unique<HeadlessNib>();
  build(layout->widgets, *nib);
  return connect(std::move(nib), owner);
}

std::vector<ui::Control*> controlsOf(ui::Nib& nib) {
  std::vector<ui::Control*> controls;
  auto* headlessNib = dynamic_cast<HeadlessNib*>(&nib);
  if (!headlessNib) return controls;
  for (std::size_t i = 1; i < headlessNib->nodes_.size(); ++i) {
    Node& node = *headlessNib->nodes_[i];
    if (!node.name_.empty()) controls.push_back(&node.control());
  }
  return controls;
}

}  // namespace headless
