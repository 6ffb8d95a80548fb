// Dialogs that fit their monitor: a dialog template's size follows its font
// and the monitor's DPI, so at 200 % on a small screen the configuration
// dialog would be larger than the screen. FitDialogTemplate gives a copy of
// an extended template (DIALOGEX with a font) whose font is made smaller,
// a point at a time, until the dialog fits the work area of the monitor it
// opens on; everything in the template scales with the font. Other
// templates, and ones that fit already, are copied as they are.
#pragma once

#include <windows.h>

#include <vector>

namespace brindlemar::win32 {

// The template of dialog templateId in instance's resources, fitted to the
// work area of the monitor that owner (or, without one, the primary
// monitor) is on; empty when the resource cannot be found.
std::vector<BYTE> FitDialogTemplate(HINSTANCE instance, int templateId, HWND owner);

// Moves a window that lies partly outside the work area of its monitor back
// into it, keeping its size where it fits.
void KeepInWorkArea(HWND window);

}  // namespace brindlemar::win32
