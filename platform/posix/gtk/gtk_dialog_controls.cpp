#include "platform/posix/gtk/gtk_dialog_controls.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/posix/text_utf8.h"
#include "ui/control_numbers.h"

namespace brindlemar::gtk {
namespace {

// The size at which a face's cell is measured once, in pixels.
constexpr double kReferenceEm = 1000.0;

std::string WindowsLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// A text view holds lines ending in "\n"; "\r\n" and a lone "\r" both end
// a line there.
std::string ViewLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
      continue;
    }
    out += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

bool ReadInteger(std::string_view text, int32_t& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && stop == end;
}

ui::ScrollAction ActionOf(Gtk::ScrollType type) {
  switch (type) {
    case Gtk::ScrollType::STEP_BACKWARD:
    case Gtk::ScrollType::STEP_LEFT:
    case Gtk::ScrollType::STEP_UP:
      return ui::ScrollAction::kLineLess;
    case Gtk::ScrollType::STEP_FORWARD:
    case Gtk::ScrollType::STEP_RIGHT:
    case Gtk::ScrollType::STEP_DOWN:
      return ui::ScrollAction::kLineMore;
    case Gtk::ScrollType::PAGE_BACKWARD:
    case Gtk::ScrollType::PAGE_LEFT:
    case Gtk::ScrollType::PAGE_UP:
      return ui::ScrollAction::kPageLess;
    case Gtk::ScrollType::PAGE_FORWARD:
    case Gtk::ScrollType::PAGE_RIGHT:
    case Gtk::ScrollType::PAGE_DOWN:
      return ui::ScrollAction::kPageMore;
    case Gtk::ScrollType::START:
      return ui::ScrollAction::kToMinimum;
    case Gtk::ScrollType::END:
      return ui::ScrollAction::kToMaximum;
    default:
      return ui::ScrollAction::kTrack;
  }
}

std::string CssString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n' || c == '\r') continue;
    out += c;
  }
  return out + "\"";
}

}  // namespace

Glib::ustring MnemonicLabel(std::string_view label) {
  std::string out;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '_') {
      out += "__";
    } else if (label[i] == '&' && i + 1 < label.size() && label[i + 1] == '&') {
      out += '&';
      ++i;
    } else {
      out += label[i] == '&' ? '_' : label[i];
    }
  }
  return posix::TextAsUtf8(out);
}

Pango::FontDescription CellHeightFont(const Glib::RefPtr<Pango::Context>& context, const ui::FontSpec& wanted) {
  Pango::FontDescription font;
  font.set_family(wanted.face.empty() ? "Sans" : posix::TextAsUtf8(wanted.face));
  font.set_weight(wanted.bold ? Pango::Weight::BOLD : Pango::Weight::NORMAL);
  font.set_style(wanted.italic ? Pango::Style::ITALIC : Pango::Style::NORMAL);
  font.set_absolute_size(kReferenceEm * PANGO_SCALE);
  const Pango::FontMetrics metrics = context->get_metrics(font);
  double cellPerEm = (metrics.get_ascent() + metrics.get_descent()) / (kReferenceEm * PANGO_SCALE);
  if (cellPerEm <= 0.0) cellPerEm = 1.0;
  font.set_absolute_size(std::max(wanted.height, 1) / cellPerEm * PANGO_SCALE);
  return font;
}

GtkDialogControls::~GtkDialogControls() {
  for (sigc::connection& connection : connections_) connection.disconnect();
}

GtkDialogControls::Control& GtkDialogControls::Add(int32_t id, Kind kind, Gtk::Widget* widget) {
  Control& control = controls_[id];
  control = Control{};
  control.kind = kind;
  control.widget = widget;
  return control;
}

GtkDialogControls::Control& GtkDialogControls::Find(int32_t id) {
  auto found = controls_.find(id);
  if (found != controls_.end()) return found->second;
  g_critical("dialog control %d is not registered", id);
  return Add(id, Kind::kValue, nullptr);
}

void GtkDialogControls::Report(const std::function<void(ui::DialogLogic&)>& event) {
  if (quiet_ == 0) Perform(event);
}

void GtkDialogControls::Perform(const std::function<void(ui::DialogLogic&)>& event) {
  if (!logic_) return;
  ui::DialogLogic& logic = *logic_;
  if (runner_) {
    runner_([&] { event(logic); });
  } else {
    event(logic);
  }
}

void GtkDialogControls::AddLabel(int32_t id, Gtk::Label& label) { Add(id, Kind::kLabel, &label); }

