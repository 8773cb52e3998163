// The folder pop-up: its items mirror the folder list, and folder names map back to item indexes.
#include <optional>
#include <string>
#include <vector>

#include "ui/ui_fixture.h"
#include "util/icons.h"

namespace {

using platform::operator""_t;
using uitest::folder;
using uitest::UiFixture;

struct Item {
  std::optional<std::string> title;  // none for the separator
  std::string image;                 // "space", "lock" or "" for none
};

class FolderPopupTest : public UiFixture {
 protected:
  std::vector<Item> items(OndrixPrintPdeTarvel& panel) {
    const std::string lock = initWithSystemIconType(kIconTypeLocked)->name;
    std::vector<Item> shown;
    for (const toolkits::MenuItemFacts& item : facts(panel, "folderSelectionPopup").items) {
      std::string image;
      if (item.image == lock) {
        image = "lock";
      } else if (item.image) {
        image = item.image->find("space") != std::string::npos ? "space" : *item.image;
      }
      shown.push_back({item.separator ? std::nullopt : item.title, image});
    }
    return shown;
  }

  void expectItems(OndrixPrintPdeTarvel& panel, const std::vector<Item>& expected) {
    const std::vector<Item> shown = items(panel);
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].title, expected[i].title) << "item " << i;
      EXPECT_EQ(shown[i].image, expected[i].image) << "item " << i;
    }
  }
};

const Item kQuickFile{"Quick File", "space"};
const Item kMainFolder{"Main Folder", "space"};
const Item kSeparator{std::nullopt, ""};

TEST_F(FolderPopupTest, ItemsMirrorTheFolderList) {
  struct Case {
    const char* name;
    std::optional<FolderList> list;
    std::vector<Item> items;
  };
  const Case cases[] = {
      {"no list", std::nullopt, {kQuickFile, kMainFolder}},
      {"empty list", FolderList{}, {kQuickFile, kMainFolder}},
      {"three folders, the second protected",
       FolderList{folder("Sales", false), folder("Board", true), folder("Archive", false)},
       {kQuickFile, kMainFolder, kSeparator, {"Sales", "space"}, {"Board", "lock"}, {"Archive", "space"}}},
      // An entry without a name keeps its place, so that the index mapping holds.
      {"entry without name",
       FolderList{FolderEntry{.password = true}, folder("Sales", false)},
       {kQuickFile, kMainFolder, kSeparator, {"", "lock"}, {"Sales", "space"}}},
      // Names are shown as they stand, never localised.
      {"names with colons", FolderList{folder("Quick File: old", false)},
       {kQuickFile, kMainFolder, kSeparator, {"Quick File: old", "space"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
    panel.folderList = c.list;
    panel.makeFolderPopup();
    expectItems(panel, c.items);
  }
}

TEST_F(FolderPopupTest, RebuildLeavesNoStaleItems) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
  panel.folderList = FolderList{folder("A", false), folder("B", true), folder("C", false)};
  panel.makeFolderPopup();
  panel.makeFolderPopup();
  expectItems(panel, {kQuickFile, kMainFolder, kSeparator, {"A", "space"}, {"B", "lock"}, {"C", "space"}});

  panel.folderList = FolderList{folder("B", false)};
  panel.makeFolderPopup();
  expectItems(panel, {kQuickFile, kMainFolder, kSeparator, {"B", "space"}});

  panel.folderList = FolderList{};
  panel.makeFolderPopup();
  expectItems(panel, {kQuickFile, kMainFolder});
}

// A pop-up that counts the items each removal moves down, as an array-backed menu does.
class CountingMenu : public ui::Menu {
 public:
  long numberOfItems() const override { return static_cast<long>(items.size()); }
  ui::MenuItem* itemAtIndex(long index) override {
    return index >= 0 && index < numberOfItems() ? &items[static_cast<std::size_t>(index)] : nullptr;
  }
  void removeItemAtIndex(long index) override {
    if (index < 0 || index >= numberOfItems()) return;
    moved += items.size() - static_cast<std::size_t>(index) - 1;
    items.erase(items.begin() + index);
  }
  void addItem(ui::MenuItem item) override { items.push_back(std::move(item)); }
  std::vector<ui::MenuItem> items{ui::MenuItem("Quick File"_t), ui::MenuItem("Main Folder"_t)};
  std::size_t moved = 0;
};

// A menu that records the title of each item removed ("-" for a separator).
class RecordingMenu : public CountingMenu {
 public:
  void removeItemAtIndex(long index) override {
    if (ui::MenuItem* item = itemAtIndex(index)) removed.push_back(item->isSeparator() ? "-" : item->title().utf8());
    CountingMenu::removeItemAtIndex(index);
  }
  std::vector<std::string> removed;
};
class RecordingPopUp : public ui::PopUpButton {
 public:
  ui::Menu& menu() override { return recordingMenu; }
  RecordingMenu recordingMenu;
};
class CountingPopUp : public ui::PopUpButton {
 public:
  ui::Menu& menu() override { return countingMenu; }
  CountingMenu countingMenu;
};

TEST_F(FolderPopupTest, RebuildingALongListMovesNoItems) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
  CountingPopUp popUp;
  panel.folderSelectionPopup.connect(&popUp);
  panel.folderList = FolderList(5000, folder("F", false));
  panel.makeFolderPopup();
  panel.makeFolderPopup();
  EXPECT_EQ(popUp.countingMenu.items.size(), 5003u);
  EXPECT_EQ(popUp.countingMenu.moved, 0u);
  panel.folderSelectionPopup.disconnect();
}

// A rebuild takes away the separator and the folder items of the last one, and nothing of the layout's.
TEST_F(FolderPopupTest, RebuildRemovesExactlyTheOldFolderItems) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
  RecordingPopUp popUp;
  panel.folderSelectionPopup.connect(&popUp);
  const struct {
    std::vector<const char*> folders;
    std::vector<std::string> removed;  // by the rebuild for this list, after the one before
  } steps[] = {
      {{"A", "B", "C"}, {}},
      {{"D"}, {"C", "B", "A", "-"}},
      {{}, {"D", "-"}},
      {{"E", "F"}, {}},
      {{"E", "F"}, {"F", "E", "-"}},
  };
  for (const auto& step : steps) {
    popUp.recordingMenu.removed.clear();
    FolderList list;
    for (const char* name : step.folders) list.push_back(folder(name, false));
    panel.folderList = list;
    panel.makeFolderPopup();
    EXPECT_EQ(popUp.recordingMenu.removed, step.removed) << step.folders.size();
    ASSERT_EQ(popUp.recordingMenu.items.size(), step.folders.empty() ? 2u : step.folders.size() + 3);
  }
  panel.folderSelectionPopup.disconnect();
}

