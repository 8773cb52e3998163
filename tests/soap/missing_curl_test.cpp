// A machine without libcurl: the plug-in still loads (libcurl is opened only when a printer is asked), and
// asking is a failed query. Its own executable, since libcurl is loaded at most once per process.
#include <gtest/gtest.h>

#include "platform/net.h"
#include "soap/folder_query.h"
#include "support/panel_fixture.h"
#include "support/sim_process.h"

namespace {

using platform::Text;

class MissingCurlTest : public testsupport::PanelFixture {};

TEST_F(MissingCurlTest, AQueryWithoutLibcurlFailsWithTheAlertAndKeepsTheList) {
  platform::net::setLibraryNameForTesting("libcurl-not-installed.so.4");
  ASSERT_FALSE(platform::net::available());

  // A printer that would answer: nothing of its list may arrive.
  testsupport::SimProcess sim({"--folder", "Sales"});
  ASSERT_GT(sim.port(), 0);
  OndrixPrintPdeTarvel& panel = makeViewedPanel();
  panel.printersAddressEditText->setStringValue(Text::fromUtf8(sim.address()));
  const FolderList before{FolderEntry{.name = "Old", .password = true, .dir = true, .add = false}};
  panel.folderList = before;
  panel.getFolderNameButtonProc(panel.getFolderNameButton.get());

  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_EQ(alerts.shown[0].message, "Could not retrieve Folder Names.");
  EXPECT_EQ(panel.folderList, before);
  EXPECT_FALSE(panel.chasingArrow->isAnimating());
  EXPECT_TRUE(panel.chasingArrow->isHidden());
}

}  // namespace
