// What the libplist adapter, the direct reader and the writer share; not part of the interface.
#pragma once

#include <plist/plist.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace platform::plist::detail {

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

inline bool isXmlSpace(char c) {
  static constexpr auto kSpaces = [] {
    std::array<bool, 256> table{};
    for (const unsigned char space : {' ', '\t', '\r', '\n'}) table[space] = true;
    return table;
  }();
  return kSpaces[static_cast<unsigned char>(c)];
}

}  // namespace platform::plist::detail
