// A line edit's validator that asks the panel's formatter, so typing and pasting into a real field follow
// exactly the rules of the headless one.
#pragma once

#include <QLineEdit>
#include <QValidator>

#include "ui/toolkit.h"

namespace toolkits::qt {

class FormatterValidator : public QValidator {
 public:
  // The validator is owned by the edit (Qt parent); the formatter outlives it (the field's wrapper owns it).
  FormatterValidator(QLineEdit& edit, const ui::Formatter& formatter);
  // Qt proposes the whole text after an edit with the cursor after the inserted text. The edit is recovered
  // against the last accepted text as one replaced range, the form the formatter judges.
  State validate(QString& input, int& pos) const override;

 private:
  const ui::Formatter& formatter_;
  QString accepted_;  // the field's text before the edit being judged
};

}  // namespace toolkits::qt
