// initializeUI: turns the loaded layout into the panel the user sees. It localises every text, prunes
// what the model lacks, attaches the input filters and padlocks, fills the folder pop-up and shows the
// printer's address. It sets no values and runs no rule: the reader does both right after it.
#include <memory>

#include "plugin/panel.h"
#include "plugin/trace.h"
#include "ui/input_filters.h"
#include "util/icons.h"

namespace {

using Panel = OndrixPrintPdeTarvel;
using platform::operator""_t;

// Boxes, buttons and radio cells are localised through their titles.
template <class Control>
void localizeTitle(const Panel& panel, const ui::Outlet<Control>& control) {
  control->setTitle(panel.localizedStringValue(control.get()));
}

// Labels are localised through their string values.
void localizeLabel(const Panel& panel, const ui::Outlet<ui::TextField>& label) {
  label->setStringValue(panel.localizedStringValue(label.get()));
}

void localizeTab(const Panel& panel, ui::TabViewItem* item) {
  if (item) item->setLabel(panel.localizedStringValue(item->label()));
}

// The open padlock shows a released hold button, the closed one a held button.
void givePadlocks(const ui::Outlet<ui::Button>& button) {
  button->setImage(initWithSystemIconType(kIconTypeUnlocked));
  button->setAlternateImage(initWithSystemIconType(kIconTypeLocked));
}

// A digits-only filter of at most maxCharacters; the field's cell owns it.
void attachNumberFilter(const ui::Outlet<ui::TextField>& field, std::int64_t maxCharacters) {
  auto filter = std::make_unique<MyIntegerNumberFilter>();
  filter->setFormat("##0"_t);
  filter->SetmaxCharactersCount(maxCharacters);
  field->setFormatter(std::move(filter));
}

}  // namespace

void OndrixPrintPdeTarvel::initializeUI() {
  _PDEProlog(this, "--initializeUI:");
  // Built once per panel.
  if (hasInited == 1) {
    _PDEEpilog(this, "--initializeUI:=void");
    return;
  }

  // Tabs: the third page (the printer's) goes when the model cannot file or files through the print
  // system. Pages beyond the third are left as the layout has them.
  if (tabView.present()) {
    localizeTab(*this, tabView->tabViewItemAtIndex(0));
    const long tabs = tabView->numberOfTabViewItems();
    if (tabs >= 2) localizeTab(*this, tabView->tabViewItemAtIndex(1));
    if (tabs >= 3) {
      if (ui::TabViewItem* third = tabView->tabViewItemAtIndex(2)) {
        localizeTab(*this, third);
        if (document_filing_model == 0 || ondrix_print_system == 1) tabView->removeTabViewItem(third);
      }
    }
    tabView->selectFirstTabViewItem();
  }

  // Retention group and its pass code.
  localizeTitle(*this, retentionCheckBox);
  localizeTitle(*this, suspendBox);
  localizeTitle(*this, holdOnlyRadioButton);
  localizeTitle(*this, holdAfterRadioButton);
  localizeTitle(*this, samplePrintRadioButton);
  localizeLabel(*this, suspendKeyStaticText);
  attachNumberFilter(suspendKeyEditText, 8);
  givePadlocks(suspendKeyButton);

  // What the model lacks is hidden: filing altogether, or the folder pass code on print-system models.
  if (document_filing_model == 0) filingBox->setHidden(true);
  if (ondrix_print_system == 1) {
    folderPasswordStaticText->setHidden(true);
    folderPasswordEditText->setHidden(true);
    folderPasswordButton->setHidden(true);
  }

  // Filing group, in either form of the folder choice. The folder pass code gets its filter even when
  // hidden, so the field never takes what it could not hold.
  localizeTitle(*this, filingBox);
  localizeLabel(*this, folderSelectionStaticText);
  makeFolderPopup();
  localizeTitle(*this, quickFileRadioButton);
  localizeTitle(*this, mainFolderRadioButton);
  localizeTitle(*this, customFolderRadioButton);
  localizeLabel(*this, folderPasswordStaticText);
  attachNumberFilter(folderPasswordEditText, 8);
  givePadlocks(folderPasswordButton);

  // Login name: any text of any length.
  localizeTitle(*this, authenticationRadioButton);
  localizeLabel(*this, loginNameStaticText);
  {
    auto filter = std::make_unique<LoginnameInputFilter>();
    filter->setCallback(this);
    loginNameEditText->setFormatter(std::move(filter));
  }
  givePadlocks(loginNameButton);

  // Password: any character, at most 31.
  localizeLabel(*this, passwordStaticText);
  {
    auto filter = std::make_unique<MyRomanFilter>();
    filter->setFormat("##0"_t);
    filter->SetmaxCharactersCount(31);
    passwordEditText->setFormatter(std::move(filter));
  }
  givePadlocks(passwordButton);

  // User number and account number: digits only.
  localizeTitle(*this, userNumberRadioButton);
  attachNumberFilter(userNumberEditText, 8);
  givePadlocks(userNumberButton);
  localizeLabel(*this, accountNumberStaticText);
  attachNumberFilter(accountNumberEditText, 5);
  givePadlocks(accountNumberButton);

  // Job ID group.
  localizeTitle(*this, jobIDBox);
  localizeLabel(*this, userNameStaticText);
  givePadlocks(userNameButton);
  localizeLabel(*this, jobNameStaticText);
  givePadlocks(jobNameButton);

  // The printer's address, when its device URI named one; otherwise the layout's text stays.
  localizeLabel(*this, printersAddressStaticText);
  if (!mfpURL.isNone()) printersAddressEditText->setStringValue(mfpURL);

  localizeTitle(*this, getFolderNameButton);
  givePadlocks(folderNameButton);

  // The progress indicator shows only while the folder query runs.
  chasingArrow->setHidden(true);

  hasInited = 1;
  _PDEEpilog(this, "--initializeUI:=void");
}
