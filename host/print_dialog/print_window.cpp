#include "print_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "panel_page.h"
#include "platform/printcore_cups.h"
#include "ppd_options.h"
#include "engine/settings_file.h"
#include "util/ppd_access.h"

namespace printdialog {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

// CUPS's page-ranges: numbers and ranges separated by commas ("1-4,7,10-").
const QRegularExpression kPageRanges(QStringLiteral("^\\s*\\d+(-\\d*)?(\\s*,\\s*\\d+(-\\d*)?)*\\s*$"));

// A PPD choice given by its keyword or, as the panel's choice kit gives it, by its text.
ppd_choice_t* findChoiceByKeywordOrText(ppd_option_t* option, const std::string& choice) {
  if (!option) return nullptr;
  for (int i = 0; i < option->num_choices; ++i)
    if (choice == option->choices[i].choice || choice == option->choices[i].text) return &option->choices[i];
  return nullptr;
}

}  // namespace

bool WindowHost::willChangePPDOptionKeyValue(const platform::Text& key, const platform::Text& choice) {
  ppd_option_t* option = ppd::findOption(ppdFile(), key.utf8().c_str());
  const ppd_choice_t* found = findChoiceByKeywordOrText(option, choice.utf8());
  // An option or choice this PPD does not have is not the dialog's to refuse.
  return !found || choiceFitsMarks(ppdFile(), option->keyword, found->choice);
}

PrintWindow::PrintWindow(PrinterList printers, OndrixPrintPdeTarvelPDEPlugIn* plugIn, WindowOptions options,
                         QWidget* parent)
    : QDialog(parent), printers_(std::move(printers)), plugIn_(plugIn), options_(std::move(options)) {
  setWindowTitle(tr("Print"));
  inform = [this](const QString& title, const QString& text) { QMessageBox::information(this, title, text); };

  // Printer row, with the reason when demo models are listed.
  printerBox_ = new QComboBox;
  printerBox_->setObjectName("printerBox");
  for (const PrinterEntry& e : printers_.entries)
    printerBox_->addItem(e.kind == PrinterEntry::Kind::demo ? tr("Demo: %1").arg(qs(e.label)) : qs(e.label));
  printerNote_ = new QLabel;
  printerNote_->setObjectName("printerNote");
  printerNote_->setWordWrap(true);
  printerNote_->setStyleSheet("color: palette(mid)");
  auto* printerRow = new QFormLayout;
  printerRow->addRow(tr("P&rinter:"), printerBox_);
  printerRow->addRow(QString(), printerNote_);

  // Tabs: General, the PPD's options, and the Job Handling panel when the printer has one.
  tabs_ = new QTabWidget;
  tabs_->setObjectName("tabs");
  tabs_->addTab(makeGeneralPage(), tr("General"));
  optionsPage_ = new QWidget;
  optionsForm_ = new QFormLayout(optionsPage_);
  tabs_->addTab(optionsPage_, tr("Printer Options"));
  // Every tab title whole, as the panel's own tabs show theirs.
  tabs_->setUsesScrollButtons(false);
  tabs_->setElideMode(Qt::ElideNone);
  // Made inside the window before its buttons, the frame's controls come before them with Tab.
  panelFrame_ = new host::qt::PanelFrame(tabs_);
  panelFrame_->setObjectName("panelArea");

  // The panel's summary beside the tabs.
  const auto [summaryBox, summary] = makeSummaryBox();
  summary_ = summary;

  auto* middle = new QHBoxLayout;
  middle->addWidget(tabs_, 1);
  middle->addWidget(summaryBox);

  auto* buttons = new QDialogButtonBox;
  QPushButton* printButton = buttons->addButton(tr("&Print"), QDialogButtonBox::AcceptRole);
  printButton->setObjectName("printButton");
  QPushButton* cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
  cancelButton->setObjectName("cancelButton");
  connect(printButton, &QPushButton::clicked, this, [this] { print(); });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(printerRow);
  layout->addLayout(middle, 1);
  layout->addWidget(buttons);
  // Enter prints wherever the focus is: the window's default button, set once the button is inside the
  // window (before, Qt does not keep it as the window's own default).
  printButton->setDefault(true);

  chosen_ = printers_.entries.empty() ? 0 : std::min(printers_.chosen, printers_.entries.size() - 1);
  printerBox_->setCurrentIndex(static_cast<int>(chosen_));
  connect(printerBox_, &QComboBox::currentIndexChanged, this, [this](int index) { choosePrinter(index); });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
    if (panel_ && tabs_->currentWidget() == panelFrame_) panel_->willShow();
  });
  startPrinter();
  resize(sizeHint().expandedTo(QSize(720, 540)));
}

PrintWindow::~PrintWindow() { endPanel(); }