void GtkDialogControls::AddButton(int32_t id, Gtk::Button& button) {
  Add(id, Kind::kButton, &button);
  Track(button.signal_clicked(), [this, id] { Report([id](ui::DialogLogic& l) { l.OnClicked(id); }); });
}

void GtkDialogControls::AddCheck(int32_t id, Gtk::CheckButton& check) {
  Add(id, Kind::kCheck, &check);
  Track(check.signal_toggled(), [this, id] { Report([id](ui::DialogLogic& l) { l.OnClicked(id); }); });
}

void GtkDialogControls::AddRadio(int32_t id, Gtk::CheckButton& radio) {
  Add(id, Kind::kRadio, &radio);
  Track(radio.signal_toggled(), [this, id, &radio] {
    if (radio.get_active()) Report([id](ui::DialogLogic& l) { l.OnClicked(id); });
  });
}

void GtkDialogControls::AddEntry(int32_t id, Gtk::Entry& entry) {
  Add(id, Kind::kEntry, &entry);
  Track(entry.signal_changed(), [this, id] { Report([id](ui::DialogLogic& l) { l.OnTextChanged(id); }); });
  auto focus = Gtk::EventControllerFocus::create();
  Track(focus->signal_leave(), [this, id] { Report([id](ui::DialogLogic& l) { l.OnFocusLost(id); }); });
  entry.add_controller(focus);
}

void GtkDialogControls::AddSpin(int32_t textId, int32_t rangeId, Gtk::SpinButton& spin) {
  Add(textId, Kind::kSpin, &spin);
  Add(rangeId, Kind::kSpin, &spin);
  Track(spin.signal_changed(), [this, textId] { Report([textId](ui::DialogLogic& l) { l.OnTextChanged(textId); }); });
  Track(spin.signal_value_changed(),
        [this, textId] { Report([textId](ui::DialogLogic& l) { l.OnFocusLost(textId); }); });
  // The text typed becomes a value as the dialogs read numbers (thousands
  // separators, a number beyond the range at its nearer end), not by the
  // spin button's own rules, which stop at a comma.
  connections_.push_back(spin.signal_input().connect(
      [&spin](double& value) {
        double min = 0, max = 0;
        spin.get_range(min, max);
        value = std::clamp(static_cast<double>(ui::ReadTypedNumber(spin.get_text().raw())), min, max);
        return 1;
      },
      false));
  auto focus = Gtk::EventControllerFocus::create();
  Track(focus->signal_leave(), [this, textId, &spin] {
    // The text typed becomes the value first, as leaving the spin button
    // makes it; a changed value reports the loss of focus itself.
    const double before = spin.get_value();
    spin.update();
    if (spin.get_value() == before) Report([textId](ui::DialogLogic& l) { l.OnFocusLost(textId); });
  });
  spin.add_controller(focus);
}

void GtkDialogControls::AddTextView(int32_t id, Gtk::TextView& view, Gtk::ScrolledWindow& scroller) {
  Add(id, Kind::kText, &view).scroller = &scroller;
  Track(view.get_buffer()->signal_changed(), [this, id] { Report([id](ui::DialogLogic& l) { l.OnTextChanged(id); }); });
}

void GtkDialogControls::AddDropDown(int32_t id, Gtk::DropDown& dropDown) {
  Control& control = Add(id, Kind::kDropDown, &dropDown);
  control.strings = Gtk::StringList::create({});
  {
    Quiet quiet(*this);
    dropDown.set_model(control.strings);
    dropDown.set_selected(GTK_INVALID_LIST_POSITION);
  }
  Track(dropDown.property_selected().signal_changed(),
        [this, id] { Report([id](ui::DialogLogic& l) { l.OnSelectionChanged(id); }); });
}

void GtkDialogControls::AddListBox(int32_t id, Gtk::ListBox& list) {
  Add(id, Kind::kList, &list);
  list.set_selection_mode(Gtk::SelectionMode::MULTIPLE);
  Track(list.signal_selected_rows_changed(),
        [this, id] { Report([id](ui::DialogLogic& l) { l.OnSelectionChanged(id); }); });
  // GTK's own clicks on a multiple-selection list box only ever add lines
  // (a pointer it takes for a touch screen swaps what Ctrl means): the
  // clicks are taken before it sees them.
  auto click = Gtk::GestureClick::create();
  click->set_button(GDK_BUTTON_PRIMARY);
  click->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
  Gtk::GestureClick* gesture = click.get();
  Track(click->signal_pressed(), [this, id, &list, gesture](int, double, double y) {
    ClickListLine(id, list, y, gesture->get_current_event_state());
    gesture->set_state(Gtk::EventSequenceState::CLAIMED);
  });
  list.add_controller(click);
}

