#include "platform/win32/password_dialog.h"

#include <windows.h>

#include <memory>

#include "platform/win32/dialog_fit.h"
#include "settings/settings_store.h"
#include "settings/user_store.h"
#include "shell/password.h"

namespace brindlemar::win32 {
namespace {

std::string ReadField(HWND dialog, int id) {
  char text[kMaxPasswordLength + 1] = {};
  GetDlgItemTextA(dialog, id, text, sizeof(text));
  return text;
}

void ShowNotice(const PasswordNotice& notice) {
  if (!notice.text) return;
  UINT icon = 0;
  if (notice.icon == NoticeIcon::kStop) icon = MB_ICONSTOP;
  if (notice.icon == NoticeIcon::kInformation) icon = MB_ICONINFORMATION;
  MessageBoxA(nullptr, notice.text, notice.caption, MB_OK | icon);
}

INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (LOWORD(wParam) == IDOK) {
        std::unique_ptr<SettingsStore> store = OpenUserStore();
        const PasswordChange change =
            ApplyNewPassword(*store, ReadField(dialog, kNewPasswordEdit), ReadField(dialog, kConfirmPasswordEdit));
        ShowNotice(change.notice);
        if (change.mismatch) {
          HWND edit = GetDlgItem(dialog, kNewPasswordEdit);
          SetFocus(edit);
          SendMessageA(edit, EM_SETSEL, 0, -1);
        } else {
          EndDialog(dialog, 1);
        }
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void CentreWindow(void* window) {
  HWND hwnd = static_cast<HWND>(window);
  RECT rect;
  if (!GetWindowRect(hwnd, &rect)) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Where a task bar takes part of the screen, the middle of the screen may
  // put a tall dialog partly under it.
  KeepInWorkArea(hwnd);
}

int RunPasswordDialog(void* instance, void* owner) {
  const INT_PTR result = DialogBoxParamA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(kPasswordDialogId),
                                         static_cast<HWND>(owner), PasswordDialogProc, 0);
  return static_cast<int>(result);
}

}  // namespace brindlemar::win32
