// The controls of one open dialog as its logic sees them: a small set of
// operations on controls named by their ids (ui/dialog_ids.h). Each platform
// implements it over its own widgets (Win32 controls from the dialog
// templates, GTK widgets), and tests over a set of plain values.
//
// Rules every implementation keeps:
// - A change the logic makes through this interface never comes back to the
//   logic as an event: only the user's actions are reported (DialogLogic).
// - Lists never sort by themselves. The logic inserts every entry at the
//   position it wants, so that a "sorted" list orders the same everywhere.
// - Positions count from 0; -1 means none (no selection, append).
// - Text is 8-bit, as the settings store keeps it; a multi-line edit's
//   lines end in "\r\n", whatever the widget uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindlemar::ui {

// A font for a control's text: height is the character cell in pixels.
struct FontSpec {
  std::string face;
  int32_t height = 0;
  int32_t bold = 0;
  int32_t italic = 0;

  bool operator==(const FontSpec&) const = default;
};

class DialogControls {
 public:
  virtual ~DialogControls() = default;

  // Edits, labels and the labels of buttons.
  virtual void SetText(int32_t id, std::string_view text) = 0;
  virtual std::string Text(int32_t id) = 0;
  // Selects the whole text of an edit.
  virtual void SelectAllText(int32_t id) = 0;

  // Check boxes and radio buttons (a radio button is checked on its own;
  // the logic unchecks the others of its group).
  virtual void SetChecked(int32_t id, bool checked) = 0;
  virtual bool IsChecked(int32_t id) = 0;

  virtual void Enable(int32_t id, bool enabled) = 0;
  virtual void Show(int32_t id, bool shown) = 0;
  virtual void Focus(int32_t id) = 0;

  // Drop-down lists and list boxes: entries with a text and an integer of
  // the logic's own (item data).
  virtual void ClearEntries(int32_t id) = 0;
  // Inserts at position, or appends for -1.
  virtual void InsertEntry(int32_t id, int32_t position, std::string_view text, int32_t data) = 0;
  virtual void RemoveEntry(int32_t id, int32_t position) = 0;
  virtual int32_t EntryCount(int32_t id) = 0;
  virtual std::string EntryText(int32_t id, int32_t position) = 0;
  virtual int32_t EntryData(int32_t id, int32_t position) = 0;
  virtual void SetEntryData(int32_t id, int32_t position, int32_t data) = 0;
  // The one selected entry of a single-selection list, or -1.
  virtual int32_t Selection(int32_t id) = 0;
  // Selects one entry of a single-selection list; -1 selects none.
  virtual void Select(int32_t id, int32_t position) = 0;
  // A list box that selects several entries: the selected positions in
  // ascending order, and the selection of one entry.
  virtual std::vector<int32_t> SelectedEntries(int32_t id) = 0;
  virtual void SetEntrySelected(int32_t id, int32_t position, bool selected) = 0;

  // Scroll bars, sliders and spin controls.
  virtual void SetRange(int32_t id, int32_t min, int32_t max) = 0;
  virtual void SetPosition(int32_t id, int32_t position) = 0;
  virtual int32_t Position(int32_t id) = 0;

  // A page switch (tabs): its page labels, replacing any it had, and the
  // page shown.
  virtual void SetPageLabels(int32_t id, const std::vector<std::string>& labels) = 0;
  virtual void SelectPage(int32_t id, int32_t page) = 0;
  virtual int32_t SelectedPage(int32_t id) = 0;

  // Text measuring and fonts, for a preview of text in a chosen font.
  // The width of the control's text area in pixels.
  virtual int32_t ClientWidth(int32_t id) = 0;
  // The width text takes in font, measured as the control would draw it.
  virtual int32_t TextWidth(int32_t id, const FontSpec& font, std::string_view text) = 0;
  virtual void SetFont(int32_t id, const FontSpec& font) = 0;

  // The dialog as a whole: draw it again, and close it with a result.
  virtual void Repaint() = 0;
  virtual void EndDialog(int32_t result) = 0;
};

}  // namespace brindlemar::ui
