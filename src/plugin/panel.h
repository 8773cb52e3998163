// The Job Handling panel: one object per print dialog, bound to the host's callback object.
//
// The class is split over several files by concern, each owning one group of its methods:
//   plugin/panel.cpp            creation, destruction, outlet connection
//   plugin/panel_protocol.cpp   the operations the host calls
//   plugin/summary.cpp          summaryInfo
//   settings/writer.cpp         writeNonPPDSettingsToPrintSettings
//   settings/reader.cpp         getNonPPDSettingsFromPrintSettings
//   ui/construction.cpp         initializeUI
//   ui/rules.cpp                the enabling rules
//   ui/actions.cpp              the control actions
//   ui/folder_popup.cpp         makeFolderPopup, SearchSameFolderName
//   prefs/user_preferences.cpp  CheckPreference, GetUserPreference, SaveUserPreference
//   prefs/folder_preferences.cpp GetFolderPreference, SaveFolderPreference
//   soap/folder_query.cpp       getFolderNameButtonProc, parseXML, recieveEndCallback
//   util/localization.cpp      localizedStringValue, getUIMode, CheckHardDisk, isCorvane
//   util/choice_kit.cpp         indexOfMarkedOption, getSelection
// Fields keep the names and order of the original design; they are public so that the host's dump and
// the tests can read the panel's facts.
#pragma once

#include <cups/ppd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/bundle.h"
#include "platform/encoding.h"
#include "platform/plist.h"
#include "platform/text.h"
#include "plugin/host_interface.h"
#include "settings/keys.h"
#include "soap/soap_callback.h"
#include "ui/folder_list.h"
#include "ui/outlet.h"
#include "ui/toolkit.h"

class OndrixPrintPdeTarvelPDEChoice;

// The login-name filter's callback protocol; it asks nothing of the panel.
class LoginnameInputFilterCallback {
 public:
  virtual ~LoginnameInputFilterCallback() = default;
};

// Hold-mask bits, shared by the print settings and the preferences.
inline constexpr std::uint32_t kHoldSuspendKey = 0x001;
inline constexpr std::uint32_t kHoldLoginName = 0x002;
inline constexpr std::uint32_t kHoldPassword = 0x004;
inline constexpr std::uint32_t kHoldUserName = 0x008;
inline constexpr std::uint32_t kHoldJobName = 0x010;
inline constexpr std::uint32_t kHoldFolderPassword = 0x020;
inline constexpr std::uint32_t kHoldUserNumber = 0x040;
inline constexpr std::uint32_t kHoldAccountNumber = 0x080;
inline constexpr std::uint32_t kHoldFolderName = 0x100;

inline constexpr std::string_view kPrintDialogType = "BDB091F4-E57F-11D3-B5CC-0050E4603277";
inline constexpr std::string_view kPanelKind = "ondrix.print.pde.tarvel.JobControlKind";
inline constexpr std::string_view kSettingsPrefix = settingskeys::kPrefix;

