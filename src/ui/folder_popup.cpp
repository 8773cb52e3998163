// The folder pop-up: quick file, main folder, and the device's custom folders from folderList in list
// order, so that every folder's item follows from its list position.
#include "platform/text_compare.h"
#include "plugin/panel.h"
#include "ui/folder_list.h"
#include "util/icons.h"

using folders::kMainFolderIndex;

void OndrixPrintPdeTarvel::makeFolderPopup() {
  if (!folderSelectionPopup.present()) return;

  // Keep only the layout's two items, quick file and main folder.
  ui::Menu& menu = folderSelectionPopup->menu();
  for (long extra = menu.numberOfItems() - 2; extra > 0; --extra) menu.removeItemAtIndex(2);

  // Their titles are localised at every rebuild; the blank image lines them up with the padlocked items.
  for (long index : {0L, 1L}) {
    if (ui::MenuItem* item = menu.itemAtIndex(index)) {
      item->setTitle(localizedStringValue(item->title()));
      item->setImage(spaceImage);
    }
  }

  if (!folderList || folderList->empty()) return;

  // One item per folder in list order, so that the index mapping holds; an entry without a name keeps
  // its place with an empty title.
  menu.addItem(ui::MenuItem::separatorItem());
  for (const FolderEntry& entry : *folderList) {
    Text name = folders::name(entry);
    ui::MenuItem item(name.isNone() ? Text::empty() : std::move(name));
    item.setImage(folders::isProtected(entry) ? initWithSystemIconType(kIconTypeLocked) : spaceImage);
    menu.addItem(std::move(item));
  }
}

long OndrixPrintPdeTarvel::SearchSameFolderName(const Text& name) {
  if (name.isNone() || !folderList || folderList->empty()) return kMainFolderIndex;

  // An exact match wins, so that folders differing only in case ("Sales", "sales") each come back as
  // themselves; otherwise the first match without regard to case. An entry without a name matches nothing.
  const FolderList& list = *folderList;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Text entryName = folders::name(list[i]);
    if (!entryName.isNone() && entryName == name) return folders::itemForPosition(i);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Text entryName = folders::name(list[i]);
    if (!entryName.isNone() && platform::caseInsensitiveEqual(entryName, name))
      return folders::itemForPosition(i);
  }
  return kMainFolderIndex;
}
