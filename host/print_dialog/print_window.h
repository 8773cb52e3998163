// The print dialog's window: printer, files, copies and pages, the PPD's own options, the Job Handling
// panel for Ondrix models, the panel's summary, Print and Cancel.
#pragma once

#include <QDialog>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/dialog_host.h"
#include "qt/panel_frame.h"
#include "plugin/plugin.h"
#include "printer_list.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace printdialog {

struct WindowOptions {
  std::filesystem::path bundle;
  std::vector<std::string> files;
  std::optional<std::string> jobName;   // the job's own name; the first file's name when none
  std::filesystem::path settingsFile;   // key=value lines every printer's job starts from; empty for none
  std::string dialogType;               // the type the panels are asked for
};

// The host callback object of the window: the stand-in dialog's, with the window's answer to an option
// change: allowed unless it adds a conflict to the PPD's marks.
class WindowHost : public host::DialogHost {
 public:
  using host::DialogHost::DialogHost;
  bool willChangePPDOptionKeyValue(const platform::Text& key, const platform::Text& choice) override;
};

class PrintWindow : public QDialog {
  Q_OBJECT  // for tr(): the window's texts are looked up under this class's name

 public:
  // REQUIRES: plugIn outlives the window; the host services it was loaded with are in place.
  PrintWindow(PrinterList printers, OndrixPrintPdeTarvelPDEPlugIn* plugIn, WindowOptions options,
              QWidget* parent = nullptr);
  ~PrintWindow() override;

  // The panel of the chosen printer; none for a printer without the Job Handling panel.
  PDEPanel* panel() const { return panel_.get(); }
  // The chosen printer's callback object (its print settings and PPD).
  WindowHost* dialogHost() const { return host_.get(); }
  const PrinterEntry& printer() const { return printers_.entries.at(chosen_); }
  // Chooses the printer at index of the list: ends the panel and makes one for the new printer.
  void choosePrinter(int index);

  // The Job Handling page, shown as a tab, for a caller that places a panel's view itself (the scripted
  // steps); its layout takes the view.
  QWidget& panelPage();

  // How the window tells the user something: a message box, unless a caller (a test) puts its own here.
  std::function<void(const QString& title, const QString& text)> inform;

 private:
  QWidget* makeGeneralPage();
  void startPrinter();
  void endPanel();
  void fillPPDOptions();
  void offerPPDChoice(QComboBox* combo, const std::string& option);
  void refreshSummary();
  void chooseFiles();
  void print();
  // Copies, pages and the changed PPD options into the job's print settings.
  void writeJobOptions();
  std::vector<std::string> files() const;

  PrinterList printers_;
  OndrixPrintPdeTarvelPDEPlugIn* plugIn_;
  WindowOptions options_;
  std::size_t chosen_ = 0;

  std::shared_ptr<WindowHost> host_;
  std::optional<std::vector<std::shared_ptr<PDEPanel>>> panels_;
  std::shared_ptr<PDEPanel> panel_;
  std::map<std::string, std::string> queueMarks_;  // the PPD's marks as the queue gives them

  QComboBox* printerBox_ = nullptr;
  QLabel* printerNote_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QListWidget* fileList_ = nullptr;
  QSpinBox* copies_ = nullptr;
  QLineEdit* pages_ = nullptr;
  QWidget* optionsPage_ = nullptr;
  QFormLayout* optionsForm_ = nullptr;
  host::qt::PanelFrame* panelFrame_ = nullptr;  // holds the panel's view, owned by the panel's layout
  QLabel* summary_ = nullptr;
};

}  // namespace printdialog
