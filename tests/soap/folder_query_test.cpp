#include "soap/folder_query.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/host_services.h"
#include "platform/xml.h"
#include "soap_test_support.h"
#include "support/panel_fixture.h"
#include "support/scratch.h"
#include "support/sim_process.h"
#include "support/temp_bundle.h"

namespace {

using platform::Text;
using testsupport::EnvOverride;
using testsupport::readFile;
using testsupport::SimProcess;
using testsupport::writeFile;

FolderEntry entry(const std::string& name, bool password, bool dir) {
  return FolderEntry{.name = name, .password = password, .dir = dir, .add = false};
}

// A SOAP reply around the given response element content.
std::string reply(const std::string& responseContent, const std::string& beforeBody = "") {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">\n" +
         beforeBody + "  <SOAP-ENV:Body>\n    <get-folder-list-response xmlns=\"urn:ondrix:mfp:folder-service:1\">\n" +
         responseContent + "\n    </get-folder-list-response>\n  </SOAP-ENV:Body>\n</SOAP-ENV:Envelope>\n";
}

std::string file(const std::string& name, const std::string& password, const std::string& dir = "true") {
  return "<file><name>" + name + "</name><password>" + password + "</password><dir>" + dir + "</dir></file>";
}

const std::string kOk = "<result-code>ok</result-code>";
const std::string kThree =
    "<files>" + file("Sales", "false") + file("Legal", "true") + file("Archive", "false", "false") + "</files>";

class FolderQueryTest : public testsupport::PanelFixture {
 protected:
  // The list a panel held before the query.
  static FolderList previousList() { return {entry("Old", true, true)}; }

  OndrixPrintPdeTarvel& queryPanel(const std::string& address) {
    OndrixPrintPdeTarvel& panel = makeViewedPanel();
    panel.printersAddressEditText->setStringValue(Text::fromUtf8(address));
    panel.folderList = previousList();
    return panel;
  }

  // The list and address stored for the panel's printer, in their stored form; none when nothing is stored.
  static std::optional<std::pair<std::vector<platform::plist::Dict>, std::string>> stored(OndrixPrintPdeTarvel& panel) {
    platform::UserDefaults* defaults = platform::UserDefaults::standardUserDefaults();
    auto domain = defaults ? defaults->persistentDomainForName(panel.preferenceName.utf8()) : std::nullopt;
    const platform::plist::Value* record = domain ? platform::plist::find(*domain, "Job Handling") : nullptr;
    if (!record || !record->dict()) return std::nullopt;
    const platform::plist::Value* files = platform::plist::find(*record->dict(), "files");
    const platform::plist::Value* address = platform::plist::find(*record->dict(), "address");
    if (!files || !files->array() || !address || !address->string()) return std::nullopt;
    std::vector<platform::plist::Dict> list;
    for (const platform::plist::Value& v : *files->array())
      list.push_back(v.dict() ? *v.dict() : platform::plist::Dict());
    return std::make_pair(list, *address->string());
  }

  static std::vector<platform::plist::Dict> storedForm(const FolderList& list) {
    std::vector<platform::plist::Dict> dicts;
    for (const FolderEntry& entry : list) dicts.push_back(folders::toStored(entry));
    return dicts;
  }

  // Titles of the folder pop-up's items; "-" stands for the separator.
  static std::vector<std::string> popUpTitles(OndrixPrintPdeTarvel& panel) {
    std::vector<std::string> titles;
    ui::Menu& menu = panel.folderSelectionPopup->menu();
    for (long i = 0; i < menu.numberOfItems(); ++i) {
      const ui::MenuItem* item = menu.itemAtIndex(i);
      titles.push_back(item->isSeparator() ? "-" : item->title().utf8());
    }
    return titles;
  }

