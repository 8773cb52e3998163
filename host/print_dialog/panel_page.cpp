#include "panel_page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "plugin/plugin.h"

namespace printdialog {

QString summaryHtml(PDEPanel& panel) {
  const SummaryInfo info = panel.summaryInfo();
  QString html =
      "<b>" + QString::fromStdString(panel.panelName().utf8()).toHtmlEscaped() + "</b><table cellspacing='3'>";
  for (const auto& [title, value] : info)
    html += "<tr><td>" + QString::fromStdString(title.utf8()).toHtmlEscaped() + ":</td><td>" +
            QString::fromStdString(value.utf8()).toHtmlEscaped() + "</td></tr>";
  return html + "</table>";
}

QLabel* makeSummaryLabel() {
  auto* summary = new QLabel;
  summary->setObjectName("summary");
  summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  summary->setWordWrap(true);
  summary->setTextFormat(Qt::RichText);
  return summary;
}

QScrollArea* makePanelArea(QWidget*& page) {
  auto* area = new QScrollArea;
  area->setObjectName("panelArea");
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  page = new QWidget;
  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  area->setWidget(page);
  return area;
}

void placePanelView(QScrollArea& area, QWidget& page, QWidget& view) {
  page.layout()->addWidget(&view);
  page.layout()->setAlignment(&view, Qt::AlignLeft | Qt::AlignTop);
  // The whole panel in view, as its layout was drawn.
  area.setMinimumSize(view.sizeHint().grownBy(QMargins(2, 2, 2, 2)));
}

// The refresh waits for the event loop, so that the control's own action has run before it.
void followPanelChanges(QWidget& root, QObject& context, std::function<void()> refresh) {
  auto later = [&context, refresh] { QTimer::singleShot(0, &context, refresh); };
  for (auto* b : root.findChildren<QAbstractButton*>()) QObject::connect(b, &QAbstractButton::clicked, &context, later);
  for (auto* e : root.findChildren<QLineEdit*>()) QObject::connect(e, &QLineEdit::textChanged, &context, later);
  for (auto* c : root.findChildren<QComboBox*>()) QObject::connect(c, &QComboBox::currentIndexChanged, &context, later);
}

}  // namespace printdialog
