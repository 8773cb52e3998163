// The libplist adapter's reading side: the walk that tells, without building anything, what libplist's
// reader would build and spend on a text, and the copy of its tree into values.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/plist.h"
#include "platform/plist_internal.h"
#include "platform/plist_readers.h"

namespace platform::plist {
namespace {

using namespace detail;

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
      // Made in place: GCC 12 at -O3 takes the moved-from temporary of `return Value(...)` here for
      // uninitialised.
      return std::optional<Value>(std::in_place, Dict{{"CF$UID", number}});
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

std::optional<Dict> readWithLibplistUnchecked(std::string_view bytes) {
  plist_t raw = nullptr;
  plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
  const NodePtr root(raw);
  if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
  auto value = fromNode(root.get(), 1);
  if (!value || !value->dict()) return std::nullopt;
  return std::move(std::get<Dict>(value->v));
}

}  // namespace

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

}  // namespace readers
}  // namespace platform::plist
