// The panel's outlets: the layout's object name of each control, the panel's field it connects to and
// the action it sends. Controls of another kind than their field stay unconnected and so count as absent.
// Only the names reach code outside the plug-in (the host checks its steps against them).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>
#include <variant>

#include "plugin/panel.h"

namespace outlets {

using P = OndrixPrintPdeTarvel;
using Action = void (P::*)(ui::Control*);
using Field = std::variant<ui::Outlet<ui::Button> P::*, ui::Outlet<ui::TextField> P::*, ui::Outlet<ui::Matrix> P::*,
                           ui::Outlet<ui::PopUpButton> P::*, ui::Outlet<ui::Box> P::*, ui::Outlet<ui::TabView> P::*,
                           ui::Outlet<ui::ProgressIndicator> P::*>;

struct Entry {
  std::string_view name;
  Field field;
  Action action = nullptr;
};

// In the order of the panel's fields.
inline constexpr std::array<Entry, 49> kTable{{
    {"tabView", &P::tabView, &P::tabProc},
    {"retentionCheckBox", &P::retentionCheckBox, &P::retentionCBoxProc},
    {"suspendBox", &P::suspendBox},
    {"suspendMatrix", &P::suspendMatrix, &P::suspendKeyMatrixProc},
    {"holdOnlyRadioButton", &P::holdOnlyRadioButton},
    {"holdAfterRadioButton", &P::holdAfterRadioButton},
    {"samplePrintRadioButton", &P::samplePrintRadioButton},
    {"suspendKeyStaticText", &P::suspendKeyStaticText},
    {"suspendKeyEditText", &P::suspendKeyEditText, &P::suspendKeyETextProc},
    {"suspendKeyButton", &P::suspendKeyButton, &P::suspendKeyButtonProc},
    {"filingBox", &P::filingBox},
    {"folderSelectionStaticText", &P::folderSelectionStaticText},
    {"folderSelectionPopup", &P::folderSelectionPopup, &P::folderSelectionPopUpButtonProc},
    {"folderPasswordStaticText", &P::folderPasswordStaticText},
    {"folderPasswordEditText", &P::folderPasswordEditText, &P::folderPasswordETextProc},
    {"folderPasswordButton", &P::folderPasswordButton, &P::folderPasswordButtonProc},
    {"folderSelectionMatrix", &P::folderSelectionMatrix, &P::folderSelectionMatrixProc},
    {"quickFileRadioButton", &P::quickFileRadioButton},
    {"mainFolderRadioButton", &P::mainFolderRadioButton},
    {"customFolderRadioButton", &P::customFolderRadioButton},
    {"folderNameEditText", &P::folderNameEditText},
    {"folderNameButton", &P::folderNameButton, &P::folderNameButtonProc},
    {"authenticationMatrix", &P::authenticationMatrix, &P::authenticationMatrixProc},
    {"authenticationRadioButton", &P::authenticationRadioButton},
    {"loginNameStaticText", &P::loginNameStaticText},
    {"loginNameEditText", &P::loginNameEditText, &P::loginNameETextProc},
    {"loginNameButton", &P::loginNameButton, &P::loginNameButtonProc},
    {"passwordStaticText", &P::passwordStaticText},
    {"passwordEditText", &P::passwordEditText, &P::passwordETextProc},
    {"passwordButton", &P::passwordButton, &P::passwordButtonProc},
    {"userNumberMatrix", &P::userNumberMatrix},
    {"userNumberRadioButton", &P::userNumberRadioButton},
    {"userNumberEditText", &P::userNumberEditText, &P::userNumberETextProc},
    {"userNumberButton", &P::userNumberButton, &P::userNumberButtonProc},
    {"userNumberStaticText", &P::userNumberStaticText},
    {"accountNumberStaticText", &P::accountNumberStaticText},
    {"accountNumberEditText", &P::accountNumberEditText, &P::accountNumberETextProc},
    {"accountNumberButton", &P::accountNumberButton, &P::accountNumberButtonProc},
    {"jobIDBox", &P::jobIDBox},
    {"userNameStaticText", &P::userNameStaticText},
    {"userNameEditText", &P::userNameEditText, &P::userNameETextProc},
    {"userNameButton", &P::userNameButton, &P::userNameButtonProc},
    {"jobNameStaticText", &P::jobNameStaticText},
    {"jobNameEditText", &P::jobNameEditText, &P::jobNameETextProc},
    {"jobNameButton", &P::jobNameButton, &P::jobNameButtonProc},
    {"printersAddressStaticText", &P::printersAddressStaticText},
    {"printersAddressEditText", &P::printersAddressEditText},
    {"chasingArrow", &P::chasingArrow},
    {"getFolderNameButton", &P::getFolderNameButton, &P::getFolderNameButtonProc},
}};

// The names alone, worked out while compiling, so that a user of the names needs none of the panel's code.
inline constexpr std::array<std::string_view, kTable.size()> kNames = [] {
  std::array<std::string_view, kTable.size()> names{};
  std::transform(kTable.begin(), kTable.end(), names.begin(), [](const Entry& e) { return e.name; });
  return names;
}();

}  // namespace outlets
