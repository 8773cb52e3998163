// Creation and destruction of the panel, and the connection of its outlets.
#include "plugin/panel.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/url.h"
#include "plugin/outlets.h"
#include "plugin/trace.h"
#include "util/icons.h"
#include "util/ppd_access.h"
#include "util/ppd_encoding.h"

namespace {

bool isTrue(const std::optional<std::string>& value) { return value && (*value == "True" || *value == "TRUE"); }
bool isFalse(const std::optional<std::string>& value) { return value && (*value == "False" || *value == "FALSE"); }

template <class T>
T* controlAs(ui::Control& control) {
  if constexpr (std::is_same_v<T, ui::Button>) return control.asButton();
  else if constexpr (std::is_same_v<T, ui::TextField>) return control.asTextField();
  else if constexpr (std::is_same_v<T, ui::Matrix>) return control.asMatrix();
  else if constexpr (std::is_same_v<T, ui::PopUpButton>) return control.asPopUpButton();
  else if constexpr (std::is_same_v<T, ui::Box>) return control.asBox();
  else if constexpr (std::is_same_v<T, ui::TabView>) return control.asTabView();
  else if constexpr (std::is_same_v<T, ui::ProgressIndicator>) return control.asProgressIndicator();
}

// Connects the field when the control is of its kind, and binds the action when there is one.
template <class T>
void connectField(OndrixPrintPdeTarvel& panel, ui::Outlet<T> OndrixPrintPdeTarvel::*field, outlets::Action action,
                  ui::Control& control) {
  T* typed = controlAs<T>(control);
  if (!typed) return;
  (panel.*field).connect(typed);
  if (action) control.setAction([&panel, action](ui::Control& sender) { (panel.*action)(&sender); });
}

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
  const auto& table = outlets::kTable;
  const auto entry =
      std::find_if(table.begin(), table.end(), [name](const outlets::Entry& e) { return e.name == name; });
  if (entry == table.end()) return;
  std::visit([&](auto field) { connectField(*this, field, entry->action, control); }, entry->field);
}
