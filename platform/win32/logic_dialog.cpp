#include "platform/win32/logic_dialog.h"

#include <commctrl.h>

#include "platform/win32/dialog_fit.h"
#include "platform/win32/password_dialog.h"

namespace brindlemar::win32 {
namespace {

bool ScrollActionOf(WORD code, ui::ScrollAction& action) {
  switch (code) {
    case SB_LINELEFT: action = ui::ScrollAction::kLineLess; return true;
    case SB_LINERIGHT: action = ui::ScrollAction::kLineMore; return true;
    case SB_PAGELEFT: action = ui::ScrollAction::kPageLess; return true;
    case SB_PAGERIGHT: action = ui::ScrollAction::kPageMore; return true;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: action = ui::ScrollAction::kTrack; return true;
    case SB_LEFT: action = ui::ScrollAction::kToMinimum; return true;
    case SB_RIGHT: action = ui::ScrollAction::kToMaximum; return true;
    default: return false;
  }
}

// The thumb's position while it is dragged.
int32_t TrackPosition(HWND bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  GetScrollInfo(bar, SB_CTL, &info);
  return info.nTrackPos;
}

INT_PTR CALLBACK LogicDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* session = reinterpret_cast<LogicDialogSession*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    session = reinterpret_cast<LogicDialogSession*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    session->Controls().Bind(dialog);
    CentreWindow(dialog);
    session->BeforeOpen(dialog);
    const HWND before = GetFocus();
    session->Logic().Open();
    if (session->AfterOpen(dialog)) return FALSE;
    // TRUE lets the dialog manager focus the first control, unless the
    // logic has put the focus somewhere itself.
    return GetFocus() == before ? TRUE : FALSE;
  }
  if (!session) return FALSE;
  INT_PTR answer = 0;
  if (session->Handle(dialog, message, wParam, lParam, answer)) return answer;
  ui::DialogLogic& logic = session->Logic();
  switch (message) {
    case WM_COMMAND: {
      if (session->Controls().Muted()) return TRUE;
      const int32_t id = LOWORD(wParam);
      switch (HIWORD(wParam)) {
        case BN_CLICKED: logic.OnClicked(id); return TRUE;
        case CBN_SELCHANGE: logic.OnSelectionChanged(id); return TRUE;
        case EN_CHANGE: logic.OnTextChanged(id); return TRUE;
        case EN_KILLFOCUS: logic.OnFocusLost(id); return TRUE;
        default: return FALSE;
      }
    }
    case WM_HSCROLL: {
      HWND bar = reinterpret_cast<HWND>(lParam);
      ui::ScrollAction action;
      if (!bar || !ScrollActionOf(LOWORD(wParam), action)) return FALSE;
      // The message carries 16 bits of the position, enough for the end of
      // a drag; while dragging the bar tells all of it.
      const int32_t position = LOWORD(wParam) == SB_THUMBTRACK ? TrackPosition(bar) : HIWORD(wParam);
      logic.OnScroll(GetDlgCtrlID(bar), action, position);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != static_cast<UINT>(TCN_SELCHANGE)) return FALSE;
      logic.OnPageChanged(static_cast<int32_t>(header->idFrom));
      return TRUE;
    }
    case WM_HELP:
      logic.OnHelp();
      return TRUE;
    case WM_DESTROY:
      logic.OnClose();
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR RunLogicDialog(HINSTANCE instance, int templateId, HWND owner, LogicDialogSession& session) {
  const std::vector<BYTE> fitted = FitDialogTemplate(instance, templateId, owner);
  if (fitted.empty()) return -1;
  return DialogBoxIndirectParamA(instance, reinterpret_cast<const DLGTEMPLATE*>(fitted.data()), owner,
                                 LogicDialogProc, reinterpret_cast<LPARAM>(&session));
}

}  // namespace brindlemar::win32
