// A dialog made of plain values for tests of the dialog logic: every control
// id holds a text, a check, enabled and shown states, list entries with
// their data and selection, a range and position, page labels and a font.
// The user's actions (typing, clicking, choosing) change these values as
// the real controls would before the logic hears of them.
//
// FakeHost answers for the platform: it attaches the preview to a memory
// window, answers the satellite dialogs from scripts the test sets, and
// records what was asked of it.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/particle_field.h"
#include "support/test_window.h"
#include "surfaces/display_modes.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_host.h"
#include "ui/dialog_logic.h"

namespace brindlemar::testing {

struct FakeControl {
  std::string text;
  bool checked = false;
  bool enabled = true;
  bool shown = true;
  bool focused = false;
  bool textSelected = false;
  struct Entry {
    std::string text;
    int32_t data = 0;
    bool selected = false;
  };
  std::vector<Entry> entries;
  int32_t selection = -1;
  int32_t min = 0, max = 0;
  bool hasRange = false;
  int32_t position = 0;
  std::vector<std::string> pages;
  int32_t page = 0;
  ui::FontSpec font;
  int32_t clientWidth = 400;
};

class FakeControls final : public ui::DialogControls {
 public:
  FakeControl& operator[](int32_t id) { return controls[id]; }

  void SetText(int32_t id, std::string_view text) override { controls[id].text = std::string(text); }
  std::string Text(int32_t id) override { return controls[id].text; }
  void SelectAllText(int32_t id) override { controls[id].textSelected = true; }
  void SetChecked(int32_t id, bool checked) override { controls[id].checked = checked; }
  bool IsChecked(int32_t id) override { return controls[id].checked; }
  void Enable(int32_t id, bool enabled) override { controls[id].enabled = enabled; }
  void Show(int32_t id, bool shown) override { controls[id].shown = shown; }
  void Focus(int32_t id) override {
    for (auto& [other, control] : controls) control.focused = false;
    controls[id].focused = true;
  }
  void ClearEntries(int32_t id) override {
    controls[id].entries.clear();
    controls[id].selection = -1;
  }
  void InsertEntry(int32_t id, int32_t position, std::string_view text, int32_t data) override {
    auto& entries = controls[id].entries;
    const size_t at = position < 0 ? entries.size() : std::min(static_cast<size_t>(position), entries.size());
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), {std::string(text), data, false});
    int32_t& selection = controls[id].selection;
    if (selection >= static_cast<int32_t>(at)) ++selection;
  }
  void RemoveEntry(int32_t id, int32_t position) override {
    auto& entries = controls[id].entries;
    entries.erase(entries.begin() + position);
    int32_t& selection = controls[id].selection;
    if (selection == position) selection = -1;
    if (selection > position) --selection;
  }
  int32_t EntryCount(int32_t id) override { return static_cast<int32_t>(controls[id].entries.size()); }
  std::string EntryText(int32_t id, int32_t position) override { return Entry(id, position).text; }
  int32_t EntryData(int32_t id, int32_t position) override { return Entry(id, position).data; }
  void SetEntryData(int32_t id, int32_t position, int32_t data) override { Entry(id, position).data = data; }
  int32_t Selection(int32_t id) override { return controls[id].selection; }
  void Select(int32_t id, int32_t position) override {
    controls[id].selection = position >= 0 && position < EntryCount(id) ? position : -1;
  }
  std::vector<int32_t> SelectedEntries(int32_t id) override {
    std::vector<int32_t> selected;
    for (size_t i = 0; i < controls[id].entries.size(); ++i) {
      if (controls[id].entries[i].selected) selected.push_back(static_cast<int32_t>(i));
    }
    return selected;
  }
  void SetEntrySelected(int32_t id, int32_t position, bool selected) override {
    Entry(id, position).selected = selected;
  }
  void SetRange(int32_t id, int32_t min, int32_t max) override {
    FakeControl& c = controls[id];
    c.min = min;
    c.max = max;
    c.hasRange = true;
    c.position = std::clamp(c.position, min, max);
  }
  // Positions stay within the range, as a scroll bar keeps them.
  void SetPosition(int32_t id, int32_t position) override {
    FakeControl& c = controls[id];
    c.position = c.hasRange ? std::clamp(position, c.min, c.max) : position;
  }
  int32_t Position(int32_t id) override { return controls[id].position; }
  void SetPageLabels(int32_t id, const std::vector<std::string>& labels) override { controls[id].pages = labels; }
  void SelectPage(int32_t id, int32_t page) override { controls[id].page = page; }
  int32_t SelectedPage(int32_t id) override { return controls[id].page; }
  int32_t ClientWidth(int32_t id) override { return controls[id].clientWidth; }
  // Text as wide as a fixed share of the height per character: bold adds a
  // tenth, italic nothing, so that fitting depends on all three.
  int32_t TextWidth(int32_t, const ui::FontSpec& font, std::string_view text) override {
    const int32_t perChar = font.height * (font.bold ? 11 : 10) / 20;
    return perChar * static_cast<int32_t>(text.size());
  }
  void SetFont(int32_t id, const ui::FontSpec& font) override { controls[id].font = font; }
  void Repaint() override { ++repaints; }
  void EndDialog(int32_t result) override { ended.push_back(result); }

  // The user's actions, each followed by the event the logic hears.
  void Type(ui::DialogLogic& logic, int32_t id, std::string_view text) {
    controls[id].text = std::string(text);
    logic.OnTextChanged(id);
  }
  void TypeAndLeave(ui::DialogLogic& logic, int32_t id, std::string_view text) {
    Type(logic, id, text);
    logic.OnFocusLost(id);
  }
  void Toggle(ui::DialogLogic& logic, int32_t id) {
    controls[id].checked = !controls[id].checked;
    logic.OnClicked(id);
  }
  // A radio button of group: it is checked, the others not.
  void ChooseRadio(ui::DialogLogic& logic, int32_t id, std::initializer_list<int32_t> group) {
    for (int32_t other : group) controls[other].checked = other == id;
    logic.OnClicked(id);
  }
  void Press(ui::DialogLogic& logic, int32_t id) { logic.OnClicked(id); }
  void Choose(ui::DialogLogic& logic, int32_t id, int32_t position) {
    Select(id, position);
    logic.OnSelectionChanged(id);
  }
  // Chooses the entry with this text; false when there is none.
  bool ChooseText(ui::DialogLogic& logic, int32_t id, std::string_view text) {
    const int32_t at = FindText(id, text);
    if (at < 0) return false;
    Choose(logic, id, at);
    return true;
  }
  void ChoosePage(ui::DialogLogic& logic, int32_t id, int32_t page) {
    controls[id].page = page;
    logic.OnPageChanged(id);
  }
  int32_t FindText(int32_t id, std::string_view text) {
    const auto& entries = controls[id].entries;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].text == text) return static_cast<int32_t>(i);
    }
    return -1;
  }
  std::vector<std::string> Texts(int32_t id) {
    std::vector<std::string> texts;
    for (const auto& entry : controls[id].entries) texts.push_back(entry.text);
    return texts;
  }

  std::map<int32_t, FakeControl> controls;
  int32_t repaints = 0;
  std::vector<int32_t> ended;

 private:
  FakeControl::Entry& Entry(int32_t id, int32_t position) {
    return controls[id].entries.at(static_cast<size_t>(position));
  }
};

