// The headless toolkit: reading Qt Designer layouts, the controls' behaviour, user operations, and the
// two real layouts of the panel.
#include "toolkits/headless/headless_toolkit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/scratch.h"
#include "ui/outlet.h"

namespace {

using platform::Text;
using platform::operator""_t;

// Records every connection in order and counts the actions each control sends, with their senders.
class RecordingOwner : public ui::NibOwner {
 public:
  void connectOutlet(std::string_view name, ui::Control& control) override {
    names.emplace_back(name);
    std::string key(name);
    control.setAction([this, key](ui::Control& sender) { sent.push_back({key, std::string(sender.identifier())}); });
  }
  std::vector<std::string> names;
  std::vector<std::pair<std::string, std::string>> sent;  // (control whose action ran, sender)
};

constexpr const char* kSample = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Sample</class>
 <widget class="QWidget" name="Sample">
  <layout class="QVBoxLayout" name="top">
   <item>
    <widget class="QTabWidget" name="tabs">
     <property name="currentIndex"><number>1</number></property>
     <widget class="QWidget" name="pageA">
      <attribute name="title"><string>First</string></attribute>
      <layout class="QGridLayout" name="gridA">
       <item row="0" column="0"><widget class="QLabel" name="caption"><property name="text"><string>Caption:</string></property></widget></item>
       <item row="0" column="1"><widget class="QLineEdit" name="input"><property name="text"><string>abc</string></property><property name="tag" stdset="0"><number>7</number></property></widget></item>
       <item row="1" column="0"><widget class="QLineEdit" name="untagged"/></item>
       <item row="1" column="1"><widget class="QLineEdit" name="secret"><property name="echoMode"><enum>QLineEdit::Password</enum></property><property name="readOnly"><bool>true</bool></property><property name="tag" stdset="0"><number>3</number></property></widget></item>
      </layout>
     </widget>
     <widget class="QWidget" name="pageB">
      <attribute name="title"><string>Second</string></attribute>
      <layout class="QVBoxLayout" name="layB">
       <item><widget class="QCheckBox" name="check"><property name="text"><string>Check</string></property><property name="checked"><bool>true</bool></property></widget></item>
       <item><widget class="QToolButton" name="hold"><property name="checkable"><bool>true</bool></property></widget></item>
       <item><widget class="QPushButton" name="push"><property name="text"><string>Push</string></property></widget></item>
       <item><widget class="QToolButton" name="plainTool"/></item>
       <item>
        <widget class="QGroupBox" name="group">
         <property name="title"><string>Group</string></property>
         <layout class="QVBoxLayout" name="layGroup">
          <item>
           <widget class="QFrame" name="choiceMatrix">
            <property name="enabled"><bool>false</bool></property>
            <layout class="QVBoxLayout" name="layMatrix">
             <item><widget class="QRadioButton" name="one"><property name="text"><string>One</string></property><property name="checked"><bool>true</bool></property></widget></item>
             <item><layout class="QHBoxLayout" name="nested">
              <item><widget class="QWidget" name="deep"><layout class="QVBoxLayout" name="layDeep">
               <item><widget class="QRadioButton" name="two"><property name="checked"><bool>true</bool></property></widget></item>
              </layout></widget></item>
             </layout></item>
             <item><widget class="QRadioButton" name="three"/></item>
            </layout>
           </widget>
          </item>
          <item><widget class="QRadioButton" name="loner"/></item>
          <item><widget class="QWidget" name="emptyMatrix"/></item>
         </layout>
        </widget>
       </item>
       <item><widget class="QComboBox" name="popUp"><property name="currentIndex"><number>1</number></property>
        <item><property name="text"><string>Alpha</string></property></item>
        <item><property name="text"><string>Beta</string></property></item>
       </widget></item>
       <item><widget class="QComboBox" name="emptyPopUp"/></item>
       <item><widget class="QProgressBar" name="busy"><property name="visible"><bool>false</bool></property></widget></item>
      </layout>
     </widget>
    </widget>
   </item>
  </layout>
 </widget>
</ui>
)";

class HeadlessToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nib = toolkit.loadNibFromText(kSample, owner);
    ASSERT_NE(nib, nullptr);
  }
  ui::Control& c(std::string_view name) {
    ui::Control* control = nib->controlNamed(name);
    EXPECT_NE(control, nullptr) << name;
    return control ? *control : absent;
  }
  ui::TextField& field(std::string_view name) { return *c(name).asTextField(); }

  headless::HeadlessToolkit toolkit;
  RecordingOwner owner;
  std::unique_ptr<ui::Nib> nib;
  ui::Control absent;
};

