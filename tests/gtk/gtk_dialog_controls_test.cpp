// The control set over real GTK widgets: what the logic puts in comes back
// out as the logic gave it, lists keep their selection as entries come and
// go, the user's actions reach the logic as the events Windows would send,
// and nothing the logic does itself comes back as an event.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/gtk/gtk_dialog_controls.h"

namespace brindlemar::gtk {
namespace {

enum : int32_t {
  kLabel = 1,
  kButton,
  kCheck,
  kRadioA,
  kRadioB,
  kRadioC,
  kEntry,
  kSpinText,
  kSpinRange,
  kText,
  kDropDown,
  kList,
  kScale,
  kPages,
  kValue,
};

class RecordingLogic final : public ui::DialogLogic {
 public:
  void Open() override {}
  void OnClicked(int32_t id) override { Add("click", id); }
  void OnSelectionChanged(int32_t id) override { Add("select", id); }
  void OnTextChanged(int32_t id) override { Add("text", id); }
  void OnFocusLost(int32_t id) override { Add("lost", id); }
  void OnScroll(int32_t id, ui::ScrollAction action, int32_t position) override {
    Add("scroll", id);
    actions.push_back(action);
    positions.push_back(position);
  }
  void OnPageChanged(int32_t id) override { Add("page", id); }

  std::vector<std::string> heard;
  std::vector<ui::ScrollAction> actions;
  std::vector<int32_t> positions;

 private:
  void Add(const char* what, int32_t id) { heard.push_back(std::string(what) + " " + std::to_string(id)); }
};

// A click as the button's gesture makes it (activating a button only
// clicks it after a delay, and only once it is on screen).
void Click(Gtk::Button& button) { g_signal_emit_by_name(button.gobj(), "clicked"); }

// GTK reports a replaced text as a removal and an insertion: the logic
// hears the same change twice, which it takes as once.
std::vector<std::string> Collapsed(std::vector<std::string> heard) {
  heard.erase(std::unique(heard.begin(), heard.end()), heard.end());
  return heard;
}

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest()
      : radioA_("A"), radioB_("B"), radioC_("C"), spin_(Gtk::Adjustment::create(1, 1, 60, 1, 10), 1, 0) {
    radioB_.set_group(radioA_);
    radioC_.set_group(radioA_);
    scroller_.set_child(view_);
    scroller_.set_size_request(300, 100);
    view_.set_left_margin(4);
    view_.set_right_margin(6);
    stack_.add(page1_, "one", "One");
    stack_.add(page2_, "two", "Two");
    switcher_.set_stack(stack_);
    scale_.set_range(0, 100);

    c_.AddLabel(kLabel, label_);
    c_.AddButton(kButton, button_);
    c_.AddCheck(kCheck, check_);
    c_.AddRadio(kRadioA, radioA_);
    c_.AddRadio(kRadioB, radioB_);
    c_.AddRadio(kRadioC, radioC_);
    c_.AddEntry(kEntry, entry_);
    c_.AddSpin(kSpinText, kSpinRange, spin_);
    c_.AddTextView(kText, view_, scroller_);
    c_.AddDropDown(kDropDown, dropDown_);
    c_.AddListBox(kList, list_);
    c_.AddScale(kScale, scale_);
    c_.AddPages(kPages, stack_, switcher_, {&page1_, &page2_});
    c_.AddValue(kValue);
    c_.Connect(&logic_);
  }

  std::vector<std::string> Strings() {
    std::vector<std::string> texts;
    auto model = std::dynamic_pointer_cast<Gtk::StringList>(dropDown_.get_model());
    for (guint i = 0; model && i < model->get_n_items(); ++i) texts.push_back(model->get_string(i));
    return texts;
  }

