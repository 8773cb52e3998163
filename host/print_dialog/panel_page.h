// What every window that shows the Job Handling panel shares: the page that holds the panel's view and the
// summary that follows the panel's changes (the print dialog, the job agent's window).
#pragma once

#include <QString>

#include <functional>

class QLabel;
class QObject;
class QScrollArea;
class QWidget;
class PDEPanel;

namespace printdialog {

// The panel's summary as the windows show it: the panel's name in bold over a table of titles and values.
QString summaryHtml(PDEPanel& panel);

// A label for the summary: top-left aligned, wrapped, rich text, named "summary".
QLabel* makeSummaryLabel();

// A frameless scroll area named "panelArea" whose page (returned in page) takes a panel's view in its
// layout.
QScrollArea* makePanelArea(QWidget*& page);

// Puts the panel's view (owned by the panel's layout) on the page and makes the area show it whole.
void placePanelView(QScrollArea& area, QWidget& page, QWidget& view);

// Calls refresh after every change a user makes among root's controls, once the control's own action has run.
void followPanelChanges(QWidget& root, QObject& context, std::function<void()> refresh);

}  // namespace printdialog
