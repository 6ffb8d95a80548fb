// The dialog logic's control interface over the controls of a real Win32
// dialog (GetDlgItem and their messages). Each change the logic makes is
// muted: the notifications the controls send back for it (EN_CHANGE from
// SetDlgItemText, EN_KILLFOCUS from a focus move) are not passed on, so that
// the logic hears only the user, as on every platform.
//
// Lists are filled by position and never sort by themselves; scroll bars,
// up-down controls and tab controls are told apart by their window class.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/dialog_controls.h"

namespace brindlemar::win32 {

class Win32DialogControls final : public ui::DialogControls {
 public:
  Win32DialogControls() = default;
  ~Win32DialogControls() override;
  Win32DialogControls(const Win32DialogControls&) = delete;
  Win32DialogControls& operator=(const Win32DialogControls&) = delete;

  void Bind(HWND dialog) { dialog_ = dialog; }
  HWND Dialog() const { return dialog_; }
  // While the logic changes a control, its notifications are its own.
  bool Muted() const { return muted_ > 0; }

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
  enum class Kind { kOther, kComboBox, kListBox, kScrollBar, kUpDown, kTabs };
  Kind KindOf(HWND control) const;
  HWND Item(int32_t id) const { return GetDlgItem(dialog_, id); }
  // Sends a message to a control with its notifications muted.
  LRESULT Send(int32_t id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  HWND dialog_ = nullptr;
  int muted_ = 0;
  // The font given to each control, deleted with this set (after the
  // dialog, which no longer draws with it) or when replaced.
  std::map<int32_t, HFONT> fonts_;
};

// Makes a GDI font from a font choice: character cell height, TrueType
// output and clipping, default quality and pitch.
HFONT CreateChosenFont(const ui::FontSpec& font);

}  // namespace brindlemar::win32
