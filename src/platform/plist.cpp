// XML property lists: written by libplist 2.2, read directly where the text is in a form whose meaning
// to libplist is certain, and by libplist otherwise.
//
// libplist keeps every integer as PLIST_UINT: a node made from a signed value prints signed, and only a
// value above INT64_MAX read from text keeps an unsigned form, which the public interface reveals solely
// by comparison with a node made afresh. Dates are 32-bit seconds from 2001 in XML, without fractions.
//
// Why a reader of our own: libplist spends about 110 instructions per byte building its node tree, and
// copying that tree into values costs half as much again; a stored list of 10,000 folders made every
// dialog pay over 280 M instructions for it. pugixml's tree alone took 23 M of that file, so the direct
// reader scans the text itself. It answers only for the forms libplist itself writes and their plain
// variants, each read as libplist reads it; anything else (comments, CDATA, character references,
// attributes, unusual number or date spellings) goes to libplist, so what a file means never depends on
// which reader took it.
#include "platform/plist.h"
#include "platform/plist_readers.h"

#include <plist/plist.h>

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

bool isXmlSpace(char c) {
  static constexpr auto kSpaces = [] {
    std::array<bool, 256> table{};
    for (const unsigned char space : {' ', '\t', '\r', '\n'}) table[space] = true;
    return table;
  }();
  return kSpaces[static_cast<unsigned char>(c)];
}

// Walks XML text as libplist 2.2's reader tokenises it and counts what that reader would build and spend,
// without building anything: libplist frees its trees recursively (a deep one overflows the stack) and
// keeps a dictionary's keys in 4,096 hash buckets (keys that share one cost a comparison with each other).
// Inside a tag it skips double-quoted runs; in the text of an element it skips comments and CDATA; it
// stops at its first error, having built (and then freeing) the tree up to there. This walk follows it
// step by step and stops where it stops, or as soon as a bound is passed.
class LibplistWalk {
 public:
  explicit LibplistWalk(std::string_view xml) : p_(xml.data()), end_(xml.data() + xml.size()) {}

  readers::LibplistCost run() {
    cost_.parses = walk() && haveRoot_;
    cost_.overBounds = over();
    return cost_;
  }

 private:
  enum class Kind : std::uint8_t { kPlist, kDict, kArray };
  // A container that receives the nodes that follow; entries counts what a dictionary was given so far.
  struct Parent {
    bool isDict = false;
    std::uint64_t entries = 0;
  };

