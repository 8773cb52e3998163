// initializeUI: turns the loaded layout into the panel the user sees. It localises every text, prunes
// what the model lacks, attaches the input filters and padlocks, fills the folder pop-up and shows the
// printer's address. It sets no values and runs no rule: the reader does both right after it.
#include <memory>

#include "plugin/held_fields.h"
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
template <class... Controls>
void localizeTitles(const Panel& panel, const ui::Outlet<Controls>&... controls) {
  (localizeTitle(panel, controls), ...);
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

// Tabs: the third page (the printer's) goes when the model cannot file or files through the print
// system. Pages beyond the third are left as the layout has them.
void buildTabs(Panel& p) {
  if (!p.tabView.present()) return;
  localizeTab(p, p.tabView->tabViewItemAtIndex(0));
  const long tabs = p.tabView->numberOfTabViewItems();
  if (tabs >= 2) localizeTab(p, p.tabView->tabViewItemAtIndex(1));
  if (tabs >= 3) {
    if (ui::TabViewItem* third = p.tabView->tabViewItemAtIndex(2)) {
      localizeTab(p, third);
      if (p.document_filing_model == 0 || p.ondrix_print_system == 1) p.tabView->removeTabViewItem(third);
    }
  }
  p.tabView->selectFirstTabViewItem();
}

// Retention group and its pass code.
void buildRetention(Panel& p) {
  localizeTitles(p, p.retentionCheckBox, p.suspendBox, p.holdOnlyRadioButton, p.holdAfterRadioButton,
                 p.samplePrintRadioButton);
  localizeLabel(p, p.suspendKeyStaticText);
  attachNumberFilter(p.suspendKeyEditText, 8);
}

// What the model lacks is hidden: filing altogether, or the folder pass code on print-system models.
// Filing group, in either form of the folder choice. The folder pass code gets its filter even when
// hidden, so the field never takes what it could not hold.
void buildFiling(Panel& p) {
  if (p.document_filing_model == 0) p.filingBox->setHidden(true);
  if (p.ondrix_print_system == 1) {
    p.folderPasswordStaticText->setHidden(true);
    p.folderPasswordEditText->setHidden(true);
    p.folderPasswordButton->setHidden(true);
  }
  localizeTitle(p, p.filingBox);
  localizeLabel(p, p.folderSelectionStaticText);
  p.makeFolderPopup();
  localizeTitles(p, p.quickFileRadioButton, p.mainFolderRadioButton, p.customFolderRadioButton);
  localizeLabel(p, p.folderPasswordStaticText);
  attachNumberFilter(p.folderPasswordEditText, 8);
}

// Login name: any text of any length. Password: any character, at most 31. User number and account
// number: digits only.
void buildAuthentication(Panel& p) {
  localizeTitle(p, p.authenticationRadioButton);
  localizeLabel(p, p.loginNameStaticText);
  auto loginFilter = std::make_unique<LoginnameInputFilter>();
  loginFilter->setCallback(&p);
  p.loginNameEditText->setFormatter(std::move(loginFilter));

  localizeLabel(p, p.passwordStaticText);
  auto passwordFilter = std::make_unique<MyRomanFilter>();
  passwordFilter->setFormat("##0"_t);
  passwordFilter->SetmaxCharactersCount(31);
  p.passwordEditText->setFormatter(std::move(passwordFilter));

  localizeTitle(p, p.userNumberRadioButton);
  attachNumberFilter(p.userNumberEditText, 8);
  localizeLabel(p, p.accountNumberStaticText);
  attachNumberFilter(p.accountNumberEditText, 5);
}

// Job ID group, then the printer's address, when its device URI named one (otherwise the layout's text
// stays), and the folder query's controls.
void buildJobIDAndPrinter(Panel& p) {
  localizeTitle(p, p.jobIDBox);
  localizeLabel(p, p.userNameStaticText);
  localizeLabel(p, p.jobNameStaticText);

  localizeLabel(p, p.printersAddressStaticText);
  if (!p.mfpURL.isNone()) p.printersAddressEditText->setStringValue(p.mfpURL);
  localizeTitle(p, p.getFolderNameButton);
  // The progress indicator shows only while the folder query runs.
  p.chasingArrow->setHidden(true);
}

}  // namespace

void OndrixPrintPdeTarvel::initializeUI() {
  _PDEProlog(this, "--initializeUI:");
  // Built once per panel.
  if (hasInited == 1) {
    _PDEEpilog(this, "--initializeUI:=void");
    return;
  }
  buildTabs(*this);
  buildRetention(*this);
  buildFiling(*this);
  buildAuthentication(*this);
  buildJobIDAndPrinter(*this);
  for (const held::Field& f : held::kFields) givePadlocks(this->*f.button);
  hasInited = 1;
  _PDEEpilog(this, "--initializeUI:=void");
}