TEST_F(HeadlessToolkitTest, LoadsKindsTagsAndTexts) {
  struct Case {
    const char* name;
    const char* kind;
    long tag;
    std::optional<std::string> text;  // string value or title
    std::optional<long> state;
    bool hidden;
  };
  const Case cases[] = {
      {"tabs", "tabView", 0, {}, {}, false},
      {"pageA", "view", 0, {}, {}, false},
      {"caption", "label", 0, "Caption:", {}, false},
      {"input", "textField", 7, "abc", {}, false},
      {"untagged", "textField", 0, "", {}, false},
      {"secret", "textField", 3, "", {}, false},
      {"check", "checkBox", 0, "Check", 1, false},
      {"hold", "holdButton", 0, "", 0, false},
      {"push", "pushButton", 0, "Push", 0, false},
      {"plainTool", "pushButton", 0, "", 0, false},
      {"group", "box", 0, "Group", {}, false},
      {"choiceMatrix", "matrix", 0, {}, {}, false},
      {"one", "radioButton", 0, "One", 0, false},
      {"two", "radioButton", 0, "", 1, false},
      {"loner", "radioButton", 0, "", 0, false},
      {"emptyMatrix", "matrix", 0, {}, {}, false},
      {"popUp", "popUpButton", 0, {}, {}, false},
      {"busy", "progressIndicator", 0, {}, {}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const toolkits::Description d = headless::describe(c(k.name));
    EXPECT_EQ(d.kind, k.kind);
    EXPECT_EQ(d.name, k.name);
    EXPECT_EQ(d.tag, k.tag);
    EXPECT_EQ(d.state, k.state);
    EXPECT_EQ(d.hidden, k.hidden);
    if (k.text) { EXPECT_EQ(d.stringValue ? d.stringValue : d.title, k.text); }
  }

  // Labels neither edit nor select; inputs do both unless read-only; the password echo is remembered.
  const auto caption = headless::describe(c("caption"));
  EXPECT_FALSE(caption.editable || caption.selectable);
  const auto input = headless::describe(c("input"));
  EXPECT_TRUE(input.editable && input.selectable && !input.secure);
  const auto secret = headless::describe(c("secret"));
  EXPECT_TRUE(!secret.editable && secret.selectable && secret.secure);
  EXPECT_FALSE(c("choiceMatrix").isEnabled());
  EXPECT_TRUE(c("check").isEnabled());

  // Every named widget but the root reaches the owner once, in document order.
  const std::vector<std::string> expected{"tabs", "pageA", "caption", "input", "untagged", "secret", "pageB",
                                          "check", "hold", "push", "plainTool", "group", "choiceMatrix", "one",
                                          "deep", "two", "three", "loner", "emptyMatrix", "popUp", "emptyPopUp",
                                          "busy"};
  EXPECT_EQ(owner.names, expected);
  std::vector<std::string> listed;
  for (ui::Control* control : headless::controlsOf(*nib)) listed.emplace_back(control->identifier());
  EXPECT_EQ(listed, expected);
}

TEST_F(HeadlessToolkitTest, LoadsMatricesPopUpsAndTabs) {
  // Cells belong to the nearest "...Matrix" container, however deep, in document order.
  ui::Matrix& matrix = *c("choiceMatrix").asMatrix();
  ASSERT_EQ(matrix.numberOfRows(), 3);
  EXPECT_EQ(matrix.cellAtRow(0), c("one").asButton());
  EXPECT_EQ(matrix.cellAtRow(1), c("two").asButton());
  EXPECT_EQ(matrix.cellAtRow(2), c("three").asButton());
  EXPECT_EQ(matrix.cellAtRow(3), nullptr);
  EXPECT_EQ(matrix.selectedRow(), 1);  // of two checked cells the later wins, as in a radio group
  EXPECT_EQ(c("emptyMatrix").asMatrix()->selectedRow(), -1);

  const auto popUp = headless::describe(c("popUp"));
  ASSERT_EQ(popUp.items.size(), 2u);
  EXPECT_EQ(popUp.items[0].title, "Alpha");
  EXPECT_EQ(popUp.items[1].title, "Beta");
  EXPECT_EQ(popUp.selectedIndex, 1);
  EXPECT_EQ(headless::describe(c("emptyPopUp")).selectedIndex, -1);

  const auto tabs = headless::describe(c("tabs"));
  EXPECT_EQ(tabs.tabLabels, (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(tabs.selectedIndex, 1);
}

// Every fact a host can see of every control, one line each, in document order.
std::vector<std::string> factsOf(ui::Nib& nib) {
  std::vector<std::string> lines;
  for (ui::Control* control : headless::controlsOf(nib)) {
    const toolkits::Description d = headless::describe(*control);
    std::string line = d.kind + " " + d.name + " " + std::to_string(d.tag) + " " +
                       std::to_string(d.state.value_or(-9)) + std::to_string(d.selectedRow.value_or(-9)) +
                       std::to_string(d.selectedIndex.value_or(-9)) + " [" + d.stringValue.value_or("-") + "] [" +
                       d.title.value_or("-") + "] " + std::to_string(d.enabled) + std::to_string(d.editable) +
                       std::to_string(d.selectable) + std::to_string(d.secure) + std::to_string(d.hidden) +
                       std::to_string(d.focused);
    for (const auto& item : d.items) line += " item:" + item.title.value_or("-");
    for (const auto& label : d.tabLabels) line += " tab:" + label;
    lines.push_back(line);
  }
  return lines;
}

// A second panel builds its controls from the layout the first one read, as long as the file stays
// the same; each gets controls of its own, and a changed or vanished file is read again.
TEST(HeadlessToolkitLoad, ALayoutFileIsParsedOnceWhileUnchanged) {
  testsupport::ScratchDir dir;
  const std::filesystem::path file = dir.path() / "Sample.ui";
  testsupport::writeFile(file, kSample);
  headless::HeadlessToolkit toolkit, fresh;
  RecordingOwner first, second, third;
  auto a = toolkit.loadNib(file, first);
  auto b = toolkit.loadNib(file, second);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(toolkit.layoutsParsed(), 1u);
  EXPECT_EQ(first.names, second.names);
  EXPECT_EQ(factsOf(*a), factsOf(*b));
  EXPECT_EQ(factsOf(*b), factsOf(*fresh.loadNibFromText(kSample, third)));

  ASSERT_TRUE(headless::set(*a->controlNamed("input"), "changed"));
  ASSERT_TRUE(headless::set(*a->controlNamed("choiceMatrix"), "2"));
  ASSERT_TRUE(headless::click(*a->controlNamed("push")));
  EXPECT_EQ(headless::describe(*b->controlNamed("input")).stringValue, "abc");
  EXPECT_EQ(b->controlNamed("choiceMatrix")->asMatrix()->selectedRow(), 1);
  EXPECT_EQ(first.sent.size(), 1u);
  EXPECT_EQ(second.sent.size(), 0u);

  std::string changed = kSample;
  changed.replace(changed.find("Caption:"), 8, "Longer caption:");
  testsupport::writeFile(file, changed);
  RecordingOwner fourth;
  auto c = toolkit.loadNib(file, fourth);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(toolkit.layoutsParsed(), 2u);
  EXPECT_EQ(headless::describe(*c->controlNamed("caption")).stringValue, "Longer caption:");

  std::filesystem::remove(file);
  RecordingOwner fifth;
  EXPECT_EQ(toolkit.loadNib(file, fifth), nullptr);
  EXPECT_TRUE(fifth.names.empty());
}

TEST(HeadlessToolkitLoad, RefusesWhatIsNotALayout) {
  headless::HeadlessToolkit toolkit;
  RecordingOwner owner;
  const char* const bad[] = {"", "not xml", "<ui version=\"4.0\"></ui>", "<other><widget class=\"QWidget\"/></other>",
                             "<ui><widget class=\"QWidget\" name=\"r\"><widget class=\"QLabel\" name=\"x\">"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    EXPECT_EQ(toolkit.loadNibFromText(text, owner), nullptr);
  }
  EXPECT_EQ(toolkit.loadNib("/nonexistent/layout.ui", owner), nullptr);

  // A layout nested beyond any real one is refused rather than walked.
  std::string deep = "<ui><widget class=\"QWidget\" name=\"r\">";
  for (int i = 0; i < 200; ++i) deep += "<widget class=\"QWidget\" name=\"w\">";
  for (int i = 0; i < 200; ++i) deep += "</widget>";
  deep += "</widget></ui>";
  EXPECT_EQ(toolkit.loadNibFromText(deep, owner), nullptr);
  EXPECT_TRUE(owner.names.empty());
}

TEST(HeadlessToolkitAbsent, AbsentControlsIgnoreEverything) {
  ui::Outlet<ui::Button> button;
  ui::Outlet<ui::Matrix> matrix;
  ui::Outlet<ui::PopUpButton> popUp;
  ui::Outlet<ui::TextField> field;
  ui::Outlet<ui::Box> box;
  ui::Outlet<ui::TabView> tabs;
  ui::Outlet<ui::ProgressIndicator> progress;

  // Operate every kind, then ask: nothing stuck.
  button->setState(1);
  button->setTitle("x"_t);
  button->setHidden(true);
  button->setEnabled(true);
  matrix->selectCellAtRow(2, 0);
  popUp->menu().addItem(ui::MenuItem("x"_t));
  popUp->selectItemAtIndex(0);
  field->setStringValue("x"_t);
  field->setEditable(true);
  field->setTextColor(ui::Color::gray);
  box->setTitle("x"_t);
  tabs->selectFirstTabViewItem();
  progress->startAnimation();

  EXPECT_EQ(button->state(), 0);
  EXPECT_TRUE(button->title().isNone());
  EXPECT_FALSE(button->isHidden());
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(button->image(), nullptr);
  EXPECT_EQ(matrix->selectedRow(), 0);
  EXPECT_EQ(matrix->selectedCell(), nullptr);
  EXPECT_EQ(popUp->menu().numberOfItems(), 0);
  EXPECT_EQ(popUp->selectedItem(), nullptr);
  EXPECT_TRUE(field->stringValue().isNone());
  EXPECT_FALSE(field->isEditable());
  EXPECT_EQ(field->textColor(), ui::Color::black);
  EXPECT_EQ(field->window(), nullptr);
  EXPECT_TRUE(box->title().isNone());
  EXPECT_EQ(tabs->numberOfTabViewItems(), 0);
  EXPECT_EQ(tabs->tabViewItemAtIndex(0), nullptr);
  EXPECT_FALSE(progress->isAnimating());

  // The user operations leave a control of no toolkit alone.
  EXPECT_FALSE(headless::click(*button));
  EXPECT_FALSE(headless::select(*matrix, 0));
  EXPECT_EQ(headless::typeText(*field, "1"_t), 0u);
  EXPECT_FALSE(headless::paste(*field, "1"_t));
  EXPECT_FALSE(headless::clear(*field));
  EXPECT_FALSE(headless::set(*button, "1"));
  EXPECT_EQ(headless::describe(*box).kind, "unknown");
}

TEST_F(HeadlessToolkitTest, HidingHidesWhatIsInside) {
  ui::Control& group = c("group");
  group.setHidden(true);
  for (const char* name : {"group", "choiceMatrix", "one", "two", "deep", "loner"}) {
    EXPECT_TRUE(c(name).isHidden()) << name;
  }
  EXPECT_FALSE(c("check").isHidden());
  EXPECT_FALSE(headless::click(c("one")));

  // A control hidden itself stays hidden when its container shows again.
  c("loner").setHidden(true);
  group.setHidden(false);
  EXPECT_FALSE(c("two").isHidden());
  EXPECT_TRUE(c("loner").isHidden());

  // Controls of a removed tab item stay in the layout, hidden from the user.
  ui::TabView& tabs = *c("tabs").asTabView();
  ui::TabViewItem* first = tabs.tabViewItemAtIndex(0);
  tabs.removeTabViewItem(first);
  EXPECT_EQ(tabs.numberOfTabViewItems(), 1);
  EXPECT_EQ(tabs.tabViewItemAtIndex(0)->label(), "Second"_t);
  EXPECT_EQ(headless::describe(tabs).selectedIndex, 0);
  EXPECT_EQ(first->label(), "First"_t);  // the program's pointer stays valid
  EXPECT_TRUE(c("input").isHidden());
  EXPECT_EQ(field("input").stringValue(), "abc"_t);
  EXPECT_EQ(headless::typeText(field("input"), "1"_t), 0u);
  EXPECT_FALSE(c("check").isHidden());
  tabs.removeTabViewItem(first);  // not there any more: nothing happens
  EXPECT_EQ(tabs.numberOfTabViewItems(), 1);
}

TEST_F(HeadlessToolkitTest, OneKeyboardFocusPerWindow) {
  ui::Window* window = nib->rootView().window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(field("input").window(), window);
  EXPECT_EQ(field("caption").window(), window);
  EXPECT_EQ(window->firstResponder(), nullptr);

  EXPECT_TRUE(window->makeFirstResponder(&c("input")));
  EXPECT_EQ(window->firstResponder(), &c("input"));
  EXPECT_TRUE(headless::describe(c("input")).focused);

  // Refused: a label, a field that is not selectable, a box, a control of another window.
  field("untagged").setSelectable(false);
  RecordingOwner otherOwner;
  auto other = toolkit.loadNibFromText(kSample, otherOwner);
  for (ui::Control* refused : {&c("caption"), &c("untagged"), &c("group"), other->controlNamed("input")}) {
    EXPECT_FALSE(window->makeFirstResponder(refused)) << refused->identifier();
    EXPECT_EQ(window->firstResponder(), &c("input"));
  }
  EXPECT_EQ(other->rootView().window()->firstResponder(), nullptr);

  // Moving the focus leaves one holder; none clears it.
  EXPECT_TRUE(window->makeFirstResponder(&c("secret")));
  EXPECT_FALSE(headless::describe(c("input")).focused);
  EXPECT_TRUE(window->makeFirstResponder(nullptr));
  EXPECT_EQ(window->firstResponder(), nullptr);

  // Editing starts with a click into the field, which takes the focus.
  headless::typeText(field("input"), "d"_t);
  EXPECT_EQ(window->firstResponder(), &c("input"));
}

// A digits-only formatter with a length limit that records how it is asked.
class RecordingFormatter : public ui::Formatter {
 public:
  struct Call {
    std::u16string partial;
    std::size_t proposedLocation, proposedLength;
    std::u16string original;
    std::size_t originalLocation, originalLength;
  };
  explicit RecordingFormatter(std::vector<Call>& calls, std::size_t max) : calls_(calls), max_(max) {}
  bool isPartialStringValid(const Text& partial, ui::Range proposed, const Text& original,
                            ui::Range originalSelection) const override {
    calls_.push_back({partial.utf16(), proposed.location, proposed.length, original.utf16(),
                      originalSelection.location, originalSelection.length});
    if (partial.length() > max_) return false;
    const std::u16string& units = partial.utf16();
    return std::all_of(units.begin(), units.end(), [](char16_t u) { return u >= u'0' && u <= u'9'; });
  }

 private:
  std::vector<Call>& calls_;
  std::size_t max_;
};

TEST_F(HeadlessToolkitTest, EditsGoThroughTheFormatter) {
  ui::TextField& input = field("input");
  input.setStringValue(Text::empty());
  std::vector<RecordingFormatter::Call> calls;
  input.setFormatter(std::make_unique<RecordingFormatter>(calls, 4));

  // Key by key at the end: refused keys are dropped, each key sees the text left by the ones before.
  EXPECT_EQ(headless::typeText(input, "1a2"_t), 2u);
  EXPECT_EQ(input.stringValue(), "12"_t);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].partial, u"1");
  EXPECT_EQ(calls[0].original, u"");
  EXPECT_EQ(calls[1].partial, u"1a");
  EXPECT_EQ(calls[2].partial, u"12");
  EXPECT_EQ(calls[2].original, u"1");
  EXPECT_EQ(calls[2].proposedLocation, 2u);
  EXPECT_EQ(calls[2].proposedLength, 0u);
  EXPECT_EQ(calls[2].originalLocation, 1u);
  EXPECT_EQ(calls[2].originalLength, 0u);

  // A paste is one edit; refused, it leaves the text as it was.
  calls.clear();
  EXPECT_FALSE(headless::paste(input, "345"_t));
  EXPECT_EQ(input.stringValue(), "12"_t);
  EXPECT_TRUE(headless::paste(input, "34"_t));
  EXPECT_EQ(input.stringValue(), "1234"_t);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].partial, u"1234");
  EXPECT_EQ(calls[1].proposedLocation, 4u);
  EXPECT_EQ(calls[1].originalLocation, 2u);

  // Clear selects all and deletes.
  calls.clear();
  EXPECT_TRUE(headless::clear(input));
  EXPECT_EQ(input.stringValue(), Text::empty());
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].partial, u"");
  EXPECT_EQ(calls[0].proposedLocation, 0u);
  EXPECT_EQ(calls[0].original, u"1234");
  EXPECT_EQ(calls[0].originalLocation, 0u);
  EXPECT_EQ(calls[0].originalLength, 4u);

  // The program's own value passes without the partial check.
  calls.clear();
  EXPECT_TRUE(headless::set(input, "abcdef"));
  EXPECT_EQ(input.stringValue(), "abcdef"_t);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(owner.sent.size(), 0u);  // editing sends no action
}

