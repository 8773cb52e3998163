#include "engine/dump.h"

#include "engine/steps.h"
#include "ui/folder_list.h"

namespace host {
namespace {

nlohmann::json text(const platform::Text& t) { return t.isNone() ? nlohmann::json(nullptr) : nlohmann::json(t.utf8()); }

template <class T>
nlohmann::json optional(const std::optional<T>& v) {
  return v ? nlohmann::json(*v) : nlohmann::json(nullptr);
}

nlohmann::json folderEntry(const FolderEntry& entry) {
  nlohmann::json out = nlohmann::json::object();
  folders::forEachField(entry, [&out](const char* key, const auto& field) {
    if (field) out[key] = *field;
  });
  return out;
}

nlohmann::json control(const toolkits::Description& d) {
  nlohmann::json out = {{"kind", d.kind},       {"tag", d.tag},           {"enabled", d.enabled},
                        {"dimmed", d.dimmed},   {"editable", d.editable}, {"hidden", d.hidden},
                        {"focus", d.focused}};
  if (d.state) out["state"] = *d.state;
  if (d.selectedRow) out["selectedRow"] = *d.selectedRow;
  if (d.selectedIndex) out["selectedIndex"] = *d.selectedIndex;
  if (d.stringValue) out["stringValue"] = *d.stringValue;
  if (d.title) out["title"] = *d.title;
  if (d.kind == "progressIndicator") out["animating"] = d.animating;
  if (d.image) out["image"] = *d.image;
  if (d.alternateImage) out["alternateImage"] = *d.alternateImage;
  if (!d.items.empty() || d.kind == "popUpButton") {
    out["items"] = nlohmann::json::array();
    for (const auto& item : d.items)
      out["items"].push_back({{"title", optional(item.title)}, {"separator", item.separator}, {"image", optional(item.image)}});
  }
  if (!d.tabLabels.empty() || d.kind == "tabView") out["tabs"] = d.tabLabels;
  if (d.accessibleName) out["accessibleName"] = *d.accessibleName;
  return out;
}

}  // namespace

nlohmann::json dumpPanel(OndrixPrintPdeTarvel& panel, UserActions& eyes) {
  nlohmann::json out;
  out["document_filing_model"] = panel.document_filing_model;
  out["ondrix_print_system"] = panel.ondrix_print_system;
  out["active_directory"] = panel.active_directory;
  out["ppdHDDOptionFlag"] = panel.ppdHDDOptionFlag;
  out["hasInited"] = panel.hasInited;
  out["mfpURL"] = text(panel.mfpURL);
  out["preferenceName"] = text(panel.preferenceName);
  out["modelStringRef"] = text(panel.modelStringRef);
  out["ppdEncoding"] = panel.ppdEncoding;
  out["systemEncoding"] = panel.systemEncoding;
  out["prefHoldButtonFlag"] = panel.prefHoldButtonFlag;
  out["presetHoldButtonFlag"] = panel.presetHoldButtonFlag;
  if (panel.folderList) {
    out["folderList"] = nlohmann::json::array();
    for (const FolderEntry& entry : *panel.folderList) out["folderList"].push_back(folderEntry(entry));
  } else {
    out["folderList"] = nullptr;
  }
  nlohmann::json controls = nlohmann::json::object();
  if (ui::Nib* nib = panel.nib()) {
    for (ui::Control* c : eyes.controlsOf(*nib)) {
      const std::string name(c->identifier());
      if (isKnownControlName(name)) controls[name] = control(eyes.describe(*c));
    }
  }
  out["controls"] = std::move(controls);
  return out;
}

// Texts reach the dump from files the user or a printer wrote; a byte that is not UTF-8 shows as U+FFFD
// instead of ending the host.
std::string dumpText(OndrixPrintPdeTarvel& panel, UserActions& eyes) {
  return dumpPanel(panel, eyes).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string windowText(const WindowFacts& facts) {
  // In the order a reader takes the window in, not sorted.
  nlohmann::ordered_json tabs = nlohmann::ordered_json::array();
  for (const auto& tab : facts.panelTabs) tabs.push_back({{"title", tab.title}, {"whole", tab.whole}});
  nlohmann::ordered_json window;
  window["title"] = facts.title;
  window["tabs"] = facts.tabs;
  window["buttons"] = facts.buttons;
  window["labels"] = facts.labels;
  window["panelTabs"] = std::move(tabs);
  nlohmann::ordered_json out;
  out["window"] = std::move(window);
  return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace host
