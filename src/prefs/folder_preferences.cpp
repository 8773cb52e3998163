// The device's folder list per printer: GetFolderPreference, SaveFolderPreference. The list lives in the
// same job-handling record as the user's values and goes with it when the record is reset.
#include <algorithm>
#include <map>
#include <string>

#include "plugin/panel.h"
#include "prefs/preference_domain.h"
#include "ui/folder_list.h"

using platform::plist::Array;
using platform::plist::Dict;
using platform::plist::Value;

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
    list.reserve(files->array()->size());
    for (const Value& entry : *files->array()) {
      if (entry.dict()) list.push_back(folders::entryFromStored(*entry.dict()));
    }
  }
  folderList = std::move(list);
}

// Stores the address field's text and the list; an absent field or no list leaves the stored value.
// NO when there is no store, no domain or the write failed.
bool OndrixPrintPdeTarvel::SaveFolderPreference() {
  Dict values;
  const Text address = printersAddressEditText->stringValue();
  if (!address.isNone()) values["address"] = Value(address.utf8());
  // The list is copied into the record only when the stored one differs: after a query that found the
  // same folders, as most do, the save then costs a comparison.
  std::map<std::string, prefs::LazyValue> lazyValues;
  if (folderList) {
    const FolderList& list = *folderList;
    lazyValues["files"] = prefs::LazyValue{
        [&list](const Value& stored) {
          const Array* files = stored.array();
          return files && std::equal(files->begin(), files->end(), list.begin(), list.end(),
                                     [](const Value& file, const FolderEntry& entry) {
                                       return file.dict() && folders::isStoredAs(*file.dict(), entry);
                                     });
        },
        [&list] {
          Array files;
          files.reserve(list.size());
          for (const FolderEntry& entry : list) files.emplace_back(folders::toStored(entry));
          return Value(std::move(files));
        }};
  }
  return prefs::storeRecordValues(preferenceName, std::move(values), lazyValues);
}