  bool over() const {
    return cost_.depth > kMaxDepth || cost_.nodes > readers::kMaxLibplistNodes ||
           cost_.keyWork > readers::kMaxLibplistKeyWork || cost_.entityWork > readers::kMaxLibplistEntityWork;
  }
  std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }
  bool at(std::string_view text) const { return std::string_view(p_, left()).starts_with(text); }

  // Past a double-quoted run that starts at the cursor; false when it does not end.
  bool skipQuoted() {
    ++p_;
    while (p_ < end_ && *p_ != '"') ++p_;
    return p_ < end_;
  }
  // To the first of the characters, past quoted runs when asked; false at the end of the text.
  bool findAny(std::string_view chars, bool skipQuotes) {
    while (p_ < end_) {
      if (skipQuotes && *p_ == '"' && !skipQuoted()) return false;
      if (chars.find(*p_) != std::string_view::npos) return true;
      ++p_;
    }
    return false;
  }
  // To the text, past quoted runs when asked; libplist never looks at the last length bytes for it, but
  // finds it there all the same when the cursor stops right before them. False when it is not found.
  bool findText(std::string_view text, bool skipQuotes) {
    while (left() > text.size()) {
      if (at(text)) return true;
      if (skipQuotes && *p_ == '"' && !skipQuoted()) return false;
      ++p_;
    }
    return left() >= text.size() && at(text);
  }
  void skipSpaces() {
    while (p_ < end_ && isXmlSpace(*p_)) ++p_;
  }

  // The text of an element up to its closing tag, which must name the element: what libplist's reader
  // does there, comments and CDATA sections included. Counts the moves that decoding entities costs in
  // the pieces that are decoded. False where libplist reports an error.
  bool elementText(std::string_view name, bool decoded) {
    for (;;) {
      const char* piece = p_;
      while (p_ < end_ && *p_ != '<') ++p_;
      if (p_ >= end_) return false;
      countEntities(piece, p_, decoded);
      ++p_;
      if (p_ >= end_) return false;
      if (*p_ == '/') break;
      if (*p_ != '!') return false;
      ++p_;
      if (left() <= 1) return false;
      if (at("--")) {
        p_ += 2;
        if (!findText("-->", false)) return false;
        p_ += 3;
      } else if (*p_ == '[') {
        ++p_;
        if (left() <= 8 || !at("CDATA[")) return false;
        p_ += 6;
        if (!findText("]]>", false)) return false;
        p_ += 3;
      } else {
        return false;
      }
    }
    ++p_;
    if (left() <= name.size() || !at(name)) return false;
    p_ += name.size();
    skipSpaces();
    if (p_ >= end_ || *p_ != '>') return false;
    ++p_;
    return true;
  }

  // Decoding shifts the rest of the piece once per '&' in it.
  void countEntities(const char* from, const char* to, bool decoded) {
    if (!decoded) return;
    const auto ampersands = static_cast<std::uint64_t>(std::count(from, to, '&'));
    cost_.entityWork += ampersands * static_cast<std::uint64_t>(to - from);
  }

  // A node made in the current parent (the root when there is none yet); false where libplist reports an
  // error. A dictionary entry costs a comparison of its key with every key already there.
  bool place(std::uint64_t keyBytes) {
    ++cost_.nodes;
    if (!haveRoot_) {
      haveRoot_ = true;
      return true;
    }
    Parent& parent = parents_.back();
    if (parent.isDict) {
      if (!keyPending_) return false;
      ++cost_.nodes;
      cost_.keyWork += parent.entries * (keyBytes + 1);
      ++parent.entries;
    }
    return true;
  }

  // False where libplist reports an error.
  bool walk() {
    std::vector<Kind> path;
    bool hasContent = false;
    std::uint64_t keyBytes = 0;
    while (p_ < end_ && !over()) {
      skipSpaces();
      if (p_ >= end_) break;
      if (*p_ != '<') return false;
      ++p_;
      if (p_ >= end_) return false;
      if (*p_ == '?') {
        if (!findText("?>", true)) return false;
        p_ += 2;
        continue;
      }
      if (*p_ == '!') {
        if (left() > 3 && at("!--")) {
          p_ += 3;
          if (!findText("-->", false)) return false;
          p_ += 3;
        } else if (left() > 8 && at("!DOCTYPE")) {
          p_ += 8;
          bool subset = false;
          while (p_ < end_) {
            if (!findAny(" \t\r\n[>", true)) return false;
            if (*p_ == '[') {
              subset = true;
              break;
            }
            if (*p_ == '>') {
              ++p_;
              break;
            }
            skipSpaces();
          }
          if (subset) {
            if (!findText("]>", true)) return false;
            p_ += 2;
          }
        } else {
          return false;
        }
        continue;
      }

      // A tag: its name runs to a space or bracket; its end is the next '>' outside quotes, and a '/'
      // right before that end makes it empty.
      const char* const nameStart = p_;
      if (!findAny(" \r\n\t<>", false)) return false;
      std::string_view name(nameStart, static_cast<std::size_t>(p_ - nameStart));
      if (*p_ != '>' && !findAny("<>", true)) return false;
      if (*p_ != '>') return false;
      const bool empty = *(p_ - 1) == '/';
      if (empty && static_cast<std::size_t>(p_ - nameStart - 1) < name.size()) {
        name = name.substr(0, static_cast<std::size_t>(p_ - nameStart - 1));
      }
      ++p_;

      if (name == "plist") {
        hasContent = false;
        if (path.empty() && haveRoot_) return true;
        if (empty) return false;
        path.push_back(Kind::kPlist);
        continue;
      }
      if (name == "/plist") {
        if (!hasContent || path.empty() || path.back() != Kind::kPlist) return false;
        path.pop_back();
        continue;
      }
      hasContent = true;

      if (name.starts_with('/')) {
        const Kind closing = name == "/dict" ? Kind::kDict : (name == "/array" ? Kind::kArray : Kind::kPlist);
        if (path.empty() || closing == Kind::kPlist || path.back() != closing) return false;
        path.pop_back();
        parents_.pop_back();
        if (parents_.empty()) return true;
        keyPending_ = false;
        continue;
      }

      const bool isDict = name == "dict";
      const bool container = isDict || name == "array";
      const bool isKey = name == "key";
      if (!container) {
        const bool decoded = isKey || name == "string";
        if (!decoded && name != "integer" && name != "real" && name != "true" && name != "false" &&
            name != "data" && name != "date") {
          return false;
        }
        const char* const textStart = p_;
        if (!empty && !elementText(name, decoded)) return false;
        // A key becomes the name of the next entry instead of a node; libplist 2.2 takes "<key/>" for a
        // string.
        if (isKey && !empty && !keyPending_ && !parents_.empty() && parents_.back().isDict) {
          keyPending_ = true;
          // The element as written, its closing tag included: never less than the key compared.
          keyBytes = static_cast<std::uint64_t>(p_ - textStart);
          continue;
        }
      }
      const bool root = !haveRoot_;
      if (!place(keyBytes)) return false;
      keyPending_ = false;
      const int depth = static_cast<int>(parents_.size()) + 1;
      cost_.depth = std::max(cost_.depth, depth);
      if (root && !container) return true;
      if (container && (root || !empty)) parents_.push_back(Parent{isDict, 0});
      if (container && !empty) path.push_back(isDict ? Kind::kDict : Kind::kArray);
    }
    return path.empty();
  }

  const char* p_;
  const char* const end_;
  std::vector<Parent> parents_;
  bool haveRoot_ = false;
  bool keyPending_ = false;
  readers::LibplistCost cost_;
};

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


