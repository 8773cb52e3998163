// Property-list values: the stored form of user preferences and of folder entries.
// XML property lists are written by libplist; the forms it writes are read directly, any other through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform::plist {

struct Value;
using Array = std::vector<Value>;
using Dict = std::map<std::string, Value>;
using Data = std::vector<std::uint8_t>;
struct Date {
  double secondsSince2001 = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

struct Value {
  // The last alternative holds only integers above INT64_MAX, so that such stored values survive.
  std::variant<std::string, bool, std::int64_t, double, Data, Date, Array, Dict, std::uint64_t> v;

  Value() : v(std::string()) {}
  Value(std::string s) : v(std::move(s)) {}
  Value(const char* s) : v(std::string(s)) {}
  Value(bool b) : v(b) {}
  Value(std::int64_t i) : v(i) {}
  Value(int i) : v(std::int64_t{i}) {}
  Value(double d) : v(d) {}
  Value(Data d) : v(std::move(d)) {}
  Value(Date d) : v(d) {}
  Value(Array a) : v(std::move(a)) {}
  Value(Dict d) : v(std::move(d)) {}

  const std::string* string() const { return std::get_if<std::string>(&v); }
  const bool* boolean() const { return std::get_if<bool>(&v); }
  const std::int64_t* integer() const { return std::get_if<std::int64_t>(&v); }
  const double* real() const { return std::get_if<double>(&v); }
  const Array* array() const { return std::get_if<Array>(&v); }
  const Dict* dict() const { return std::get_if<Dict>(&v); }
  const Data* data() const { return std::get_if<Data>(&v); }
  const Date* date() const { return std::get_if<Date>(&v); }
  // An integer above INT64_MAX (no constructor of its own, so that sizes stay signed integers).
  static Value unsignedInteger(std::uint64_t u) {
    Value value;
    value.v = u;
    return value;
  }

  friend bool operator==(const Value&, const Value&) = default;
};

// A dictionary's entry, or none.
const Value* find(const Dict& dict, const std::string& key);

// Larger input is refused unread; deeper nesting is refused (libplist frees trees recursively).
inline constexpr std::size_t kMaxXmlBytes = 16u * 1024 * 1024;
inline constexpr int kMaxDepth = 128;

// An XML property list whose root is a dictionary; none when the bytes are not one.
std::optional<Dict> parseXml(const std::string& bytes);
// The dictionary as an XML property list. Dates are written in whole seconds, within the range
// libplist keeps (32-bit seconds from 2001), as XML property lists do.
std::string toXml(const Dict& dict);

}  // namespace platform::plist
