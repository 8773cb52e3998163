#include "util/choice_kit.h"

#include <any>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "plugin/panel.h"
#include "plugin/trace.h"
#include "util/ppd_access.h"

namespace {

// The bytes of a fixed-size record field up to its terminator, never past the field.
template <std::size_t N>
std::string_view fieldBytes(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

platform::Text textOfKeyword(const char* keyword) {
  return keyword ? platform::Text::fromUtf8(keyword) : platform::Text();
}

// The PDE choice an item represents, or none when it represents something else.
PDEChoiceRef representedChoice(const ui::MenuItem* item) {
  if (!item) return nullptr;
  const auto* choice = std::any_cast<PDEChoiceRef>(&item->representedObject());
  return choice ? *choice : nullptr;
}

// Stores the choice in the selection unless the host, asked through its constraint handling, refuses it.
// No choice leaves the selection alone and asks the host nothing.
void takeSelection(OndrixPrintPdeTarvel& panel, PDEChoiceRef& selection, const PDEChoiceRef& choice,
                   const char* key) {
  if (!choice) return;
  if (panel.useConstraintHandling) {
    const auto& host = panel.pdePluginCallbackObject;
    if (!host || !host->willChangePPDOptionKeyValue(textOfKeyword(key), choice->ppdTitle())) return;
  }
  selection = choice;
}

}  // namespace

PDEChoiceRef OndrixPrintPdeTarvelPDEChoice::choiceWithChoice(ppd_choice_t* choice) {
  return std::make_shared<OndrixPrintPdeTarvelPDEChoice>(choice);
}

platform::Text OndrixPrintPdeTarvelPDEChoice::userTitle(platform::NSStringEncoding encoding) {
  if (userTitle_.isNone()) {
    if (choice_) userTitle_ = platform::createWithBytesNS(fieldBytes(choice_->text), encoding);
    if (userTitle_.isNone()) _PDELog(this, "could not create userTitle!");
  }
  return userTitle_;
}

platform::Text OndrixPrintPdeTarvelPDEChoice::ppdTitle() {
  if (ppdTitle_.isNone()) {
    if (choice_) ppdTitle_ = platform::createWithBytesNS(fieldBytes(choice_->choice), platform::kNSASCIIStringEncoding);
    if (ppdTitle_.isNone()) _PDELog(this, "could not create ppdTitle!");
  }
  return ppdTitle_;
}

std::optional<PDEChoiceArray> ArrayFromPPDOption(ppd_option_t* option) {
  if (!option) return std::nullopt;
  PDEChoiceArray choices;
  if (option->num_choices <= 0 || !option->choices) return choices;
  choices.reserve(static_cast<std::size_t>(option->num_choices));
  for (int i = 0; i < option->num_choices; ++i)
    choices.push_back(OndrixPrintPdeTarvelPDEChoice::choiceWithChoice(&option->choices[i]));
  return choices;
}

PDEChoiceRef FindChoiceForString(const platform::Text& keyword, const PDEChoiceArray& choices) {
  if (keyword.isNone()) return nullptr;
  for (const PDEChoiceRef& choice : choices) {
    if (choice && choice->ppdTitle() == keyword) return choice;
  }
  return nullptr;
}

void InitPopUpFromArray(ui::PopUpButton* popUp, const PDEChoiceArray& choices, platform::NSStringEncoding encoding) {
  if (!popUp) return;
  ui::Menu& menu = popUp->menu();
  menu.removeAllItems();
  for (const PDEChoiceRef& choice : choices) {
    if (!choice) continue;
    // A choice whose text cannot be decoded still gets its item, so positions match the array.
    platform::Text title = choice->userTitle(encoding);
    ui::MenuItem item(title.isNone() ? platform::Text::empty() : std::move(title));
    item.setRepresentedObject(choice);
    menu.addItem(std::move(item));
  }
}

// The position of the option's marked choice for the keyword, else of its default choice; -1 when neither
// exists among the option's own choices.
long OndrixPrintPdeTarvel::indexOfMarkedOption(ppd_option_t* option, const char* key) {
  const auto positionInOption = [option](const ppd_choice_t* choice) -> long {
    if (!option || !choice || !option->choices) return -1;
    for (int i = 0; i < option->num_choices; ++i) {
      if (&option->choices[i] == choice) return i;
    }
    return -1;
  };

  // A marked choice counts only when it belongs to this option; a keyword naming another option falls
  // back to this option's default.
  long index = positionInOption(ppd::findMarkedChoice(ppd, key));
  if (index < 0 && option) index = positionInOption(ppd::findChoice(option, option->defchoice));
  if (index < 0) _PDELog(this, "returning a -1 index means there was no default choice");
  return index;
}

// Takes the choice of the pop-up's selected item into the selection, through the host's constraint check
// when it offers one. Without a selected choice the selection stays as it was.
void OndrixPrintPdeTarvel::getSelection(std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>& selection,
                                        ui::PopUpButton* popUp, const char* key) {
  _PDEProlog(this, "getSelection:(%@) fromPopUp:(%@) forKey:(%@)", selection, popUp, key);
  const long index = popUp ? popUp->indexOfSelectedItem() : 0;
  _PDELog(this, "selected index: %i", index);
  PDEChoiceRef choice = popUp ? representedChoice(popUp->menu().itemAtIndex(index)) : nullptr;
  _PDELog(this, "selected request: %@", choice);
  takeSelection(*this, selection, choice, key);
  _PDEEpilog(this, "getSelection:fromPopUp:forKey:=PDEChoice(%@)", selection);
}

// The same with the choice at the button's state (0 or 1) in the array; a state outside the array
// selects nothing.
void OndrixPrintPdeTarvel::getSelection(std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>& selection,
                                        const std::vector<std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>>& choices,
                                        ui::Button* button, const char* key) {
  _PDEProlog(this, "getSelection:(%@) fromButton:(%@) forKey:(%@)", selection, button, key);
  const int index = button ? button->state() : 0;
  _PDELog(this, "selected index: %i", index);
  PDEChoiceRef choice;
  if (index >= 0 && static_cast<std::size_t>(index) < choices.size()) choice = choices[static_cast<std::size_t>(index)];
  _PDELog(this, "selected request: %@", choice);
  takeSelection(*this, selection, choice, key);
  _PDEEpilog(this, "getSelection:fromPopUp:forKey:=PDEChoice(%@)", selection);
}
