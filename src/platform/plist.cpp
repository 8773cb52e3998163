// XML property lists: written by libplist 2.2, read directly with pugixml where the text is in a form
// whose meaning to libplist is certain, and by libplist otherwise.
//
// libplist keeps every integer as PLIST_UINT: a node made from a signed value prints signed, and only a
// value above INT64_MAX read from text keeps an unsigned form, which the public interface reveals solely
// by comparison with a node made afresh. Dates are 32-bit seconds from 2001 in XML, without fractions.
//
// Why a reader of our own: libplist spends about 110 instructions per byte building its node tree, and
// copying that tree into values costs half as much again; a stored list of 10,000 folders made every
// dialog pay over 280 M instructions for it. The direct reader answers only for the forms libplist itself
// writes and their plain variants, each read as libplist reads it; anything else (comments, CDATA,
// character references, attributes, unusual number or date spellings) goes to libplist, so what a file
// means never depends on which reader took it.
#include "platform/plist.h"
#include "platform/plist_readers.h"

#include <plist/plist.h>

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
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

std::optional<Dict> readWithLibplistUnchecked(std::string_view bytes) {
  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
  const NodePtr root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  auto value = fromNode(root.get(), 1);
  if (!value || !value->dict()) return std::nullopt;
  return std::move(std::get<Dict>(value->v));
}

// ---- The direct reader. Every function answers none (or false) for "not certain": libplist then decides.

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isAllSpace(std::string_view text) { return std::all_of(text.begin(), text.end(), isXmlSpace); }

// Skips what libplist skips before the root element: an XML declaration, comments and a DOCTYPE without an
// internal subset, each read up to the first end mark as libplist reads it, with spaces between. The
// position of "<plist" (followed by a space or '>'), or none.
std::optional<std::size_t> skipProlog(std::string_view xml) {
  std::size_t at = 0;
  for (;;) {
    while (at < xml.size() && isXmlSpace(xml[at])) ++at;
    const std::string_view rest = xml.substr(at);
    std::size_t end = std::string_view::npos;
    if (rest.starts_with("<?")) {
      end = rest.find("?>");
      // A '>' before the end mark (in a quoted pseudo-attribute) would end it elsewhere for an XML parser.
      if (end == std::string_view::npos || rest.substr(0, end).find('>') != std::string_view::npos) return {};
      end += 2;
    } else if (rest.starts_with("<!--")) {
      end = rest.find("-->", 4);
      if (end == std::string_view::npos) return {};
      end += 3;
    } else if (rest.starts_with("<!DOCTYPE")) {
      end = rest.find('>');
      if (end == std::string_view::npos || rest.substr(0, end).find('[') != std::string_view::npos) return {};
      end += 1;
    } else if (rest.starts_with("<plist") && rest.size() > 6 && (isXmlSpace(rest[6]) || rest[6] == '>')) {
      return at;
    } else {
      return {};
    }
    at += end;
  }
}

// The text of an element as libplist reads it: the five predefined entities decoded, nothing else changed
// (no end-of-line or space normalisation). False for any other reference, or a bare '&'.
bool decodeText(std::string_view raw, std::string& out) {
  out.clear();
  std::size_t amp = raw.find('&');
  if (amp == std::string_view::npos) {
    out.assign(raw);
    return true;
  }
  out.reserve(raw.size());
  static constexpr struct {
    std::string_view name;
    char c;
  } kEntities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::size_t from = 0;
  while (amp != std::string_view::npos) {
    out.append(raw.substr(from, amp - from));
    const std::string_view rest = raw.substr(amp);
    const auto* entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                      [&](const auto& e) { return rest.starts_with(e.name); });
    if (entity == std::end(kEntities)) return false;
    out.push_back(entity->c);
    from = amp + entity->name.size();
    amp = raw.find('&', from);
  }
  out.append(raw.substr(from));
  return true;
}

// Only the canonical decimal spelling that libplist writes: "0", or an optional '-' and digits without a
// leading zero, within 64 bits. (libplist also reads signs, spaces, octal and hex, and wraps on overflow.)
std::optional<Value> readInteger(std::string_view text) {
  const bool negative = text.starts_with('-');
  const std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 20 || (digits[0] == '0' && (digits.size() > 1 || negative))) return {};
  std::uint64_t magnitude = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return {};
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return {};
    magnitude = magnitude * 10 + digit;
  }
  constexpr auto kInt64Max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (negative) {
    if (magnitude > kInt64Max + 1) return {};
    return Value(static_cast<std::int64_t>(std::uint64_t{0} - magnitude));
  }
  if (magnitude > kInt64Max) return Value::unsignedInteger(magnitude);
  return Value(static_cast<std::int64_t>(magnitude));
}

