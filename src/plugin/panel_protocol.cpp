// The operations the host drives the panel through. Flags make any order of calls work: values are only
// read into built controls, the layout is loaded once, and a job is restored and saved before it prints.
#include <string>

#include "platform/alert.h"
#include "plugin/panel.h"
#include "plugin/trace.h"
#include "ui/nib_loading.h"
#include "util/message_text.h"

ui::View* OndrixPrintPdeTarvel::panelView() {
  _PDEProlog(this, "panelView:");
  if (!panelView_) {
    const char* layout = nullptr;
    switch (getUIMode()) {
      case 4: layout = "JobControl4"; break;
      case 5: layout = "JobControl5"; break;
      case 6: layout = "JobControl6"; break;
      default: break;
    }
    if (layout && pdeBundle && ui::canLoadNibs()) {
      nib_ = ui::loadNibNamed(*pdeBundle, layout, *this);
      if (nib_) panelView_ = &nib_->rootView();
    }
  }
  initializeUI();
  _PDEEpilog(this, "panelView:=NSView(%@, %p)", panelView_, panelView_);
  return panelView_;
}

platform::Text OndrixPrintPdeTarvel::panelName() {
  _PDEProlog(this, "panelName:");
  if (thePDEName.isNone()) thePDEName = bundleString(Text::fromUtf8("Job Handling"));
  _PDEEpilog(this, "panelName:=NSString(%@)", thePDEName);
  return thePDEName;
}

platform::Text OndrixPrintPdeTarvel::panelKind() {
  _PDEProlog(this, "panelKind:");
  const Text kind = Text::fromUtf8(kPanelKind);
  _PDEEpilog(this, "panelKind:=NSString(%@)", kind);
  return kind;
}

std::vector<platform::Text> OndrixPrintPdeTarvel::supportedPPDOptionKeys() {
  _PDEProlog(this, "supportedPPDOptionKeys:");
  std::vector<Text> keys;
  _PDEEpilog(this, "supportedPPDOptionKeys:=NSArray(%@)", keys);
  return keys;
}

void OndrixPrintPdeTarvel::willShow() {
  _PDEProlog(this, "willShow:");
  if (hasInited != 1) initializeUI();
  updateUI();
  _PDEEpilog(this, "willShow:=void");
}

bool OndrixPrintPdeTarvel::shouldHide() {
  _PDEProlog(this, "shouldHide:");
  _PDEEpilog(this, "shouldHide:=BOOL(YES)");
  return true;
}

bool OndrixPrintPdeTarvel::shouldShowHelp() {
  _PDEProlog(this, "shouldShowHelp:");
  _PDEEpilog(this, "shouldShowHelp:=BOOL(YES)");
  return true;
}

void OndrixPrintPdeTarvel::PPDOptionKeyValueDidChange(const Text& option, const Text& choice) {
  _PDEProlog(this, "PPDOptionKeyValueDidChange:(%@) ppdChoice:(%@)", option, choice);
  _PDEEpilog(this, "PPDOptionKeyValueDidChange:ppdChoice:=void");
}

bool OndrixPrintPdeTarvel::restoreValuesAndReturnError(void* error) {
  _PDEProlog(this, "restoreValuesAndReturnError:(%p)", error);
  if (!panelView_) {
    panelView();
    isPanelViewRetain = 1;
  }
  if (hasInited != 1) initializeUI();
  if (useConstraintHandling == 0) getPPDSettingsFromPrintSettingsOnTiger();
  getNonPPDSettingsFromPrintSettings();
  updateUI();
  callRestoreValuesFunction = 1;
  _PDEEpilog(this, "restoreValuesAndReturnError:=BOOL(YES)");
  return true;
}

bool OndrixPrintPdeTarvel::saveValuesAndReturnError(void* error) {
  _PDEProlog(this, "saveValuesAndReturnError:(%p)", error);
  if (useConstraintHandling == 0) writePPDSettingsToPrintSettingsOnTiger();
  lastSaveWrote = false;
  writeNonPPDSettingsToPrintSettings();
  // Only a save that reached the print settings counts: one that ran before the controls existed wrote
  // nothing, and the job must not print without the panel's keys.
  if (lastSaveWrote) saveWrote_ = true;
  callSaveValuesFunction = 1;
  _PDEEpilog(this, "saveValuesAndReturnError:=BOOL(YES)");
  return true;
}

bool OndrixPrintPdeTarvel::shouldPrint() {
  _PDEProlog(this, "shouldPrint:");
  const bool haveSettings = pdePluginCallbackObject && pdePluginCallbackObject->printSettings();

  if (callRestoreValuesFunction == 0) restoreValuesAndReturnError(nullptr);
  if (callSaveValuesFunction == 0 || !saveWrote_) saveValuesAndReturnError(nullptr);

  if (ondrix_print_system == 1) {
    bool authenticated = false;
    if (authenticationRadioButton->state() != 0) {
      if (loginNameButton->state() != 0)
        authenticated = loginNameStringRef.length() >= 1;
      else
        authenticated = !loginNameEditText.present() || loginNameEditText->stringValue().length() >= 1;
    } else {
      authenticated = !userNumberEditText.present() || userNumberEditText->stringValue().length() >= 1;
    }
    if (!authenticated) {
      printRefused_ = true;
      const Text title = localizedStringValue(Text::fromUtf8("Information"));
      const Text message = localizedStringValue(
          Text::fromUtf8("Please confirm the following setting items.\nLogin Name\nUser Number%@"));
      const Text button = localizedStringValue(Text::fromUtf8("OK"));
      platform::runInformationalAlertPanel(title, fillPlaceholder(message, Text::empty()), button);
      _PDEEpilog(this, "shouldPrint:=BOOL(NO)");
      return false;
    }
  }

  // What the user corrected after a refusal reaches the job only through a new save; the spool time is
  // reused, so nothing else changes.
  if (printRefused_) {
    saveValuesAndReturnError(nullptr);
    printRefused_ = false;
  }

  if (haveSettings && hasInited != 0) {
    SaveUserPreference();
    GetUserPreference();
  }
  _PDEEpilog(this, "shouldPrint:=BOOL(YES)");
  return true;
}

void OndrixPrintPdeTarvel::updateUI() {
  _PDEProlog(this, "--updateUI:");
  _PDEEpilog(this, "--updateUI:");
}

ppd_file_t* OndrixPrintPdeTarvel::getPPDOnTiger() { return nullptr; }
void OndrixPrintPdeTarvel::getPPDSettingsFromPrintSettingsOnTiger() {}
void OndrixPrintPdeTarvel::writePPDSettingsToPrintSettingsOnTiger() {}
