// The dialog controls of ui/dialog_controls.h over GTK 4 widgets: the
// window code registers each widget under its control id, and this set
// answers the logic's calls on them and turns the user's actions on them
// into the logic's events (ui/dialog_logic.h).
//
// How the Windows controls map: edits are Gtk::Entry (Gtk::TextView for the
// multi-line one, whose lines the logic sees ending in "\r\n"), an edit with
// its up-down control is one Gtk::SpinButton under both ids, drop-down
// lists are Gtk::DropDown, the multiple-selection list box a Gtk::ListBox,
// scroll bars Gtk::Scale (each move reported as the scroll action GTK names),
// the tab control a Gtk::Stack with its Gtk::StackSwitcher (disabling it
// disables the switcher only). A control on one of the stack's pages shows
// and hides with its page: the stack shows one page at a time and keeps the
// size of the largest, so that the window keeps one size whichever page is
// shown, where hiding the other page's controls one by one would shrink it
// to the page shown. The list box takes clicks as multiple-choice
// lists do: a click chooses that line alone, Ctrl+click adds or drops it,
// Shift+click chooses the lines from the last clicked one to it (Ctrl+Shift
// adds them); the keys stay GTK's. A spin button's value committed (its arrows,
// Enter) counts as its edit losing the focus. Controls that do not apply to
// this platform are registered as values only: they keep what the logic puts
// into them and are never shown.
//
// Changes made through this interface never come back as events: every
// signal a call of the logic causes is dropped. Texts given to widgets are
// made valid UTF-8 (posix/text_utf8.h).
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/dialog_controls.h"
#include "ui/dialog_logic.h"

namespace brindlemar::gtk {

class GtkDialogControls final : public ui::DialogControls {
 public:
  // Runs one user action of the logic; the settings program wraps each in
  // one change of the settings (SettingsWindowStore) and looks at the
  // settings file's health afterwards.
  using ActionRunner = std::function<void(const std::function<void()>&)>;

  GtkDialogControls() = default;
  // Widgets may outlive the set (GTK disposes of them when their window
  // goes): their signals no longer reach it.
  ~GtkDialogControls() override;
  GtkDialogControls(const GtkDialogControls&) = delete;
  GtkDialogControls& operator=(const GtkDialogControls&) = delete;

  // The logic that hears the user's actions from now on (null: none).
  void Connect(ui::DialogLogic* logic) { logic_ = logic; }
  void SetActionRunner(ActionRunner runner) { runner_ = std::move(runner); }
  // What EndDialog does, and the widget Repaint draws again.
  void SetEnd(std::function<void(int32_t)> end) { end_ = std::move(end); }
  void SetRoot(Gtk::Widget& root) { root_ = &root; }

  // Runs one call of the logic as a user's action (the window opening,
  // closing it, which is Cancel, F1), through the action runner.
  void Perform(const std::function<void(ui::DialogLogic&)>& event);

  // Registration, one widget per id (a spin button under two).
  void AddLabel(int32_t id, Gtk::Label& label);
  void AddButton(int32_t id, Gtk::Button& button);
  void AddCheck(int32_t id, Gtk::CheckButton& check);
  // A check button grouped with others: only the one the user turns on
  // reports a click, as a Windows radio button does.
  void AddRadio(int32_t id, Gtk::CheckButton& radio);
  void AddEntry(int32_t id, Gtk::Entry& entry);
  void AddSpin(int32_t textId, int32_t rangeId, Gtk::SpinButton& spin);
  // The text view and the scrolled window around it, whose requested width
  // stands for the text's width until the view has one.
  void AddTextView(int32_t id, Gtk::TextView& view, Gtk::ScrolledWindow& scroller);
  void AddDropDown(int32_t id, Gtk::DropDown& dropDown);
  void AddListBox(int32_t id, Gtk::ListBox& list);
  void AddScale(int32_t id, Gtk::Scale& scale);
  void AddPages(int32_t id, Gtk::Stack& stack, Gtk::StackSwitcher& switcher, std::vector<Gtk::Widget*> pages);
  // A widget that is only shown, hidden, enabled or disabled.
  void AddWidget(int32_t id, Gtk::Widget& widget);
  void AddValue(int32_t id);

  // The widget of a control (null for values and unknown ids), and every
  // registered id with the widget the user acts on (a page switch's
  // switcher), for tests and the control map.
  Gtk::Widget* WidgetOf(int32_t id) const;
  std::vector<std::pair<int32_t, Gtk::Widget*>> Widgets() const;

