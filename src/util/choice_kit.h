// A small kit for showing the choices of a PPD option in a pop-up: a wrapper per choice that decodes its
// texts on demand, and functions that list, find and present them. The panel's own methods of the kit
// (indexOfMarkedOption, getSelection) are declared in plugin/panel.h.
#pragma once

#include <cups/ppd.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/encoding.h"
#include "platform/text.h"
#include "ui/toolkit.h"

// One choice of a PPD option. The record is borrowed from the PPD, which must outlive the wrapper.
class OndrixPrintPdeTarvelPDEChoice {
 public:
  // choiceWithChoice:. The result is shared; pop-up items hold it as their represented object.
  static std::shared_ptr<OndrixPrintPdeTarvelPDEChoice> choiceWithChoice(ppd_choice_t* choice);
  // initWithChoice:. Both titles start as none.
  explicit OndrixPrintPdeTarvelPDEChoice(ppd_choice_t* choice) : choice_(choice) {}

  // The choice's human-readable text decoded with the encoding, made on the first call that succeeds;
  // none (and tried again next time) when there is no record or its bytes are not valid in the encoding.
  platform::Text userTitle(platform::NSStringEncoding encoding);
  // The choice keyword decoded as ASCII, made likewise.
  platform::Text ppdTitle();
  ppd_choice_t* choice() const { return choice_; }

 private:
  platform::Text userTitle_;
  platform::Text ppdTitle_;
  ppd_choice_t* choice_ = nullptr;
};

using PDEChoiceRef = std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>;
using PDEChoiceArray = std::vector<PDEChoiceRef>;

// One PDE choice per choice of the option, in the option's order; none for no option.
std::optional<PDEChoiceArray> ArrayFromPPDOption(ppd_option_t* option);

// The first PDE choice whose keyword equals the given one exactly (case included); none for no keyword or
// no match.
PDEChoiceRef FindChoiceForString(const platform::Text& keyword, const PDEChoiceArray& choices);

// Replaces every item of the pop-up with one item per PDE choice, in order: titled with the choice's
// userTitle in the encoding (empty when it cannot be decoded), no action, the choice as represented object.
void InitPopUpFromArray(ui::PopUpButton* popUp, const PDEChoiceArray& choices, platform::NSStringEncoding encoding);
