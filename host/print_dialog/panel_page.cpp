#include "panel_page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "plugin/plugin.h"
#include "qt/panel_frame.h"
#include "toolkits/qt/qt_toolkit.h"

namespace printdialog {
namespace {

QString summaryHtml(PDEPanel& panel) {
  const SummaryInfo info = panel.summaryInfo();
  QString html =
      "<b>" + QString::fromStdString(panel.panelName().utf8()).toHtmlEscaped() + "</b><table cellspacing='3'>";
  for (const auto& [title, value] : info)
    html += "<tr><td>" + QString::fromStdString(title.utf8()).toHtmlEscaped() + ":</td><td>" +
            QString::fromStdString(value.utf8()).toHtmlEscaped() + "</td></tr>";
  return html + "</table>";
}

QString summaryPlain(PDEPanel& panel) {
  QString plain = QString::fromStdString(panel.panelName().utf8());
  for (const auto& [title, value] : panel.summaryInfo())
    plain += "\n" + QString::fromStdString(title.utf8()) + ": " + QString::fromStdString(value.utf8());
  return plain;
}

}  // namespace

SummaryBox makeSummaryBox() {
  const QString title = QCoreApplication::translate("printdialog::PanelPage", "Summary");
  auto* box = new QGroupBox(title);
  box->setMinimumWidth(240);
  auto* summary = new QLabel;
  summary->setObjectName("summary");
  summary->setAccessibleName(title);
  summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  summary->setWordWrap(true);
  summary->setTextFormat(Qt::RichText);
  (new QVBoxLayout(box))->addWidget(summary);
  return {box, summary};
}

// The refresh waits for the event loop, so that the control's own action has run before it.
void followPanelChanges(QWidget& root, QObject& context, std::function<void()> refresh) {
  auto later = [&context, refresh] { QTimer::singleShot(0, &context, refresh); };
  for (auto* b : root.findChildren<QAbstractButton*>()) QObject::connect(b, &QAbstractButton::clicked, &context, later);
  for (auto* e : root.findChildren<QLineEdit*>()) QObject::connect(e, &QLineEdit::textChanged, &context, later);
  for (auto* c : root.findChildren<QComboBox*>()) QObject::connect(c, &QComboBox::currentIndexChanged, &context, later);
}

void showSummary(QLabel& label, PDEPanel& panel) {
  label.setText(summaryHtml(panel));
  label.setAccessibleDescription(summaryPlain(panel));
}

bool showPanel(PDEPanel& panel, host::qt::PanelFrame& frame, QObject& context, std::function<void()> refresh) {
  ui::View* view = panel.panelView();
  panel.restoreValuesAndReturnError(nullptr);
  QWidget* shown = view ? toolkits::qt::widgetOf(*view) : nullptr;
  if (!shown) return false;
  frame.setView(shown);
  followPanelChanges(*shown, context, std::move(refresh));
  return true;
}

}  // namespace printdialog