TEST_F(HeadlessToolkitTest, OneKeyPerCharacterAndNoFormatterTakesAll) {
  ui::TextField& input = field("input");
  std::vector<RecordingFormatter::Call> calls;
  headless::set(input, "");
  // U+1F600 is two UTF-16 units but one key; without a formatter every key is taken.
  EXPECT_EQ(headless::typeText(input, Text::fromUtf8("a\xF0\x9F\x98\x80" "b")), 3u);
  EXPECT_EQ(input.stringValue().length(), 4u);
  input.setFormatter(std::make_unique<RecordingFormatter>(calls, 100));
  headless::typeText(input, Text::fromUtf8("\xF0\x9F\x98\x80"));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].partial.size(), 6u);
  EXPECT_EQ(calls[0].proposedLocation, 6u);
}

TEST_F(HeadlessToolkitTest, FieldsThatAreNotEditableRefuseTheUser) {
  struct Case {
    const char* name;
    bool makeUneditable;
  };
  for (const Case& k : {Case{"caption", false}, Case{"secret", false}, Case{"input", true}}) {
    SCOPED_TRACE(k.name);
    ui::TextField& f = field(k.name);
    if (k.makeUneditable) f.setEditable(false);
    const Text before = f.stringValue();
    EXPECT_EQ(headless::typeText(f, "9"_t), 0u);
    EXPECT_FALSE(headless::paste(f, "9"_t));
    EXPECT_FALSE(headless::clear(f));
    EXPECT_EQ(f.stringValue(), before);
    EXPECT_EQ(nib->rootView().window()->firstResponder(), nullptr);
  }
  // The program still sets them.
  EXPECT_TRUE(headless::set(c("caption"), "New:"));
  EXPECT_EQ(field("caption").stringValue(), "New:"_t);
}

