// Shared by the panel interface tests: typed access to a panel's controls by name, the facts the headless
// toolkit shows about them, the keyboard focus, and panels built on test layouts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkits/headless/headless_toolkit.h"
#include "support/panel_fixture.h"

namespace uitest {

// The demo models and the layout each one loads.
inline constexpr const char* kFilingModel = "demo-filing.ppd";             // JobControl4, pop-up form
inline constexpr const char* kDirectoryModel = "demo-directory.ppd";       // JobControl5, radio form
inline constexpr const char* kNoFilingModel = "demo-nofiling.ppd";         // JobControl4, no filing
inline constexpr const char* kPrintSystemModel = "demo-printsystem.ppd";  // JobControl4, print system

inline std::filesystem::path testLayout(const std::string& name) {
  return std::filesystem::path(ONDRIX_TEST_DATA) / name;
}

inline FolderEntry folder(const std::string& name, bool password) {
  return FolderEntry{.name = name, .password = password, .dir = false, .add = false};
}

class UiFixture : public testsupport::PanelFixture {
 protected:
  // A panel whose outlets the given layout connects, built as the panel builds its own layout.
  OndrixPrintPdeTarvel& panelWithLayout(const std::filesystem::path& layout,
                                        const std::string& ppdName = kFilingModel) {
    return panelWithLayout(layout, makeHost(ppdName));
  }
  OndrixPrintPdeTarvel& panelWithLayout(const std::filesystem::path& layout,
                                        const std::shared_ptr<testsupport::FakeHost>& host) {
    OndrixPrintPdeTarvel& panel = makePanel(host);
    std::unique_ptr<ui::Nib> nib = toolkit_.loadNib(layout, panel);
    EXPECT_NE(nib, nullptr) << layout;
    if (nib) nibs_[&panel] = std::move(nib);
    panel.initializeUI();
    return panel;
  }

  ui::Nib* nibOf(OndrixPrintPdeTarvel& panel) {
    if (panel.nib()) return panel.nib();
    auto found = nibs_.find(&panel);
    return found == nibs_.end() ? nullptr : found->second.get();
  }

  // A control by name, or none when the panel's layout has no such control.
  ui::Control* find(OndrixPrintPdeTarvel& panel, const std::string& name) {
    ui::Nib* nib = nibOf(panel);
    return nib ? nib->controlNamed(name) : nullptr;
  }

  ui::Control& get(OndrixPrintPdeTarvel& panel, const std::string& name) {
    ui::Control* c = find(panel, name);
    if (!c) ADD_FAILURE() << "no control " << name;
    return c ? *c : absent_;
  }

  ui::TextField& field(OndrixPrintPdeTarvel& panel, const std::string& name) {
    ui::TextField* f = get(panel, name).asTextField();
    if (!f) ADD_FAILURE() << name << " is not a text field";
    return f ? *f : absentField_;
  }

  toolkits::Description facts(OndrixPrintPdeTarvel& panel, const std::string& name) {
    return headless::describe(get(panel, name));
  }

  std::string text(OndrixPrintPdeTarvel& panel, const std::string& name) {
    return field(panel, name).stringValue().utf8();
  }

  // Places a value as the program would (no formatter, no action).
  void put(OndrixPrintPdeTarvel& panel, const std::string& name, const std::string& value) {
    EXPECT_TRUE(headless::set(get(panel, name), value)) << name << " = " << value;
  }

  // The name of the control that has the keyboard focus; empty for none.
  std::string focus(OndrixPrintPdeTarvel& panel) {
    ui::Nib* nib = nibOf(panel);
    ui::Window* window = nib ? nib->rootView().window() : nullptr;
    ui::Control* responder = window ? window->firstResponder() : nullptr;
    return responder ? std::string(responder->identifier()) : std::string();
  }

  void clearFocus(OndrixPrintPdeTarvel& panel) {
    if (ui::Nib* nib = nibOf(panel)) nib->rootView().window()->makeFirstResponder(nullptr);
  }

 private:
  headless::HeadlessToolkit toolkit_;
  std::map<const OndrixPrintPdeTarvel*, std::unique_ptr<ui::Nib>> nibs_;
  ui::Control absent_;
  ui::TextField absentField_;
};

}  // namespace uitest
