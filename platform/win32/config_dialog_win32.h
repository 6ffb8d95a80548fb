// The configuration dialog of Brindlemar.scr (dialog 2003) and its
// satellites, as Windows dialogs from the program's templates driven by the
// logic in ui/: the preview child window with its 33 ms timer over the
// dialog's hidden frame, the favorites, messages and additional settings
// dialogs, the about box, help, and the full-screen Preview.
#pragma once

#include "settings/error_reporter.h"
#include "shell/password.h"

namespace brindlemar::win32 {

// The window class of the dialog's preview.
inline constexpr const char* kPreviewClassName = "CDrawWndDlg Class";

// Runs the dialog modally, owned by owner (an HWND or null); instance is
// the program's HINSTANCE. family decides whether the saver asks for its
// own password, which keeps the display options off; what the settings store
// finds wrong it says through reporter. Always 1.
int RunConfigDialog(void* instance, void* owner, PlatformFamily family, ErrorReporter& reporter);

}  // namespace brindlemar::win32
