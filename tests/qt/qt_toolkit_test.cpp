// The panel on real Qt widgets, operated through real mouse clicks and key presses: what the user sees in
// the widgets themselves (not only what the panel reads back), the modal alert, and the folder query's
// busy indicator while the run loop turns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

#include "platform/host_services.h"
#include "qt/qt_steps.h"
#include "support/panel_fixture.h"
#include "support/qt_app.h"
#include "support/sim_process.h"
#include "toolkits/qt/qt_toolkit.h"

// Qt's font database keeps fontconfig's pattern cache for the life of the process, and fontconfig
// frees it only on FcFini, which Qt never calls. That and nothing else is not reported as a leak.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

QApplication& application() { return testsupport::qtApplication(); }

// Widgets need the application before they are made, so it comes first among the fixture's bases.
struct WithApplication {
  WithApplication() { application(); }
};

class QtPanel : public WithApplication, public testsupport::PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    new QVBoxLayout(&window_);
    platform::setHostServices({&toolkit_, &runLoop_, &boxes_});
  }

  void TearDown() override { PanelFixture::TearDown(); }

  template <class W>
  W* widget(OndrixPrintPdeTarvel& panel, const std::string& name) {
    auto* w = qobject_cast<W*>(toolkits::qt::widgetOf(control(panel, name)));
    if (!w) ADD_FAILURE() << name << " is not a widget of the expected class";
    return w;
  }

  ui::TextField& field(OndrixPrintPdeTarvel& panel, const std::string& name) {
    return *control(panel, name).asTextField();
  }

  QWidget window_;
  toolkits::qt::QtToolkit toolkit_;
  toolkits::qt::QtRunLoop runLoop_;
  toolkits::qt::MessageBoxAlerts boxes_{&window_};
  host::qt::QtActions hands_{window_};
};

TEST_F(QtPanel, NumberFieldsRefuseWhatTheFiltersRefuse) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  panel.restoreValuesAndReturnError(nullptr);
  hands_.click(control(panel, "retentionCheckBox"));
  QLineEdit* passCode = widget<QLineEdit>(panel, "suspendKeyEditText");
  ASSERT_TRUE(passCode);
  ASSERT_TRUE(passCode->validator());

  EXPECT_EQ(hands_.type(field(panel, "suspendKeyEditText"), platform::Text::fromUtf8("12a3")), 3u);
  EXPECT_EQ(passCode->text(), "123");
  EXPECT_FALSE(hands_.paste(field(panel, "suspendKeyEditText"), platform::Text::fromUtf8("4b")));
  EXPECT_TRUE(hands_.paste(field(panel, "suspendKeyEditText"), platform::Text::fromUtf8("4567")));
  EXPECT_EQ(hands_.type(field(panel, "suspendKeyEditText"), platform::Text::fromUtf8("89")), 1u);
  EXPECT_EQ(passCode->text(), "12345678");
  // A select-all and a digit in a full field is refused too; deleting is always possible.
  passCode->selectAll();
  QTest::keyClick(passCode, Qt::Key_9);
  EXPECT_EQ(passCode->text(), "12345678");
  EXPECT_TRUE(hands_.clear(field(panel, "suspendKeyEditText")));
  EXPECT_EQ(passCode->text(), "");
}

TEST_F(QtPanel, AHeldLoginNameIsMaskedOnScreen) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  panel.restoreValuesAndReturnError(nullptr);
  hands_.type(field(panel, "loginNameEditText"), platform::Text::fromUtf8("alice"));
  QToolButton* hold = widget<QToolButton>(panel, "loginNameButton");
  ASSERT_TRUE(hold);
  EXPECT_FALSE(hold->icon().isNull());  // the bundle's padlock: offscreen has no icon theme
  hands_.click(control(panel, "loginNameButton"));

  EXPECT_TRUE(hold->isChecked());
  EXPECT_EQ(widget<QLineEdit>(panel, "loginNameEditText")->text(), QString(5, QChar(0x2022)));
  EXPECT_EQ(panel.loginNameStringRef.utf8(), "alice");
  // Released again, the name is forgotten and typed anew.
  hands_.click(control(panel, "loginNameButton"));
  EXPECT_EQ(widget<QLineEdit>(panel, "loginNameEditText")->text(), "");
  EXPECT_TRUE(panel.loginNameStringRef.isNone());
}