  GtkDialogControls c_;
  RecordingLogic logic_;
  Gtk::Label label_;
  Gtk::Button button_{"Button"};
  Gtk::CheckButton check_{"Check"};
  Gtk::CheckButton radioA_, radioB_, radioC_;
  Gtk::Entry entry_;
  Gtk::SpinButton spin_;
  Gtk::ScrolledWindow scroller_;
  Gtk::TextView view_;
  Gtk::DropDown dropDown_;
  Gtk::ListBox list_;
  Gtk::Scale scale_{Gtk::Orientation::HORIZONTAL};
  Gtk::Stack stack_;
  Gtk::StackSwitcher switcher_;
  Gtk::Box page1_, page2_;
};

TEST_F(ControlsTest, TextsComeBackAsTheLogicGaveThem) {
  struct Case {
    int32_t id;
    std::string given;
    std::string read;
  };
  const Case cases[] = {
      {kEntry, "Corona", "Corona"},
      {kSpinText, "42", "42"},
      // A multi-line edit's lines end in CR LF for the logic, whatever GTK keeps.
      {kText, "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {kText, "one\rtwo", "one\r\ntwo"},
      {kValue, "kept", "kept"},
      // Code page 1252 bytes from a Windows installation's settings show as
      // their characters.
      {kLabel, "Caf\xE9 \x80", "Caf\xC3\xA9 \xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    c_.SetText(c.id, c.given);
    EXPECT_EQ(c_.Text(c.id), c.read) << c.id;
  }
  EXPECT_EQ(view_.get_buffer()->get_text(), "one\ntwo");
  EXPECT_EQ(spin_.get_value_as_int(), 42);
}

TEST_F(ControlsTest, DropDownKeepsItsSelectionAsEntriesComeAndGo) {
  c_.InsertEntry(kDropDown, -1, "Butterflies", 10);
  c_.InsertEntry(kDropDown, -1, "Rain", 30);
  EXPECT_EQ(c_.Selection(kDropDown), -1) << "a new list selects nothing";
  c_.Select(kDropDown, 1);
  c_.InsertEntry(kDropDown, 0, "Aurora", 5);
  EXPECT_EQ(c_.Selection(kDropDown), 2);
  c_.InsertEntry(kDropDown, 2, "Caf\xE9", 20);
  EXPECT_EQ(c_.Selection(kDropDown), 3);
  EXPECT_EQ(c_.EntryText(kDropDown, 3), "Rain");
  EXPECT_EQ(c_.EntryData(kDropDown, 3), 30);
  // The logic reads back its own bytes; the widget shows UTF-8.
  EXPECT_EQ(c_.EntryText(kDropDown, 2), "Caf\xE9");
  EXPECT_EQ(Strings(), (std::vector<std::string>{"Aurora", "Butterflies", "Caf\xC3\xA9", "Rain"}));

  c_.RemoveEntry(kDropDown, 0);
  EXPECT_EQ(c_.Selection(kDropDown), 2);
  c_.SetEntryData(kDropDown, 2, 99);
  EXPECT_EQ(c_.EntryData(kDropDown, 2), 99);
  c_.RemoveEntry(kDropDown, 2);
  EXPECT_EQ(c_.Selection(kDropDown), -1) << "removing the selected entry selects none";
  EXPECT_EQ(dropDown_.get_selected(), GTK_INVALID_LIST_POSITION);
  c_.Select(kDropDown, 0);
  c_.ClearEntries(kDropDown);
  EXPECT_EQ(c_.EntryCount(kDropDown), 0);
  EXPECT_EQ(c_.Selection(kDropDown), -1);
  EXPECT_TRUE(Strings().empty());
  EXPECT_TRUE(logic_.heard.empty());
}

TEST_F(ControlsTest, ListBoxSelectsSeveralEntries) {
  for (const char* name : {"Corona", "Evolution", "Rain", "Scribble"}) c_.InsertEntry(kList, -1, name, 0);
  c_.SetEntrySelected(kList, 3, true);
  c_.SetEntrySelected(kList, 1, true);
  EXPECT_EQ(c_.SelectedEntries(kList), (std::vector<int32_t>{1, 3}));
  c_.SetEntrySelected(kList, 3, false);
  EXPECT_EQ(c_.SelectedEntries(kList), (std::vector<int32_t>{1}));
  EXPECT_TRUE(list_.get_row_at_index(1)->is_selected());
  c_.RemoveEntry(kList, 0);
  EXPECT_EQ(c_.SelectedEntries(kList), (std::vector<int32_t>{0}));
  EXPECT_EQ(c_.EntryText(kList, 0), "Evolution");
  c_.ClearEntries(kList);
  EXPECT_EQ(list_.get_row_at_index(0), nullptr);
  EXPECT_TRUE(c_.SelectedEntries(kList).empty());
}

TEST_F(ControlsTest, WhatTheLogicDoesNeverComesBackAsAnEvent) {
  for (const char* name : {"a", "b", "c"}) {
    c_.InsertEntry(kDropDown, -1, name, 0);
    c_.InsertEntry(kList, -1, name, 0);
  }
  c_.SetRange(kScale, 0, 100);
  const std::vector<std::function<void()>> calls = {
      [&] { c_.SetChecked(kCheck, true); },
      [&] { c_.SetChecked(kRadioB, true); },
      [&] { c_.SetChecked(kRadioC, true); },
      [&] { c_.SetText(kEntry, "typed by the logic"); },
      [&] { c_.SetText(kSpinText, "17"); },
      [&] { c_.SetPosition(kSpinRange, 30); },
      [&] { c_.SetRange(kSpinRange, 5, 10); },
      [&] { c_.SetText(kText, "x\r\ny"); },
      [&] { c_.Select(kDropDown, 2); },
      [&] { c_.RemoveEntry(kDropDown, 2); },
      [&] { c_.SetEntrySelected(kList, 1, true); },
      [&] { c_.Select(kList, 2); },
      [&] { c_.SetPosition(kScale, 64); },
      [&] { c_.SelectPage(kPages, 1); },
      [&] { c_.SetPageLabels(kPages, {"(One)", "(Two)"}); },
      [&] { c_.ClearEntries(kList); },
  };
  for (size_t i = 0; i < calls.size(); ++i) {
    calls[i]();
    EXPECT_TRUE(logic_.heard.empty()) << "call " << i << " came back as " << logic_.heard.front();
    logic_.heard.clear();
  }
  EXPECT_EQ(c_.Position(kScale), 64);
  EXPECT_EQ(c_.Position(kSpinRange), 10) << "the new range holds the position";
}

TEST_F(ControlsTest, UsersActionsReachTheLogicAsWindowsWouldReportThem) {
  for (const char* name : {"a", "b"}) {
    c_.InsertEntry(kDropDown, -1, name, 0);
    c_.InsertEntry(kList, -1, name, 0);
  }
  c_.SetChecked(kRadioA, true);
  struct Case {
    const char* action;
    std::function<void()> act;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"button pressed", [&] { Click(button_); }, {"click 2"}},
      {"check box toggled", [&] { check_.activate(); }, {"click 3"}},
      // Only the radio button turned on reports, not the one turned off.
      {"radio button chosen", [&] { radioC_.activate(); }, {"click 6"}},
      {"entry typed in", [&] { entry_.set_text("Rain"); }, {"text 7"}},
      {"spin button stepped", [&] { spin_.spin(Gtk::SpinType::STEP_FORWARD, 1); }, {"text 8", "lost 8"}},
      {"drop-down chosen", [&] { dropDown_.set_selected(1); }, {"select 11"}},
      {"list row chosen", [&] { list_.select_row(*list_.get_row_at_index(0)); }, {"select 12"}},
      {"page switched", [&] { stack_.set_visible_child(page2_); }, {"page 14"}},
  };
  for (const Case& c : cases) {
    logic_.heard.clear();
    c.act();
    EXPECT_EQ(Collapsed(logic_.heard), c.heard) << c.action;
  }
}

TEST_F(ControlsTest, ScaleMovesAreTheLogicsToMake) {
  c_.SetRange(kScale, 0, 100);
  c_.SetPosition(kScale, 50);
  struct Case {
    GtkScrollType scroll;
    ui::ScrollAction action;
  };
  const Case cases[] = {
      {GTK_SCROLL_STEP_BACKWARD, ui::ScrollAction::kLineLess}, {GTK_SCROLL_STEP_FORWARD, ui::ScrollAction::kLineMore},
      {GTK_SCROLL_PAGE_BACKWARD, ui::ScrollAction::kPageLess}, {GTK_SCROLL_PAGE_FORWARD, ui::ScrollAction::kPageMore},
      {GTK_SCROLL_START, ui::ScrollAction::kToMinimum},        {GTK_SCROLL_END, ui::ScrollAction::kToMaximum},
  };
  for (const Case& c : cases) {
    logic_.actions.clear();
    g_signal_emit_by_name(scale_.gobj(), "move-slider", c.scroll);
    ASSERT_EQ(logic_.actions.size(), 1u) << c.scroll;
    EXPECT_EQ(logic_.actions[0], c.action) << c.scroll;
    EXPECT_EQ(c_.Position(kScale), 50) << "GTK proposes, the logic moves";
  }
  gboolean handled = FALSE;
  logic_.positions.clear();
  g_signal_emit_by_name(scale_.gobj(), "change-value", GTK_SCROLL_JUMP, 36.6, &handled);
  ASSERT_EQ(logic_.actions.back(), ui::ScrollAction::kTrack);
  EXPECT_EQ(logic_.positions.back(), 37);
}

TEST_F(ControlsTest, PagesHaveTheLogicsLabelsAndTheSwitcherAloneIsDisabled) {
  c_.SetPageLabels(kPages, {"(Main)", "(Random)"});
  EXPECT_EQ(stack_.get_page(page1_)->get_title(), "(Main)");
  EXPECT_EQ(stack_.get_page(page2_)->get_title(), "(Random)");
  c_.SelectPage(kPages, 1);
  EXPECT_EQ(stack_.get_visible_child(), &page2_);
  EXPECT_EQ(c_.SelectedPage(kPages), 1);
  c_.Enable(kPages, false);
  EXPECT_FALSE(switcher_.get_sensitive());
  EXPECT_TRUE(stack_.get_sensitive()) << "the page's own controls stay usable";
}

TEST_F(ControlsTest, ActionsRunThroughTheRunnerOnce) {
  int runs = 0;
  c_.SetActionRunner([&](const std::function<void()>& action) {
    ++runs;
    action();
  });
  Click(button_);
  c_.Perform([](ui::DialogLogic& l) { l.OnHelp(); });
  c_.SetChecked(kCheck, true);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(logic_.heard, std::vector<std::string>{"click 2"});
}

TEST(CellHeightFont, TheCellIsTheHeightAskedFor) {
  Gtk::Label label;
  for (int32_t height : {9, 16, 24, 32}) {
    const Pango::FontDescription font = CellHeightFont(label.get_pango_context(), {"DejaVu Sans", height, 0, 0});
    const Pango::FontMetrics metrics = label.get_pango_context()->get_metrics(font);
    const double cell = (metrics.get_ascent() + metrics.get_descent()) / static_cast<double>(PANGO_SCALE);
    EXPECT_NEAR(cell, height, 1.0) << height;
  }
}

TEST_F(ControlsTest, TextIsMeasuredAndShownInTheFontAsked) {
  const std::string sample = "The Quick Brown Fox Jumped Over The Lazy Dog. ABCD";
  const int32_t small = c_.TextWidth(kText, {"DejaVu Sans", 12, 0, 0}, sample);
  const int32_t large = c_.TextWidth(kText, {"DejaVu Sans", 24, 0, 0}, sample);
  const int32_t bold = c_.TextWidth(kText, {"DejaVu Sans", 24, 1, 0}, sample);
  EXPECT_GT(small, 200);
  EXPECT_NEAR(large, 2 * small, small / 8);
  EXPECT_GT(bold, large);
  // Before the window is laid out, the text's room is what its scrolled
  // window asks for, less the view's margins.
  EXPECT_EQ(c_.ClientWidth(kText), 300 - 4 - 6);

  c_.SetFont(kText, {"DejaVu Serif", 20, 1, 1});
  // The font reaches the view with its style, once it is on screen.
  Gtk::Window window;
  window.set_child(scroller_);
  window.present();
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  const Pango::FontDescription shown = view_.get_pango_context()->get_font_description();
  EXPECT_EQ(shown.get_family(), "DejaVu Serif");
  EXPECT_EQ(shown.get_weight(), Pango::Weight::BOLD);
  EXPECT_EQ(shown.get_style(), Pango::Style::ITALIC);
  const Pango::FontDescription asked = CellHeightFont(view_.get_pango_context(), {"DejaVu Serif", 20, 1, 1});
  EXPECT_NEAR(shown.get_size(), asked.get_size(), PANGO_SCALE / 100.0 + 1);
  window.set_child(*Gtk::make_managed<Gtk::Label>());
}

}  // namespace
}  // namespace brindlemar::gtk
