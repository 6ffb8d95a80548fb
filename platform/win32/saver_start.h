// Why a start of the saver shows no window, and whether another saver runs.
// One saver at a time: a new start gives way to a saver window of another
// process that still runs and answers. A window whose process has ended, or
// whose thread does not answer within a second (left by a process the
// system could not clean up after, or hung), blocks nothing. A start that
// ends without its window says why, through the debugger's output and on
// standard error where there is one.
#pragma once

#include <windows.h>

#include <string>

namespace brindlemar::win32 {

// How long a saver window may take to answer before it counts as hung.
inline constexpr UINT kSaverAnswerMs = 1000;

// The top-level window of class and title that belongs to a running
// process that answers; null when there is none.
HWND FindRunningWindow(const char* className, const char* title);

// Says text (one line, without its line break) where a user or a log may
// see it.
void ReportStart(const std::string& text);

}  // namespace brindlemar::win32