TEST_F(QtPanel, PrintSystemWithoutAuthenticationShowsTheAlertAndStaysOpen) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel("demo-printsystem.ppd");
  panel.restoreValuesAndReturnError(nullptr);
  hands_.type(field(panel, "accountNumberEditText"), platform::Text::fromUtf8("12"));
  QString title, text, button;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    ASSERT_EQ(box->buttons().size(), 1);
    button = box->buttons().front()->text();
    box->buttons().front()->click();
  });
  EXPECT_FALSE(panel.shouldPrint());
  EXPECT_EQ(title, "Information");
  EXPECT_EQ(text, "Please confirm the following setting items.\nLogin Name\nUser Number");
  EXPECT_EQ(button, "OK");
  // The user's input is still there to be completed.
  EXPECT_EQ(widget<QLineEdit>(panel, "accountNumberEditText")->text(), "12");
  EXPECT_EQ(hands_.type(field(panel, "loginNameEditText"), platform::Text::fromUtf8("carol")), 5u);
}

TEST_F(QtPanel, FolderQueryTurnsTheIndicatorThenFillsThePopUp) {
  testsupport::EnvOverride replies{"XDG_RUNTIME_DIR", scratch().string()};
  testsupport::EnvOverride direct{"no_proxy", "*"};
  testsupport::SimProcess sim({"--delay-ms", "400", "--folder", "Sales", "--folder", "Legal:protected"});
  ASSERT_GT(sim.port(), 0);
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  panel.restoreValuesAndReturnError(nullptr);
  hands_.click(control(panel, "retentionCheckBox"));
  hands_.set(control(panel, "printersAddressEditText"), sim.address());
  QProgressBar* arrow = widget<QProgressBar>(panel, "chasingArrow");
  QComboBox* popUp = widget<QComboBox>(panel, "folderSelectionPopup");
  ASSERT_TRUE(arrow && popUp);
  EXPECT_TRUE(hands_.select(control(panel, "tabView"), 2));  // the page with the button, as a user gets there
  EXPECT_TRUE(arrow->isHidden());

  // Timers fire while the query waits: the run loop turns, and the indicator is seen busy on screen.
  int turns = 0, busy = 0;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    ++turns;
    if (arrow->isVisible() && arrow->minimum() == 0 && arrow->maximum() == 0) ++busy;
  });
  probe.start(20);
  EXPECT_TRUE(hands_.click(control(panel, "getFolderNameButton")));
  probe.stop();

  EXPECT_GT(turns, 5);
  EXPECT_GT(busy, 5);
  EXPECT_TRUE(arrow->isHidden());
  QApplication::processEvents();
  ASSERT_EQ(popUp->count(), 5);
  EXPECT_EQ(popUp->itemText(3), "Sales");
  EXPECT_EQ(popUp->itemText(4), "Legal");
  EXPECT_FALSE(popUp->itemIcon(4).isNull());  // the padlock of a protected folder
}

// A host may delete its window, and the panel's widgets with it, before it releases the panel: the panel
// then works on controls without widgets, which act as absent ones.
TEST_F(QtPanel, ThePanelOutlivesItsWidgets) {
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  panel.restoreValuesAndReturnError(nullptr);
  QWidget* view = toolkits::qt::widgetOf(*panel.panelView());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->objectName(), "JobControl4");
  delete view;
  EXPECT_FALSE(toolkits::qt::widgetOf(*panel.panelView()));
  EXPECT_FALSE(hands_.click(control(panel, "retentionCheckBox")));
  panel.restoreValuesAndReturnError(nullptr);
  panel.saveValuesAndReturnError(nullptr);
  EXPECT_EQ(control(panel, "loginNameEditText").asTextField()->stringValue().utf8(), "");
}

}  // namespace
