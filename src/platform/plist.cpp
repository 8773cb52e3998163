// XML property lists through libplist 2.2.
//
// libplist keeps every integer as PLIST_UINT: a node made from a signed value prints signed, and only a
// value above INT64_MAX read from text keeps an unsigned form, which the public interface reveals solely
// by comparison with a node made afresh. Dates are 32-bit seconds from 2001 in XML, without fractions.
#include "platform/plist.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string_view>

namespace platform::plist {
namespace {

struct NodeDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using NodePtr = std::unique_ptr<void, NodeDeleter>;

struct XmlDeleter {
  void operator()(char* xml) const { plist_to_xml_free(xml); }
};
using XmlPtr = std::unique_ptr<char, XmlDeleter>;

struct MallocDeleter {
  void operator()(void* p) const { std::free(p); }
};
using KeyPtr = std::unique_ptr<char, MallocDeleter>;
using IterPtr = std::unique_ptr<void, MallocDeleter>;

// The deepest nesting of array and dict elements in XML text, or more than limit (then the scan stops).
// Comments and CDATA are not skipped, so the answer can only be too high, never too low.
int containerDepth(std::string_view xml, int limit) {
  int depth = 0;
  for (std::size_t i = xml.find('<'); i != std::string_view::npos; i = xml.find('<', i + 1)) {
    const std::string_view rest = xml.substr(i + 1);
    const bool closing = !rest.empty() && rest.front() == '/';
    const std::string_view name = closing ? rest.substr(1) : rest;
    std::size_t nameLength = 0;
    if (name.starts_with("array")) {
      nameLength = 5;
    } else if (name.starts_with("dict")) {
      nameLength = 4;
    } else {
      continue;
    }
    // Only the whole element name counts ("<dictionary>" is something else).
    if (name.size() > nameLength) {
      const char next = name[nameLength];
      if (next != '>' && next != '/' && next != ' ' && next != '\t' && next != '\r' && next != '\n') continue;
    }
    if (closing) {
      depth = depth > 0 ? depth - 1 : 0;
      continue;
    }
    const std::size_t end = xml.find('>', i);
    if (end != std::string_view::npos && end > i && xml[end - 1] == '/') continue;  // <array/>
    if (++depth > limit) return depth;
  }
  return depth;
}

// A UINT node that holds a value above INT64_MAX differs from a node made from the same bits.
bool isLargeUnsigned(plist_t node, std::uint64_t bits) {
  if (bits <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
  const NodePtr plain(plist_new_uint(bits));
  return plain && plist_compare_node_value(node, plain.get()) == 0;
}

// The value of a node and everything under it; none for node types that XML cannot carry or a tree
// deeper than kMaxDepth.
std::optional<Value> fromNode(plist_t node, int depth) {
  if (!node || depth > kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      std::uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Value(b != 0);
    }
    case PLIST_UINT: {
      std::uint64_t bits = 0;
      plist_get_uint_val(node, &bits);
      if (isLargeUnsigned(node, bits)) return Value::unsignedInteger(bits);
      return Value(static_cast<std::int64_t>(bits));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return Value(d);
    }
    case PLIST_STRING: {
      std::uint64_t length = 0;
      const char* s = plist_get_string_ptr(node, &length);
      return Value(s ? std::string(s, length) : std::string());
    }
    case PLIST_DATA: {
      std::uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      const auto* first = reinterpret_cast<const std::uint8_t*>(bytes);
      return Value(bytes ? Data(first, first + length) : Data());
    }
    case PLIST_DATE: {
      std::int32_t sec = 0;
      std::int32_t usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return Value(Date{static_cast<double>(sec) + static_cast<double>(usec) / 1e6});
    }
    case PLIST_UID: {
      // XML spells a UID as a dictionary with the one key "CF$UID"; keep that form.
      std::uint64_t uid = 0;
      plist_get_uid_val(node, &uid);
      const Value number = uid > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                               ? Value::unsignedInteger(uid)
                               : Value(static_cast<std::int64_t>(uid));
      return Value(Dict{{"CF$UID", number}});
    }
    case PLIST_ARRAY: {
      Array array;
      const std::uint32_t count = plist_array_get_size(node);
      array.reserve(count);
      for (std::uint32_t i = 0; i < count; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return Value(std::move(array));
    }
    case PLIST_DICT: {
      Dict dict;
      plist_dict_iter rawIter = nullptr;
      plist_dict_new_iter(node, &rawIter);
      const IterPtr iter(rawIter);
      if (!iter) return std::nullopt;
      for (;;) {
        char* rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter.get(), &rawKey, &item);
        const KeyPtr key(rawKey);
        if (!key) break;
        auto value = fromNode(item, depth + 1);
        if (!value) return std::nullopt;
        dict.insert_or_assign(std::string(key.get()), std::move(*value));
      }
      return Value(std::move(dict));
    }
    default:
      return std::nullopt;
  }
}

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

const Value* find(const Dict& dict, const std::string& key) {
  const auto it = dict.find(key);
  return it == dict.end() ? nullptr : &it->second;
}

// bytes: the whole file. The result owns nothing of libplist's.
std::optional<Dict> parseXml(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return std::nullopt;
  // Refuse deep nesting before libplist builds (and would recursively free) such a tree.
  if (containerDepth(bytes, kMaxDepth) > kMaxDepth) return std::nullopt;

  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
  const NodePtr root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  auto value = fromNode(root.get(), 1);
  if (!value || !value->dict()) return std::nullopt;
  return std::move(std::get<Dict>(value->v));
}

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