void GtkDialogControls::ClickListLine(int32_t id, Gtk::ListBox& list, double y, Gdk::ModifierType state) {
  Gtk::ListBoxRow* row = list.get_row_at_y(static_cast<int>(y));
  if (!row) return;
  const bool toggle = (state & Gdk::ModifierType::CONTROL_MASK) == Gdk::ModifierType::CONTROL_MASK;
  const bool extend = (state & Gdk::ModifierType::SHIFT_MASK) == Gdk::ModifierType::SHIFT_MASK;
  Control& control = Find(id);
  const int32_t line = row->get_index();
  {
    Quiet quiet(*this);
    if (extend) {
      if (!toggle) list.unselect_all();
      const int32_t from = std::min(control.anchor, line), to = std::max(control.anchor, line);
      for (int32_t i = from; i <= to; ++i) {
        if (Gtk::ListBoxRow* each = list.get_row_at_index(i)) list.select_row(*each);
      }
    } else if (toggle) {
      if (row->is_selected()) {
        list.unselect_row(row);
      } else {
        list.select_row(*row);
      }
      control.anchor = line;
    } else {
      list.unselect_all();
      list.select_row(*row);
      control.anchor = line;
    }
  }
  row->grab_focus();
  Report([id](ui::DialogLogic& l) { l.OnSelectionChanged(id); });
}

void GtkDialogControls::AddScale(int32_t id, Gtk::Scale& scale) {
  Add(id, Kind::kScale, &scale);
  scale.get_adjustment()->set_step_increment(1);
  scale.get_adjustment()->set_page_increment(10);
  // The logic moves the scale itself: GTK only proposes the move.
  connections_.push_back(scale.signal_change_value().connect(
      [this, id](Gtk::ScrollType type, double value) {
        const auto position = static_cast<int32_t>(std::lround(value));
        Report([id, type, position](ui::DialogLogic& l) { l.OnScroll(id, ActionOf(type), position); });
        return true;
      },
      false));
}

void GtkDialogControls::AddPages(int32_t id, Gtk::Stack& stack, Gtk::StackSwitcher& switcher,
                                 std::vector<Gtk::Widget*> pages) {
  Control& control = Add(id, Kind::kPages, &stack);
  control.switcher = &switcher;
  control.pages = std::move(pages);
  Track(stack.property_visible_child().signal_changed(),
        [this, id] { Report([id](ui::DialogLogic& l) { l.OnPageChanged(id); }); });
}

void GtkDialogControls::AddWidget(int32_t id, Gtk::Widget& widget) { Add(id, Kind::kWidget, &widget); }

void GtkDialogControls::AddValue(int32_t id) { Add(id, Kind::kValue, nullptr); }

Gtk::Widget* GtkDialogControls::WidgetOf(int32_t id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second.widget;
}

std::vector<std::pair<int32_t, Gtk::Widget*>> GtkDialogControls::Widgets() const {
  std::vector<std::pair<int32_t, Gtk::Widget*>> widgets;
  for (const auto& [id, control] : controls_) {
    // The user switches pages on the switcher.
    Gtk::Widget* acted = control.switcher ? control.switcher : control.widget;
    if (acted) widgets.emplace_back(id, acted);
  }
  return widgets;
}

void GtkDialogControls::SetText(int32_t id, std::string_view text) {
  Quiet quiet(*this);
  Control& c = Find(id);
  const Glib::ustring utf8 = posix::TextAsUtf8(text);
  switch (c.kind) {
    case Kind::kLabel:
      static_cast<Gtk::Label*>(c.widget)->set_text(utf8);
      return;
    case Kind::kButton:
      static_cast<Gtk::Button*>(c.widget)->set_label(MnemonicLabel(text));
      return;
    case Kind::kCheck:
    case Kind::kRadio:
      static_cast<Gtk::CheckButton*>(c.widget)->set_label(MnemonicLabel(text));
      return;
    case Kind::kEntry:
      static_cast<Gtk::Entry*>(c.widget)->set_text(utf8);
      return;
    case Kind::kSpin: {
      auto* spin = static_cast<Gtk::SpinButton*>(c.widget);
      int32_t value = 0;
      if (ReadInteger(text, value)) {
        spin->set_value(value);
        // A value equal to the one held leaves a different text in place.
        spin->set_text(std::to_string(static_cast<int64_t>(spin->get_value())));
      } else {
        spin->set_text(utf8);
      }
      return;
    }
    case Kind::kText:
      static_cast<Gtk::TextView*>(c.widget)->get_buffer()->set_text(posix::TextAsUtf8(ViewLines(text)));
      return;
    default:
      c.text = text;
      return;
  }
}