  void SetText(int32_t id, std::string_view text) override;
  std::string Text(int32_t id) override;
  void SelectAllText(int32_t id) override;
  void SetChecked(int32_t id, bool checked) override;
  bool IsChecked(int32_t id) override;
  void Enable(int32_t id, bool enabled) override;
  void Show(int32_t id, bool shown) override;
  void Focus(int32_t id) override;
  void ClearEntries(int32_t id) override;
  void InsertEntry(int32_t id, int32_t position, std::string_view text, int32_t data) override;
  void RemoveEntry(int32_t id, int32_t position) override;
  int32_t EntryCount(int32_t id) override;
  std::string EntryText(int32_t id, int32_t position) override;
  int32_t EntryData(int32_t id, int32_t position) override;
  void SetEntryData(int32_t id, int32_t position, int32_t data) override;
  int32_t Selection(int32_t id) override;
  void Select(int32_t id, int32_t position) override;
  std::vector<int32_t> SelectedEntries(int32_t id) override;
  void SetEntrySelected(int32_t id, int32_t position, bool selected) override;
  void SetRange(int32_t id, int32_t min, int32_t max) override;
  void SetPosition(int32_t id, int32_t position) override;
  int32_t Position(int32_t id) override;
  void SetPageLabels(int32_t id, const std::vector<std::string>& labels) override;
  void SelectPage(int32_t id, int32_t page) override;
  int32_t SelectedPage(int32_t id) override;
  int32_t ClientWidth(int32_t id) override;
  int32_t TextWidth(int32_t id, const ui::FontSpec& font, std::string_view text) override;
  void SetFont(int32_t id, const ui::FontSpec& font) override;
  void Repaint() override;
  void EndDialog(int32_t result) override;

 private:
  enum class Kind { kLabel, kButton, kCheck, kRadio, kEntry, kSpin, kText, kDropDown, kList, kScale, kPages, kWidget, kValue };

  struct Entry {
    std::string text;
    int32_t data = 0;
    bool selected = false;
  };

  struct Control {
    Kind kind = Kind::kValue;
    Gtk::Widget* widget = nullptr;
    // The list's texts as the logic gave them, and its item data.
    std::vector<Entry> entries;
    Glib::RefPtr<Gtk::StringList> strings;
    Gtk::ScrolledWindow* scroller = nullptr;
    Gtk::StackSwitcher* switcher = nullptr;
    std::vector<Gtk::Widget*> pages;
    Glib::RefPtr<Gtk::CssProvider> font;
    // A value-only control's state.
    std::string text;
    bool checked = false;
    int32_t selection = -1;
    int32_t position = 0;
    int32_t min = 0;
    int32_t max = 0;
    int32_t page = 0;
    // A list box's line that the last click chose or dropped, where a
    // Shift+click's range begins.
    int32_t anchor = 0;
  };

  // Counts the calls of the logic in progress: their signals are dropped.
  class Quiet {
   public:
    explicit Quiet(GtkDialogControls& controls) : depth_(controls.quiet_) { ++depth_; }
    ~Quiet() { --depth_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    int& depth_;
  };

  Control& Add(int32_t id, Kind kind, Gtk::Widget* widget);
  // A click with the modifiers of state on the list box's line at y.
  void ClickListLine(int32_t id, Gtk::ListBox& list, double y, Gdk::ModifierType state);
  // The control of id; unknown ids answer as an empty value control.
  Control& Find(int32_t id);
  // Whether widget lies on a page of the tab control.
  bool OnPage(Gtk::Widget& widget) const;
  // Performs a user's action, unless a call of the logic caused it.
  void Report(const std::function<void(ui::DialogLogic&)>& event);
  // Connects handler to signal for as long as the set lives.
  template <typename Signal, typename Handler>
  void Track(Signal&& signal, Handler&& handler) {
    connections_.push_back(signal.connect(std::forward<Handler>(handler)));
  }

  std::map<int32_t, Control> controls_;
  ui::DialogLogic* logic_ = nullptr;
  ActionRunner runner_;
  std::function<void(int32_t)> end_;
  Gtk::Widget* root_ = nullptr;
  int quiet_ = 0;
  std::vector<sigc::connection> connections_;
};

// A label of the product with its "&" mnemonic as GTK writes it ("_"; a
// literal "_" doubled).
Glib::ustring MnemonicLabel(std::string_view label);

// The Pango font of a FontSpec in context: the face, weight and slant, and
// the size whose character cell (ascent plus descent) is wanted.height pixels.
Pango::FontDescription CellHeightFont(const Glib::RefPtr<Pango::Context>& context, const ui::FontSpec& wanted);

}  // namespace brindlemar::gtk
