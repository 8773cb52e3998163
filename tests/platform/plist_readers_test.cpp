// The direct reader against libplist's: whatever the direct one reads, libplist reads the same.
#include "platform/plist_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <plist/plist.h>

#include "platform/plist.h"

namespace plist = platform::plist;
namespace readers = platform::plist::readers;
using namespace platform::plist;  // Array, Data, Date, Dict, Value

namespace {

// Random values of every kind the files hold, leaning to the awkward ones.
class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}

  Dict dict(int depth) {
    Dict dict;
    const int count = below(depth == 0 ? 12 : 5);
    for (int i = 0; i < count; ++i) dict.insert_or_assign(text(), value(depth + 1));
    return dict;
  }

  // Whether a real that libplist writes as a name (infinity) was made: the direct reader leaves those.
  bool madeNonFinite() const { return nonFinite_; }

 private:
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::string text() {
    static const char* const kPieces[] = {
        "a",  "Folder 7", " ",  "\t", "\r\n", "\r", "\n", "<",    ">",    "&",     "\"", "'",
        "]]>", "&amp;", "&lt;", "\x01", "\x1f", "\x7f", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x96\xA8", "\xFF",
        "CF$UID", "key", "</string>", "<!--", "=", "0x10",
    };
    std::string s;
    const int pieces = below(6);
    for (int i = 0; i < pieces; ++i) s += kPieces[below(std::size(kPieces))];
    return s;
  }

  Value value(int depth) {
    switch (below(depth < 4 ? 10 : 8)) {
      case 0: return Value(text());
      case 1: return Value(below(2) == 0);
      case 2: return integer();
      case 3: return real();
      case 4: {
        Data data(static_cast<std::size_t>(below(4) == 0 ? below(200) : below(8)));
        for (auto& byte : data) byte = static_cast<std::uint8_t>(below(256));
        return Value(std::move(data));
      }
      case 5: {
        const double seconds = std::uniform_real_distribution<double>(-2.2e9, 2.2e9)(random_);
        return Value(Date{below(2) == 0 ? std::floor(seconds) : seconds});
      }
      case 6: return Value(std::string(static_cast<std::size_t>(below(4)), " \t\n"[below(3)]));
      case 7: return Value(Dict{{"CF$UID", integer()}});
      case 8: {
        Array array;
        const int count = below(5);
        for (int i = 0; i < count; ++i) array.push_back(value(depth + 1));
        return Value(std::move(array));
      }
      default: return Value(dict(depth));
    }
  }

  Value integer() {
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    switch (below(7)) {
      case 0: return Value(0);
      case 1: return Value(below(2) == 0 ? kMin : kMax);
      case 2: return Value(-below(1000));
      case 3: return Value::unsignedInteger(static_cast<std::uint64_t>(kMax) + 1 + random_() % 1000);
      case 4: return Value::unsignedInteger(std::numeric_limits<std::uint64_t>::max() - random_() % 1000);
      default: return Value(static_cast<std::int64_t>(std::uint64_t{random_()} << 32 | random_()));
    }
  }

  Value real() {
    switch (below(8)) {
      case 0: return Value(0.0);
      case 1: return Value(-0.0);
      case 2: return Value(below(2) == 0 ? 1e308 : -1.7976931348623157e308);
      case 3: return Value(4.9e-324);
      case 4: return Value(-2.5e-310);
      case 5:
        nonFinite_ = true;
        return Value(below(2) == 0 ? std::numeric_limits<double>::infinity()
                                   : -std::numeric_limits<double>::infinity());
      default: {
        // Any finite bit pattern.
        double d = 0;
        do {
          const std::uint64_t bits = std::uint64_t{random_()} << 32 | random_();
          std::memcpy(&d, &bits, sizeof d);
        } while (!std::isfinite(d));
        return Value(d);
      }
    }
  }

  std::mt19937 random_;
  bool nonFinite_ = false;
};