QWidget* PrintWindow::makeGeneralPage() {
  auto* page = new QWidget;
  fileList_ = new QListWidget;
  fileList_->setObjectName("fileList");
  for (const std::string& f : options_.files) fileList_->addItem(qs(f));
  auto* choose = new QPushButton(tr("C&hoose…"));
  choose->setObjectName("chooseButton");
  connect(choose, &QPushButton::clicked, this, [this] { chooseFiles(); });
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(fileList_, 1);
  fileRow->addWidget(choose, 0, Qt::AlignTop);

  copies_ = new QSpinBox;
  copies_->setObjectName("copies");
  copies_->setRange(1, 999);
  copies_->setMaximumWidth(copies_->fontMetrics().horizontalAdvance("0000") + 48);
  pages_ = new QLineEdit;
  pages_->setObjectName("pageRanges");
  pages_->setPlaceholderText(tr("All pages (or e.g. 1-4, 7)"));
  pages_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ,-]*")), pages_));

  auto* form = new QFormLayout(page);
  form->addRow(tr("Files:"), fileRow);
  form->addRow(tr("&Copies:"), copies_);
  form->addRow(tr("Pa&ges:"), pages_);
  return page;
}

void PrintWindow::choosePrinter(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= printers_.entries.size()) return;
  chosen_ = static_cast<std::size_t>(index);
  if (printerBox_->currentIndex() != index) {
    const QSignalBlocker quiet(printerBox_);
    printerBox_->setCurrentIndex(index);
  }
  startPrinter();
}

// Ends the panel as a print dialog does when the printer changes: its view leaves the window first, since
// the panel's layout owns it, then the panel goes, then the callback object that it held.
void PrintWindow::endPanel() {
  panelFrame_->setView(nullptr);
  if (const int tab = tabs_ ? tabs_->indexOf(panelFrame_) : -1; tab >= 0) tabs_->removeTab(tab);
  panel_.reset();
  panels_.reset();
  host_.reset();
}

void PrintWindow::startPrinter() {
  // The new printer's panel takes the old one's place in front.
  const bool panelInFront = !host_ || tabs_->currentWidget() == panelFrame_;
  endPanel();
  summary_->clear();
  if (printers_.entries.empty()) {
    printerNote_->setText(tr("No printer."));
    return;
  }
  const PrinterEntry& e = printer();
  QString note;
  if (printers_.note == PrinterList::Note::noOndrixQueue)
    note = tr("No print queue of this machine has an Ondrix printer: showing the demo models.");
  else if (printers_.note == PrinterList::Note::noScheduler)
    note = tr("No print scheduler answers: showing the demo models.");
  if (e.deviceURI) note += (note.isEmpty() ? "" : "\n") + tr("Device: %1").arg(qs(*e.deviceURI));
  printerNote_->setText(note);
  printerNote_->setVisible(!note.isEmpty());

  ppd::FilePtr ppd = e.ppd.empty() ? nullptr : ppd::openFile(e.ppd.string());
  host_ = std::make_shared<WindowHost>(platform::Printer(e.queue, e.deviceURI), std::move(ppd), true, true);
  std::string error;
  if (!options_.settingsFile.empty() && !host::readSettingsFile(options_.settingsFile, host_->settings(), error))
    inform(tr("Print settings"), qs(error));
  const std::vector<std::string> chosenFiles = files();
  if (options_.jobName) host_->settings().setJobName(platform::Text::fromUtf8(*options_.jobName));
  else if (!chosenFiles.empty())
    host_->settings().setJobName(platform::Text::fromUtf8(ss(QFileInfo(qs(chosenFiles.front())).fileName())));
  markQueueDefaults(host_->ppdFile(), e.defaults);
  queueMarks_ = currentMarks(host_->ppdFile());
  fillPPDOptions();

  if (e.ondrix && plugIn_) {
    panels_ = plugIn_->PDEPanelsForType(platform::Text::fromUtf8(options_.dialogType), host_);
    if (panels_ && !panels_->empty()) panel_ = panels_->front();
  }
  if (panel_) {
    showPanel(*panel_, *panelFrame_, *this, [this] { refreshSummary(); });
    tabs_->addTab(panelFrame_, qs(panel_->panelName().utf8()));
    if (panelInFront) tabs_->setCurrentWidget(panelFrame_);
    if (tabs_->currentWidget() == panelFrame_) panel_->willShow();
  }
  refreshSummary();
}

QWidget& PrintWindow::panelPage() {
  if (tabs_->indexOf(panelFrame_) < 0) tabs_->addTab(panelFrame_, tr("Job Handling"));
  tabs_->setCurrentWidget(panelFrame_);
  return *panelFrame_;
}

