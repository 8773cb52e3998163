#include "platform/plist.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace plist = platform::plist;
using plist::Array;
using plist::Data;
using plist::Date;
using plist::Dict;
using plist::Value;

namespace {

std::string wrap(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

std::string nested(int levels, const std::string& open, const std::string& close) {
  std::string xml;
  for (int i = 0; i < levels; ++i) xml += open;
  for (int i = 0; i < levels; ++i) xml += close;
  return xml;
}

}  // namespace

TEST(Plist, EveryValueTypeRoundTrips) {
  const struct {
    const char* name;
    Value value;
  } cases[] = {
      {"empty string", Value("")},
      {"string", Value("Job Handling")},
      {"markup and quotes", Value("a<&>\"' ]]> &#1;")},
      {"control characters", Value(std::string("tab\tlf\ncr\r\x01 end"))},
      {"UTF-8", Value("\xE6\x97\xA5\xE6\x9C\xAC \xC3\xA9 \xF0\x9F\x96\xA8")},
      {"leading and trailing spaces", Value("  both  ")},
      {"true", Value(true)},
      {"false", Value(false)},
      {"zero", Value(0)},
      {"int32 mask", Value(511)},
      {"negative", Value(-7)},
      {"int64 min", Value(std::numeric_limits<std::int64_t>::min())},
      {"int64 max", Value(std::numeric_limits<std::int64_t>::max())},
      {"above int64", Value::unsignedInteger(std::numeric_limits<std::uint64_t>::max())},
      {"just above int64", Value::unsignedInteger(std::uint64_t{1} << 63)},
      {"real", Value(0.1)},
      {"negative real", Value(-2.5e300)},
      {"data", Value(Data{0x00, 0xFF, 0x10, 0x80})},
      {"empty data", Value(Data{})},
      {"date", Value(Date{700000000})},
      {"date before 2001", Value(Date{-1000000000})},
      {"empty array", Value(Array{})},
      {"array", Value(Array{Value("a"), Value(1), Value(false)})},
      {"empty dict", Value(Dict{})},
      {"folder entry", Value(Dict{{"name", "Box"}, {"password", true}, {"dir", false}, {"add", false}})},
  };
  for (const auto& c : cases) {
    const Dict dict{{"key", c.value}, {"", Value("empty key")}};
    const std::string xml = plist::toXml(dict);
    ASSERT_FALSE(xml.empty()) << c.name;
    const auto back = plist::parseXml(xml);
    ASSERT_TRUE(back.has_value()) << c.name << "\n" << xml;
    EXPECT_EQ(*back, dict) << c.name << "\n" << xml;
  }
}

TEST(Plist, ReadsForeignForms) {
  const struct {
    const char* name;
    std::string body;
    Value expected;
  } cases[] = {
      {"negative integer", "<integer>-42</integer>", Value(-42)},
      {"unsigned above int64", "<integer>18446744073709551615</integer>",
       Value::unsignedInteger(std::numeric_limits<std::uint64_t>::max())},
      {"UID keeps its dictionary form", "<dict><key>CF$UID</key><integer>3</integer></dict>",
       Value(Dict{{"CF$UID", Value(3)}})},
      {"date", "<date>2001-01-01T00:00:10Z</date>", Value(Date{10})},
      {"data", "<data>AAEC</data>", Value(Data{0, 1, 2})},
      {"empty elements", "<array/>", Value(Array{})},
  };
  for (const auto& c : cases) {
    const auto dict = plist::parseXml(wrap("<dict><key>k</key>" + c.body + "</dict>"));
    ASSERT_TRUE(dict.has_value()) << c.name;
    const Value* v = plist::find(*dict, "k");
    ASSERT_NE(v, nullptr) << c.name;
    EXPECT_EQ(*v, c.expected) << c.name;
    // What was read is written back in a form that reads the same.
    EXPECT_EQ(plist::parseXml(plist::toXml(*dict)), dict) << c.name;
  }
}

TEST(Plist, RefusesWhatIsNotADictionaryList) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"nothing", ""},
      {"garbage", "not a property list"},
      {"array root", wrap("<array><string>x</string></array>")},
      {"string root", wrap("<string>x</string>")},
      {"cut short", wrap("<dict><key>a</key><string>x</string>").substr(0, 60)},
      {"too deep", wrap(nested(plist::kMaxDepth + 1, "<dict><key>k</key>", "</dict>"))},
      {"too deep in arrays", wrap("<dict><key>k</key>" + nested(plist::kMaxDepth, "<array>", "</array>") + "</dict>")},
      {"deep enough to crash libplist", wrap(nested(2000000, "<array>", "</array>"))},
      {"over the size bound", wrap("<dict><key>k</key><string>" + std::string(plist::kMaxXmlBytes, 'x') +
                                   "</string></dict>")},
  };
  for (const auto& c : cases) EXPECT_FALSE(plist::parseXml(c.bytes).has_value()) << c.name;
}

TEST(Plist, NestingUpToTheLimitIsRead) {
  // The root dictionary is the first level.
  const std::string xml =
      wrap("<dict><key>k</key>" + nested(plist::kMaxDepth - 1, "<array>", "</array>") + "</dict>");
  EXPECT_TRUE(plist::parseXml(xml).has_value());
  // Self-closing containers and look-alike element names do not count as levels.
  const std::string flat = wrap("<dict><key>a</key>" + std::string(1000, ' ') + "<array/><key>b</key><dict/></dict>");
  EXPECT_TRUE(plist::parseXml(flat).has_value());
}

TEST(Plist, WritesNothingItCouldNotReadBack) {
  Value deep = Value(Array{});
  for (int i = 0; i < plist::kMaxDepth; ++i) deep = Value(Array{deep});
  EXPECT_EQ(plist::toXml(Dict{{"k", deep}}), "");
  // Nor what parseXml would refuse for its size; just below the bound is written.
  const Array half(plist::kMaxXmlBytes / 1024 / 2, Value(std::string(1024, 'x')));
  const Array whole(plist::kMaxXmlBytes / 1024, Value(std::string(1024, 'x')));
  EXPECT_FALSE(plist::toXml(Dict{{"k", half}}).empty());
  EXPECT_TRUE(plist::toXml(Dict{{"k", whole}}).empty());
}

TEST(Plist, DatesAreWholeSecondsInLibplistsRange) {
  const struct {
    double in;
    double out;
  } cases[] = {
      {10.75, 10},
      {-0.5, -1},
      {1e12, std::numeric_limits<std::int32_t>::max()},
      {-1e12, std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& c : cases) {
    const auto back = plist::parseXml(plist::toXml(Dict{{"d", Value(Date{c.in})}}));
    ASSERT_TRUE(back.has_value()) << c.in;
    EXPECT_EQ(plist::find(*back, "d")->v, Value(Date{c.out}).v) << c.in;
  }
}

TEST(Plist, FindAnswersNoneForAMissingKey) {
  const Dict dict{{"a", Value(1)}};
  EXPECT_EQ(plist::find(dict, "b"), nullptr);
  ASSERT_NE(plist::find(dict, "a"), nullptr);
  EXPECT_EQ(*plist::find(dict, "a")->integer(), 1);
}
