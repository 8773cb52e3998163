// The device's folder list per printer: GetFolderPreference, SaveFolderPreference. The list lives in the
// same job-handling record as the user's values and goes with it when the record is reset.
#include "plugin/panel.h"
#include "prefs/preference_domain.h"

using platform::plist::Array;
using platform::plist::Dict;
using platform::plist::Value;

namespace {

// A stored entry as the panel may use it. The file is the user's and may be damaged: a field of the wrong
// type is left out, as if absent, and a name that is not UTF-8 has its bad bytes replaced, so that nothing
// after the load meets text it cannot show. Keys that no entry has are not kept.
FolderEntry entryFromStored(const Dict& stored) {
  FolderEntry entry;
  if (const Value* name = platform::plist::find(stored, "name"); name && name->string())
    entry["name"] = Value(platform::Text::fromUtf8(*name->string()).utf8());
  for (const char* flag : {"password", "dir", "add"}) {
    if (const Value* value = platform::plist::find(stored, flag); value && value->boolean()) entry[flag] = *value;
  }
  return entry;
}

}  // namespace

// Loads the stored list, in its stored order; a record without "files" gives an empty list. Without a
// record the list stays as it is. A print-system model has no list; creation calls this before it reads
// that flag from the PPD, so there the list is always loaded, as the dialog has always done.
void OndrixPrintPdeTarvel::GetFolderPreference() {
  const auto record = prefs::loadRecord(preferenceName);
  if (!record) return;
  if (ondrix_print_system != 0) {
    folderList.reset();
    return;
  }
  FolderList list;
  if (const Value* files = platform::plist::find(*record, "files"); files && files->array()) {
    // Only dictionaries are folder entries; anything else in the array is not one of ours.
    for (const Value& entry : *files->array()) {
      if (entry.dict()) list.push_back(entryFromStored(*entry.dict()));
    }
  }
  folderList = std::move(list);
}

// Stores the address field's text and the list; an absent field or no list leaves the stored value.
// NO when there is no store, no domain or the write failed.
bool OndrixPrintPdeTarvel::SaveFolderPreference() {
  return prefs::updateRecord(preferenceName, [this](Dict& record) {
    const Text address = printersAddressEditText->stringValue();
    if (!address.isNone()) record["address"] = Value(address.utf8());
    if (folderList) {
      // The old list goes first, so that two long lists never live at once.
      record.erase("files");
      Array files;
      files.reserve(folderList->size());
      for (const FolderEntry& entry : *folderList) files.emplace_back(entry);
      record["files"] = Value(std::move(files));
    }
  });
}
