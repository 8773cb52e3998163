// The writer: values as libplist nodes, and libplist's XML of them.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/plist.h"
#include "platform/plist_internal.h"

namespace platform::plist {
namespace {

using namespace detail;

// A node of libplist's from XML text (for the forms that its constructors cannot make); none on failure.
NodePtr nodeFromXmlSnippet(const std::string& element) {
  const std::string xml = "<plist version=\"1.0\">" + element + "</plist>";
  plist_t node = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
  return NodePtr(node);
}

NodePtr toNode(const Value& value);

NodePtr dictNode(const Dict& dict) {
  NodePtr node(plist_new_dict());
  if (!node) return nullptr;
  for (const auto& [key, item] : dict) {
    NodePtr child = toNode(item);
    if (!child) return nullptr;
    // The dictionary takes the child over.
    plist_dict_set_item(node.get(), key.c_str(), child.release());
  }
  return node;
}

// A new node tree for a value, owned by the caller; none when libplist could not make one.
NodePtr toNode(const Value& value) {
  struct Visitor {
    NodePtr operator()(const std::string& s) const { return NodePtr(plist_new_string(s.c_str())); }
    NodePtr operator()(bool b) const { return NodePtr(plist_new_bool(b ? 1 : 0)); }
    NodePtr operator()(std::int64_t i) const { return NodePtr(plist_new_uint(static_cast<std::uint64_t>(i))); }
    NodePtr operator()(std::uint64_t u) const {
      if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return NodePtr(plist_new_uint(u));
      }
      return nodeFromXmlSnippet("<integer>" + std::to_string(u) + "</integer>");
    }
    NodePtr operator()(double d) const { return NodePtr(plist_new_real(d)); }
    NodePtr operator()(const Data& data) const {
      static const char kNoBytes = 0;
      const char* bytes = data.empty() ? &kNoBytes : reinterpret_cast<const char*>(data.data());
      return NodePtr(plist_new_data(bytes, data.size()));
    }
    NodePtr operator()(const Date& date) const {
      // Whole seconds in the 32-bit range; NaN counts as the epoch.
      double seconds = std::floor(date.secondsSince2001);
      if (std::isnan(seconds)) seconds = 0;
      constexpr double kLow = std::numeric_limits<std::int32_t>::min();
      constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
      seconds = seconds < kLow ? kLow : (seconds > kHigh ? kHigh : seconds);
      return NodePtr(plist_new_date(static_cast<std::int32_t>(seconds), 0));
    }
    NodePtr operator()(const Array& array) const {
      NodePtr node(plist_new_array());
      if (!node) return nullptr;
      for (const Value& item : array) {
        NodePtr child = toNode(item);
        if (!child) return nullptr;
        plist_array_append_item(node.get(), child.release());
      }
      return node;
    }
    NodePtr operator()(const Dict& dict) const { return dictNode(dict); }
  };
  return std::visit(Visitor{}, value.v);
}

int valueDepth(const Value& value);

// Levels of containers, the dictionary itself counted.
int dictDepth(const Dict& dict) {
  int deepest = 0;
  for (const auto& entry : dict) deepest = std::max(deepest, valueDepth(entry.second));
  return deepest + 1;
}

int valueDepth(const Value& value) {
  if (const Array* array = value.array()) {
    int deepest = 0;
    for (const Value& item : *array) deepest = std::max(deepest, valueDepth(item));
    return deepest + 1;
  }
  if (const Dict* dict = value.dict()) return dictDepth(*dict);
  return 0;
}

std::size_t minimumXmlBytes(const Value& value);

// The bytes its XML takes at the least: the keys, texts and data it holds, each in its shortest tag. Cheap
// next to building the XML, so an oversized dictionary is refused before libplist copies it twice.
std::size_t minimumXmlBytes(const Dict& dict) {
  std::size_t total = 13;  // <dict></dict>
  for (const auto& [key, v] : dict) total += key.size() + 11 + minimumXmlBytes(v);  // <key></key>
  return total;
}

std::size_t minimumXmlBytes(const Value& value) {
  if (const std::string* s = value.string()) return s->size() + 17;  // <string></string>
  if (const Data* d = value.data()) return d->size() / 3 * 4 + 13;   // <data></data>
  std::size_t total = 8;
  if (const Array* a = value.array()) {
    for (const Value& v : *a) total += minimumXmlBytes(v);
  } else if (const Dict* d = value.dict()) {
    total += minimumXmlBytes(*d);
  }
  return total;
}

}  // namespace

// Empty when libplist fails, the dictionary nests deeper than parseXml would read back, or its XML would
// be larger than parseXml reads.
std::string toXml(const Dict& dict) {
  if (dictDepth(dict) > kMaxDepth) return {};
  if (minimumXmlBytes(dict) > kMaxXmlBytes) return {};
  NodePtr root = dictNode(dict);
  if (!root) return {};
  char* raw = nullptr;
  std::uint32_t length = 0;
  plist_to_xml(root.get(), &raw, &length);
  // The tree goes before the text is copied: for a long folder list, three copies at once would be many.
  root.reset();
  const XmlPtr xml(raw);
  if (!xml) return {};
  return std::string(xml.get(), length);
}

}  // namespace platform::plist
