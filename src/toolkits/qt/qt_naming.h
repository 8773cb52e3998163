// What a keyboard and a screen reader need of a loaded layout, kept in step with the texts the panel gives
// its labels and buttons (it translates them after the layout is loaded, so nothing here can be fixed at
// load time):
//   - every label with a buddy shows a mnemonic bound to its field, one letter per layout;
//   - every field is named after its label, without the colon; a field without a label (or with an empty
//     one) after the radio cell just before it in the layout (the choice the field belongs to);
//   - every hold button is named "Hold <its field's name>" (translated with the window's texts); a
//     checkable button "<stem>Button" holds the field "<stem>EditText".
// Buttons, radio cells and check boxes keep Qt's own name, their title.
#pragma once

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QAbstractButton;
class QWidget;

namespace toolkits::qt {

class Node;
class QtButton;
class QtTextField;

// The position in text of the character a mnemonic marks: the first letter of a word that taken (lower
// case letters) does not hold, else any such letter or digit; -1 when none is free. Only ASCII letters
// and digits count, which every keyboard types.
qsizetype mnemonicPosition(const QString& text, const QString& taken);

// The text as a label with a buddy shows it, ampersands of the text kept as such, with a mnemonic free in
// taken (which then holds it too). A text without a free letter (Japanese) takes one of original, the
// layout's own text, as "(&L)" before its colon; with none free either it shows without a mnemonic.
QString mnemonicText(const QString& text, const QString& original, QString& taken);

// A widget's text as the user reads it: mnemonic marks removed ("&&" is one ampersand).
QString withoutMnemonic(const QString& text);

// A label, field or button text as a name: without mnemonic marks (an added "(L)" too), trailing colons
// and blanks.
QString nameOfText(const QString& text);

class Naming {
 public:
  // Finds each label's field, each hold button's field and the cell that names a field without a label,
  // among nodes (in document order). The nodes must outlive the naming.
  void bind(const std::vector<std::unique_ptr<Node>>& nodes);
  // Gives every label its mnemonic and every field and hold button its name from the texts shown now.
  void refresh();

 private:
  struct Field {
    QPointer<QWidget> field;
    QtTextField* label = nullptr;   // the field's buddy label, or none
    QString original;               // the label's text in the layout
    QtButton* cell = nullptr;       // names a field without a label text
    QPointer<QAbstractButton> hold;  // the field's hold button, or none
  };
  std::vector<Field> fields_;
};

}  // namespace toolkits::qt
