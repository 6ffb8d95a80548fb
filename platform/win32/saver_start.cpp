#include "platform/win32/saver_start.h"

namespace brindlemar::win32 {
namespace {

// False only when the window's process is known to have ended.
bool ProcessRuns(HWND window) {
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId) || processId == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSaverAnswerMs, &result) != 0;
}

}  // namespace

HWND FindRunningWindow(const char* className, const char* title) {
  for (HWND window = FindWindowExA(nullptr, nullptr, className, title); window;
       window = FindWindowExA(nullptr, window, className, title)) {
    if (ProcessRuns(window) && Answers(window)) return window;
  }
  return nullptr;
}

void ReportStart(const std::string& text) {
  const std::string line = "Brindlemar: " + text + "\n";
  OutputDebugStringA(line.c_str());
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (error && error != INVALID_HANDLE_VALUE) WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace brindlemar::win32