std::string GtkDialogControls::Text(int32_t id) {
  Control& c = Find(id);
  switch (c.kind) {
    case Kind::kLabel:
      return static_cast<Gtk::Label*>(c.widget)->get_text();
    case Kind::kEntry:
      return static_cast<Gtk::Entry*>(c.widget)->get_text();
    case Kind::kSpin:
      return static_cast<Gtk::SpinButton*>(c.widget)->get_text();
    case Kind::kText:
      return WindowsLines(static_cast<Gtk::TextView*>(c.widget)->get_buffer()->get_text());
    case Kind::kButton:
      return static_cast<Gtk::Button*>(c.widget)->get_label();
    case Kind::kCheck:
    case Kind::kRadio:
      return static_cast<Gtk::CheckButton*>(c.widget)->get_label();
    default:
      return c.text;
  }
}

void GtkDialogControls::SelectAllText(int32_t id) {
  Control& c = Find(id);
  if (auto* editable = dynamic_cast<Gtk::Editable*>(c.widget)) editable->select_region(0, -1);
}

void GtkDialogControls::SetChecked(int32_t id, bool checked) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind == Kind::kCheck || c.kind == Kind::kRadio) {
    static_cast<Gtk::CheckButton*>(c.widget)->set_active(checked);
  } else {
    c.checked = checked;
  }
}

bool GtkDialogControls::IsChecked(int32_t id) {
  Control& c = Find(id);
  if (c.kind == Kind::kCheck || c.kind == Kind::kRadio) return static_cast<Gtk::CheckButton*>(c.widget)->get_active();
  return c.checked;
}

void GtkDialogControls::Enable(int32_t id, bool enabled) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind == Kind::kPages) {
    c.switcher->set_sensitive(enabled);
  } else if (c.widget) {
    c.widget->set_sensitive(enabled);
  }
}

bool GtkDialogControls::OnPage(Gtk::Widget& widget) const {
  for (const auto& [id, control] : controls_) {
    for (Gtk::Widget* page : control.pages) {
      if (widget.is_ancestor(*page)) return true;
    }
  }
  return false;
}

void GtkDialogControls::Show(int32_t id, bool shown) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (!c.widget || c.kind == Kind::kPages || OnPage(*c.widget)) return;
  c.widget->set_visible(shown);
  // The text view shows with its scroll bars.
  if (c.scroller) c.scroller->set_visible(shown);
}

void GtkDialogControls::Focus(int32_t id) {
  Control& c = Find(id);
  if (c.widget) c.widget->grab_focus();
}

void GtkDialogControls::ClearEntries(int32_t id) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind == Kind::kDropDown) {
    c.strings->splice(0, c.strings->get_n_items(), {});
    static_cast<Gtk::DropDown*>(c.widget)->set_selected(GTK_INVALID_LIST_POSITION);
  } else if (c.kind == Kind::kList) {
    auto* list = static_cast<Gtk::ListBox*>(c.widget);
    while (Gtk::ListBoxRow* row = list->get_row_at_index(0)) list->remove(*row);
  }
  c.entries.clear();
  c.selection = -1;
}

void GtkDialogControls::InsertEntry(int32_t id, int32_t position, std::string_view text, int32_t data) {
  Quiet quiet(*this);
  Control& c = Find(id);
  const auto count = static_cast<int32_t>(c.entries.size());
  const int32_t at = position < 0 || position > count ? count : position;
  const int32_t selected = Selection(id);
  c.entries.insert(c.entries.begin() + at, Entry{std::string(text), data, false});
  if (c.kind == Kind::kDropDown) {
    c.strings->splice(static_cast<guint>(at), 0, {posix::TextAsUtf8(text)});
  } else if (c.kind == Kind::kList) {
    auto* label = Gtk::make_managed<Gtk::Label>(posix::TextAsUtf8(text));
    label->set_xalign(0.0f);
    static_cast<Gtk::ListBox*>(c.widget)->insert(*label, at);
  }
  // The selected entry stays selected, wherever the new one goes, and a
  // list without a selection keeps none (a drop-down would choose its
  // first entry by itself).
  if (c.kind != Kind::kList) Select(id, selected < 0 ? -1 : selected >= at ? selected + 1 : selected);
}