// Plain decimal reals ("-1.5", "2", "1.0000000000000001e+300"), converted with strtod as libplist's atof
// converts them (the same locale applies to both). Names of infinities and NaN, hex and spaces go to libplist.
std::optional<Value> readReal(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i > start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  if (!digits()) return {};
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return {};
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return {};
  }
  if (i != text.size() || text.size() > 64) return {};
  char buffer[65];
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  return Value(std::strtod(buffer, nullptr));
}

// Base64 as libplist writes it: the alphabet and spaces, '=' only at the very end. Other characters, or
// padding in the middle, go to libplist (which skips some of them and reads the rest its own way).
std::optional<Value> readData(std::string_view text) {
  static constexpr auto kDecode = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    return table;
  }();
  Data data;
  data.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  int count = 0;
  int padding = 0;
  for (const char c : text) {
    if (isXmlSpace(c)) continue;
    if (c == '=') {
      ++padding;
      ++count;
    } else {
      const std::int8_t sextet = kDecode[static_cast<unsigned char>(c)];
      if (sextet < 0 || padding > 0) return {};
      group = group << 6 | static_cast<std::uint32_t>(sextet);
      ++count;
    }
    if (count < 4) continue;
    if (padding > 2) return {};
    group <<= 6 * padding;
    data.push_back(static_cast<std::uint8_t>(group >> 16));
    if (padding < 2) data.push_back(static_cast<std::uint8_t>(group >> 8));
    if (padding < 1) data.push_back(static_cast<std::uint8_t>(group));
    group = 0;
    count = 0;
    // Nothing may follow a padded group.
    if (padding > 0) padding = 3;
  }
  if (count != 0) return {};
  return Value(std::move(data));
}

// "YYYY-MM-DDTHH:MM:SSZ" exactly as libplist writes it, a real calendar time whose seconds from 2001 fit the
// 32 bits libplist keeps. Other spellings, and times libplist would fold or wrap, go to libplist.
std::optional<Value> readDate(std::string_view text) {
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z') {
    return {};
  }
  const auto number = [&](std::size_t at, std::size_t length) -> int {
    int n = 0;
    for (std::size_t i = at; i < at + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      n = n * 10 + (text[i] - '0');
    }
    return n;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    return {};
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return {};
  // Days from 1970-01-01 in the proleptic Gregorian calendar.
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = std::int64_t{era} * 146097 + dayOfEra - 719468;
  constexpr std::int64_t kUnixTo2001 = 978307200;
  const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second - kUnixTo2001;
  if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max()) {
    return {};
  }
  return Value(Date{static_cast<double>(seconds)});
}

// The raw text of a leaf element: its one embedded run of characters, or empty. None when it has child
// nodes (comments, CDATA, elements, a second run) or attributes, whose reading libplist decides.
std::optional<std::string_view> leafText(pugi::xml_node element) {
  if (element.first_child() || element.first_attribute()) return {};
  return std::string_view(element.value());
}

// Moves node to the next element among its siblings, past runs of spaces (to an empty node at the end).
// False for anything else between.
bool nextElement(pugi::xml_node& node) {
  for (; node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element) return true;
    if (node.type() != pugi::node_pcdata || !isAllSpace(node.value())) return false;
  }
  return true;
}

class DirectReader {
 public:
  // A value element at the given depth (the root dictionary is 1, as fromNode counts).
  std::optional<Value> value(pugi::xml_node element, int depth) {
    if (depth > kMaxDepth || element.type() != pugi::node_element) return {};
    const std::string_view name = element.name();
    if (name == "dict") return dict(element, depth);
    if (name == "array") return array(element, depth);
    const auto text = leafText(element);
    if (!text) return {};
    if (name == "string") {
      std::string s;
      if (!decodeText(*text, s)) return {};
      return Value(std::move(s));
    }
    if (name == "integer") return readInteger(*text);
    if (name == "real") return readReal(*text);
    if (name == "true" || name == "false") {
      if (!text->empty()) return {};
      return Value(name == "true");
    }
    if (name == "data") return readData(*text);
    if (name == "date") return readDate(*text);
    // "key" here would be a string to libplist; unknown elements are refused by it.
    return {};
  }

 private:
  // A container's own text: spaces between its elements only. With parse_embed_pcdata the first run sits in
  // the element's value, later runs are child nodes.
  static bool onlySpacesBetween(pugi::xml_node container) {
    return !container.first_attribute() && isAllSpace(container.value());
  }

