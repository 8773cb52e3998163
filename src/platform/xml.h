// A read-only XML document tree (pugixml behind it), as the folder-list reply is walked: elements by their
// names as written, their children in order, and the text they hold.
//
// Only what a well-formed document says of itself is taken: a document with a document type declaration
// is refused, and no entity beyond the five predefined ones and character references is expanded. Every
// document is first checked in full by a strict streaming parser (expat), which also bounds the number of
// elements before any tree is built.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace pugi {
class xml_document;
struct xml_node_struct;
}  // namespace pugi

namespace platform::xml {

// A node of a loaded document: a small handle, valid while its document lives. A default node is none;
// every query on none yields none, 0 or the empty string.
class Node {
 public:
  enum class Kind { none, element, text, comment, other };

  Node() = default;
  explicit operator bool() const { return node_ != nullptr; }
  Kind kind() const;
  // An element's name exactly as written, a namespace prefix included; empty for other kinds.
  std::string name() const;
  // Whether the node is an element of that name, as written; tells without copying the name.
  bool isElement(std::string_view name) const;
  // Children count elements, text, comments and processing instructions; whitespace-only text between
  // elements is not kept.
  std::size_t childCount() const;
  Node firstChild() const;
  Node lastChild() const;
  Node nextSibling() const;
  // The text the node holds: its own for text and comments, for an element all the text (and CDATA)
  // below it, in document order.
  std::string stringValue() const;

  friend bool operator==(const Node&, const Node&) = default;

 private:
  friend class Document;
  explicit Node(pugi::xml_node_struct* node) : node_(node) {}
  pugi::xml_node_struct* node_ = nullptr;
};

// Why a document could not be had.
enum class LoadError { none, unreadable, notWellFormed, tooLarge };

class Document {
 public:
  static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

  // The document in the file; none when the file is missing, longer than maxBytes, not well-formed XML 1.0,
  // carries a document type declaration, or holds more than maxElements elements. why, when given, tells
  // which.
  static std::unique_ptr<Document> load(const std::filesystem::path& file, std::size_t maxBytes,
                                        std::size_t maxElements = kNoLimit, LoadError* why = nullptr);
  // The same for bytes in memory.
  static std::unique_ptr<Document> parse(std::string_view bytes, std::size_t maxElements = kNoLimit,
                                         LoadError* why = nullptr);
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  Node rootElement() const;

 private:
  Document();
  // Checks the bytes in buffer_ and builds the tree in place.
  LoadError build(std::size_t maxElements);

  std::string buffer_;  // the tree's names and texts point into it
  std::unique_ptr<pugi::xml_document> doc_;
};

}  // namespace platform::xml