std::string wrap(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>k</key>" + body +
         "\n</dict>\n</plist>\n";
}

}  // namespace

// What libplist writes, the direct reader reads, and reads as libplist does.
TEST(PlistReaders, ReadWhatLibplistWritesAsLibplistReadsIt) {
  int direct = 0;
  for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
    Generator generator(seed);
    const Dict dict = generator.dict(0);
    const std::string xml = plist::toXml(dict);
    ASSERT_FALSE(xml.empty()) << seed;
    const auto byLibplist = readers::readWithLibplist(xml);
    ASSERT_TRUE(byLibplist.has_value()) << seed << "\n" << xml;
    const auto directly = readers::readDirectly(xml);
    if (!generator.madeNonFinite()) {
      ASSERT_TRUE(directly.has_value()) << seed << "\n" << xml;
    }
    if (directly) {
      ++direct;
      EXPECT_EQ(*directly, *byLibplist) << seed << "\n" << xml;
    }
    EXPECT_EQ(plist::parseXml(xml), byLibplist) << seed;
  }
  EXPECT_GT(direct, 800);
}

// Hand-written forms: the direct reader either leaves them to libplist or reads them as libplist does, and
// parseXml answers as libplist does, accepting or refusing.
TEST(PlistReaders, AgreeOnEveryForm) {
  const std::string prolog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::string doctype =
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";
  const struct {
    const char* name;
    std::string bytes;
    bool direct;  // whether the direct reader takes it
  } cases[] = {
      // Text: kept as it stands (no end-of-line or space folding), the five entities decoded.
      {"CR LF kept", wrap("<string>a\r\nb\rc</string>"), true},
      {"spaces kept", wrap("<string>  x  </string>"), true},
      {"spaces only", wrap("<string> \t\n </string>"), true},
      {"empty forms", wrap("<string/><key>l</key><string></string><key></key><true/>"), true},
      {"empty key element", wrap("<string/><key/><true/>"), false},
      {"entities", wrap("<string>&lt;&gt;&amp;&apos;&quot;&amp;lt;</string>"), true},
      {"entity in a key", prolog + "<plist><dict><key>a&amp;b</key><true/></dict></plist>", true},
      {"raw '>' and ']]>'", wrap("<string>a>b]]></string>"), true},
      {"UTF-8 and bytes that are not", wrap("<string>\xC3\xA9\xFF\xFE</string>"), true},
      {"character reference", wrap("<string>&#13;&#x1F600;</string>"), false},
      {"NUL reference", wrap("<string>&#0;</string>"), false},
      {"prefix of an entity", wrap("<string>&ltx;</string>"), false},
      {"unknown entity", wrap("<string>&foo;</string>"), false},
      {"bare ampersand", wrap("<string>a&b</string>"), false},
      {"bare ampersand at the end", wrap("<string>a&</string>"), false},
      {"CDATA", wrap("<string><![CDATA[a<b]]></string>"), false},
      {"CDATA after spaces", wrap("<string> <![CDATA[x]]></string>"), false},
      {"comment in text", wrap("<string>a<!--c-->b</string>"), false},
      {"NUL byte", wrap(std::string("<string>a\0b</string>", 20)), false},
      // Numbers: the canonical spellings directly, the rest through libplist.
      {"integers", wrap("<integer>0</integer><key>a</key><integer>-42</integer><key>b</key>"
                        "<integer>-9223372036854775808</integer><key>c</key><integer>18446744073709551615</integer>"),
       true},
      {"above int64", wrap("<integer>9223372036854775808</integer>"), true},
      {"plus sign", wrap("<integer>+5</integer>"), false},
      {"leading space", wrap("<integer> 5</integer>"), false},
      {"hex", wrap("<integer>0x10</integer>"), false},
      {"octal", wrap("<integer>010</integer>"), false},
      {"minus zero", wrap("<integer>-0</integer>"), false},
      {"overflow", wrap("<integer>18446744073709551616</integer>"), false},
      {"below int64", wrap("<integer>-9223372036854775809</integer>"), false},
      {"empty integer", wrap("<integer/>"), false},
      {"not a number", wrap("<integer>abc</integer>"), false},
      {"reals", wrap("<real>1.5</real><key>a</key><real>-1.0000000000000001e+300</real><key>b</key>"
                     "<real>4.9406564584124654e-324</real><key>c</key><real>0.0</real><key>d</key><real>1e400</real>"),
       true},
      {"real names", wrap("<real>-infinity</real><key>a</key><real>+infinity</real>"), false},
      {"real with a comma", wrap("<real>1,5</real>"), false},
      {"empty real", wrap("<real></real>"), false},
      {"true and false", wrap("<true/><key>a</key><false/><key>b</key><true></true>"), true},
      {"text in true", wrap("<true>x</true>"), false},
      // Dates: the written form within libplist's 32 bits directly.
      {"dates", wrap("<date>2001-01-01T00:00:10Z</date><key>a</key><date>1970-01-01T00:00:00Z</date><key>b</key>"
                     "<date>2069-01-19T03:14:07Z</date><key>c</key><date>2000-02-29T23:59:59Z</date>"),
       true},
      {"date that wraps", wrap("<date>2069-01-19T03:14:08Z</date>"), false},
      {"day that folds", wrap("<date>2001-02-31T00:00:00Z</date>"), false},
      {"leap second", wrap("<date>2001-01-01T00:00:60Z</date>"), false},
      {"short date", wrap("<date>2001-1-1T0:0:10Z</date>"), false},
      {"empty dates", wrap("<date/><key>a</key><date></date>"), false},
      // Base64: lines and padding as written; anything else through libplist.
      {"padding in the middle", wrap("<data>\n\tAA==\n\tAAEC\n\t</data>"), false},
      {"data lines", wrap("<data>\n\tAAEC\n\tAAE=\n\t</data><key>a</key><data>\n\t</data><key>b</key><data/>"), true},
      {"data split inside a group", wrap("<data>A A E C</data>"), true},
      {"short data", wrap("<data>AA</data>"), false},
      {"data with a stray character", wrap("<data>AAE*C</data>"), false},
      // Structure.
      {"as written", prolog + doctype + "<plist version=\"1.0\">\n<dict>\n\t<key>a</key>\n\t<array>\n\t\t<dict/>\n"
                                        "\t\t<array/>\n\t</array>\n</dict>\n</plist>\n", true},
      {"no prolog", "<plist><dict/></plist>", true},
      {"comment in the prolog", "<!-- c --><plist><dict/></plist>", true},
      {"repeated key", wrap("<string>a</string><key>k</key><string>b</string>"), true},
      {"UID form", wrap("<dict><key>CF$UID</key><integer>3</integer></dict>"), true},
      {"UID form at the root", "<plist><dict><key>CF$UID</key><integer>3</integer></dict></plist>", true},
      {"negative UID", wrap("<dict><key>CF$UID</key><integer>-1</integer></dict>"), true},
      {"key without value", wrap("<string>a</string><key>j</key>"), false},
      {"two keys", wrap("<key>j</key><string>b</string>"), false},
      {"key in an array", wrap("<array><key>x</key></array>"), false},
      {"value without key", "<plist><dict><string>x</string></dict></plist>", false},
      {"unknown element", wrap("<foo/>"), false},
      {"attribute", wrap("<string a=\"1\">x</string>"), false},
      {"attribute with '>'", wrap("<string a=\">\">x</string>"), false},
      {"space in tags", wrap("<string >x</string >"), false},
      {"comment between", wrap("<!--c--><string>a</string>"), false},
      {"processing instruction", wrap("<?pi x?><string>a</string>"), false},
      {"text between", wrap("junk<string>a</string>"), false},
      {"form feed between", wrap("<string>a</string>\f"), false},
      {"array root", "<plist><array/></plist>", false},
      {"no plist element", "<dict><key>a</key><true/></dict>", false},
      {"two roots", "<plist><dict/><dict/></plist>", false},
      {"text after", "<plist><dict/></plist>junk", false},
      {"element after", "<plist><dict/></plist><foo>", false},
      {"byte-order mark", "\xEF\xBB\xBF<plist><dict/></plist>", false},
      {"internal subset",
       "<!DOCTYPE plist [ <!ENTITY x \"y\"> ]><plist><dict><key>a</key><string>&x;</string></dict></plist>", false},
      {"odd quote in the declaration", "<?xml version=\"1.0\" encoding=;UTF-8\"?>\n<plist><dict/></plist>", false},
      {"'>' quoted in the declaration", "<?xml a=\"?>\" ?><plist><dict/></plist>", false},
      {"odd quote in the DOCTYPE", "<!DOCTYPE plist \"a><plist><dict/></plist>", false},
      {"odd quote in the plist tag", "<plist a=\"1><dict/></plist>", false},
      {"quotes in the plist tag", "<plist a=\"1\" b=\"\"><dict/></plist>", true},
      {"'>' in a plist attribute", "<plist version=\"1>0\"><dict/></plist>", false},
      {"'<' in the prolog", "<!-- <dict> --><plist><dict/></plist>", false},
      {"unclosed", "<plist><dict></plist>", false},
      {"mismatched", "<plist><dict></array></plist>", false},
      {"cut short", (prolog + "<plist><dict><key>a</key><string>x</string>"), false},
      {"empty plist", "<plist/>", false},
  };
  for (const auto& c : cases) {
    const auto byLibplist = readers::readWithLibplist(c.bytes);
    const auto directly = readers::readDirectly(c.bytes);
    EXPECT_EQ(directly.has_value(), c.direct) << c.name;
    if (directly) {
      EXPECT_EQ(directly, byLibplist) << c.name;
    }
    EXPECT_EQ(plist::parseXml(c.bytes), byLibplist) << c.name;
  }
}