  std::optional<Value> dict(pugi::xml_node element, int depth) {
    if (!onlySpacesBetween(element)) return {};
    Dict dict;
    pugi::xml_node child = element.first_child();
    for (;;) {
      if (!nextElement(child)) return {};
      if (!child) break;
      // Strictly key, value, key, value: libplist reads other orders in ways of its own.
      const auto rawKey = std::strcmp(child.name(), "key") == 0 ? leafText(child) : std::nullopt;
      if (!rawKey) return {};
      child = child.next_sibling();
      if (!nextElement(child) || !child || std::strcmp(child.name(), "key") == 0) return {};
      auto item = value(child, depth + 1);
      // The key is decoded after the value, which may use key_ for keys of its own.
      if (!item || !decodeText(*rawKey, key_)) return {};
      // libplist writes keys in order, so the end is the place; a repeated key keeps the last value.
      if (dict.empty() || std::prev(dict.end())->first < key_) {
        dict.emplace_hint(dict.end(), key_, std::move(*item));
      } else {
        dict.insert_or_assign(key_, std::move(*item));
      }
      child = child.next_sibling();
    }
    return Value(std::move(dict));
  }

  std::optional<Value> array(pugi::xml_node element, int depth) {
    if (!onlySpacesBetween(element)) return {};
    Array array;
    for (pugi::xml_node child = element.first_child();; child = child.next_sibling()) {
      if (!nextElement(child)) return {};
      if (!child) break;
      if (std::strcmp(child.name(), "key") == 0) return {};
      auto item = value(child, depth + 1);
      if (!item) return {};
      array.push_back(std::move(*item));
    }
    return Value(std::move(array));
  }

  std::string key_;  // reused, so that keys cost no allocation of their own
};

std::optional<Dict> readDirectlyUnchecked(std::string_view bytes) {
  // A NUL ends text for libplist's C strings; pugixml would read on.
  if (bytes.find('\0') != std::string_view::npos) return {};
  const auto start = skipProlog(bytes);
  if (!start) return {};
  // After the root element only spaces: libplist refuses other trailing text, pugixml ignores it.
  std::string_view element = bytes.substr(*start);
  while (!element.empty() && isXmlSpace(element.back())) element.remove_suffix(1);
  if (!element.ends_with("</plist>")) return {};

  // No entity, end-of-line or attribute normalisation (libplist does none, the text is decoded above);
  // comments, CDATA and processing instructions become nodes, so that their presence is seen and left to
  // libplist. A run of spaces is kept only as an element's sole content (libplist keeps it in <string>),
  // and the first run of text sits in its element's value rather than a node of its own.
  constexpr unsigned kFlags = pugi::parse_ws_pcdata_single | pugi::parse_embed_pcdata | pugi::parse_cdata |
                              pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration |
                              pugi::parse_doctype;
  pugi::xml_document document;
  if (!document.load_buffer(element.data(), element.size(), kFlags, pugi::encoding_utf8)) return {};
  // Exactly one node, <plist>: text beside it would be dropped by pugixml, a second element read by neither.
  const pugi::xml_node plist = document.first_child();
  if (!plist || plist.next_sibling() || std::strcmp(plist.name(), "plist") != 0 || !isAllSpace(plist.value())) {
    return {};
  }
  // Attributes of <plist> are ignored by libplist, unless a '>' inside one ends its tag early.
  for (const pugi::xml_attribute attribute : plist.attributes()) {
    if (std::strchr(attribute.value(), '>')) return {};
  }
  pugi::xml_node root = plist.first_child();
  if (!nextElement(root) || !root || std::strcmp(root.name(), "dict") != 0) return {};
  pugi::xml_node after = root.next_sibling();
  if (!nextElement(after) || after) return {};
  auto value = DirectReader().value(root, 1);
  if (!value) return {};
  return std::move(std::get<Dict>(value->v));
}

}  // namespace

const Value* find(const Dict& dict, const std::string& key) {
  const auto it = dict.find(key);
  return it == dict.end() ? nullptr : &it->second;
}

// bytes: the whole file. The result owns nothing of libplist's or pugixml's.
std::optional<Dict> parseXml(const std::string& bytes) {
  if (!readers::withinLimits(bytes)) return std::nullopt;
  if (auto dict = readDirectlyUnchecked(bytes)) return dict;
  return readWithLibplistUnchecked(bytes);
}

namespace readers {

bool withinLimits(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return false;
  // Refuse deep nesting before libplist builds (and would recursively free) such a tree.
  return containerDepth(bytes, kMaxDepth) <= kMaxDepth;
}

std::optional<Dict> readWithLibplist(std::string_view bytes) {
  if (!withinLimits(bytes)) return std::nullopt;
  return readWithLibplistUnchecked(bytes);
}

std::optional<Dict> readDirectly(std::string_view bytes) {
  if (!withinLimits(bytes)) return std::nullopt;
  return readDirectlyUnchecked(bytes);
}

}  // namespace readers

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
