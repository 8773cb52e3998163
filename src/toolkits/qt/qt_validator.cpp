#include "toolkits/qt/qt_validator.h"

#include <algorithm>

#include "toolkits/qt/qt_text.h"

namespace toolkits::qt {

FormatterValidator::FormatterValidator(QLineEdit& edit, const ui::Formatter& formatter)
    : QValidator(&edit), formatter_(formatter), accepted_(edit.text()) {
  // Qt changes the edit's text before it asks, so the text before an edit is kept from the last change.
  connect(&edit, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

// The replaced range is what lies between the longest common start (up to the cursor) and the longest
// common end of the two texts: for a key typed at the end, nothing replaced and the key inserted; for a
// select-all and a key, everything replaced.
QValidator::State FormatterValidator::validate(QString& input, int& pos) const {
  if (input == accepted_) return Acceptable;
  const qsizetype cursor = std::clamp<qsizetype>(pos, 0, input.size());
  qsizetype start = 0;
  const qsizetype shortest = std::min(accepted_.size(), input.size());
  while (start < shortest && start < cursor && accepted_[start] == input[start]) ++start;
  qsizetype tail = 0;
  while (tail < shortest - start && tail < input.size() - cursor &&
         accepted_[accepted_.size() - 1 - tail] == input[input.size() - 1 - tail]) {
    ++tail;
  }
  const ui::Range original{static_cast<std::size_t>(start), static_cast<std::size_t>(accepted_.size() - start - tail)};
  const ui::Range proposed{static_cast<std::size_t>(input.size() - tail), 0};
  return formatter_.isPartialStringValid(fromQString(input), proposed, fromQString(accepted_), original) ? Acceptable
                                                                                                          : Invalid;
}

}  // namespace toolkits::qt