// Whether libplist, looking for the end of markup that stands before offset end, finds it there: it
// skips double-quoted runs while it looks, so the quotes before end must pair up, and no '>' may stand
// before end either. No '<' inside, so that every later '<' starts a tag.
bool endsAt(std::string_view markup, std::size_t end) {
  const std::string_view inside = markup.substr(1, end - 1);
  return inside.find_first_of("<>") == std::string_view::npos &&
         std::count(inside.begin(), inside.end(), '"') % 2 == 0;
}

// Skips what libplist skips before the root element: an XML declaration, comments and a DOCTYPE without an
// internal subset, each read up to the end mark where libplist ends it, with spaces between. The position
// of "<plist" (followed by a space or '>'), or none.
std::optional<std::size_t> skipProlog(std::string_view xml) {
  std::size_t at = 0;
  for (;;) {
    while (at < xml.size() && isXmlSpace(xml[at])) ++at;
    const std::string_view rest = xml.substr(at);
    std::size_t end = std::string_view::npos;
    if (rest.starts_with("<?")) {
      end = rest.find("?>");
      if (end == std::string_view::npos || !endsAt(rest, end)) return {};
      end += 2;
    } else if (rest.starts_with("<!--")) {
      // No quotes are skipped in comments.
      end = rest.find("-->", 4);
      if (end == std::string_view::npos || rest.substr(1, end - 1).find('<') != std::string_view::npos) return {};
      end += 3;
    } else if (rest.starts_with("<!DOCTYPE")) {
      end = rest.find('>');
      // An internal subset could declare entities; libplist would skip it, a reader of XML would not.
      if (end == std::string_view::npos || !endsAt(rest, end)) return {};
      if (rest.substr(0, end).find('[') != std::string_view::npos) return {};
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
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
      table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    }
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
  // Years before 1901 lie outside the 32 bits anyway.
  if (year < 1901 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    return {};
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return {};
  // Days from 1970-01-01 in the Gregorian calendar (y is positive, so the divisions need no flooring).
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

// Reads the elements of a property list from the bytes after the prolog, one tag at a time, straight into
// values. It knows only tags without attributes or spaces ("<dict>", "<true/>", "</dict>"), text without
// markup inside, and spaces between elements: every '<' it passes is a tag it read.
class DirectReader {
 public:
  // xml: the whole text; at: where "<plist" starts.
  DirectReader(std::string_view xml, std::size_t at) : p_(xml.data() + at), end_(xml.data() + xml.size()) {}

  // The root dictionary and nothing but spaces after </plist>.
  std::optional<Dict> document() {
    // libplist ignores what stands in the <plist ...> tag up to its end.
    const std::string_view rest(p_, static_cast<std::size_t>(end_ - p_));
    const std::size_t close = rest.find('>');
    if (close == std::string_view::npos || !endsAt(rest, close) || rest[close - 1] == '/') return {};
    p_ += close + 1;
    const Tag root = nextTag();
    Value value;
    if (root.name != Name::kDict || !read(root, 1, value)) return {};
    skipSpaces();
    constexpr std::string_view kEnd = "</plist>";
    if (std::string_view(p_, static_cast<std::size_t>(end_ - p_)).substr(0, kEnd.size()) != kEnd) return {};
    p_ += kEnd.size();
    skipSpaces();
    if (p_ != end_) return {};
    return std::move(std::get<Dict>(value.v));
  }

 private:
  enum class Name : std::uint8_t { kOther, kDict, kArray, kKey, kString, kInteger, kReal, kTrue, kFalse, kData, kDate };
  struct Tag {
    enum Kind : std::uint8_t { kNone, kOpen, kEmpty, kClose } kind = kNone;
    Name name = Name::kOther;
  };

  void skipSpaces() {
    const char* p = p_;
    while (p != end_ && isXmlSpace(*p)) ++p;
    p_ = p;
  }

  // Whether the letters at p spell the word and the tag ends there ('>' or "/>"); p has at least eight
  // bytes after it.
  template <std::size_t N>
  static bool word(const char* p, const char (&text)[N]) {
    return std::memcmp(p, text, N - 1) == 0 && (p[N - 1] == '>' || p[N - 1] == '/');
  }

  // "<name>", "<name/>" or "</name>" at the cursor for the names of property lists; kind kNone for
  // anything else (the cursor then stays).
  Tag tag() {
    // Every tag read here stands before "</plist>", so ten bytes from its '<' are there to look at.
    if (end_ - p_ < 10 || *p_ != '<') return {};
    const char* p = p_ + 1;
    Tag found{Tag::kOpen, Name::kOther};
    if (*p == '/') {
      found.kind = Tag::kClose;
      ++p;
    }
    std::size_t length = 0;
    const auto is = [&](bool match, Name name, std::size_t size) {
      if (match) {
        found.name = name;
        length = size;
      }
      return match;
    };
    switch (*p) {
      case 'a': is(word(p, "array"), Name::kArray, 5); break;
      case 'd':
        is(word(p, "dict"), Name::kDict, 4) || is(word(p, "data"), Name::kData, 4) ||
            is(word(p, "date"), Name::kDate, 4);
        break;
      case 'f': is(word(p, "false"), Name::kFalse, 5); break;
      case 'i': is(word(p, "integer"), Name::kInteger, 7); break;
      case 'k': is(word(p, "key"), Name::kKey, 3); break;
      case 'r': is(word(p, "real"), Name::kReal, 4); break;
      case 's': is(word(p, "string"), Name::kString, 6); break;
      case 't': is(word(p, "true"), Name::kTrue, 4); break;
      default: break;
    }
    if (length == 0) return {};
    p += length;
    if (*p == '/') {
      if (found.kind == Tag::kClose || p[1] != '>') return {};
      found.kind = Tag::kEmpty;
      ++p;
    }
    p_ = p + 1;
    return found;
  }

  Tag nextTag() {
    skipSpaces();
    return tag();
  }

  // The text up to the next tag, which must close the element; none when text and tag are not that.
  // hasReference: whether the text holds a '&'.
  std::optional<std::string_view> text(Name element, bool& hasReference) {
    const char* const start = p_;
    const char* p = p_;
    bool ampersand = false;
    while (p != end_ && *p != '<') ampersand |= *p++ == '&';
    hasReference = ampersand;
    p_ = p;
    const std::string_view content(start, static_cast<std::size_t>(p - start));
    const Tag closing = tag();
    if (closing.kind != Tag::kClose || closing.name != element) return {};
    return content;
  }

  std::optional<std::string_view> text(Name element) {
    bool hasReference = false;
    return text(element, hasReference);
  }

  // The decoded text of a <string> or <key>; none when not certain.
  std::optional<std::string> decodedText(Name element) {
    bool hasReference = false;
    const auto raw = text(element, hasReference);
    if (!raw) return {};
    if (!hasReference) return std::string(*raw);
    std::string decoded;
    if (!decodeText(*raw, decoded)) return {};
    return decoded;
  }

  // Reads the element that the tag opens into out, at the given depth (the root dictionary is 1, as
  // fromNode counts). False when not certain; out is then of no use.
  bool read(const Tag& open, int depth, Value& out) {
    if (depth > kMaxDepth || open.kind == Tag::kNone || open.kind == Tag::kClose) return false;
    if (++nodes_ > readers::kMaxLibplistNodes) return false;
    switch (open.name) {
      case Name::kDict:
        return readDict(open, depth, out.v.emplace<Dict>());
      case Name::kArray:
        return readArray(open, depth, out.v.emplace<Array>());
      case Name::kTrue:
      case Name::kFalse:
        if (open.kind == Tag::kOpen) {
          const auto raw = text(open.name);
          if (!raw || !raw->empty()) return false;
        }
        out.v = open.name == Name::kTrue;
        return true;
      case Name::kString: {
        auto s = open.kind == Tag::kEmpty ? std::string() : decodedText(open.name);
        if (!s) return false;
        out.v.emplace<std::string>(std::move(*s));
        return true;
      }
      case Name::kData:
        if (open.kind == Tag::kEmpty) {
          out.v = Data{};
          return true;
        }
        break;
      default:
        break;
    }
    // libplist reads an empty <integer/>, <real/> or <date/> in ways of its own; a "key" here would be a
    // string to it.
    if (open.kind == Tag::kEmpty || open.name == Name::kKey) return false;
    const auto raw = text(open.name);
    if (!raw) return false;
    std::optional<Value> leaf;
    if (open.name == Name::kInteger) leaf = readInteger(*raw);
    if (open.name == Name::kReal) leaf = readReal(*raw);
    if (open.name == Name::kData) leaf = readData(*raw);
    if (open.name == Name::kDate) leaf = readDate(*raw);
    if (!leaf) return false;
    out = std::move(*leaf);
    return true;
  }

  bool readDict(const Tag& open, int depth, Dict& dict) {
    if (open.kind == Tag::kEmpty) return true;
    for (;;) {
      const Tag keyTag = nextTag();
      if (keyTag.kind == Tag::kClose && keyTag.name == Name::kDict) return true;
      // Strictly key, value, key, value: libplist reads other orders in ways of its own. It refuses <key/>.
      if (keyTag.name != Name::kKey || keyTag.kind != Tag::kOpen) return false;
      auto key = decodedText(Name::kKey);
      if (!key || ++nodes_ > readers::kMaxLibplistNodes) return false;
      const Tag valueTag = nextTag();
      // libplist writes keys in order, so the end is the place; a repeated key keeps the last value.
      const auto slot = dict.try_emplace(dict.end(), std::move(*key));
      if (!read(valueTag, depth + 1, slot->second)) return false;
    }
  }

  bool readArray(const Tag& open, int depth, Array& array) {
    if (open.kind == Tag::kEmpty) return true;
    for (;;) {
      const Tag itemTag = nextTag();
      if (itemTag.kind == Tag::kClose && itemTag.name == Name::kArray) return true;
      if (!read(itemTag, depth + 1, array.emplace_back())) return false;
    }
  }

  const char* p_;
  const char* const end_;
  // Values and keys read so far, counted as libplist would count its nodes.
  std::uint64_t nodes_ = 0;
};

// Needs no walk beforehand: it reads only tags it knows, counts the nesting and the nodes itself and gives
// up past their bounds, and its own work is linear.
std::optional<Dict> readDirectlyUnchecked(std::string_view bytes) {
  // A NUL ends text for libplist's C strings.
  if (bytes.find('\0') != std::string_view::npos) return {};
  const auto start = skipProlog(bytes);
  if (!start) return {};
  return DirectReader(bytes, *start).document();
}

}  // namespace

const Value* find(const Dict& dict, const std::string& key) {
  const auto it = dict.find(key);
  return it == dict.end() ? nullptr : &it->second;
}

// bytes: the whole file. The result owns nothing of libplist's.
std::optional<Dict> parseXml(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return std::nullopt;
  if (auto dict = readDirectlyUnchecked(bytes)) return dict;
  return readers::readWithLibplist(bytes);
}

namespace readers {

LibplistCost libplistCost(std::string_view bytes) { return LibplistWalk(bytes).run(); }

// Runs before libplist parses anything: it frees even a tree it gave up on.
bool withinLimits(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return false;
  return !libplistCost(bytes).overBounds;
}

std::optional<Dict> readWithLibplist(std::string_view bytes) {
  if (!withinLimits(bytes)) return std::nullopt;
  return readWithLibplistUnchecked(bytes);
}

std::optional<Dict> readDirectly(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return std::nullopt;
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
