// The control toolkit on Qt Widgets: the panel's layouts loaded with QUiLoader into real widgets, each
// named widget wrapped in the ui interface of its kind. The plug-in sees only ui::Toolkit; a Qt host makes
// one QtToolkit, hands it over through platform::HostServices and places the panel's view in its window
// with widgetOf().
//
// How a layout maps onto controls (the same rules as the headless toolkit, so both read the same files):
//   objectName                the outlet name; the dynamic property "tag" the tag (0 when missing)
//   any widget "...Matrix"    radio matrix; its QRadioButtons are the cells, rows in document order
//   QLineEdit / QLabel        input field / label
//   QCheckBox                 check box
//   QToolButton, QPushButton  hold button when checkable, else push button
//   QComboBox                 pop-up button
//   QGroupBox, QTabWidget, QProgressBar   titled box, tab view, progress indicator
//   anything else             a plain container
//
// Behaviour that the panel can observe follows the headless toolkit (headless_toolkit.h): a control's
// enabled flag is its own (a disabled matrix does not clear its cells' flags), hidden is effective (a
// hidden container or a removed tab page hides what it holds, an unselected tab does not), the keyboard
// focus is the window's first responder as the panel set it, pop-up selections fall back to the nearest
// earlier real item when their item goes, and input fields ask their formatter before every edit,
// typed or pasted, through a QValidator.
//
// Tab views never scroll or shorten their tab titles, so the view's minimum size shows every title whole.
// Labels with a buddy get mnemonics, fields and hold buttons accessible names (qt_naming.h).
//
// Hold buttons show their two images as the Off and On states of one icon at 18 x 18 pixels: the theme
// icon of the image's name, else its "-symbolic" form, else "<name>.png" beside the layout file (the
// bundle ships the padlocks there, since a bare desktop or an offscreen run has no icon theme).
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "platform/alert.h"
#include "platform/runloop.h"
#include "toolkits/model/control_model.h"
#include "ui/toolkit.h"

namespace toolkits::qt {

class QtToolkit : public ui::Toolkit {
 public:
  // REQUIRES: a QApplication exists for as long as the layouts live.
  // Loads the .ui file with QUiLoader and connects every named control (in document order) to the owner.
  // The layout's root widget has no parent until the host places it; the nib deletes it when it goes.
  // Icons missing from the theme are taken from the layout file's folder (the bundle's resources).
  // None when the file cannot be read or is not a layout.
  std::unique_ptr<ui::Nib> loadNib(const std::filesystem::path& file, ui::NibOwner& owner) override;
};

// The widget behind a view, layout or control of this toolkit; none for another toolkit's, or when the
// widget has been deleted. The host puts widgetOf(*panel.panelView()) into its window (reparenting is
// fine). The layout deletes the widget when the panel releases it; a host window that goes first takes
// the widget with it, and the panel's controls then act as absent ones.
QWidget* widgetOf(ui::View& view);
QWidget* widgetOf(ui::Nib& nib);
QWidget* widgetOf(ui::Control& control);

// The named controls of a layout of this toolkit in document order; empty for another toolkit's layout.
std::vector<ui::Control*> controlsOf(ui::Nib& nib);

// What this toolkit alone knows of its controls, for toolkits::describe() and toolkits::set().
const ToolkitSpecifics& specifics();

// The run loop of a Qt host: a wait turns Qt's event loop for painting, timers and sockets, but holds back
// user input, so the panel is never re-entered while it waits (the folder query).
class QtRunLoop : public platform::RunLoop {
 public:
  void runFor(std::chrono::milliseconds limit) override;
};

// Alerts as modal message boxes with the panel's title, message and one button.
class MessageBoxAlerts : public platform::AlertPresenter {
 public:
  // parent: the window the boxes are modal to; none for application-modal boxes.
  explicit MessageBoxAlerts(QWidget* parent = nullptr) : parent_(parent) {}
  void present(const platform::Text& title, const platform::Text& message, const platform::Text& button) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace toolkits::qt
