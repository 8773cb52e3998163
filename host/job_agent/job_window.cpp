#include "job_window.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "panel_page.h"
#include "plugin/panel.h"
#include "qt/panel_frame.h"
#include "util/ppd_access.h"

namespace jobagent {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

const char* outcomeWord(Outcome outcome) {
  switch (outcome) {
    case Outcome::released:
      return "released";
    case Outcome::cancelled:
      return "cancelled";
    case Outcome::kept:
      break;
  }
  return "kept";
}

JobWindow::JobWindow(Offer offer, platform::cups::Queue queue, JobWatcher& watcher,
                     OndrixPrintPdeTarvelPDEPlugIn& plugIn, std::function<void(const Offer&, Outcome)> done,
                     QWidget* parent)
    : QDialog(parent), offer_(std::move(offer)), queue_(std::move(queue)), watcher_(watcher), done_(std::move(done)) {
  setWindowTitle(tr("Job Handling: %1").arg(qs(offer_.job.name)));
  setAttribute(Qt::WA_DeleteOnClose);
  inform = [this](const QString& title, const QString& text) { QMessageBox::warning(this, title, text); };

  auto* jobName = new QLabel(qs(offer_.job.name));
  jobName->setObjectName("jobName");
  jobName->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* queueName = new QLabel(qs(offer_.job.queue));
  queueName->setObjectName("queueName");
  auto* facts = new QFormLayout;
  facts->addRow(tr("Job:"), jobName);
  facts->addRow(tr("Printer:"), queueName);

  // Made before the window's buttons, the frame's controls come before them with Tab.
  panelFrame_ = new host::qt::PanelFrame;
  panelFrame_->setObjectName("panelArea");
  const auto [summaryBox, summary] = printdialog::makeSummaryBox();
  summary_ = summary;
  auto* middle = new QHBoxLayout;
  middle->addWidget(panelFrame_, 1);
  middle->addWidget(summaryBox);

  auto* buttons = new QDialogButtonBox;
  QPushButton* printButton =
      buttons->addButton(tr("&Print"), QDialogButtonBox::AcceptRole);
  printButton->setObjectName("printButton");
  printButton->setDefault(true);
  QPushButton* cancelButton =
      buttons->addButton(tr("Cancel &Job"), QDialogButtonBox::DestructiveRole);
  cancelButton->setObjectName("cancelJobButton");
  connect(printButton, &QPushButton::clicked, this, [this] { print(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancelJob(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(facts);
  layout->addLayout(middle, 1);
  layout->addWidget(buttons);

  // The panel for the queue, as the print dialog makes it, on the job's own name.
  host_ = std::make_shared<host::DialogHost>(queue_.printer, ppd::openFile(queue_.ppdFile.string()), true, true);
  host_->settings().setJobName(platform::Text::fromUtf8(offer_.job.name));
  panels_ = plugIn.PDEPanelsForType(platform::Text::fromUtf8(kPrintDialogType), host_);
  if (panels_ && !panels_->empty()) panel_ = panels_->front();
  if (panel_) {
    printdialog::showPanel(*panel_, *panelFrame_, *this, [this] { refreshSummary(); });
    panel_->willShow();
    refreshSummary();
  }
  resize(sizeHint());
}

// The panel's view leaves the window before the panel goes, since the panel's layout owns it.
JobWindow::~JobWindow() {
  panelFrame_->setView(nullptr);
  panel_.reset();
  panels_.reset();
  host_.reset();
}

// The summary as the print dialog shows it.
void JobWindow::refreshSummary() { printdialog::showSummary(*summary_, *panel_); }

void JobWindow::print() {
  if (!panel_) return;
  panel_->saveValuesAndReturnError(nullptr);
  // A refusal has shown the panel's alert; the window stays with the user's input.
  if (!panel_->shouldPrint()) return;
  std::string error;
  if (!watcher_.release(offer_, host_->settings().values(), error)) {
    inform(tr("Print"),
           tr("The print system did not take the job: %1").arg(qs(error)));
    return;
  }
  finish(Outcome::released);
}

void JobWindow::cancelJob() {
  std::string error;
  if (!watcher_.cancel(offer_, error)) {
    inform(tr("Cancel Job"),
           tr("The print system did not cancel the job: %1").arg(qs(error)));
    return;
  }
  finish(Outcome::cancelled);
}

void JobWindow::finish(Outcome outcome) {
  outcome_ = outcome;
  accept();
}

// Every way the window closes ends here once; a window closed without Print or Cancel Job keeps the job held.
void JobWindow::done(int result) {
  if (done_) {
    const Outcome outcome = outcome_.value_or(Outcome::kept);
    if (outcome == Outcome::kept) watcher_.keep(offer_.job.id);
    auto notify = std::move(done_);
    done_ = nullptr;
    notify(offer_, outcome);
  }
  QDialog::done(result);
}

}  // namespace jobagent