TEST_F(HeadlessToolkitTest, ClicksFlipStatesAndSendActions) {
  struct Case {
    const char* name;
    int stateAfter;
    std::pair<std::string, std::string> sent;  // whose action, sender
  };
  const Case cases[] = {
      {"check", 0, {"check", "check"}},
      {"check", 1, {"check", "check"}},
      {"hold", 1, {"hold", "hold"}},
      {"hold", 0, {"hold", "hold"}},
      {"push", 0, {"push", "push"}},
      {"loner", 1, {"loner", "loner"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    owner.sent.clear();
    EXPECT_TRUE(headless::click(c(k.name)));
    EXPECT_EQ(c(k.name).asButton()->state(), k.stateAfter);
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], k.sent);
  }

  // A disabled control takes no click and sends nothing; nor do the cells of a disabled matrix.
  owner.sent.clear();
  c("check").setEnabled(false);
  EXPECT_FALSE(headless::click(c("check")));
  EXPECT_EQ(c("check").asButton()->state(), 1);
  EXPECT_FALSE(headless::click(c("three")));
  EXPECT_FALSE(headless::select(c("choiceMatrix"), 2));
  EXPECT_FALSE(headless::click(c("popUp")));
  EXPECT_TRUE(owner.sent.empty());

  // A cell click selects its row alone and reports through the matrix.
  ui::Matrix& matrix = *c("choiceMatrix").asMatrix();
  matrix.setEnabled(true);
  EXPECT_TRUE(headless::click(c("three")));
  EXPECT_EQ(matrix.selectedRow(), 2);
  EXPECT_EQ(matrix.selectedCell(), c("three").asButton());
  EXPECT_EQ(c("two").asButton()->state(), 0);
  ASSERT_EQ(owner.sent.size(), 1u);
  EXPECT_EQ(owner.sent[0], (std::pair<std::string, std::string>{"choiceMatrix", "choiceMatrix"}));
}

