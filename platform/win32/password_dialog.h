// The change-password dialog (resource 134): two hidden-character fields for
// the new password and its confirmation; OK stores the scrambled password
// unless the two differ, in which case the dialog stays open on the first.
#pragma once

namespace brindlemar::win32 {

inline constexpr int kPasswordDialogId = 134;
inline constexpr int kNewPasswordEdit = 1001;
inline constexpr int kConfirmPasswordEdit = 1003;

// Moves window (an HWND) to the middle of the screen, keeping its size,
// without activating it, and within the work area of its monitor.
void CentreWindow(void* window);

// Runs the dialog modally, owned by owner (an HWND or null): the dialog's
// result, 1 after OK and 0 after Cancel, or -1 when it cannot be made (the
// program's exit code then tells the failure).
int RunPasswordDialog(void* instance, void* owner);

}  // namespace brindlemar::win32