// Every sequence of up to four tokens as a dictionary's entries, an entry's value or an array's items:
// what the direct reader takes, libplist reads the same.
TEST(PlistReaders, AgreeOnEveryShortSequenceOfTokens) {
  const std::string tokens[] = {"<key>", "</key>", "<key/>", "k", "<string>", "</string>", "<string/>", "<true/>",
                                "<true>", "</true>", "<dict>", "</dict>", "<dict/>", "<array>", "</array>", "<array/>",
                                "<data>", "</data>", "<integer>", "</integer>", "1", " ", "&amp;", "<date/>"};
  const std::size_t count = std::size(tokens);
  int direct = 0;
  for (const std::string prefix : {"<plist><dict>", "<plist><dict><key>k</key>", "<plist><dict><key>k</key><array>"}) {
    for (std::size_t length = 1; length <= 4; ++length) {
      std::vector<std::size_t> at(length, 0);
      for (;;) {
        std::string xml = prefix;
        for (const std::size_t i : at) xml += tokens[i];
        xml += "</dict></plist>";
        if (const auto directly = readers::readDirectly(xml)) {
          ++direct;
          ASSERT_EQ(directly, readers::readWithLibplist(xml)) << xml;
        }
        std::size_t digit = 0;
        while (digit < length && ++at[digit] == count) at[digit++] = 0;
        if (digit == length) break;
      }
    }
  }
  EXPECT_GT(direct, 400);
}

