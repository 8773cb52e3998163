#include "platform/xml.h"

#include <pugixml.hpp>

#include <fstream>
#include <system_error>

namespace platform::xml {
namespace {

// Comments and processing instructions stay in the tree as the platform's document trees keep them; the
// document type declaration is parsed only to be refused.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_wconv_attribute |
                                   pugi::parse_eol | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

pugi::xml_node wrap(pugi::xml_node_struct* node) { return pugi::xml_node(node); }

bool isText(const pugi::xml_node& node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

}  // namespace

Node::Kind Node::kind() const {
  if (!node_) return Kind::none;
  switch (wrap(node_).type()) {
    case pugi::node_element:
      return Kind::element;
    case pugi::node_pcdata:
    case pugi::node_cdata:
      return Kind::text;
    case pugi::node_comment:
      return Kind::comment;
    default:
      return Kind::other;
  }
}

std::string Node::name() const { return kind() == Kind::element ? std::string(wrap(node_).name()) : std::string(); }

std::size_t Node::childCount() const {
  std::size_t count = 0;
  for (pugi::xml_node child = wrap(node_).first_child(); child; child = child.next_sibling()) ++count;
  return count;
}

Node Node::firstChild() const { return Node(wrap(node_).first_child().internal_object()); }
Node Node::lastChild() const { return Node(wrap(node_).last_child().internal_object()); }
Node Node::nextSibling() const { return Node(wrap(node_).next_sibling().internal_object()); }

std::string Node::stringValue() const {
  const pugi::xml_node self = wrap(node_);
  if (!self) return {};
  if (self.type() != pugi::node_element) return self.value();

  // Walk the subtree without recursion: replies come from the network and may nest deeply.
  std::string text;
  pugi::xml_node node = self.first_child();
  while (node) {
    if (isText(node)) text += node.value();
    if (node.type() == pugi::node_element && node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != self && !node.next_sibling()) node = node.parent();
    if (node == self) break;
    node = node.next_sibling();
  }
  return text;
}

Document::Document() : doc_(std::make_unique<pugi::xml_document>()) {}
Document::~Document() = default;

std::unique_ptr<Document> Document::parse(std::string_view bytes) {
  std::unique_ptr<Document> document(new Document());
  const pugi::xml_parse_result result =
      document->doc_->load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
  if (!result) return nullptr;

  // One root element, no document type declaration (and so no entity of the document's own).
  std::size_t roots = 0;
  for (pugi::xml_node child = document->doc_->first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_doctype) return nullptr;
    if (child.type() == pugi::node_element) ++roots;
  }
  if (roots != 1) return nullptr;
  return document;
}

std::unique_ptr<Document> Document::load(const std::filesystem::path& file, std::size_t maxBytes) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > maxBytes) return nullptr;

  std::ifstream in(file, std::ios::binary);
  if (!in) return nullptr;
  // Read to the end but never past the limit, so that a file grown since its size was taken is refused
  // rather than cut short.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  char chunk[16384];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxBytes) return nullptr;
  }
  if (in.bad()) return nullptr;
  return parse(bytes);
}

Node Document::rootElement() const { return Node(doc_->document_element().internal_object()); }

}  // namespace platform::xml