void PrintWindow::fillPPDOptions() {
  while (optionsForm_->rowCount() > 0) optionsForm_->removeRow(0);
  ppd_file_t* ppd = host_->ppdFile();
  const std::vector<PPDOptionItem> items = uiOptions(ppd);
  if (items.empty()) optionsForm_->addRow(new QLabel(tr("This printer has no options of its own.")));
  std::vector<QWidget*> choices;
  for (const PPDOptionItem& item : items) {
    auto* combo = new QComboBox;
    combo->setObjectName(qs("ppd-" + item.keyword));
    const std::string marked = markedChoice(ppd, item.keyword);
    for (const PPDChoiceItem& c : item.choices) {
      combo->addItem(qs(c.text), qs(c.keyword));
      if (c.keyword == marked) combo->setCurrentIndex(combo->count() - 1);
    }
    const std::string option = item.keyword;
    connect(combo, &QComboBox::activated, this, [this, combo, option](int) { offerPPDChoice(combo, option); });
    optionsForm_->addRow(qs(item.text) + ":", combo);
    choices.push_back(combo);
  }
  // Made after the window's buttons, they would come after them with Tab.
  host::qt::placeInTabOrder(optionsPage_, choices);
}

// A change of a PPD option goes through the callback object's check, as the panel's own changes do; an
// allowed one is marked and reported to the panel, a refused one puts the combo box back.
void PrintWindow::offerPPDChoice(QComboBox* combo, const std::string& option) {
  ppd_file_t* ppd = host_->ppdFile();
  const std::string choice = ss(combo->currentData().toString());
  const platform::Text key = platform::Text::fromUtf8(option), value = platform::Text::fromUtf8(choice);
  if (!host_->willChangePPDOptionKeyValue(key, value)) {
    const int marked = combo->findData(qs(markedChoice(ppd, option)));
    combo->setCurrentIndex(marked);
    inform(tr("Printer Options"), tr("This choice conflicts with another option of the printer."));
    return;
  }
  ppd::markOption(ppd, option.c_str(), choice.c_str());
  if (panel_) panel_->PPDOptionKeyValueDidChange(key, value);
  refreshSummary();
}

void PrintWindow::refreshSummary() {
  if (!panel_) {
    summary_->setText(tr("<i>This printer has no Job Handling panel.</i>"));
    summary_->setAccessibleDescription(summary_->text().remove(QRegularExpression(QStringLiteral("<[^>]*>"))));
    return;
  }
  showSummary(*summary_, *panel_);
}

void PrintWindow::chooseFiles() {
  const QStringList chosen = QFileDialog::getOpenFileNames(this, tr("Files to print"));
  if (chosen.isEmpty()) return;
  fileList_->clear();
  fileList_->addItems(chosen);
  if (!options_.jobName && host_)
    host_->settings().setJobName(platform::Text::fromUtf8(ss(QFileInfo(chosen.front()).fileName())));
}

std::vector<std::string> PrintWindow::files() const {
  std::vector<std::string> list;
  for (int i = 0; i < fileList_->count(); ++i) list.push_back(ss(fileList_->item(i)->text()));
  return list;
}

void PrintWindow::writeJobOptions() {
  platform::PrintSettings& settings = host_->settings();
  settings.setValue("copies", std::to_string(copies_->value()));
  const QString ranges = pages_->text().remove(' ');
  settings.setValue("page-ranges", ranges.isEmpty() ? std::nullopt : std::optional<std::string>(ss(ranges)));
  for (const auto& [option, choice] : changedOptions(host_->ppdFile(), queueMarks_)) settings.setValue(option, choice);
}

// Print: the panel saves, then may refuse (the window stays open with the user's input); an approved job
// goes to CUPS as one job with a document per file and every print-settings value as a job option, or, for
// a demo model, the options it would carry are shown.
void PrintWindow::print() {
  if (!host_) return;
  const PrinterEntry& e = printer();
  const std::vector<std::string> chosenFiles = files();
  if (e.kind == PrinterEntry::Kind::cups && chosenFiles.empty()) {
    inform(tr("Print"), tr("Choose a file to print."));
    return;
  }
  if (!pages_->text().trimmed().isEmpty() && !kPageRanges.match(pages_->text()).hasMatch()) {
    inform(tr("Print"), tr("The pages are not a list of page numbers and ranges such as 1-4, 7."));
    return;
  }
  if (panel_) {
    panel_->saveValuesAndReturnError(nullptr);
    if (!panel_->shouldPrint()) return;
  }
  writeJobOptions();
  const platform::PrintSettings& settings = host_->settings();

  if (e.kind == PrinterEntry::Kind::demo) {
    QString lines;
    for (const auto& [key, value] : settings.values()) lines += qs(key + "=" + value) + "\n";
    inform(tr("Demo printer"), tr("A real printer would receive this job with these options:\n\n") + lines);
    accept();
    return;
  }
  // One job of one document per file: all of it is sent, or none, so that a second Print sends each once.
  const platform::Text& name = settings.jobName();
  const std::string title = name.isNone() ? chosenFiles.front() : name.utf8();
  const std::vector<std::filesystem::path> documents(chosenFiles.begin(), chosenFiles.end());
  const auto result = platform::cups::printFiles(e.queue, documents, title, settings);
  if (result.jobId == 0) {
    inform(tr("Print"), tr("CUPS did not take the job: %1").arg(qs(result.error)));
    return;
  }
  accept();
}

}  // namespace printdialog