// Nesting: the direct reader gives up past the limit on its own, so what it reads passes the depth check.
TEST(PlistReaders, NestingLimitHoldsForBoth) {
  for (const int levels : {plist::kMaxDepth - 2, plist::kMaxDepth - 1, plist::kMaxDepth, plist::kMaxDepth + 1}) {
    std::string xml = "<plist><dict><key>k</key>";
    for (int i = 0; i < levels; ++i) xml += "<array>";
    xml += "<true/>";
    for (int i = 0; i < levels; ++i) xml += "</array>";
    xml += "</dict></plist>";
    const auto directly = readers::readDirectly(xml);
    if (directly) {
      EXPECT_TRUE(readers::withinLimits(xml)) << levels;
      EXPECT_EQ(directly, readers::readWithLibplist(xml)) << levels;
    }
    EXPECT_EQ(plist::parseXml(xml), readers::readWithLibplist(xml)) << levels;
    EXPECT_EQ(plist::parseXml(xml).has_value(), levels + 2 <= plist::kMaxDepth) << levels;
  }
}

namespace {

std::string repeated(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Keys of one length whose hashes (libplist's: hash * 33 + byte, over 4,096 buckets) are all equal: "Aa" and
// "B@" hash alike, and so does every string of such pairs.
std::string collidingKeys(std::size_t count) {
  std::string entries;
  for (std::size_t i = 0; i < count; ++i) {
    std::string key;
    for (int bit = 0; bit < 17; ++bit) key += (i >> bit & 1) ? "B@" : "Aa";
    entries += "<key>" + key + "</key><true/>";
  }
  return entries;
}

}  // namespace

// Files that libplist would crash on or work on for minutes: refused before libplist sees them. Each is as
// the check must count it: quoted text in tags, comments between and inside elements. Depth and nodes bound
// both readers; keys and entities cost work only in libplist's, where a comment sends a file.
TEST(PlistReaders, RefuseWhatLibplistCouldNotFreeOrWouldWorkOnWithoutBound) {
  const std::string root = "<plist><dict><key>k</key>";
  const std::string end = "</dict></plist>";
  const struct {
    const char* name;
    std::string bytes;
    bool directToo;  // the direct reader refuses it as well
  } cases[] = {
      {"'/>' quoted in array tags, 200,000 deep", root + repeated("<array a=\"/>\">", 200000) + end, true},
      {"'/>' quoted in dict tags", root + repeated("<dict a='x' b=\"/>\"><key>k</key>", 200000) + end, true},
      {"closing tags inside comments", root + repeated("<array><!--</array>-->", 200000) + end, true},
      {"closing tags in quoted values", root + repeated("<array a=\"</array>\">", 200000) + end, true},
      {"closing tags in a processing instruction", root + repeated("<array><?x </array>?>", 200000) + end, true},
      {"600,000 nodes", root + "<array>" + repeated("<true/>", 600000) + "</array>" + end, true},
      {"100,000 keys in one hash bucket", root + "<dict>" + collidingKeys(100000) + "</dict>" + end, false},
      {"keys in one bucket, spread over dictionaries",
       root + "<array>" + repeated("<dict>" + collidingKeys(400) + "</dict>", 12) + "</array>" + end, false},
      {"entities in one string", root + "<string>" + repeated("&amp;", 100000) + "</string>" + end, false},
  };
  for (const auto& c : cases) {
    // A comment inside the root sends a file to libplist.
    const std::string sentToLibplist = "<plist><dict><!-- c -->" + c.bytes.substr(std::strlen("<plist><dict>"));
    const bool within = readers::withinLimits(sentToLibplist);
    EXPECT_FALSE(within) << c.name;
    // Parsed only once refused: libplist would crash on the first ones.
    if (!within) {
      EXPECT_FALSE(plist::parseXml(sentToLibplist).has_value()) << c.name;
    }
    if (c.directToo) {
      EXPECT_FALSE(readers::readDirectly(c.bytes).has_value()) << c.name;
    }
  }
}

// The bounds leave room: the largest folder list the panel stores (10,000 folders of 700-byte names), in a
// form only libplist reads, is still given to it.
TEST(PlistReaders, TheLargestStoredFolderListIsWithinLibplistsBounds) {
  Array files;
  for (int i = 0; i < 10000; ++i) {
    files.push_back(Value(Dict{{"name", Value(std::string(700, 'n') + std::to_string(i))},
                               {"password", Value(i % 2 == 0)}, {"dir", Value(true)}, {"add", Value(false)}}));
  }
  std::string xml = plist::toXml(Dict{{"Job Handling", Value(Dict{{"files", Value(std::move(files))}})}});
  xml.insert(xml.find("<dict>") + 6, "<!-- c -->");
  const auto cost = readers::libplistCost(xml);
  EXPECT_TRUE(cost.parses);
  EXPECT_FALSE(cost.overBounds);
  EXPECT_LT(cost.nodes * 5, readers::kMaxLibplistNodes);
  EXPECT_LT(cost.keyWork * 20, readers::kMaxLibplistKeyWork);
  EXPECT_TRUE(readers::withinLimits(xml));
}

namespace {

struct Tree {
  int depth = 0;
  std::uint64_t nodes = 0;
};

// Levels and nodes (keys included) of a tree that libplist built, read through its own interface.
Tree measure(plist_t node) {
  Tree tree{1, 1};
  const auto add = [&](plist_t child, bool keyed) {
    const Tree sub = measure(child);
    tree.depth = std::max(tree.depth, sub.depth + 1);
    tree.nodes += sub.nodes + (keyed ? 1 : 0);
  };
  if (plist_get_node_type(node) == PLIST_ARRAY) {
    for (std::uint32_t i = 0; i < plist_array_get_size(node); ++i) add(plist_array_get_item(node, i), false);
  } else if (plist_get_node_type(node) == PLIST_DICT) {
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    for (;;) {
      char* key = nullptr;
      plist_t item = nullptr;
      plist_dict_next_item(node, iter, &key, &item);
      if (!key) break;
      std::free(key);
      add(item, true);
    }
    std::free(iter);
  }
  return tree;
}

}  // namespace

// The walk that guards libplist against libplist itself, on random sequences of the tokens that its reader
// treats specially: it tells exactly which texts libplist reads, and its tree is never deeper or larger
// than the walk says.
TEST(PlistReaders, CostWalkFollowsLibplist) {
  const std::string tokens[] = {
      "<dict>", "</dict>", "<dict/>", "<array>", "</array>", "<array/>", "<key>k</key>", "<key>j</key>", "<key/>",
      "<string>s</string>", "<string/>", "<true/>", "<true>x</true>", "<integer>1</integer>", "<plist>",
      "</plist>", "<plist/>", "<!--", "-->", "<!-- </array> -->", "<?x </dict> ?>", "<![CDATA[", "]]>", "\"",
      "a=\"/>\">", "<array a=\"/>\">", "<dict b='\"'>", "<array/ >", "<array / >", "</array >", "<string>",
      "</string>", "<!DOCTYPE p [ <!ENTITY x \"]>\"> ]>", "<!DOCTYPE p>", "&amp;", " ", "x", "<", ">", "/>",
      "<foo>", "<key>", "</key>"};
  std::mt19937 random(23);
  int read = 0;
  for (int round = 0; round < 60000; ++round) {
    std::string xml = round % 3 == 0 ? "" : "<plist><dict><key>k</key>";
    const int length = std::uniform_int_distribution<int>(1, 12)(random);
    for (int i = 0; i < length; ++i) xml += tokens[random() % std::size(tokens)];
    if (round % 2 == 0) xml += "</dict></plist>";
    const auto cost = readers::libplistCost(xml);
    ASSERT_FALSE(cost.overBounds) << xml;
    plist_t raw = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &raw);
    const std::unique_ptr<void, decltype(&plist_free)> root(raw, &plist_free);
    ASSERT_EQ(cost.parses, root != nullptr) << xml;
    if (!root) continue;
    ++read;
    const Tree tree = measure(root.get());
    EXPECT_LE(tree.depth, cost.depth) << xml;
    EXPECT_LE(tree.nodes, cost.nodes) << xml;
  }
  EXPECT_GT(read, 5000);
}
