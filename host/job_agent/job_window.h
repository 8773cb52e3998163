// The job agent's window for one held job: the job's name and queue, the Job Handling panel for the queue,
// its summary, Print and Cancel Job. Closing it leaves the job held.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/dialog_host.h"
#include "job_watcher.h"
#include "platform/printcore_cups.h"
#include "plugin/plugin.h"

class QLabel;

namespace host::qt {
class PanelFrame;
}

namespace jobagent {

// What became of a job: the word of the agent's line "job=QUEUE-ID WORD".
enum class Outcome { kept, released, cancelled };
const char* outcomeWord(Outcome outcome);

class JobWindow : public QDialog {
  Q_OBJECT  // for tr(): the window's texts are looked up under this class's name

 public:
  // Shows the panel of offer's queue for the job (queue: the queue as the scheduler gives it, its PPD
  // fetched). done is called once with the outcome when the window closes.
  // REQUIRES: plugIn and watcher outlive the window; the host services the plug-in was loaded with are in place.
  JobWindow(Offer offer, platform::cups::Queue queue, JobWatcher& watcher, OndrixPrintPdeTarvelPDEPlugIn& plugIn,
            std::function<void(const Offer&, Outcome)> done, QWidget* parent = nullptr);
  ~JobWindow() override;

  PDEPanel* panel() const { return panel_.get(); }
  const Offer& offer() const { return offer_; }

  // How the window tells the user that the print system refused: a message box, unless a caller (a test)
  // puts its own here.
  std::function<void(const QString& title, const QString& text)> inform;

 protected:
  void done(int result) override;

 private:
  void print();
  void cancelJob();
  void refreshSummary();
  void finish(Outcome outcome);

  Offer offer_;
  platform::cups::Queue queue_;
  JobWatcher& watcher_;
  std::function<void(const Offer&, Outcome)> done_;
  std::optional<Outcome> outcome_;

  std::shared_ptr<host::DialogHost> host_;
  std::optional<std::vector<std::shared_ptr<PDEPanel>>> panels_;
  std::shared_ptr<PDEPanel> panel_;
  host::qt::PanelFrame* panelFrame_ = nullptr;  // holds the panel's view, owned by the panel's layout
  QLabel* summary_ = nullptr;
};

}  // namespace jobagent