TEST_F(HeadlessToolkitTest, SelectAndSetChooseValidIndexesOnly) {
  ui::PopUpButton& popUp = *c("popUp").asPopUpButton();
  popUp.menu().addItem(ui::MenuItem::separatorItem());
  popUp.menu().addItem(ui::MenuItem("Gamma"_t));
  c("choiceMatrix").setEnabled(true);

  struct Case {
    const char* name;
    long index;
    bool taken;
  };
  const Case cases[] = {
      {"popUp", 0, true},  {"popUp", 3, true},  {"popUp", 2, false},  {"popUp", 4, false},
      {"popUp", -1, false}, {"choiceMatrix", 0, true}, {"choiceMatrix", 3, false},
      {"choiceMatrix", -1, false}, {"tabs", 0, true}, {"tabs", 2, false}, {"check", 0, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.name) + " " + std::to_string(k.index));
    owner.sent.clear();
    const auto before = headless::describe(c(k.name));
    EXPECT_EQ(headless::select(c(k.name), k.index), k.taken);
    const auto after = headless::describe(c(k.name));
    if (k.taken) {
      EXPECT_EQ(after.selectedIndex ? after.selectedIndex : after.selectedRow, k.index);
      EXPECT_EQ(owner.sent.size(), 1u);
    } else {
      EXPECT_EQ(after.selectedIndex, before.selectedIndex);
      EXPECT_EQ(after.selectedRow, before.selectedRow);
      EXPECT_TRUE(owner.sent.empty());
    }
  }

  // set places values as the program does: no action, no separator check, bounds still kept.
  struct SetCase {
    const char* name;
    const char* value;
    bool taken;
  };
  const SetCase sets[] = {
      {"check", "0", true}, {"check", "2", false}, {"hold", "1", true}, {"hold", "x", false},
      {"choiceMatrix", "-1", true}, {"choiceMatrix", "3", false}, {"popUp", "2", true}, {"popUp", "9", false},
      {"input", "typed", true}, {"group", "1", false},
  };
  owner.sent.clear();
  for (const SetCase& k : sets) EXPECT_EQ(headless::set(c(k.name), k.value), k.taken) << k.name << " " << k.value;
  EXPECT_TRUE(owner.sent.empty());
  EXPECT_EQ(c("check").asButton()->state(), 0);
  EXPECT_EQ(c("hold").asButton()->state(), 1);
  EXPECT_EQ(c("choiceMatrix").asMatrix()->selectedRow(), -1);
  EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
  EXPECT_EQ(field("input").stringValue(), "typed"_t);
}