void GtkDialogControls::RemoveEntry(int32_t id, int32_t position) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (position < 0 || position >= static_cast<int32_t>(c.entries.size())) return;
  const int32_t selected = Selection(id);
  c.entries.erase(c.entries.begin() + position);
  if (c.kind == Kind::kDropDown) {
    c.strings->remove(static_cast<guint>(position));
  } else if (c.kind == Kind::kList) {
    auto* list = static_cast<Gtk::ListBox*>(c.widget);
    if (Gtk::ListBoxRow* row = list->get_row_at_index(position)) list->remove(*row);
    return;
  }
  Select(id, selected == position ? -1 : selected > position ? selected - 1 : selected);
}

int32_t GtkDialogControls::EntryCount(int32_t id) { return static_cast<int32_t>(Find(id).entries.size()); }

std::string GtkDialogControls::EntryText(int32_t id, int32_t position) {
  Control& c = Find(id);
  if (position < 0 || position >= static_cast<int32_t>(c.entries.size())) return {};
  return c.entries[static_cast<size_t>(position)].text;
}

int32_t GtkDialogControls::EntryData(int32_t id, int32_t position) {
  Control& c = Find(id);
  if (position < 0 || position >= static_cast<int32_t>(c.entries.size())) return -1;
  return c.entries[static_cast<size_t>(position)].data;
}

void GtkDialogControls::SetEntryData(int32_t id, int32_t position, int32_t data) {
  Control& c = Find(id);
  if (position >= 0 && position < static_cast<int32_t>(c.entries.size())) {
    c.entries[static_cast<size_t>(position)].data = data;
  }
}

int32_t GtkDialogControls::Selection(int32_t id) {
  Control& c = Find(id);
  if (c.kind == Kind::kDropDown) {
    const guint selected = static_cast<Gtk::DropDown*>(c.widget)->get_selected();
    return selected == GTK_INVALID_LIST_POSITION ? -1 : static_cast<int32_t>(selected);
  }
  if (c.kind == Kind::kList) {
    const std::vector<int32_t> selected = SelectedEntries(id);
    return selected.empty() ? -1 : selected.front();
  }
  return c.selection;
}

void GtkDialogControls::Select(int32_t id, int32_t position) {
  Quiet quiet(*this);
  Control& c = Find(id);
  const bool valid = position >= 0 && position < static_cast<int32_t>(c.entries.size());
  if (c.kind == Kind::kDropDown) {
    static_cast<Gtk::DropDown*>(c.widget)->set_selected(valid ? static_cast<guint>(position)
                                                              : GTK_INVALID_LIST_POSITION);
  } else if (c.kind == Kind::kList) {
    auto* list = static_cast<Gtk::ListBox*>(c.widget);
    list->unselect_all();
    if (valid) list->select_row(*list->get_row_at_index(position));
  } else {
    c.selection = valid ? position : -1;
  }
}

std::vector<int32_t> GtkDialogControls::SelectedEntries(int32_t id) {
  Control& c = Find(id);
  std::vector<int32_t> selected;
  if (c.kind == Kind::kList) {
    for (Gtk::ListBoxRow* row : static_cast<Gtk::ListBox*>(c.widget)->get_selected_rows()) {
      selected.push_back(row->get_index());
    }
    std::sort(selected.begin(), selected.end());
    return selected;
  }
  for (size_t i = 0; i < c.entries.size(); ++i) {
    if (c.entries[i].selected) selected.push_back(static_cast<int32_t>(i));
  }
  return selected;
}

void GtkDialogControls::SetEntrySelected(int32_t id, int32_t position, bool selected) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (position < 0 || position >= static_cast<int32_t>(c.entries.size())) return;
  if (c.kind == Kind::kList) {
    auto* list = static_cast<Gtk::ListBox*>(c.widget);
    Gtk::ListBoxRow* row = list->get_row_at_index(position);
    if (selected) {
      list->select_row(*row);
    } else {
      list->unselect_row(row);
    }
    return;
  }
  c.entries[static_cast<size_t>(position)].selected = selected;
}

