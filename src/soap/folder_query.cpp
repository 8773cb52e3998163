// The folder query: asks the printer's folder service for its custom folders, reads the reply into
// folderList, stores the list and rebuilds the folder pop-up.
#include "soap/folder_query.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/alert.h"
#include "platform/net.h"
#include "plugin/panel.h"
#include "soap/soap_client.h"
#include "ui/folder_list.h"
#include "util/message_text.h"

namespace {

using platform::Text;
using platform::xml::Node;

constexpr const char* kServicePath = "/ondrix-mfp-srv";
constexpr const char* kFailureMessageKey = "Could not retrieve Folder Names.%@";
// More folders than a pop-up can sensibly offer: such a reply is a failed query, so that one reply cannot
// take the host's memory or leave a preference file that every later dialog re-reads.
constexpr std::size_t kMaxFolders = 10000;
// Elements a reply may hold: each folder with its name, password, dir and room for a few more fields, and
// the envelope. Counted before any tree is built, so the tree of a refused reply is never made.
constexpr std::size_t kMaxReplyElements = 8 * kMaxFolders + 64;

// One child of "files" as a folder entry. An entry without a "name" child keeps its place with an empty
// name, so that every later entry keeps its pop-up item.
FolderEntry folderEntryFrom(const Node& item) {
  std::string name;
  bool password = false;
  bool dir = false;
  // Comments and text match no name.
  for (Node field = item.firstChild(); field; field = field.nextSibling()) {
    if (field.isElement("name")) {
      name = field.stringValue();
    } else if (field.isElement("password")) {
      if (field.stringValue() == "true") password = true;
    } else if (field.isElement("dir")) {
      if (field.stringValue() == "true") dir = true;
    }
  }
  return folders::makeEntry(std::move(name), password, dir);
}

}  // namespace

Node MyGetChild(Node node) {
  if (node.childCount() == 0) return Node();
  return node.lastChild();
}

void OndrixPrintPdeTarvel::getFolderNameButtonProc(ui::Control*) {
  if (!getFolderNameButton.present()) return;

  // Ask the printer at the address as typed. Only a reply of this very exchange is read below: after a
  // failed or skipped request the list stays as it is, rather than taking a stale reply of another printer.
  std::optional<std::filesystem::path> reply;
  const Text address = printersAddressEditText->stringValue();
  if (!address.isEmpty()) {
    chasingArrow->startAnimation();
    chasingArrow->setHidden(false);
    const std::string service = "http://" + address.utf8() + kServicePath;
    if (!platform::net::available()) {
      // Without libcurl no printer can be asked: a failed query, told as one, not a silent one.
      recieveEndCallback();
    } else if (auto client = OndrixPrintPdeTarvelSOAPClient::initWithServerName(service, this)) {
      client->sendMessage(requestData.value_or(std::vector<std::uint8_t>()));
      if (client->finished() == OndrixPrintPdeTarvelSOAPClient::kComplete) reply = client->writtenReplyFile();
    }
    chasingArrow->stopAnimation();
    chasingArrow->setHidden(true);
  }

  if (reply) parseXML(*reply);
  SaveFolderPreference();
  makeFolderPopup();
}

bool OndrixPrintPdeTarvel::parseXML(const std::filesystem::path& file) {
  // The client never writes more than this; a larger file is not one of its replies. A reply too large to
  // take is a failed query; one that is not well-formed leaves the list without a word.
  platform::xml::LoadError why = platform::xml::LoadError::none;
  const auto document = platform::xml::Document::load(file, OndrixPrintPdeTarvelSOAPClient::kMaxReplyBytes,
                                                      kMaxReplyElements, &why);
  if (!document) {
    if (why == platform::xml::LoadError::tooLarge) recieveEndCallback();
    return false;
  }

  // Envelope, its last child (the body), that one's last child (the operation's response).
  const Node response = MyGetChild(MyGetChild(document->rootElement()));

  // The last "result-code" and the last "files" win.
  std::optional<bool> succeeded;
  Node files;
  for (Node child = response.firstChild(); child; child = child.nextSibling()) {
    if (child.isElement("result-code")) {
      succeeded = child.stringValue() == "ok";
    } else if (child.isElement("files")) {
      files = child;
    }
  }

  // A reply with neither (a SOAP fault, another operation's answer) is no folder list: keep the list.
  if (!succeeded && !files) return false;
  std::size_t folders = 0;
  for (Node item = files.firstChild(); item; item = item.nextSibling()) {
    if (item.kind() == Node::Kind::element) ++folders;
  }
  if (folders > kMaxFolders) {
    recieveEndCallback();
    return false;
  }

  // From here the reply speaks about the folders: a refusal or a missing list leaves none.
  folderList = FolderList();
  if (!files || (succeeded && !*succeeded)) return false;
  folderList->reserve(folders);
  for (Node item = files.firstChild(); item; item = item.nextSibling()) {
    if (item.kind() == Node::Kind::element) folderList->push_back(folderEntryFrom(item));
  }
  return true;
}

void OndrixPrintPdeTarvel::recieveEndCallback() {
  const Text message = fillPlaceholder(bundleString(Text::fromUtf8(kFailureMessageKey)), Text::empty());
  const Text button = bundleString(Text::fromUtf8("OK"));

  chasingArrow->stopAnimation();
  chasingArrow->setHidden(true);
  platform::runInformationalAlertPanel(Text::empty(), message, button);
}
