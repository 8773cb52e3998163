// Creation and destruction of the panel, and the connection of its outlets.
#include "plugin/panel.h"

#include <array>
#include <utility>

#include "platform/url.h"
#include "plugin/trace.h"
#include "util/icons.h"
#include "util/ppd_access.h"
#include "util/ppd_encoding.h"

namespace {

bool isTrue(const std::optional<std::string>& value) { return value && (*value == "True" || *value == "TRUE"); }
bool isFalse(const std::optional<std::string>& value) { return value && (*value == "False" || *value == "FALSE"); }

}  // namespace

OndrixPrintPdeTarvel::OndrixPrintPdeTarvel(std::shared_ptr<OndrixPrintPdeTarvelPDEPluginCallback> callback,
                                           std::shared_ptr<const platform::Bundle> bundle) {
  _PDEProlog(this, "initWithCallback:(%@, %p)", callback, callback);

  pdePluginCallbackObject = std::move(callback);
  pdeBundle = bundle ? std::move(bundle) : platform::Bundle::bundleContaining(reinterpret_cast<const void*>(&getEncodingFromPPD));

  useConstraintHandling = pdePluginCallbackObject && pdePluginCallbackObject->respondsToWillChangePPDOptionKeyValue();
  _PDELog(this, "Constraint Handling Available: %s", useConstraintHandling ? "YES" : "NO");
  canResizeView = runningOnLeopardOrLater();
  _PDELog(this, "Can resize on the fly: %s", canResizeView ? "YES" : "NO");

  ppd = useConstraintHandling ? pdePluginCallbackObject->ppdFile() : getPPDOnTiger();
  if (ppd) {
    ppdEncoding = getEncodingFromPPD(ppd);
    if (ppd->modelname) modelStringRef = platform::createWithBytesNS(ppd->modelname, ppdEncoding);

    // Only network schemes name a device the folder service can be asked at.
    const platform::Printer* printer = nullptr;
    if (platform::PrintSession* session = pdePluginCallbackObject->printSession())
      printer = session->currentPrinter();
    if (printer && printer->deviceURI()) {
      if (auto url = platform::parseUrl(*printer->deviceURI())) {
        for (const char* scheme : {"ipp", "lpd", "socket"}) {
          if (url->scheme == scheme) {
            mfpURL = Text::fromUtf8(url->host);
            break;
          }
        }
      }
    }
    preferenceName = Text::fromUtf8("ondrix.mfp." + (printer ? printer->id() : std::string()));

    CheckPreference();
    GetUserPreference();
    GetFolderPreference();

    if (pdeBundle) {
      requestData = pdeBundle->contentsOfResource("listfiles2", "xml");
      debugData = pdeBundle->contentsOfResource("vwxyz", "xml");
    }

    document_filing_model = 1;
    if (auto v = ppd::findAttrValue(ppd, "KxDocumentFiling")) document_filing_model = isTrue(v) ? 1 : 0;
    if (auto v = ppd::findAttrValue(ppd, "KxOndrixPrintSystem")) ondrix_print_system = isFalse(v) ? 0 : 1;
    active_directory = isTrue(ppd::findAttrValue(ppd, "KxActiveDirectory")) ? 1 : 0;
    ppdHDDOptionFlag = isTrue(ppd::findAttrValue(ppd, "KxHDDOption")) ? 1 : 0;
  }

  systemEncoding = platform::toNSStringEncoding(platform::systemEncoding());
  if (pdeBundle) {
    if (auto path = pdeBundle->pathForResource("space", "png")) spaceImage = imageWithContentsOfFile(*path);
  }

  _PDEEpilog(this, "initWithCallback:=id(self)");
}

OndrixPrintPdeTarvel::~OndrixPrintPdeTarvel() {
  // Outlets point into the layout; drop them before the layout goes.
  panelView_ = nullptr;
  nib_.reset();
}