TEST_F(HeadlessToolkitTest, RemovingPopUpItemsKeepsAValidSelection) {
  struct Case {
    std::vector<const char*> items;  // nullptr: separator
    long selected;
    std::vector<long> removals;
    long expected;
  };
  const Case cases[] = {
      {{"Q", "M", nullptr, "A", "B"}, 4, {2, 2, 2}, 1},  // the folder rebuild falls back to the main folder
      {{"Q", "M", nullptr, "A", "B"}, 1, {2, 2, 2}, 1},  // a surviving selection stays
      {{"Q", "M", nullptr, "A", "B"}, 3, {0}, 2},        // items before it shift it down
      {{"Q", "M", nullptr, "A"}, 3, {3}, 1},             // the separator before it is skipped
      {{"Q", nullptr, "A"}, 0, {0}, 1},                  // nothing earlier: the nearest later real item
      {{"Q"}, 0, {0}, -1},                               // nothing left
  };
  ui::PopUpButton& popUp = *c("popUp").asPopUpButton();
  for (const Case& k : cases) {
    popUp.menu().removeAllItems();
    EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
    for (const char* title : k.items) {
      popUp.menu().addItem(title ? ui::MenuItem(Text::fromUtf8(title)) : ui::MenuItem::separatorItem());
    }
    EXPECT_EQ(popUp.indexOfSelectedItem(), 0);  // the first item added takes the empty selection
    popUp.selectItemAtIndex(k.selected);
    for (long index : k.removals) popUp.menu().removeItemAtIndex(index);
    EXPECT_EQ(popUp.indexOfSelectedItem(), k.expected) << "selected " << k.selected;
    ui::MenuItem* item = popUp.selectedItem();
    EXPECT_EQ(item != nullptr, k.expected >= 0);
    if (item) { EXPECT_FALSE(item->isSeparator()); }
  }
}