class OndrixPrintPdeTarvel : public PDEPanel,
                             public ui::NibOwner,
                             public SOAPClientCallback,
                             public LoginnameInputFilterCallback {
 public:
  using Text = platform::Text;
  template <class T>
  using Outlet = ui::Outlet<T>;

  // initWithCallback:. The bundle is the one holding this code unless a caller (a test) names another.
  explicit OndrixPrintPdeTarvel(std::shared_ptr<OndrixPrintPdeTarvelPDEPluginCallback> callback,
                                std::shared_ptr<const platform::Bundle> bundle = nullptr);
  ~OndrixPrintPdeTarvel() override;
  OndrixPrintPdeTarvel(const OndrixPrintPdeTarvel&) = delete;
  OndrixPrintPdeTarvel& operator=(const OndrixPrintPdeTarvel&) = delete;

  // --- panel protocol (plugin/panel_protocol.cpp, plugin/summary.cpp)
  ui::View* panelView() override;
  Text panelName() override;
  Text panelKind() override;
  std::vector<Text> supportedPPDOptionKeys() override;
  void willShow() override;
  bool shouldHide() override;
  bool shouldPrint() override;
  bool shouldShowHelp() override;
  void PPDOptionKeyValueDidChange(const Text& option, const Text& choice) override;
  bool restoreValuesAndReturnError(void* error) override;
  bool saveValuesAndReturnError(void* error) override;
  SummaryInfo summaryInfo() override;
  void updateUI();
  ppd_file_t* getPPDOnTiger();
  void getPPDSettingsFromPrintSettingsOnTiger();
  void writePPDSettingsToPrintSettingsOnTiger();

  // --- layout
  void connectOutlet(std::string_view name, ui::Control& control) override;
  // The loaded layout, or none.
  ui::Nib* nib() const { return nib_.get(); }

  // --- print settings (settings/)
  void writeNonPPDSettingsToPrintSettings();
  void getNonPPDSettingsFromPrintSettings();

  // --- construction, rules, pop-up (ui/)
  void initializeUI();
  void makeFolderPopup();
  long SearchSameFolderName(const Text& name);

  void suspendMatrixEnabled();
  void suspendKeyStaticTextEnabled();
  void suspendKeyEditTextEnabled();
  void suspendKeyButtonEnabled();
  void folderSelectionStaticTextEnabled();
  void folderSelectionPopupEnabled();
  void folderPasswordStaticTextEnabled();
  void folderPasswordEditTextEnabled();
  void folderPasswordButtonEnabled();
  void folderSelectionMatrixEnabled();
  void folderNameEditTextEnabled();
  void folderNameButtonEnabled();
  void loginNameStaticTextEnabled();
  void loginNameEditTextEnabled();
  void loginNameButtonEnabled();
  void passwordStaticTextEnabled();
  void passwordEditTextEnabled();
  void passwordButtonEnabled();
  void userNumberEditTextEnabled();
  void userNumberButtonEnabled();
  void userNameEditTextEnabled();
  void jobNameEditTextEnabled();
  void accountNumberEditTextEnabled();
  void accountNumberButtonEnabled();

  // --- Actions category (ui/actions.cpp; getFolderNameButtonProc in soap/folder_query.cpp)
  void retentionCBoxProc(ui::Control* sender);
  void suspendKeyMatrixProc(ui::Control* sender);
  void folderSelectionPopUpButtonProc(ui::Control* sender);
  void folderSelectionMatrixProc(ui::Control* sender);
  void authenticationMatrixProc(ui::Control* sender);
  void loginNameButtonProc(ui::Control* sender);
  void suspendKeyButtonProc(ui::Control* sender);
  void folderPasswordButtonProc(ui::Control* sender);
  void folderNameButtonProc(ui::Control* sender);
  void passwordButtonProc(ui::Control* sender);
  void userNumberButtonProc(ui::Control* sender);
  void userNameButtonProc(ui::Control* sender);
  void jobNameButtonProc(ui::Control* sender);
  void accountNumberButtonProc(ui::Control* sender);
  void suspendKeyETextProc(ui::Control* sender);
  void folderPasswordETextProc(ui::Control* sender);
  void loginNameETextProc(ui::Control* sender);
  void passwordETextProc(ui::Control* sender);
  void userNumberETextProc(ui::Control* sender);
  void userNameETextProc(ui::Control* sender);
  void jobNameETextProc(ui::Control* sender);
  void accountNumberETextProc(ui::Control* sender);
  void printersAddressButtonProc(ui::Control* sender);
  void tabProc(ui::Control* sender);
  void getFolderNameButtonProc(ui::Control* sender);

  // --- Utilities category (util/)
  // The translation of a text, or of a control's text; none for no object.
  Text localizedStringValue(const Text& text) const;
  Text localizedStringValue(ui::TextField* field) const;
  Text localizedStringValue(ui::Box* box) const;
  Text localizedStringValue(ui::Button* buttonOrCell) const;
  // The default strings table's translation of a key; the key itself when untranslated or without a bundle.
  Text bundleString(const Text& key) const;
  int getUIMode() const;
  bool CheckHardDisk() const;
  bool isCorvane() const;
  long indexOfMarkedOption(ppd_option_t* option, const char* key);
  void getSelection(std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>& selection, ui::PopUpButton* popUp,
                    const char* key);
  void getSelection(std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>& selection,
                    const std::vector<std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>>& choices,
                    ui::Button* button, const char* key);

  // --- Preference category (prefs/)
  void CheckPreference();
  void GetUserPreference();
  bool SaveUserPreference();
  void GetFolderPreference();
  bool SaveFolderPreference();

  // --- SOAP category (soap/folder_query.cpp)
  bool parseXML(const std::filesystem::path& file);
  void recieveEndCallback() override;

  // ===== Fields, in the original declared order =====
  // Host, PPD and model
  std::shared_ptr<OndrixPrintPdeTarvelPDEPluginCallback> pdePluginCallbackObject;
  Text thePDEName;
  std::uint8_t useConstraintHandling = 0;
  std::uint8_t canResizeView = 0;
  std::uint8_t hasInited = 0;
  ppd_file_t* ppd = nullptr;
  platform::NSStringEncoding ppdEncoding = 0;
  platform::NSStringEncoding systemEncoding = 0;
  std::shared_ptr<const platform::Bundle> pdeBundle;
  std::uint8_t callSaveValuesFunction = 0;
  std::uint8_t callRestoreValuesFunction = 0;
  std::uint8_t document_filing_model = 1;
  std::uint8_t ondrix_print_system = 0;
  std::uint8_t active_directory = 0;
  std::uint8_t ppdHDDOptionFlag = 0;
  ui::View* panelView_ = nullptr;  // the field panelView; the method of that name returns it

  // Controls
  Outlet<ui::TabView> tabView;
  Outlet<ui::Button> retentionCheckBox;
  Outlet<ui::Box> suspendBox;
  Outlet<ui::Matrix> suspendMatrix;
  Outlet<ui::Button> holdOnlyRadioButton;
  Outlet<ui::Button> holdAfterRadioButton;
  Outlet<ui::Button> samplePrintRadioButton;
  Outlet<ui::TextField> suspendKeyStaticText;
  Outlet<ui::TextField> suspendKeyEditText;
  Outlet<ui::Button> suspendKeyButton;
  Outlet<ui::Box> filingBox;
  Outlet<ui::TextField> folderSelectionStaticText;
  Outlet<ui::PopUpButton> folderSelectionPopup;
  Outlet<ui::TextField> folderPasswordStaticText;
  Outlet<ui::TextField> folderPasswordEditText;
  Outlet<ui::Button> folderPasswordButton;
  Outlet<ui::Matrix> folderSelectionMatrix;
  Outlet<ui::Button> quickFileRadioButton;
  Outlet<ui::Button> mainFolderRadioButton;
  Outlet<ui::Button> customFolderRadioButton;
  Outlet<ui::TextField> folderNameEditText;
  Outlet<ui::Button> folderNameButton;
  Outlet<ui::Matrix> authenticationMatrix;
  Outlet<ui::Button> authenticationRadioButton;
  Outlet<ui::TextField> loginNameStaticText;
  Outlet<ui::TextField> loginNameEditText;
  Outlet<ui::Button> loginNameButton;
  Outlet<ui::TextField> passwordStaticText;
  Outlet<ui::TextField> passwordEditText;
  Outlet<ui::Button> passwordButton;
  Outlet<ui::Matrix> userNumberMatrix;
  Outlet<ui::Button> userNumberRadioButton;
  Outlet<ui::TextField> userNumberEditText;
  Outlet<ui::Button> userNumberButton;
  Outlet<ui::TextField> userNumberStaticText;
  Outlet<ui::TextField> accountNumberStaticText;
  Outlet<ui::TextField> accountNumberEditText;
  Outlet<ui::Button> accountNumberButton;
  Outlet<ui::Box> jobIDBox;
  Outlet<ui::TextField> userNameStaticText;
  Outlet<ui::TextField> userNameEditText;
  Outlet<ui::Button> userNameButton;
  Outlet<ui::TextField> jobNameStaticText;
  Outlet<ui::TextField> jobNameEditText;
  Outlet<ui::Button> jobNameButton;
  Outlet<ui::TextField> printersAddressStaticText;
  Outlet<ui::TextField> printersAddressEditText;
  Outlet<ui::ProgressIndicator> chasingArrow;
  Outlet<ui::Button> getFolderNameButton;

  // Resources and stored preference values
  std::optional<std::vector<std::uint8_t>> requestData;
  std::optional<std::vector<std::uint8_t>> debugData;
  Text preferenceName;
  Text modelStringRef;
  std::uint32_t prefHoldButtonFlag = 0;
  Text prefSuspendKeyStringRef;
  std::optional<bool> prefAuthenticationBooleanRef;
  Text prefLoginNameStringRef;
  Text prefPasswordStringRef;
  Text prefUserNumberStringRef;
  Text prefUserNameStringRef;
  Text prefJobNameStringRef;
  Text prefFolderPassStringRef;
  Text prefAccountNumberStringRef;
  Text prefFolderNameStringRef;

  // Working values
  Text loginNameStringRef;
  std::uint8_t loginNameLockFlag = 0;
  std::uint8_t loginNameUnLockFlag = 0;
  Text folderNameStringRef;
  Text addressStringRef;
  Text mfpURL;
  std::optional<FolderList> folderList;
  ui::ImageRef spaceImage;
  std::uint32_t presetHoldButtonFlag = 0;
  std::uint8_t tigerHDDFlag = 0;
  std::uint8_t isPanelViewRetain = 0;
  // Set by each run of the writer: whether it wrote the print settings (it writes nothing without print
  // settings or built controls).
  bool lastSaveWrote = false;

 private:
  std::unique_ptr<ui::Nib> nib_;
  // A save that found built controls and print settings, so that the job carries the panel's keys.
  bool saveWrote_ = false;
  // The last shouldPrint refused the job; the next one that passes writes the corrected fields again.
  bool printRefused_ = false;
};