TEST_F(FolderPopupTest, LayoutItemsAreLocalisedAndKeepTheirSelection) {
  OndrixPrintPdeTarvel& panel = panelWithLayout(uitest::testLayout("ui_partial_layout.ui"));
  ASSERT_EQ(items(panel)[0].title, "Quick File:");
  panel.folderSelectionPopup->menu().itemAtIndex(1)->setTitle("Main Folder: renamed"_t);
  put(panel, "folderSelectionPopup", "1");

  panel.folderList = FolderList{folder("Sales", false)};
  panel.makeFolderPopup();

  expectItems(panel, {{"Quick File:", "space"}, {"Main Folder:", "space"}, kSeparator, {"Sales", "space"}});
  EXPECT_EQ(facts(panel, "folderSelectionPopup").selectedIndex, 1);
}

TEST_F(FolderPopupTest, WithoutPopUpNothingHappens) {
  // The radio form has no pop-up; the list is still searchable.
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kDirectoryModel);
  panel.folderList = FolderList{folder("Sales", true)};
  panel.makeFolderPopup();
  EXPECT_EQ(find(panel, "folderSelectionPopup"), nullptr);
  EXPECT_EQ(panel.SearchSameFolderName("Sales"_t), 3);
}

TEST_F(FolderPopupTest, NamesMapToItemIndexes) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel(uitest::kFilingModel);
  panel.folderList = FolderList{folder("Sales", false),       folder("sales", true),
                                folder("Marketing", false),   FolderEntry{.password = false},
                                folder("Main Folder", false), folder("\xC3\x84rger", false)};
  struct Case {
    platform::Text name;
    long index;
  };
  const Case cases[] = {
      {"Sales"_t, 3},
      // Folders that differ only in case each come back as themselves.
      {"sales"_t, 4},
      // Otherwise the first match without regard to case.
      {"SALES"_t, 3},
      {"sAlEs"_t, 3},
      {"marketing"_t, 5},
      {"\xC3\xA4RGER"_t, 8},
      // The layout's titles are found only among the list's entries.
      {"Main Folder"_t, 7},
      {"Quick File"_t, 1},
      // Unknown names, and the unnamed entry's nothing, give the main folder.
      {"Unknown"_t, 1},
      {""_t, 1},
      {"Sale"_t, 1},
      {platform::Text(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.isNone() ? "(none)" : c.name.utf8());
    EXPECT_EQ(panel.SearchSameFolderName(c.name), c.index);
  }

  for (const std::optional<FolderList>& list : {std::optional<FolderList>(), std::optional<FolderList>(FolderList{})}) {
    panel.folderList = list;
    EXPECT_EQ(panel.SearchSameFolderName("Sales"_t), 1);
  }
}

}  // namespace
