// The change-password dialog (resource 134): two hidden-character fields for
// the new password and its confirmation; OK stores the scrambled password
// unless the two differ, in which case the dialog stays open on the first.
#pragma once

namespace brindlemar::win32 {

inline constexpr int kPasswordDialogId = 134;
inline constexpr int kNewPasswordEdit = 1001;
inline constexpr int kConfirmPasswordEdit = 1003;

// Moves window (an HWND) to the middle of the screen, keeping its size,
// without activating it.
void CentreWindow(void* window);

// Runs the dialog modally, owned by owner (an HWND or null); 1 after OK, 0
// after Cancel or when the dialog cannot be made.
int RunPasswordDialog(void* instance, void* owner);

}  // namespace brindlemar::win32