 private:
  EnvOverride runtimeDir_{"XDG_RUNTIME_DIR", scratch().string()};
  EnvOverride noProxy_{"no_proxy", "*"};
};

// Replies as the parser reads them: the result, and the list afterwards (none: the list as it was).
TEST_F(FolderQueryTest, ParsesRepliesIntoTheFolderList) {
  const std::string envelopeNs = "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"";
  const struct {
    const char* what;
    std::optional<std::string> text;  // none: no file at all
    bool result;
    std::optional<FolderList> list;
  } cases[] = {
      {"three folders in order", reply(kOk + kThree), true,
       FolderList{entry("Sales", false, true), entry("Legal", true, true), entry("Archive", false, false)}},
      {"only \"true\" is true", reply(kOk + "<files>" + file("A", "True", "TRUE") + file("B", " true") + "</files>"),
       true, FolderList{entry("A", false, false), entry("B", false, true)}},
      {"a true flag stays true", reply(kOk + "<files><f><name>A</name><dir>true</dir><dir>false</dir>"
                                             "<password>true</password><password>no</password></f></files>"),
       true, FolderList{entry("A", true, true)}},
      {"no folders", reply(kOk + "<files/>"), true, FolderList{}},
      {"a SOAP header before the body",
       reply(kOk + kThree, "  <SOAP-ENV:Header><s xmlns=\"urn:x\">h</s></SOAP-ENV:Header>\n"), true,
       FolderList{entry("Sales", false, true), entry("Legal", true, true), entry("Archive", false, false)}},
      {"a prefixed files element", reply(kOk + "<of:files xmlns:of=\"urn:x\">" + file("A", "false") + "</of:files>"),
       false, FolderList{}},
      {"a result code other than ok", reply("<result-code>unsupported-operation</result-code>" + kThree), false,
       FolderList{}},
      {"the last result code wins", reply("<result-code>busy</result-code>" + kThree + kOk), true,
       FolderList{entry("Sales", false, true), entry("Legal", true, true), entry("Archive", false, false)}},
      {"the last files element wins", reply(kOk + kThree + "<files>" + file("Z", "true") + "</files>"), true,
       FolderList{entry("Z", true, true)}},
      {"files without a result code", reply(kThree), true,
       FolderList{entry("Sales", false, true), entry("Legal", true, true), entry("Archive", false, false)}},
      {"a result code without files", reply(kOk), false, FolderList{}},
      {"only comments and text besides entries",
       reply(kOk + "<files><!-- none -->" + file("A", "false") + "stray text" + file("B", "true") + "</files>"), true,
       FolderList{entry("A", false, true), entry("B", true, true)}},
      {"an entry without a name keeps its place",
       reply(kOk + "<files>" + file("A", "false") + "<file><password>true</password></file>" + file("B", "false") +
             "</files>"),
       true, FolderList{entry("A", false, true), entry("", true, false), entry("B", false, true)}},
      {"escaped and CDATA names",
       reply(kOk + "<files>" + file("R&amp;D", "false") + file("<![CDATA[Caf\xc3\xa9 <1>]]>", "false") +
             file("&#x41;&#66;", "false") + "</files>"),
       true, FolderList{entry("R&D", false, true), entry("Caf\xc3\xa9 <1>", false, true), entry("AB", false, true)}},
      // Not folder lists at all: the list stays as it was.
      {"a SOAP fault",
       "<SOAP-ENV:Envelope " + envelopeNs +
           "><SOAP-ENV:Body><SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>"
           "<faultstring>down</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>",
       false, std::nullopt},
      {"every element prefixed",
       "<S:Envelope xmlns:S=\"urn:s\"><S:Body><o:r xmlns:o=\"urn:o\"><o:result-code>ok</o:result-code><o:files>" +
           file("A", "false") + "</o:files></o:r></S:Body></S:Envelope>",
       false, std::nullopt},
      {"an empty envelope", std::string("<Envelope/>"), false, std::nullopt},
      {"a comment after the envelope", reply(kOk + kThree) + "<!-- trailing -->\n", true,
       FolderList{entry("Sales", false, true), entry("Legal", true, true), entry("Archive", false, false)}},
      {"a comment closing the envelope",
       "<S:Envelope xmlns:S=\"urn:s\"><S:Body><r>" + kOk + kThree + "</r></S:Body><!-- end --></S:Envelope>", false,
       std::nullopt},
      {"not well-formed", reply(kOk + kThree).substr(0, 200), false, std::nullopt},
      {"two root elements", "<a>" + kOk + "</a><b/>", false, std::nullopt},
      {"a document type declaration",
       "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x \"Sales\">]>\n<S:Envelope xmlns:S=\"urn:s\"><S:Body><r>" + kOk +
           "<files><f><name>&x;</name></f></files></r></S:Body></S:Envelope>",
       false, std::nullopt},
      {"no reply file", std::nullopt, false, std::nullopt},
      // Replies that are not well-formed XML, though a lenient parser would take them.
      {"a name that is not UTF-8", reply(kOk + "<files>" + file("Sa\xffles", "false") + "</files>"), false,
       std::nullopt},
      {"a control character by reference", reply(kOk + "<files>" + file("A&#1;B", "false") + "</files>"), false,
       std::nullopt},
      {"a raw control character", reply(kOk + "<files>" + file("A\x01" "B", "false") + "</files>"), false,
       std::nullopt},
      {"a reference to character zero", reply(kOk + "<files>" + file("&#0;Sales", "false") + "</files>"), false,
       std::nullopt},
      {"text after the root element", reply("<result-code>busy</result-code>" + kThree) + "trailing text", false,
       std::nullopt},
      {"an undefined entity", reply(kOk + "<files>" + file("&sales;", "false") + "</files>"), false, std::nullopt},
      {"an attribute given twice", reply(kOk + "<files a=\"1\" a=\"2\">" + file("A", "false") + "</files>"), false,
       std::nullopt},
  };

  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  const std::filesystem::path replyFile = scratch() / "reply.xml";
  for (const auto& c : cases) {
    std::filesystem::remove(replyFile);
    if (c.text) writeFile(replyFile, *c.text);
    panel.folderList = previousList();
    EXPECT_EQ(panel.parseXML(replyFile), c.result) << c.what;
    EXPECT_EQ(panel.folderList, c.list ? c.list : std::optional<FolderList>(previousList())) << c.what;
  }
}

// One reply must not take the host's memory: more folders than a pop-up can sensibly hold is a failed
// query (the alert, the list as it was), up to that many is a list.
TEST_F(FolderQueryTest, RefusesAReplyWithMoreThanTenThousandFolders) {
  OndrixPrintPdeTarvel& panel = makePanel(makeHost());
  const std::filesystem::path replyFile = scratch() / "reply.xml";
  const auto entries = [](std::size_t n, const std::string& each) {
    std::string files = "<files>";
    for (std::size_t i = 0; i < n; ++i) files += each;
    return reply(kOk + files + "</files>");
  };
  const struct {
    const char* what;
    std::string text;
    std::optional<std::size_t> folders;  // none: refused
  } cases[] = {
      {"10,000 folders", entries(10000, file("F", "false")), 10000},
      {"10,001 folders", entries(10001, file("F", "false")), std::nullopt},
      {"two million empty entries", entries(2000000, "<f/>"), std::nullopt},
  };
  for (const auto& c : cases) {
    writeFile(replyFile, c.text);
    panel.folderList = previousList();
    alerts.shown.clear();
    EXPECT_EQ(panel.parseXML(replyFile), c.folders.has_value()) << c.what;
    if (c.folders) {
      EXPECT_EQ(panel.folderList->size(), *c.folders) << c.what;
      EXPECT_TRUE(alerts.shown.empty()) << c.what;
    } else {
      EXPECT_EQ(panel.folderList, previousList()) << c.what;
      EXPECT_EQ(alerts.shown.size(), 1u) << c.what;
    }
  }
}

TEST(MyGetChild, GivesTheLastChildOfAnyKind) {
  const struct {
    const char* document;
    platform::xml::Node::Kind kind;  // of the root's last child; none for none
    std::string nameOrText;
  } cases[] = {
      {"<a/>", platform::xml::Node::Kind::none, ""},
      {"<a><b/><c/></a>", platform::xml::Node::Kind::element, "c"},
      {"<a><b/>\n   \n</a>", platform::xml::Node::Kind::element, "b"},
      {"<a><b/><!--x--></a>", platform::xml::Node::Kind::comment, "x"},
      {"<a><b/>tail</a>", platform::xml::Node::Kind::text, "tail"},
      {"<a><b/><![CDATA[raw]]></a>", platform::xml::Node::Kind::text, "raw"},
  };
  for (const auto& c : cases) {
    const auto doc = platform::xml::Document::parse(c.document);
    ASSERT_NE(doc, nullptr) << c.document;
    const platform::xml::Node child = MyGetChild(doc->rootElement());
    EXPECT_EQ(child.kind(), c.kind) << c.document;
    const std::string seen = child.kind() == platform::xml::Node::Kind::element ? child.name() : child.stringValue();
    EXPECT_EQ(seen, c.nameOrText) << c.document;
  }
  // A missing level stays missing.
  EXPECT_FALSE(MyGetChild(platform::xml::Node()));
  EXPECT_FALSE(MyGetChild(MyGetChild(platform::xml::Node())));
}

// The failure alert: empty title, the message with its placeholder dropped and nothing else interpreted,
// the button; translated when the bundle has a table, the keys themselves when there is no bundle.
TEST(FolderQueryAlert, ShowsTheTranslatedMessageAsPlainText) {
  testsupport::TempBundle german;
  german.addCatalogue("de",
                      "msgid \"Could not retrieve Folder Names.%@\"\n"
                      "msgstr \"Ordner 100%% %s %n%@ nicht abrufbar.%@\"\n\n"
                      "msgid \"OK\"\nmsgstr \"Gut\"\n");
  testsupport::CatalogueLanguage language;
  ASSERT_TRUE(language.ready());
  language.use("de");

  testsupport::CapturingAlerts alerts;
  platform::setHostServices({nullptr, nullptr, &alerts});
  const struct {
    const char* what;
    std::shared_ptr<const platform::Bundle> bundle;
    std::string message, button;
  } cases[] = {
      {"translated", std::make_shared<const platform::Bundle>(german.path()),
       "Ordner 100%% %s %n nicht abrufbar.", "Gut"},
      {"no bundle", nullptr, "Could not retrieve Folder Names.", "OK"},
  };
  for (const auto& c : cases) {
    alerts.shown.clear();
    OndrixPrintPdeTarvel panel(nullptr, c.bundle);
    panel.recieveEndCallback();
    ASSERT_EQ(alerts.shown.size(), 1u) << c.what;
    EXPECT_EQ(alerts.shown[0].title, "") << c.what;
    EXPECT_EQ(alerts.shown[0].message, c.message) << c.what;
    EXPECT_EQ(alerts.shown[0].button, c.button) << c.what;
  }
  platform::setHostServices({});
}

// The request is the bundle's template, byte for byte.
TEST_F(FolderQueryTest, SendsTheRequestTemplateUnchanged) {
  const std::filesystem::path record = scratch() / "request.txt";
  SimProcess sim({"--folder", "Sales", "--record", record.string()});
  ASSERT_GT(sim.port(), 0);
  OndrixPrintPdeTarvel& panel = queryPanel(sim.address());
  panel.getFolderNameButtonProc(panel.getFolderNameButton.get());

  const std::string request = readFile(record);
  const std::string templateBody = readFile(std::filesystem::path(ONDRIX_RESOURCE_DIR) / "listfiles2.xml");
  ASSERT_FALSE(templateBody.empty());
  const std::size_t bodyStart = request.find("\n\n");
  ASSERT_NE(bodyStart, std::string::npos) << request;
  EXPECT_EQ(request.substr(bodyStart + 2), templateBody);
}

// Replies from the simulated device, end to end through the button's action.
TEST_F(FolderQueryTest, ClickFetchesStoresAndShowsTheDevicesFolders) {
  const std::vector<std::string> all = {"Quick File", "Main Folder", "-", "Sales", "Legal", "Archive"};
  const std::vector<std::string> fixed = {"Quick File", "Main Folder"};
  const std::vector<std::string> kept = {"Quick File", "Main Folder", "-", "Old"};
  const FolderList three = {entry("Sales", false, true), entry("Legal", true, true), entry("Archive", false, true)};
  const struct {
    const char* what;
    std::vector<std::string> switches;
    std::optional<FolderList> list;  // none: the list as it was
    std::vector<std::string> titles;
  } cases[] = {
      {"plain", {}, three, all},
      {"in pieces", {"--chunked", "--pieces", "5"}, three, all},
      {"header first", {"--header-first"}, three, all},
      {"an error status with a folder list", {"--status", "500"}, three, all},
      {"a result code other than ok", {"--result-code", "unsupported-operation"}, FolderList{}, fixed},
      {"a SOAP fault", {"--soap-fault"}, std::nullopt, kept},
  };
  for (const auto& c : cases) {
    std::vector<std::string> switches = {"--folder", "Sales", "--folder", "Legal:protected", "--folder", "Archive"};
    switches.insert(switches.end(), c.switches.begin(), c.switches.end());
    SimProcess sim(switches);
    ASSERT_GT(sim.port(), 0) << c.what;

    OndrixPrintPdeTarvel& panel = queryPanel(sim.address());
    panel.getFolderNameButtonProc(panel.getFolderNameButton.get());

    EXPECT_EQ(panel.folderList, c.list ? c.list : std::optional<FolderList>(previousList())) << c.what;
    EXPECT_EQ(stored(panel), std::make_pair(storedForm(c.list.value_or(previousList())), sim.address())) << c.what;
    EXPECT_EQ(popUpTitles(panel), c.titles) << c.what;
    EXPECT_TRUE(alerts.shown.empty()) << c.what;
    EXPECT_FALSE(panel.chasingArrow->isAnimating()) << c.what;
    EXPECT_TRUE(panel.chasingArrow->isHidden()) << c.what;
  }
}

// The progress indicator is seen running while the request is out.
TEST_F(FolderQueryTest, ShowsProgressWhileWaiting) {
  struct WatchingRunLoop : platform::RunLoop {
    void runFor(std::chrono::milliseconds) override {
      if (panel && panel->chasingArrow->isAnimating() && !panel->chasingArrow->isHidden()) ++seenRunning;
    }
    OndrixPrintPdeTarvel* panel = nullptr;
    int seenRunning = 0;
  } loop;
  platform::HostServices services = platform::hostServices();
  services.runLoop = &loop;
  platform::setHostServices(services);

  SimProcess sim({"--folder", "Sales", "--delay-ms", "300"});
  ASSERT_GT(sim.port(), 0);
  OndrixPrintPdeTarvel& panel = queryPanel(sim.address());
  loop.panel = &panel;
  panel.getFolderNameButtonProc(panel.getFolderNameButton.get());
  EXPECT_GT(loop.seenRunning, 0);
  EXPECT_EQ(panel.folderList, FolderList{entry("Sales", false, true)});
}

// Failures: the alert once (for transport failures only), the list as it was, the pop-up rebuilt from it.
// An earlier reply of another printer is never taken for this printer's answer.
TEST_F(FolderQueryTest, FailuresKeepTheListAndAlertOnlyForTransportErrors) {
  std::string refusedAddress;
  {
    soaptest::LoopbackServer closed;
    closed.start();
    refusedAddress = "127.0.0.1:" + std::to_string(closed.port());
  }
  writeFile(scratch() / "vwxyz.xml", reply(kOk + kThree));

  const struct {
    const char* what;
    std::string address;
    std::size_t alerts;
  } cases[] = {
      {"connection refused", refusedAddress, 1},
      {"empty address", "", 0},
      {"address that makes no URL", "printer name", 0},
  };
  for (const auto& c : cases) {
    alerts.shown.clear();
    OndrixPrintPdeTarvel& panel = queryPanel(c.address);
    panel.getFolderNameButtonProc(panel.getFolderNameButton.get());

    EXPECT_EQ(panel.folderList, previousList()) << c.what;
    EXPECT_EQ(stored(panel), std::make_pair(storedForm(previousList()), c.address)) << c.what;
    EXPECT_EQ(popUpTitles(panel), (std::vector<std::string>{"Quick File", "Main Folder", "-", "Old"})) << c.what;
    ASSERT_EQ(alerts.shown.size(), c.alerts) << c.what;
    if (c.alerts) {
      EXPECT_EQ(alerts.shown[0].title, "");
      EXPECT_EQ(alerts.shown[0].message, "Could not retrieve Folder Names.");
      EXPECT_EQ(alerts.shown[0].button, "OK");
    }
    EXPECT_FALSE(panel.chasingArrow->isAnimating()) << c.what;
    EXPECT_TRUE(panel.chasingArrow->isHidden()) << c.what;
  }
}

// The one slow test: a device that never answers is given up after the time limit.
TEST_F(FolderQueryTest, ADeviceThatNeverAnswersIsGivenUpWithOneAlert) {
  SimProcess sim({"--never-answer", "--folder", "Sales"});
  ASSERT_GT(sim.port(), 0);
  OndrixPrintPdeTarvel& panel = queryPanel(sim.address());
  panel.getFolderNameButtonProc(panel.getFolderNameButton.get());

  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_EQ(alerts.shown[0].message, "Could not retrieve Folder Names.");
  EXPECT_EQ(panel.folderList, previousList());
  EXPECT_EQ(stored(panel), std::make_pair(storedForm(previousList()), sim.address()));
  EXPECT_EQ(popUpTitles(panel), (std::vector<std::string>{"Quick File", "Main Folder", "-", "Old"}));
  EXPECT_TRUE(panel.chasingArrow->isHidden());
}

}  // namespace
