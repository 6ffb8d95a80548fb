#include "platform/win32/dialog_controls_win32.h"

#include <commctrl.h>

#include <cstring>

namespace brindlemar::win32 {
namespace {

// Counts the logic's own change for as long as it lasts.
class Mute {
 public:
  explicit Mute(int& count) : count_(count) { ++count_; }
  ~Mute() { --count_; }
  Mute(const Mute&) = delete;
  Mute& operator=(const Mute&) = delete;

 private:
  int& count_;
};

}  // namespace

HFONT CreateChosenFont(const ui::FontSpec& font) {
  return CreateFontA(font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_TT_ALWAYS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     font.face.c_str());
}

Win32DialogControls::~Win32DialogControls() {
  for (const auto& [id, font] : fonts_) DeleteObject(font);
}

Win32DialogControls::Kind Win32DialogControls::KindOf(HWND control) const {
  char name[32] = {};
  if (!control || !GetClassNameA(control, name, sizeof name)) return Kind::kOther;
  if (lstrcmpiA(name, "ComboBox") == 0) return Kind::kComboBox;
  if (lstrcmpiA(name, "ListBox") == 0) return Kind::kListBox;
  if (lstrcmpiA(name, "ScrollBar") == 0) return Kind::kScrollBar;
  if (lstrcmpiA(name, UPDOWN_CLASSA) == 0) return Kind::kUpDown;
  if (lstrcmpiA(name, WC_TABCONTROLA) == 0) return Kind::kTabs;
  return Kind::kOther;
}

LRESULT Win32DialogControls::Send(int32_t id, UINT message, WPARAM wParam, LPARAM lParam) {
  Mute mute(muted_);
  return SendDlgItemMessageA(dialog_, id, message, wParam, lParam);
}

void Win32DialogControls::SetText(int32_t id, std::string_view text) {
  Mute mute(muted_);
  SetDlgItemTextA(dialog_, id, std::string(text).c_str());
}

std::string Win32DialogControls::Text(int32_t id) {
  HWND control = Item(id);
  if (!control) return {};
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  const int length = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

void Win32DialogControls::SelectAllText(int32_t id) { Send(id, EM_SETSEL, 0, -1); }

void Win32DialogControls::SetChecked(int32_t id, bool checked) {
  Mute mute(muted_);
  CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32DialogControls::IsChecked(int32_t id) { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void Win32DialogControls::Enable(int32_t id, bool enabled) {
  Mute mute(muted_);
  if (HWND control = Item(id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void Win32DialogControls::Show(int32_t id, bool shown) {
  Mute mute(muted_);
  if (HWND control = Item(id)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

void Win32DialogControls::Focus(int32_t id) {
  Mute mute(muted_);
  if (HWND control = Item(id)) SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Win32DialogControls::ClearEntries(int32_t id) {
  Send(id, KindOf(Item(id)) == Kind::kListBox ? LB_RESETCONTENT : CB_RESETCONTENT);
}

void Win32DialogControls::InsertEntry(int32_t id, int32_t position, std::string_view text, int32_t data) {
  const bool list = KindOf(Item(id)) == Kind::kListBox;
  const std::string copy(text);
  const LRESULT at = Send(id, list ? LB_INSERTSTRING : CB_INSERTSTRING, static_cast<WPARAM>(position),
                          reinterpret_cast<LPARAM>(copy.c_str()));
  if (at >= 0) Send(id, list ? LB_SETITEMDATA : CB_SETITEMDATA, static_cast<WPARAM>(at), data);
}

void Win32DialogControls::RemoveEntry(int32_t id, int32_t position) {
  Send(id, KindOf(Item(id)) == Kind::kListBox ? LB_DELETESTRING : CB_DELETESTRING, static_cast<WPARAM>(position));
}

int32_t Win32DialogControls::EntryCount(int32_t id) {
  const LRESULT count = Send(id, KindOf(Item(id)) == Kind::kListBox ? LB_GETCOUNT : CB_GETCOUNT);
  return count < 0 ? 0 : static_cast<int32_t>(count);
}

std::string Win32DialogControls::EntryText(int32_t id, int32_t position) {
  const bool list = KindOf(Item(id)) == Kind::kListBox;
  const LRESULT length = Send(id, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, static_cast<WPARAM>(position));
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  Send(id, list ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

int32_t Win32DialogControls::EntryData(int32_t id, int32_t position) {
  const bool list = KindOf(Item(id)) == Kind::kListBox;
  return static_cast<int32_t>(Send(id, list ? LB_GETITEMDATA : CB_GETITEMDATA, static_cast<WPARAM>(position)));
}

void Win32DialogControls::SetEntryData(int32_t id, int32_t position, int32_t data) {
  const bool list = KindOf(Item(id)) == Kind::kListBox;
  Send(id, list ? LB_SETITEMDATA : CB_SETITEMDATA, static_cast<WPARAM>(position), data);
}

int32_t Win32DialogControls::Selection(int32_t id) {
  const LRESULT at = Send(id, KindOf(Item(id)) == Kind::kListBox ? LB_GETCURSEL : CB_GETCURSEL);
  return at < 0 ? -1 : static_cast<int32_t>(at);
}

void Win32DialogControls::Select(int32_t id, int32_t position) {
  Send(id, KindOf(Item(id)) == Kind::kListBox ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(position));
}

std::vector<int32_t> Win32DialogControls::SelectedEntries(int32_t id) {
  const LRESULT count = Send(id, LB_GETSELCOUNT);
  if (count <= 0) return {};
  std::vector<int> positions(static_cast<size_t>(count));
  const LRESULT got = Send(id, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(positions.data()));
  positions.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return std::vector<int32_t>(positions.begin(), positions.end());
}

void Win32DialogControls::SetEntrySelected(int32_t id, int32_t position, bool selected) {
  Send(id, LB_SETSEL, selected ? TRUE : FALSE, position);
}

void Win32DialogControls::SetRange(int32_t id, int32_t min, int32_t max) {
  Mute mute(muted_);
  HWND control = Item(id);
  switch (KindOf(control)) {
    case Kind::kScrollBar:
      SetScrollRange(control, SB_CTL, min, max, TRUE);
      break;
    case Kind::kUpDown:
      SendMessageA(control, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
      break;
    default:
      break;
  }
}

void Win32DialogControls::SetPosition(int32_t id, int32_t position) {
  Mute mute(muted_);
  HWND control = Item(id);
  switch (KindOf(control)) {
    case Kind::kScrollBar:
      SetScrollPos(control, SB_CTL, position, TRUE);
      break;
    case Kind::kUpDown:
      SendMessageA(control, UDM_SETPOS32, 0, position);
      break;
    default:
      break;
  }
}

int32_t Win32DialogControls::Position(int32_t id) {
  HWND control = Item(id);
  switch (KindOf(control)) {
    case Kind::kScrollBar:
      return GetScrollPos(control, SB_CTL);
    case Kind::kUpDown:
      return static_cast<int32_t>(SendMessageA(control, UDM_GETPOS32, 0, 0));
    default:
      return 0;
  }
}

void Win32DialogControls::SetPageLabels(int32_t id, const std::vector<std::string>& labels) {
  const int32_t page = SelectedPage(id);
  Send(id, TCM_DELETEALLITEMS);
  for (size_t i = 0; i < labels.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    std::string text = labels[i];
    item.pszText = text.data();
    Send(id, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  if (page >= 0) Send(id, TCM_SETCURSEL, static_cast<WPARAM>(page));
}

void Win32DialogControls::SelectPage(int32_t id, int32_t page) { Send(id, TCM_SETCURSEL, static_cast<WPARAM>(page)); }

int32_t Win32DialogControls::SelectedPage(int32_t id) { return static_cast<int32_t>(Send(id, TCM_GETCURSEL)); }

int32_t Win32DialogControls::ClientWidth(int32_t id) {
  RECT rect{};
  if (HWND control = Item(id)) GetClientRect(control, &rect);
  return rect.right - rect.left;
}

int32_t Win32DialogControls::TextWidth(int32_t id, const ui::FontSpec& font, std::string_view text) {
  HWND control = Item(id);
  HDC dc = GetDC(control);
  if (!dc) return 0;
  HFONT made = CreateChosenFont(font);
  HGDIOBJ old = SelectObject(dc, made);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(made);
  ReleaseDC(control, dc);
  return size.cx;
}

void Win32DialogControls::SetFont(int32_t id, const ui::FontSpec& font) {
  HFONT made = CreateChosenFont(font);
  if (!made) return;
  Send(id, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  // The control has let go of its previous font of ours.
  HFONT& held = fonts_[id];
  if (held) DeleteObject(held);
  held = made;
}

void Win32DialogControls::Repaint() { InvalidateRect(dialog_, nullptr, TRUE); }

void Win32DialogControls::EndDialog(int32_t result) { ::EndDialog(dialog_, result); }

}  // namespace brindlemar::win32
