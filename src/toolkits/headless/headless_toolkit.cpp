// Reading Qt Designer layouts into headless controls (the mapping is documented in headless_toolkit.h).
#include "toolkits/headless/headless_toolkit.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>

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

// Builds the widget tree of one layout, then hands the named controls to the owner.
class Loader {
 public:
  explicit Loader(HeadlessNib& nib) : nib_(nib) {}

  bool build(pugi::xml_node rootWidget) { return buildWidget(rootWidget, nullptr, nullptr, 0) != nullptr; }

 private:
  // Makes the control for one <widget> element and, below it, for everything it contains. Returns none
  // when the layout goes beyond the bounds.
  Node* buildWidget(pugi::xml_node element, Node* parent, MatrixWidget* matrix, int depth) {
    if (depth > kMaxDepth || nib_.nodes_.size() >= kMaxWidgets) return nullptr;
    std::unique_ptr<Node> made = makeControl(element, parent != nullptr, matrix);
    Node* node = made.get();
    node->parent_ = parent;
    node->window_ = &nib_.window_;
    node->tag_ = numberProperty(element, "tag").value_or(0);
    node->enabled_ = boolProperty(element, "enabled").value_or(true);
    node->hidden_ = !boolProperty(element, "visible").value_or(true) || boolProperty(element, "hidden").value_or(false);
    nib_.nodes_.push_back(std::move(made));

    if (node->kind_ == Kind::matrix) matrix = static_cast<MatrixWidget*>(node);
    auto* tabs = node->kind_ == Kind::tabView ? static_cast<TabViewWidget*>(node) : nullptr;
    for (pugi::xml_node child : element.children()) {
      const std::string_view what = child.name();
      if (what == "widget") {
        Node* page = buildWidget(child, node, matrix, depth + 1);
        if (!page) return nullptr;
        if (tabs) addTab(*tabs, child, page);
      } else if (what == "layout") {
        if (!buildLayout(child, node, matrix, depth + 1)) return nullptr;
      }
    }
    if (tabs) {
      const long current = numberProperty(element, "currentIndex").value_or(0);
      tabs->selected_ = tabs->items_.empty() ? -1 : (current >= 0 && current < tabs->numberOfTabViewItems() ? current : 0);
    }
    return node;
  }

  // Layouts only arrange: their widgets belong to the widget that holds the layout.
  bool buildLayout(pugi::xml_node layout, Node* parent, MatrixWidget* matrix, int depth) {
    if (depth > kMaxDepth) return false;
    for (pugi::xml_node item : layout.children("item")) {
      for (pugi::xml_node child : item.children()) {
        const std::string_view what = child.name();
        if (what == "widget" && !buildWidget(child, parent, matrix, depth + 1)) return false;
        if (what == "layout" && !buildLayout(child, parent, matrix, depth + 1)) return false;
      }
    }
    return true;
  }

  static void addTab(TabViewWidget& tabs, pugi::xml_node pageElement, Node* page) {
    auto item = std::make_unique<TabItem>(stringValue(valueOf(pageElement, "attribute", "title")), page);
    tabs.items_.push_back(item.get());
    tabs.owned_.push_back(std::move(item));
  }

  // The control for a widget class; the layout's root is always a plain view.
  static std::unique_ptr<Node> makeControl(pugi::xml_node element, bool hasParent, MatrixWidget* matrix) {
    std::string name = element.attribute("name").value();
    const std::string_view cls = element.attribute("class").value();
    if (!hasParent) return std::make_unique<ContainerWidget>(std::move(name));
    if (endsWith(name, "Matrix")) return std::make_unique<MatrixWidget>(std::move(name));

    if (cls == "QLineEdit" || cls == "QLabel") {
      const bool input = cls == "QLineEdit";
      auto field = std::make_unique<TextFieldWidget>(input ? Kind::textField : Kind::label, std::move(name));
      field->value_ = stringProperty(element, "text");
      field->editable_ = input && !boolProperty(element, "readOnly").value_or(false);
      field->selectable_ = input;
      field->secure_ = input && enumProperty(element, "echoMode") == "QLineEdit::Password";
      return field;
    }
    if (cls == "QCheckBox" || cls == "QRadioButton" || cls == "QToolButton" || cls == "QPushButton") {
      Kind kind = Kind::pushButton;
      if (cls == "QCheckBox") {
        kind = Kind::checkBox;
      } else if (cls == "QRadioButton") {
        kind = Kind::radioButton;
      } else if (boolProperty(element, "checkable").value_or(false)) {
        kind = Kind::holdButton;
      }
      auto button = std::make_unique<ButtonWidget>(kind, std::move(name));
      button->title_ = stringProperty(element, "text");
      if (kind != Kind::pushButton) button->state_ = boolProperty(element, "checked").value_or(false) ? 1 : 0;
      if (kind == Kind::radioButton && matrix) {
        button->matrix_ = matrix;
        matrix->cells_.push_back(button.get());
        // A second checked cell in the layout takes the selection, as the group would.
        if (button->state_ == 1) button->setState(1);
      }
      return button;
    }
    if (cls == "QComboBox") {
      auto popUp = std::make_unique<PopUpWidget>(std::move(name));
      for (pugi::xml_node item : element.children("item")) {
        popUp->menu_.addItem(ui::MenuItem(stringProperty(item, "text")));
      }
      const long count = popUp->menu_.numberOfItems();
      const long current = numberProperty(element, "currentIndex").value_or(0);
      popUp->menu_.select(count == 0 ? -1 : (current >= 0 && current < count ? current : 0));
      return popUp;
    }
    if (cls == "QGroupBox") {
      auto box = std::make_unique<BoxWidget>(std::move(name));
      box->title_ = stringProperty(element, "title");
      return box;
    }
    if (cls == "QTabWidget") return std::make_unique<TabViewWidget>(std::move(name));
    if (cls == "QProgressBar") return std::make_unique<ProgressWidget>(std::move(name));
    return std::make_unique<ContainerWidget>(std::move(name));
  }

  HeadlessNib& nib_;
};

}  // namespace

std::unique_ptr<ui::Nib> HeadlessToolkit::loadNibFromText(std::string_view uiText, ui::NibOwner& owner) {
  if (uiText.size() > kMaxLayoutBytes) return nullptr;
  pugi::xml_document doc;
  if (!doc.load_buffer(uiText.data(), uiText.size())) return nullptr;
  pugi::xml_node root = doc.child("ui").child("widget");
  if (!root) return nullptr;

  auto nib = std::make_unique<HeadlessNib>();
  if (!Loader(*nib).build(root)) return nullptr;

  // The owner sees the finished layout, so a matrix arrives with its cells.
  for (std::size_t i = 1; i < nib->nodes_.size(); ++i) {
    Node& node = *nib->nodes_[i];
    if (!node.name_.empty()) owner.connectOutlet(node.name_, node.control());
  }
  return nib;
}

std::unique_ptr<ui::Nib> HeadlessToolkit::loadNib(const std::filesystem::path& file, ui::NibOwner& owner) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxLayoutBytes) return nullptr;
  std::ifstream in(file, std::ios::binary);
  if (!in) return nullptr;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return nullptr;
  return loadNibFromText(text, owner);
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
