// XML property lists: written by libplist 2.2, read directly where the text is in a form whose meaning
// to libplist is certain, and by libplist otherwise. The readers live in plist_direct.cpp and
// plist_libplist.cpp, the writer in plist_writer.cpp.
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

namespace platform::plist {

const Value* find(const Dict& dict, const std::string& key) {
  const auto it = dict.find(key);
  return it == dict.end() ? nullptr : &it->second;
}

// bytes: the whole file. The result owns nothing of libplist's.
std::optional<Dict> parseXml(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > kMaxXmlBytes) return std::nullopt;
  if (auto dict = readers::readDirectly(bytes)) return dict;
  return readers::readWithLibplist(bytes);
}

}  // namespace platform::plist
