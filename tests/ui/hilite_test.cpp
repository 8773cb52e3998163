// Dimming of text fields: input fields lock and move the focus, labels only change colour.
#include "ui/hilite.h"

#include <gtest/gtest.h>

namespace {

class RecordingWindow : public ui::Window {
 public:
  bool makeFirstResponder(ui::Control* control) override {
    focus = control;
    ++calls;
    return true;
  }
  ui::Control* firstResponder() const override { return focus; }

  ui::Control* focus = nullptr;
  int calls = 0;
};

class RecordingField : public ui::TextField {
 public:
  RecordingField(long tag, RecordingWindow* window) : tag_(tag), window_(window) {}
  long tag() const override { return tag_; }
  void setEditable(bool editable) override { editable_ = editable; }
  bool isEditable() const override { return editable_; }
  void setSelectable(bool selectable) override { selectable_ = selectable; }
  bool isSelectable() const override { return selectable_; }
  void setTextColor(ui::Color color) override { color_ = color; }
  ui::Color textColor() const override { return color_; }
  ui::Window* window() const override { return window_; }

 private:
  long tag_;
  RecordingWindow* window_;
  bool editable_ = true;
  bool selectable_ = true;
  ui::Color color_ = ui::Color::black;
};

TEST(HiliteTest, DimAndUndimByTag) {
  struct Case {
    long tag;
    bool dim;
    bool editable, selectable;
    ui::Color color;
    bool focusedAfter;  // the field holds the focus afterwards
    int focusCalls;
  };
  const Case cases[] = {
      {5, true, false, false, ui::Color::gray, false, 1},
      {5, false, true, true, ui::Color::black, true, 1},
      {-1, true, false, false, ui::Color::gray, false, 1},  // any non-zero tag is an input field
      // Tag 0: colour only; editability stays as it was (editable before dimming, locked before undimming).
      {0, true, true, true, ui::Color::gray, false, 0},
      {0, false, false, false, ui::Color::black, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("tag " + std::to_string(c.tag) + (c.dim ? " dim" : " undim"));
    RecordingWindow window;
    RecordingField other(9, &window);
    window.focus = &other;
    RecordingField field(c.tag, &window);
    if (!c.dim) {
      field.setEditable(false);
      field.setSelectable(false);
      field.setTextColor(ui::Color::gray);
    }
    ui::myTarvelHilite(field, c.dim);
    EXPECT_EQ(field.isEditable(), c.editable);
    EXPECT_EQ(field.isSelectable(), c.selectable);
    EXPECT_EQ(field.textColor(), c.color);
    EXPECT_EQ(window.calls, c.focusCalls);
    EXPECT_EQ(window.focus == &field, c.focusedAfter);
    // Dimming an input field clears the focus wherever it was.
    if (c.tag != 0 && c.dim) {
      EXPECT_EQ(window.focus, nullptr);
    }
  }
}

TEST(HiliteTest, FieldOutsideAWindowMovesNoFocus) {
  RecordingField field(3, nullptr);
  ui::myTarvelHilite(field, true);
  EXPECT_FALSE(field.isEditable());
  ui::myTarvelHilite(field, false);
  EXPECT_TRUE(field.isEditable());
  EXPECT_EQ(field.textColor(), ui::Color::black);
}

TEST(HiliteTest, AbsentFieldIsLeftAlone) {
  ui::Outlet<ui::TextField> absent;
  ui::myTarvelHilite(absent, true);
  ui::myTarvelHilite(absent, false);
  EXPECT_FALSE(absent.present());
}

}  // namespace
