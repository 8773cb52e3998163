// What every window that shows the Job Handling panel shares: the summary that follows the panel's changes
// (the print dialog, the job agent's window; the panel's view itself sits in a host::qt::PanelFrame).
#pragma once

#include <functional>

class QGroupBox;
class QLabel;
class QObject;
class QWidget;
class PDEPanel;
namespace host::qt {
class PanelFrame;
}

namespace printdialog {

// The box "Summary" beside the panel, and in it the label for the summary: top-left aligned, wrapped, rich
// text, named "summary". The caller places the box.
struct SummaryBox {
  QGroupBox* box;
  QLabel* label;
};
SummaryBox makeSummaryBox();

// Shows the panel's summary in the label: the panel's name in bold over a table of titles and values; and
// for a screen reader the same as plain lines, the panel's name, then "title: value" a line.
void showSummary(QLabel& label, PDEPanel& panel);

// Calls refresh after every change a user makes among root's controls, once the control's own action has run.
void followPanelChanges(QWidget& root, QObject& context, std::function<void()> refresh);

// Restores the panel's values and shows its view in frame, refresh following its changes (context ends
// them). False when the panel has no view of this toolkit's to show.
bool showPanel(PDEPanel& panel, host::qt::PanelFrame& frame, QObject& context, std::function<void()> refresh);

}  // namespace printdialog
