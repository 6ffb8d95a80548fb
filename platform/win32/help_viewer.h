// The help on Windows: the HTML pages built into the program as resources
// are written to a folder of their own in the user's temporary folder and
// the page of a keyword is opened with the user's default program for it
// (ShellExecute "open"). Any failure passes silently and changes nothing.
#pragma once

#include <string_view>

namespace brindlemar::win32 {

// owner is an HWND, kept opaque so that this header needs no windows.h.
void ShowHelpTopic(void* owner, std::string_view keyword);
void ShowHelpFrontPage(void* owner);

}  // namespace brindlemar::win32