class FixedModes final : public DisplayModeSource {
 public:
  int32_t EnumerateModes(DisplayModeList& list) const override {
    for (const DisplayMode& m : modes) list.Offer(m.width, m.height, m.bits);
    return list.count;
  }
  std::vector<DisplayMode> modes;
};

class FakeHost final : public ui::DialogHost {
 public:
  explicit FakeHost(WindowTarget* previewWindow) : window_(previewWindow) {}

  void ShowMessage(std::string_view text, std::string_view title, ui::MessageIcon) override {
    messages.push_back(std::string(title) + ": " + std::string(text));
  }
  int32_t RunAddFavorite(std::string& name) override {
    ++addDialogs;
    if (!addAnswer) return 0;
    name = *addAnswer;
    return 1;
  }
  int32_t RunFavoriteQuestion(ui::FavoriteQuestion question, std::string_view name) override {
    questions.push_back({question, std::string(name)});
    return confirm ? 1 : 0;
  }
  void RunMessages() override {
    if (onMessages) onMessages();
  }
  int32_t RunStyleSettings(ui::StyleEdit& edit) override {
    styleEdits.push_back(edit);
    return onStyle ? onStyle(edit) : 0;
  }
  void RunAbout() override { ++abouts; }
  void ShowHelpTopic(std::string_view keyword) override { helpTopics.push_back(std::string(keyword)); }
  void OpenWebPage() override { ++webPages; }
  void RunFullScreenSaver() override {
    if (onFullScreen) onFullScreen();
  }
  int32_t AttachPreview(ParticleField& field) override {
    if (refuseAttach) return 0;
    return Failed(field.Attach(window_, 0)) ? 0 : 1;
  }
  bool DirectDrawAvailable() override { return directDraw; }
  const DisplayModeSource& DisplayModes() override { return modes; }
  bool PasswordProtected() override { return password; }
  std::vector<std::string> ScalableFontFamilies() override { return fonts; }

  // Scripts.
  std::optional<std::string> addAnswer;  // none: Cancel
  bool confirm = true;
  std::function<void()> onMessages;
  std::function<int32_t(ui::StyleEdit&)> onStyle;
  std::function<void()> onFullScreen;
  bool refuseAttach = false;
  bool directDraw = true;
  bool password = false;
  FixedModes modes;
  std::vector<std::string> fonts;

  // Records.
  std::vector<std::string> messages;
  int32_t addDialogs = 0;
  std::vector<std::pair<ui::FavoriteQuestion, std::string>> questions;
  std::vector<ui::StyleEdit> styleEdits;
  int32_t abouts = 0;
  int32_t webPages = 0;
  std::vector<std::string> helpTopics;

 private:
  WindowTarget* window_;
};

}  // namespace brindlemar::testing