// ---- The panel's real layouts ----

// Every text of a layout is one of these keys, labels optionally followed by ":".
const std::set<std::string> kStringKeys = {
    "Retention and Filing", "Authentication and Job ID", "Printer", "Retention", "Retention Mode",
    "Hold After Print", "Hold Only", "Proof and Hold", "Pass Code", "Document Filing", "Store In",
    "Quick File", "Main Folder", "Custom Folder", "Folder Pass Code", "Login Name and Password", "User Number",
    "Login Name", "Password", "Account Number", "Job ID", "User Name", "Job Name", "Printer Address",
    "Get Folder Names", "Job Handling"};

const std::vector<std::string> kCommonOutlets = {
    "tabView", "retentionCheckBox", "suspendBox", "suspendMatrix", "holdOnlyRadioButton", "holdAfterRadioButton",
    "samplePrintRadioButton", "suspendKeyStaticText", "suspendKeyEditText", "suspendKeyButton", "filingBox",
    "folderSelectionStaticText", "folderPasswordStaticText", "folderPasswordEditText", "folderPasswordButton",
    "authenticationMatrix", "authenticationRadioButton", "loginNameStaticText", "loginNameEditText",
    "loginNameButton", "passwordStaticText", "passwordEditText", "passwordButton", "accountNumberStaticText",
    "accountNumberEditText", "accountNumberButton", "jobIDBox", "jobNameStaticText", "jobNameEditText",
    "jobNameButton", "printersAddressStaticText", "printersAddressEditText", "chasingArrow",
    "getFolderNameButton"};
const std::vector<std::string> kPopUpForm = {"folderSelectionPopup"};
const std::vector<std::string> kRadioForm = {"folderSelectionMatrix", "quickFileRadioButton", "mainFolderRadioButton",
                                             "customFolderRadioButton", "folderNameEditText", "folderNameButton"};
const std::vector<std::string> kUserNumberAndName = {"userNumberRadioButton", "userNumberStaticText",
                                                     "userNumberEditText", "userNumberButton", "userNameStaticText",
                                                     "userNameEditText", "userNameButton"};

// The kind a control must have by the ending of its name.
std::string kindForName(const std::string& name) {
  auto ends = [&](std::string_view s) { return name.ends_with(s); };
  if (name == "tabView") return "tabView";
  if (name == "chasingArrow") return "progressIndicator";
  if (name == "getFolderNameButton") return "pushButton";
  if (ends("CheckBox")) return "checkBox";
  if (ends("Matrix")) return "matrix";
  if (ends("RadioButton")) return "radioButton";
  if (ends("Popup")) return "popUpButton";
  if (ends("EditText")) return "textField";
  if (ends("StaticText")) return "label";
  if (ends("Box")) return "box";
  if (ends("Button")) return "holdButton";
  return "view";
}

struct LayoutCase {
  const char* file;
  std::vector<std::string> present;
  std::vector<std::string> absent;
  std::map<std::string, std::vector<std::string>> rows;  // matrix -> cells in row order
};