void GtkDialogControls::SetRange(int32_t id, int32_t min, int32_t max) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind == Kind::kScale) {
    static_cast<Gtk::Scale*>(c.widget)->set_range(min, max);
  } else if (c.kind == Kind::kSpin) {
    static_cast<Gtk::SpinButton*>(c.widget)->set_range(min, max);
  } else {
    c.min = min;
    c.max = max;
    c.position = std::clamp(c.position, min, max);
  }
}

void GtkDialogControls::SetPosition(int32_t id, int32_t position) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind == Kind::kScale) {
    static_cast<Gtk::Scale*>(c.widget)->set_value(position);
  } else if (c.kind == Kind::kSpin) {
    static_cast<Gtk::SpinButton*>(c.widget)->set_value(position);
  } else {
    c.position = c.min < c.max ? std::clamp(position, c.min, c.max) : position;
  }
}

int32_t GtkDialogControls::Position(int32_t id) {
  Control& c = Find(id);
  if (c.kind == Kind::kScale) return static_cast<int32_t>(std::lround(static_cast<Gtk::Scale*>(c.widget)->get_value()));
  if (c.kind == Kind::kSpin) return static_cast<Gtk::SpinButton*>(c.widget)->get_value_as_int();
  return c.position;
}

void GtkDialogControls::SetPageLabels(int32_t id, const std::vector<std::string>& labels) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind != Kind::kPages) return;
  auto* stack = static_cast<Gtk::Stack*>(c.widget);
  for (size_t i = 0; i < labels.size() && i < c.pages.size(); ++i) {
    stack->get_page(*c.pages[i])->set_title(posix::TextAsUtf8(labels[i]));
  }
}

void GtkDialogControls::SelectPage(int32_t id, int32_t page) {
  Quiet quiet(*this);
  Control& c = Find(id);
  if (c.kind == Kind::kPages && page >= 0 && page < static_cast<int32_t>(c.pages.size())) {
    static_cast<Gtk::Stack*>(c.widget)->set_visible_child(*c.pages[static_cast<size_t>(page)]);
  }
  c.page = page;
}

int32_t GtkDialogControls::SelectedPage(int32_t id) {
  Control& c = Find(id);
  if (c.kind != Kind::kPages) return c.page;
  const Gtk::Widget* shown = static_cast<Gtk::Stack*>(c.widget)->get_visible_child();
  const auto at = std::find(c.pages.begin(), c.pages.end(), shown);
  return at == c.pages.end() ? 0 : static_cast<int32_t>(at - c.pages.begin());
}

int32_t GtkDialogControls::ClientWidth(int32_t id) {
  Control& c = Find(id);
  if (c.kind != Kind::kText) return c.widget ? c.widget->get_width() : 0;
  auto* view = static_cast<Gtk::TextView*>(c.widget);
  int width = view->get_width();
  int height = 0;
  if (width <= 0 && c.scroller) c.scroller->get_size_request(width, height);
  return std::max(width - view->get_left_margin() - view->get_right_margin(), 0);
}

int32_t GtkDialogControls::TextWidth(int32_t id, const ui::FontSpec& font, std::string_view text) {
  Control& c = Find(id);
  if (!c.widget) return 0;
  Glib::RefPtr<Pango::Layout> layout = c.widget->create_pango_layout(posix::TextAsUtf8(text));
  layout->set_font_description(CellHeightFont(c.widget->get_pango_context(), font));
  int width = 0, height = 0;
  layout->get_pixel_size(width, height);
  return width;
}

void GtkDialogControls::SetFont(int32_t id, const ui::FontSpec& font) {
  Control& c = Find(id);
  if (!c.widget) return;
  if (!c.font) {
    c.font = Gtk::CssProvider::create();
    c.widget->get_style_context()->add_provider(c.font, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  const Pango::FontDescription pango = CellHeightFont(c.widget->get_pango_context(), font);
  char size[32];
  std::snprintf(size, sizeof size, "%.3f", pango.get_size() / static_cast<double>(PANGO_SCALE));
  c.font->load_from_data(std::string("* { font-family: ") + CssString(pango.get_family().raw()) +
                         "; font-size: " + size + "px; font-weight: " + (font.bold ? "700" : "400") +
                         "; font-style: " + (font.italic ? "italic" : "normal") + "; }");
}

void GtkDialogControls::Repaint() {
  if (root_) root_->queue_draw();
}

void GtkDialogControls::EndDialog(int32_t result) {
  if (end_) end_(result);
}

}  // namespace brindlemar::gtk
