// A control toolkit without a screen: Qt Designer layouts read into a model of controls that the panel
// drives through ui::Toolkit and that hosts and tests operate as a user would.
//
// How a layout maps onto controls:
//   objectName              the outlet name; the dynamic property "tag" the tag (0 when missing)
//   QLineEdit               input field (editable, selectable); readOnly true makes it not editable
//   QLabel                  label: tag 0, neither editable nor selectable
//   QCheckBox               check box
//   QToolButton, QPushButton hold button (two-state toggle) when checkable, else push button
//   QRadioButton            a cell of the nearest enclosing container named "...Matrix", rows in document
//                           order; without such a container a lone radio button
//   any widget "...Matrix"  radio matrix
//   QComboBox               pop-up button with the <item> texts as menu items
//   QGroupBox               titled box
//   QTabWidget              tab view; its child widgets with a "title" attribute are the tab items
//   QProgressBar            progress indicator
//   anything else           a plain container, present only so that hiding it hides what it holds
// Properties "text", "title", "checked", "enabled", "visible" (and "hidden"), "currentIndex" are read.
//
// Behaviour chosen where the dialog toolkit leaves room:
//   - isHidden() is the effective state: hidden itself, inside a hidden container, or on a tab item that
//     was removed from its tab view (such controls stay in the layout and keep their values, but the user
//     can no longer reach them). Tab items that are merely not selected count as shown.
//   - Each loaded layout has its own window with one keyboard focus. A text field is always in it. A field
//     takes the focus only while selectable; buttons, matrices and pop-ups only while enabled; labels,
//     boxes, containers and progress indicators never.
//   - When the selected pop-up item is removed, the nearest earlier item that is not a separator becomes
//     selected, else the nearest later one, else none (empty menu). So rebuilding the folder items after
//     the first two falls back to the main folder, the neutral destination.
//   - Adding an item to a pop-up that has no selection selects it unless it is a separator.
//   - A radio cell set to state 1 by the program selects its row (the others go to 0).
//   - User operations refuse disabled and hidden controls and separator items; program operations (the
//     ui interfaces and set()) do not, but still keep indexes within the control.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "toolkits/model/control_model.h"
#include "ui/toolkit.h"

namespace headless {

class HeadlessToolkit : public ui::Toolkit {
 public:
  // Reads the .ui file and connects every named control (in document order) to the owner. None when the
  // file is missing, too large or not a Qt Designer layout.
  std::unique_ptr<ui::Nib> loadNib(const std::filesystem::path& file, ui::NibOwner& owner) override;
  // The same for layout text held in memory.
  std::unique_ptr<ui::Nib> loadNibFromText(std::string_view uiText, ui::NibOwner& owner);

  // How many layout texts were parsed. A file loaded again while unchanged (device, inode, size and
  // times) is built from what the first load read: a second panel's layout costs no parse.
  std::size_t layoutsParsed() const { return layoutsParsed_; }

 private:
  struct Layout;
  struct CachedLayout {
    struct stat file;
    std::shared_ptr<const Layout> layout;
  };
  std::shared_ptr<const Layout> parseLayout(std::string_view uiText);

  std::map<std::string, CachedLayout> layouts_;  // by the file name as given
  std::size_t layoutsParsed_ = 0;
};

// The named controls of a headless layout in document order (the layout's root widget excluded); empty
// for a layout of another toolkit.
std::vector<ui::Control*> controlsOf(ui::Nib& nib);

// User operations. Each returns whether the control took it; a control of another toolkit, a disabled
// one or a hidden one takes none.

// Check box and hold button: flip the state, then send the action. Radio cell: select it in its matrix,
// then send the matrix's action with the matrix as sender. Push button: send its action.
bool click(ui::Control& control);
// Pop-up: select the item (not a separator), then send the action. Matrix: select the row, then send
// the action. Tab view: select the tab item, then send the action. Out-of-range indexes are refused.
bool select(ui::Control& control, long index);
// Types text one character (Unicode scalar) at a time at the end of an editable field, each key checked
// by the field's formatter; refused keys are dropped. The field takes the keyboard focus first. Returns
// the number of keys taken.
std::size_t typeText(ui::TextField& field, const platform::Text& text);
// One insertion of the whole text at the end of an editable field, checked once by the formatter.
bool paste(ui::TextField& field, const platform::Text& text);
// Select all and delete, checked once by the formatter.
bool clear(ui::TextField& field);

// What the headless toolkit alone knows of its controls, for toolkits::describe() and toolkits::set().
const toolkits::ToolkitSpecifics& specifics();

// toolkits::set() and toolkits::describe() (control_model.h) on this toolkit's controls.
bool set(ui::Control& control, std::string_view value);
toolkits::Description describe(ui::Control& control);

}  // namespace headless