void OndrixPrintPdeTarvel::connectOutlet(std::string_view name, ui::Control& control) {
  using Self = OndrixPrintPdeTarvel;
  using Proc = void (Self::*)(ui::Control*);

  // Outlets by kind; a control of the wrong kind stays unconnected and so counts as absent.
  struct ButtonOutlet { std::string_view name; Outlet<ui::Button> Self::*outlet; Proc action; };
  struct FieldOutlet { std::string_view name; Outlet<ui::TextField> Self::*outlet; Proc action; };
  struct MatrixOutlet { std::string_view name; Outlet<ui::Matrix> Self::*outlet; Proc action; };
  struct BoxOutlet { std::string_view name; Outlet<ui::Box> Self::*outlet; };

  static const std::array buttons{
      ButtonOutlet{"retentionCheckBox", &Self::retentionCheckBox, &Self::retentionCBoxProc},
      ButtonOutlet{"holdOnlyRadioButton", &Self::holdOnlyRadioButton, nullptr},
      ButtonOutlet{"holdAfterRadioButton", &Self::holdAfterRadioButton, nullptr},
      ButtonOutlet{"samplePrintRadioButton", &Self::samplePrintRadioButton, nullptr},
      ButtonOutlet{"suspendKeyButton", &Self::suspendKeyButton, &Self::suspendKeyButtonProc},
      ButtonOutlet{"folderPasswordButton", &Self::folderPasswordButton, &Self::folderPasswordButtonProc},
      ButtonOutlet{"quickFileRadioButton", &Self::quickFileRadioButton, nullptr},
      ButtonOutlet{"mainFolderRadioButton", &Self::mainFolderRadioButton, nullptr},
      ButtonOutlet{"customFolderRadioButton", &Self::customFolderRadioButton, nullptr},
      ButtonOutlet{"folderNameButton", &Self::folderNameButton, &Self::folderNameButtonProc},
      ButtonOutlet{"authenticationRadioButton", &Self::authenticationRadioButton, nullptr},
      ButtonOutlet{"loginNameButton", &Self::loginNameButton, &Self::loginNameButtonProc},
      ButtonOutlet{"passwordButton", &Self::passwordButton, &Self::passwordButtonProc},
      ButtonOutlet{"userNumberRadioButton", &Self::userNumberRadioButton, nullptr},
      ButtonOutlet{"userNumberButton", &Self::userNumberButton, &Self::userNumberButtonProc},
      ButtonOutlet{"accountNumberButton", &Self::accountNumberButton, &Self::accountNumberButtonProc},
      ButtonOutlet{"userNameButton", &Self::userNameButton, &Self::userNameButtonProc},
      ButtonOutlet{"jobNameButton", &Self::jobNameButton, &Self::jobNameButtonProc},
      ButtonOutlet{"getFolderNameButton", &Self::getFolderNameButton, &Self::getFolderNameButtonProc},
  };
  static const std::array fields{
      FieldOutlet{"suspendKeyStaticText", &Self::suspendKeyStaticText, nullptr},
      FieldOutlet{"suspendKeyEditText", &Self::suspendKeyEditText, &Self::suspendKeyETextProc},
      FieldOutlet{"folderSelectionStaticText", &Self::folderSelectionStaticText, nullptr},
      FieldOutlet{"folderPasswordStaticText", &Self::folderPasswordStaticText, nullptr},
      FieldOutlet{"folderPasswordEditText", &Self::folderPasswordEditText, &Self::folderPasswordETextProc},
      FieldOutlet{"folderNameEditText", &Self::folderNameEditText, nullptr},
      FieldOutlet{"loginNameStaticText", &Self::loginNameStaticText, nullptr},
      FieldOutlet{"loginNameEditText", &Self::loginNameEditText, &Self::loginNameETextProc},
      FieldOutlet{"passwordStaticText", &Self::passwordStaticText, nullptr},
      FieldOutlet{"passwordEditText", &Self::passwordEditText, &Self::passwordETextProc},
      FieldOutlet{"userNumberEditText", &Self::userNumberEditText, &Self::userNumberETextProc},
      FieldOutlet{"userNumberStaticText", &Self::userNumberStaticText, nullptr},
      FieldOutlet{"accountNumberStaticText", &Self::accountNumberStaticText, nullptr},
      FieldOutlet{"accountNumberEditText", &Self::accountNumberEditText, &Self::accountNumberETextProc},
      FieldOutlet{"userNameStaticText", &Self::userNameStaticText, nullptr},
      FieldOutlet{"userNameEditText", &Self::userNameEditText, &Self::userNameETextProc},
      FieldOutlet{"jobNameStaticText", &Self::jobNameStaticText, nullptr},
      FieldOutlet{"jobNameEditText", &Self::jobNameEditText, &Self::jobNameETextProc},
      FieldOutlet{"printersAddressStaticText", &Self::printersAddressStaticText, nullptr},
      FieldOutlet{"printersAddressEditText", &Self::printersAddressEditText, nullptr},
  };
  static const std::array matrices{
      MatrixOutlet{"suspendMatrix", &Self::suspendMatrix, &Self::suspendKeyMatrixProc},
      MatrixOutlet{"folderSelectionMatrix", &Self::folderSelectionMatrix, &Self::folderSelectionMatrixProc},
      MatrixOutlet{"authenticationMatrix", &Self::authenticationMatrix, &Self::authenticationMatrixProc},
      MatrixOutlet{"userNumberMatrix", &Self::userNumberMatrix, nullptr},
  };
  static const std::array boxes{
      BoxOutlet{"suspendBox", &Self::suspendBox},
      BoxOutlet{"filingBox", &Self::filingBox},
      BoxOutlet{"jobIDBox", &Self::jobIDBox},
  };

  auto bindAction = [this, &control](Proc action) {
    if (!action) return;
    control.setAction([this, action](ui::Control& sender) { (this->*action)(&sender); });
  };

  for (const auto& o : buttons) {
    if (o.name != name) continue;
    if (ui::Button* b = control.asButton()) {
      (this->*o.outlet).connect(b);
      bindAction(o.action);
    }
    return;
  }
  for (const auto& o : fields) {
    if (o.name != name) continue;
    if (ui::TextField* f = control.asTextField()) {
      (this->*o.outlet).connect(f);
      bindAction(o.action);
    }
    return;
  }
  for (const auto& o : matrices) {
    if (o.name != name) continue;
    if (ui::Matrix* m = control.asMatrix()) {
      (this->*o.outlet).connect(m);
      bindAction(o.action);
    }
    return;
  }
  for (const auto& o : boxes) {
    if (o.name != name) continue;
    if (ui::Box* b = control.asBox()) (this->*o.outlet).connect(b);
    return;
  }
  if (name == "tabView") {
    if (ui::TabView* t = control.asTabView()) {
      tabView.connect(t);
      bindAction(&Self::tabProc);
    }
  } else if (name == "folderSelectionPopup") {
    if (ui::PopUpButton* p = control.asPopUpButton()) {
      folderSelectionPopup.connect(p);
      bindAction(&Self::folderSelectionPopUpButtonProc);
    }
  } else if (name == "chasingArrow") {
    if (ui::ProgressIndicator* p = control.asProgressIndicator()) chasingArrow.connect(p);
  }
}
