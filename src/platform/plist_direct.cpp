// The direct reader. Every function answers none (or false) for "not certain": libplist then decides.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/plist.h"
#include "platform/plist_internal.h"
#include "platform/plist_readers.h"

namespace platform::plist {
namespace {

using detail::isXmlSpace;

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

namespace readers {

std::optional<Dict> readDirectly(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return std::nullopt;
  return readDirectlyUnchecked(bytes);
}

}  // namespace readers
}  // namespace platform::plist
