// Mnemonics and accessible names of a loaded layout (the rules are in qt_naming.h).
#include "toolkits/qt/qt_naming.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>

#include <map>
#include <string>

#include "toolkits/qt/qt_controls.h"
#include "toolkits/qt/qt_text.h"

namespace toolkits::qt {

namespace {

bool isAsciiLetterOrDigit(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The text before a trailing colon (ASCII or full width) and its blanks, and the colon part itself.
qsizetype colonStart(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && (text[end - 1] == u':' || text[end - 1] == u'\uFF1A' || text[end - 1].isSpace())) --end;
  return end;
}

}  // namespace

qsizetype mnemonicPosition(const QString& text, const QString& taken) {
  auto free = [&](qsizetype i) { return isAsciiLetterOrDigit(text[i]) && !taken.contains(text[i].toLower()); };
  for (qsizetype i = 0; i < text.size(); ++i)
    if ((i == 0 || !text[i - 1].isLetterOrNumber()) && free(i)) return i;
  for (qsizetype i = 0; i < text.size(); ++i)
    if (free(i)) return i;
  return -1;
}

QString mnemonicText(const QString& text, const QString& original, QString& taken) {
  auto escaped = [](QString s) { return s.replace(u'&', QStringLiteral("&&")); };
  if (const qsizetype at = mnemonicPosition(text, taken); at >= 0) {
    taken += text[at].toLower();
    return escaped(text.left(at)) + u'&' + escaped(text.mid(at));
  }
  const qsizetype at = mnemonicPosition(original, taken);
  if (at < 0) return escaped(text);
  taken += original[at].toLower();
  const qsizetype colon = colonStart(text);
  return escaped(text.left(colon)) + QStringLiteral("(&") + original[at].toUpper() + u')' + escaped(text.mid(colon));
}

QString withoutMnemonic(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;  // "&&" is one ampersand, "&x" marks x
    out += text[i];
  }
  return out;
}

QString nameOfText(const QString& text) {
  QString name = withoutMnemonic(text);
  name.truncate(colonStart(name));
  // A mnemonic added as "(X)" is no part of the name.
  if (name.size() >= 3 && name.endsWith(u')') && name[name.size() - 3] == u'(' &&
      isAsciiLetterOrDigit(name[name.size() - 2]))
    name.chop(3);
  return name.trimmed();
}

void Naming::bind(const std::vector<std::unique_ptr<Node>>& nodes) {
  std::map<QWidget*, std::size_t> fieldAt;
  std::map<std::string, QWidget*> byName;
  QtButton* lastCell = nullptr;
  for (const auto& node : nodes) {
    if (!node->widget_) continue;
    byName[node->name_] = node->widget_;
    if (node->kind_ == Kind::radioButton) lastCell = static_cast<QtButton*>(node.get());
    if (node->kind_ == Kind::label) {
      auto* label = static_cast<QtTextField*>(node.get());
      QWidget* buddy = label->label() ? label->label()->buddy() : nullptr;
      if (!buddy) continue;
      fieldAt[buddy] = fields_.size();
      fields_.push_back({buddy, label, label->label()->text(), lastCell, nullptr});
    } else if (node->kind_ == Kind::textField && !fieldAt.count(node->widget_) && lastCell) {
      // Labels come before their fields in our layouts, so a field still without one has none.
      fieldAt[node->widget_] = fields_.size();
      fields_.push_back({node->widget_, nullptr, {}, lastCell, nullptr});
    }
  }
  const std::string ending = "Button";
  for (const auto& node : nodes) {
    if (node->kind_ != Kind::holdButton || node->name_.size() <= ending.size() || !node->name_.ends_with(ending))
      continue;
    const auto field = byName.find(node->name_.substr(0, node->name_.size() - ending.size()) + "EditText");
    if (field == byName.end()) continue;
    if (auto at = fieldAt.find(field->second); at != fieldAt.end())
      fields_[at->second].hold = static_cast<QtButton*>(node.get())->button();
  }
}

void Naming::refresh() {
  QString taken;
  for (Field& f : fields_) {
    if (!f.field) continue;
    QString name;
    if (f.label && f.label->label()) {
      const QString text = toQString(f.label->stringValue());
      f.label->label()->setText(mnemonicText(text, f.original, taken));
      name = nameOfText(text);
    }
    if (name.isEmpty() && f.cell) name = nameOfText(toQString(f.cell->title()));
    f.field->setAccessibleName(name);
    if (f.hold) {
      const QString holdName = QCoreApplication::translate("toolkits::qt::Naming", "Hold %1").arg(name);
      f.hold->setAccessibleName(holdName);
      f.hold->setToolTip(holdName);
    }
  }
}

}  // namespace toolkits::qt
