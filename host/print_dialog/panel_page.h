// What every window that shows the Job Handling panel shares: the summary that follows the panel's changes
// (the print dialog, the job agent's window; the panel's view itself sits in a host::qt::PanelFrame).
#pragma once

#include <QString>

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

// The panel's summary as the windows show it: the panel's name in bold over a table of titles and values.
QString summaryHtml(PDEPanel& panel);

// The same summary as plain lines, for a screen reader: the panel's name, then "title: value" a line.
QString summaryPlain(PDEPanel& panel);

// The box "Summary" beside the panel, and in it the label for the summary: top-left aligned, wrapped, rich
// text, named "summary". The caller places the box.
struct SummaryBox {
  QGroupBox* box;
  QLabel* label;
};
SummaryBox makeSummaryBox();

// Calls refresh after every change a user makes among root's controls, once the control's own action has run.
void followPanelChanges(QWidget& root, QObject& context, std::function<void()> refresh);

// Restores the panel's values and shows its view in frame, refresh following its changes (context ends
// them). False when the panel has no view of this toolkit's to show.
bool showPanel(PDEPanel& panel, host::qt::PanelFrame& frame, QObject& context, std::function<void()> refresh);

}  // namespace printdialog
