#include "platform/xml.h"

#include <expat.h>
#include <pugixml.hpp>

#include <fstream>
#include <limits>
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

bool Node::isElement(std::string_view name) const {
  return wrap(node_).type() == pugi::node_element && name == wrap(node_).name();
}

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
  // Most elements hold one piece of text: no walk for those.
  if (const pugi::xml_node only = self.first_child(); only && !only.next_sibling() && isText(only))
    return only.value();

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

namespace {

struct ExpatDeleter {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// What the strict pass found besides the parser's own verdict.
struct StrictCheck {
  XML_Parser parser = nullptr;
  std::size_t elements = 0;
  std::size_t maxElements = 0;
  bool tooMany = false;
  bool doctype = false;
};

// pugixml leaves much of well-formedness unchecked by design: bytes that are not UTF-8, references to
// characters XML does not allow (&#0; &#1;), undefined entities, repeated attributes, text after the root
// element. expat checks all of XML 1.0, fetches nothing and, with the document type refused, expands no
// entity; it also counts the elements before the tree is built.
LoadError checkStrictly(std::string_view bytes, std::size_t maxElements) {
  const std::unique_ptr<XML_ParserStruct, ExpatDeleter> parser(XML_ParserCreate(nullptr));
  if (!parser) return LoadError::unreadable;
  StrictCheck check{parser.get(), 0, maxElements, false, false};
  XML_SetUserData(parser.get(), &check);
  XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
  XML_SetStartElementHandler(parser.get(), [](void* data, const XML_Char*, const XML_Char**) {
    auto* c = static_cast<StrictCheck*>(data);
    if (++c->elements > c->maxElements) {
      c->tooMany = true;
      XML_StopParser(c->parser, XML_FALSE);
    }
  });
  XML_SetStartDoctypeDeclHandler(parser.get(), [](void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* c = static_cast<StrictCheck*>(data);
    c->doctype = true;
    XML_StopParser(c->parser, XML_FALSE);
  });

  // expat takes an int length, so larger documents go in pieces; any other goes whole, as every piece
  // after the first costs expat a copy and a rescan of what it holds.
  constexpr std::size_t kPiece = std::numeric_limits<int>::max();
  bool ok = true;
  do {
    const std::string_view piece = bytes.substr(0, kPiece);
    bytes.remove_prefix(piece.size());
    ok = XML_Parse(parser.get(), piece.data(), static_cast<int>(piece.size()), bytes.empty()) == XML_STATUS_OK;
  } while (ok && !bytes.empty());
  if (check.tooMany) return LoadError::tooLarge;
  return ok && !check.doctype ? LoadError::none : LoadError::notWellFormed;
}

}  // namespace

LoadError Document::build(std::size_t maxElements) {
  if (const LoadError strict = checkStrictly(buffer_, maxElements); strict != LoadError::none) return strict;
  const pugi::xml_parse_result result =
      doc_->load_buffer_inplace(buffer_.data(), buffer_.size(), kParseOptions, pugi::encoding_auto);
  if (!result) return LoadError::notWellFormed;

  // One root element, no document type declaration (and so no entity of the document's own).
  std::size_t roots = 0;
  for (pugi::xml_node child = doc_->first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_doctype) return LoadError::notWellFormed;
    if (child.type() == pugi::node_element) ++roots;
  }
  return roots == 1 ? LoadError::none : LoadError::notWellFormed;
}

std::unique_ptr<Document> Document::parse(std::string_view bytes, std::size_t maxElements, LoadError* why) {
  std::unique_ptr<Document> document(new Document());
  document->buffer_.assign(bytes);
  const LoadError error = document->build(maxElements);
  if (why) *why = error;
  return error == LoadError::none ? std::move(document) : nullptr;
}

std::unique_ptr<Document> Document::load(const std::filesystem::path& file, std::size_t maxBytes,
                                         std::size_t maxElements, LoadError* why) {
  LoadError ignored = LoadError::none;
  LoadError& error = why ? *why : ignored;
  error = LoadError::unreadable;
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) return nullptr;
  if (size > maxBytes) {
    error = LoadError::tooLarge;
    return nullptr;
  }

  std::ifstream in(file, std::ios::binary);
  if (!in) return nullptr;
  // Read to the end but never past the limit, so that a file grown since its size was taken is refused
  // rather than cut short. The bytes are read straight into the buffer the tree is built in.
  std::unique_ptr<Document> document(new Document());
  std::string& bytes = document->buffer_;
  bytes.reserve(static_cast<std::size_t>(size));
  char chunk[16384];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxBytes) {
      error = LoadError::tooLarge;
      return nullptr;
    }
  }
  if (in.bad()) return nullptr;
  error = document->build(maxElements);
  return error == LoadError::none ? std::move(document) : nullptr;
}

Node Document::rootElement() const { return Node(doc_->document_element().internal_object()); }

}  // namespace platform::xml
