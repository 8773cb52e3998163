// The host's summary of the panel: what the controls show, never a credential.
#include "plugin/panel.h"
#include "plugin/trace.h"

namespace {

// A label's text without the colons at its start and end; colons inside stay.
platform::Text withoutOuterColons(const platform::Text& label) {
  if (label.isNone()) return label;
  const std::u16string& units = label.utf16();
  std::size_t begin = 0, end = units.size();
  while (begin < end && units[begin] == u':') ++begin;
  while (end > begin && units[end - 1] == u':') --end;
  return platform::Text::fromUtf16(units.substr(begin, end - begin));
}

}  // namespace

SummaryInfo OndrixPrintPdeTarvel::summaryInfo() {
  _PDEProlog(this, "summaryInfo:");
  SummaryInfo summary;
  // A line whose title or value the layout cannot give is left out rather than added under no title.
  auto add = [&summary](const Text& title, const Text& value) {
    if (!title.isNone() && !value.isNone()) summary[title] = value;
  };

  if (hasInited == 1) {
    if (retentionCheckBox.present() && active_directory != 1) {
      const bool on = retentionCheckBox->state() != 0;
      const Text word = Text::fromUtf8(on ? "On" : "Off");
      add(retentionCheckBox->title(), bundleString(word));
      if (on) {
        if (folderSelectionPopup.present()) {
          if (ui::MenuItem* item = folderSelectionPopup->selectedItem())
            add(withoutOuterColons(folderSelectionStaticText->stringValue()), item->title());
        }
        if (suspendMatrix.present()) {
          if (ui::Button* cell = suspendMatrix->selectedCell()) add(suspendBox->title(), cell->title());
        }
      }
    }
    if (userNameStaticText.present() && userNameEditText.present() && active_directory != 1)
      add(withoutOuterColons(userNameStaticText->stringValue()), userNameEditText->stringValue());
    if (jobNameStaticText.present() && jobNameEditText.present())
      add(withoutOuterColons(jobNameStaticText->stringValue()), jobNameEditText->stringValue());
  }
  _PDEEpilog(this, "summaryInfo:");
  return summary;
}