std::vector<std::string> join(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(HeadlessToolkitLayouts, RealLayoutsMeetThePanelsRequirements) {
  const LayoutCase cases[] = {
      {"JobControl4.ui",
       join({kCommonOutlets, kPopUpForm, kUserNumberAndName}),
       kRadioForm,
       {{"suspendMatrix", {"holdAfterRadioButton", "holdOnlyRadioButton", "samplePrintRadioButton"}},
        {"authenticationMatrix", {"authenticationRadioButton", "userNumberRadioButton"}}}},
      {"JobControl5.ui",
       join({kCommonOutlets, kRadioForm}),
       join({kPopUpForm, kUserNumberAndName}),
       {{"suspendMatrix", {"holdAfterRadioButton", "holdOnlyRadioButton", "samplePrintRadioButton"}},
        {"folderSelectionMatrix", {"quickFileRadioButton", "mainFolderRadioButton", "customFolderRadioButton"}},
        {"authenticationMatrix", {"authenticationRadioButton"}}}},
  };
  for (const LayoutCase& k : cases) {
    SCOPED_TRACE(k.file);
    headless::HeadlessToolkit toolkit;
    RecordingOwner owner;
    auto nib = toolkit.loadNib(std::filesystem::path(ONDRIX_SOURCE_DIR) / "resources" / k.file, owner);
    ASSERT_NE(nib, nullptr);

    for (const std::string& name : k.present) {
      SCOPED_TRACE(name);
      EXPECT_EQ(std::count(owner.names.begin(), owner.names.end(), name), 1);
      ui::Control* control = nib->controlNamed(name);
      ASSERT_NE(control, nullptr);
      const auto d = headless::describe(*control);
      EXPECT_EQ(d.kind, kindForName(name));
      EXPECT_FALSE(d.hidden);
      EXPECT_TRUE(d.enabled);
      // Inputs carry a tag, labels none; labels end with a colon.
      if (d.kind == "textField") { EXPECT_NE(d.tag, 0); }
      // userNumberStaticText is an outlet the panel never localises: any text of its own would stay
      // English in every language, so it has none (the field is named after its radio cell).
      if (d.kind == "label") {
        EXPECT_EQ(d.tag, 0);
        if (name == "userNumberStaticText") EXPECT_EQ(d.stringValue, "");
        else EXPECT_TRUE(d.stringValue && d.stringValue->ends_with(":"));
      }
      // Every text is a key of the strings table, optionally followed by a colon.
      std::optional<std::string> text = d.kind == "label" ? d.stringValue : d.title;
      if (text && !text->empty()) {
        std::string key = *text;
        if (key.ends_with(":")) key.pop_back();
        EXPECT_TRUE(kStringKeys.count(key)) << *text;
      }
      if (d.kind == "holdButton") { EXPECT_EQ(d.state, 0); }
    }
    for (const std::string& name : k.absent) EXPECT_EQ(nib->controlNamed(name), nullptr) << name;

    // Only the address field starts empty; the password is echoed as dots.
    EXPECT_EQ(headless::describe(*nib->controlNamed("printersAddressEditText")).stringValue, "");
    EXPECT_TRUE(headless::describe(*nib->controlNamed("passwordEditText")).secure);

    for (const auto& [matrixName, cells] : k.rows) {
      ui::Matrix& matrix = *nib->controlNamed(matrixName)->asMatrix();
      ASSERT_EQ(matrix.numberOfRows(), static_cast<long>(cells.size())) << matrixName;
      for (std::size_t row = 0; row < cells.size(); ++row) {
        EXPECT_EQ(matrix.cellAtRow(static_cast<long>(row))->identifier(), cells[row]) << matrixName;
      }
      EXPECT_EQ(matrix.selectedRow(), 0) << matrixName;
    }
    if (ui::Control* popUp = nib->controlNamed("folderSelectionPopup")) {
      const auto d = headless::describe(*popUp);
      ASSERT_EQ(d.items.size(), 2u);
      EXPECT_EQ(d.items[0].title, "Quick File");
      EXPECT_EQ(d.items[1].title, "Main Folder");
    }

    // Three pages; removing the third hides exactly what models without filing do without.
    ui::TabView& tabs = *nib->controlNamed("tabView")->asTabView();
    EXPECT_EQ(headless::describe(tabs).tabLabels,
              (std::vector<std::string>{"Retention and Filing", "Authentication and Job ID", "Printer"}));
    tabs.removeTabViewItem(tabs.tabViewItemAtIndex(2));
    std::set<std::string> hidden;
    for (const std::string& name : k.present) {
      if (nib->controlNamed(name)->isHidden()) hidden.insert(name);
    }
    EXPECT_EQ(hidden, (std::set<std::string>{"printersAddressStaticText", "printersAddressEditText", "chasingArrow",
                                              "getFolderNameButton"}));

    // Hiding the filing box hides every filing control and nothing else of the panel's.
    nib->controlNamed("filingBox")->setHidden(true);
    for (const std::string& name : k.present) {
      const bool filing = name.starts_with("folder") || name == "filingBox" || name == "quickFileRadioButton" ||
                          name == "mainFolderRadioButton" || name == "customFolderRadioButton";
      if (hidden.count(name)) continue;
      EXPECT_EQ(nib->controlNamed(name)->isHidden(), filing) << name;
    }
  }
}

}  // namespace
