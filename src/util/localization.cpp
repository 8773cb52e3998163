// Utilities of the panel: translation of control texts through the bundle's strings table, the layout's
// user-interface mode and two fixed answers about the device.
#include "plugin/panel.h"

namespace {

// The characters a string scanner skips before it scans by default: blanks (Unicode Zs and TAB) and
// line breaks.
bool isWhiteSpaceOrLineBreak(char16_t c) {
  switch (c) {
    case u'\t': case u'\n': case 0x000B: case 0x000C: case u'\r': case u' ': case 0x0085: case 0x00A0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

}  // namespace

// Only the text up to the first colon is a key; a colon that ended it is put back after the translation,
// so "Key:" and "Key: anything" both become "<translation>:". A text with nothing before its colon comes
// back unchanged. Without a bundle the key is its own translation.
platform::Text OndrixPrintPdeTarvel::localizedStringValue(const Text& text) const {
  if (text.isNone()) return Text();
  const std::u16string& units = text.utf16();

  std::size_t start = 0;
  while (start < units.size() && isWhiteSpaceOrLineBreak(units[start])) ++start;
  const std::size_t colon = units.find(u':', start);
  const std::size_t end = colon == std::u16string::npos ? units.size() : colon;
  if (end == start) return text;

  const Text key = text.substring(start, end - start);
  Text translation = bundleString(key);
  if (colon != std::u16string::npos) translation = translation + Text::fromUtf16(u":");
  return translation;
}

platform::Text OndrixPrintPdeTarvel::bundleString(const Text& key) const {
  return pdeBundle ? pdeBundle->localizedStringForKey(key, Text()) : key;
}

platform::Text OndrixPrintPdeTarvel::localizedStringValue(ui::TextField* field) const {
  if (!field) return Text();
  return localizedStringValue(field->stringValue());
}

platform::Text OndrixPrintPdeTarvel::localizedStringValue(ui::Box* box) const {
  if (!box) return Text();
  return localizedStringValue(box->title());
}

platform::Text OndrixPrintPdeTarvel::localizedStringValue(ui::Button* buttonOrCell) const {
  if (!buttonOrCell) return Text();
  return localizedStringValue(buttonOrCell->title());
}

// Directory-service models have their own layout.
int OndrixPrintPdeTarvel::getUIMode() const { return active_directory == 1 ? 5 : 4; }

// Every model of the family is taken to have a hard disk for filing.
bool OndrixPrintPdeTarvel::CheckHardDisk() const { return true; }

// No model of the family is a Corvane.
bool OndrixPrintPdeTarvel::isCorvane() const { return false; }
