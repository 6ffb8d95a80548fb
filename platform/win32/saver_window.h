// The saver window and its run loop: the full-screen window (a topmost popup
// over the virtual screen, every monitor) or the preview (a child of a window
// of the display settings), the fields that animate in it (full screen, one
// per monitor, one on the primary with the others black, or one across all,
// as "Monitors" says; shell/monitor_layout.h), and the message loop that
// drives the frames, drops close requests and mouse input in the first two
// seconds and brings the full-screen window to the front every two seconds.
// A display change the saver did not make itself (a monitor added or
// removed) ends it.
//
// What input does is decided by the portable rules (shell/input_rules.h);
// this file turns window messages into their events and carries out the
// answers. One saver window per process, and one per desktop: a second start
// finds the first by its class and title and gives up, unless that window's
// process has ended or does not answer. A preview ends when its parent
// window goes, whoever destroys it.
//
// The Windows shell as a whole (apps/scr/main.cpp starts it):
// - Supports: full screen (/s) over every monitor, the preview in the
//   display settings' window (/p <window>), the configuration dialog (/c or
//   anything else; config_dialog_win32.h), the change of password (/a;
//   password_dialog.h); 24- and 16-bit frames, the change of display mode
//   through DirectDraw on the primary monitor (directdraw_display.h), and
//   the saver's own password prompt on the 9x family; settings in the
//   registry (registry_store.h).
// - Does not: ask for a password on the NT family (the system does), change
//   the mode of a monitor other than the primary, run two savers at once.
// - Test hooks: TranslateSaverMessage is the message-to-event step the unit
//   tests drive without a window; a build with BRINDLEMAR_TEST_WINDOWS_9X
//   defined (the end-to-end tests' Brindlemar9x.scr) behaves as on the 9x
//   family, so that the password prompt can be driven under Wine; the
//   end-to-end tests find the window by kSaverTitle. No environment
//   variable changes what the shell does.
#pragma once

#include <cstdint>

#include "settings/error_reporter.h"
#include "shell/input_rules.h"
#include "shell/password.h"

namespace brindlemar::win32 {

inline constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
inline constexpr const char* kSaverTitle = "Brindlemar";

// The event a saver-window message stands for. capsLockOn is the toggle
// state of Caps Lock, used for its release. instance is an HINSTANCE, parent
// an HWND: opaque so that this header needs no windows.h.
SaverEvent TranslateSaverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, int32_t capsLockOn);

// What became of a start: the window made; another saver's window found (one
// saver at a time); a preview's parent that is no window, or the desktop;
// or a failure of the system (the class, the window or its field). Every
// outcome but kCreated is said on standard error and to the debugger
// (platform/win32/saver_start.h).
enum class SaverStart { kCreated, kAnotherRuns, kNoParent, kFailed };

// The exit code of a start that failed: it says so, unlike the two refusals.
inline constexpr int kStartFailedCode = 1;

// Creates the saver window (full screen when parent is null, else a preview
// filling parent's client area) and runs the saver until its window is gone,
// or a preview's parent is: the exit code of the loop; 0 when another saver
// runs or the parent is no window; kStartFailedCode when no window could be
// made. family decides whether the saver itself asks for the password; what
// the settings store finds wrong it says through reporter.
int RunSaver(void* instance, void* parent, PlatformFamily family, ErrorReporter& reporter);

}  // namespace brindlemar::win32
