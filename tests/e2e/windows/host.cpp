// brindlemar-host: the Windows side of the end-to-end tests. It gives the
// saver a parent window for its preview, reports the display mode, and
// checks the stored password, so that the test scripts on the host can see
// what only a Windows program can.
//
//   host mode                      prints "width height bits" of the display
//   host preview <scr> <ms> [aware]
//                                  opens a parent window, starts "<scr> /p
//                                  <window>", waits up to a minute for the
//                                  preview window ("shown"), runs for ms more,
//                                  reports whether the preview window exists
//                                  and the saver still runs, closes the parent
//                                  and reports the saver's exit code; "aware"
//                                  makes this process per-monitor DPI aware
//                                  first
//   host checkpass <password>      exit 0 when "Pass" holds its stored form
//   host setpass <password>        stores the password as the dialog does
//   host foreground <title>        exit 0 once the foreground window has this
//                                  title and a focused control (up to a
//                                  minute), so that keys reach it
//   host configure <scr> number|title
//                                  opens a window as the display settings do
//                                  and starts "<scr> /c:<window>" (number) or,
//                                  with the window titled "Display
//                                  Properties", "<scr> /c" (title); once the
//                                  configuration dialog shows, reports whether
//                                  the window owns it and is held (disabled),
//                                  cancels it, and reports the exit code and
//                                  whether the window is free again
//   host orphan <scr>              starts "<scr> /p <window>" in a window of a
//                                  second process, kills that process once
//                                  the preview shows, as "taskkill /f" does,
//                                  and reports how long the preview outlived
//                                  it ("ended N ms exit C") or "running" after
//                                  a minute
//   host parent                    the second process of "orphan": a parent
//                                  window, and messages until it is killed
//   host stale hang|die            makes a hidden top-level window of the
//                                  saver's class and title, prints "ready",
//                                  then stops answering for good (hang) or
//                                  is killed (die)
//   host desktop                   prints the desktop window's number
//   host close                     asks a top-level saver window to close
//   host monitors                  prints "x y width height primary" of each
//                                  monitor, then "virtual x y width height"
//   host displaychange             waits up to a minute for a top-level
//                                  saver window, then tells every top-level
//                                  window that the display changed, as the
//                                  system does when a monitor comes or goes
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/settings_store.h"
#include "settings/user_store.h"
#include "shell/password.h"

namespace {

using namespace brindlemar;

constexpr const char* kHostClass = "BrindlemarPreviewHost";
constexpr const char* kHostTitle = "Brindlemar Preview Host";

// Registers a window class of plain default windows; background null leaves
// the painting to the child that covers it.
HINSTANCE RegisterPlainClass(const char* name, HBRUSH background) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
  return wc.hInstance;
}

HBRUSH WhiteBrush() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

bool Start(const std::string& commandLine, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  std::string line = commandLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
}

int PrintMode() {
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
  std::printf("%lu %lu %lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
  return 0;
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

void MakeDpiAware() {
  HMODULE user = GetModuleHandleA("user32.dll");
  auto set = reinterpret_cast<BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT)>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
  if (set) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

int Preview(const char* scr, DWORD ms, bool aware) {
  if (aware) MakeDpiAware();
  const HINSTANCE instance = RegisterPlainClass(kHostClass, WhiteBrush());
  RECT frame = {0, 0, 320, 240};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND host =
      CreateWindowExA(0, kHostClass, kHostTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!host) return 2;
  Pump(200);
  POINT origin = {0, 0};
  ClientToScreen(host, &origin);
  std::printf("client %ld %ld 320 240\n", origin.x, origin.y);

  std::string commandLine = std::string("\"") + scr + "\" /p " +
                            std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
  PROCESS_INFORMATION process{};
  if (!Start(commandLine, process)) return 3;
  std::printf("started\n");
  std::fflush(stdout);
  // A busy machine may take long to start the saver: wait for its window.
  HWND preview = nullptr;
  for (int i = 0; i < 600 && !preview && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++i) {
    Pump(100);
    preview = FindWindowExA(host, nullptr, "WindowsScreenSaverClass", "Brindlemar");
  }
  std::printf("shown\n");
  std::fflush(stdout);
  Pump(ms);
  preview = FindWindowExA(host, nullptr, "WindowsScreenSaverClass", "Brindlemar");
  RECT inside = {0, 0, 0, 0};
  if (preview) GetClientRect(preview, &inside);
  std::printf("preview %s %ld %ld\n", preview ? "yes" : "no", inside.right, inside.bottom);
  std::printf("running %s\n", WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT ? "yes" : "no");
  std::fflush(stdout);
  DestroyWindow(host);
  DWORD code = 259;
  for (int i = 0; i < 100 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++i) Pump(50);
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("exit %lu\n", code);
  if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 9);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

HWND DialogOfProcess(DWORD processId) {
  for (HWND dialog = FindWindowExA(nullptr, nullptr, "#32770", "Brindlemar"); dialog;
       dialog = FindWindowExA(nullptr, dialog, "#32770", "Brindlemar")) {
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (owner == processId && IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

int Configure(const char* scr, bool byNumber) {
  const HINSTANCE instance = RegisterPlainClass(kHostClass, WhiteBrush());
  HWND host = CreateWindowExA(0, kHostClass, byNumber ? "Brindlemar Settings Host" : "Display Properties",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200, nullptr, nullptr, instance, nullptr);
  if (!host) return 2;
  std::string commandLine = std::string("\"") + scr + "\" /c";
  if (byNumber) commandLine += ":" + std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
  PROCESS_INFORMATION process{};
  if (!Start(commandLine, process)) return 3;
  HWND dialog = nullptr;
  for (int i = 0; i < 600 && !dialog && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++i) {
    Pump(100);
    dialog = DialogOfProcess(process.dwProcessId);
  }
  std::printf("dialog %s\n", dialog ? "yes" : "no");
  std::printf("owner %s\n", dialog && GetWindow(dialog, GW_OWNER) == host ? "yes" : "no");
  std::printf("held %s\n", IsWindowEnabled(host) ? "no" : "yes");
  if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  DWORD code = STILL_ACTIVE;
  for (int i = 0; i < 600 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++i) Pump(100);
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("exit %lu\n", code);
  std::printf("free %s\n", IsWindowEnabled(host) ? "yes" : "no");
  if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 9);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DestroyWindow(host);
  return 0;
}

constexpr const char* kOrphanTitle = "Brindlemar Orphaned Preview Host";

int ParentWindow() {
  const HINSTANCE instance = RegisterPlainClass(kHostClass, nullptr);
  if (!CreateWindowExA(0, kHostClass, kOrphanTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 320, 240, nullptr,
                       nullptr, instance, nullptr)) {
    return 2;
  }
  for (;;) Pump(1000);
}

int Orphan(const char* scr) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  PROCESS_INFORMATION parent{}, saver{};
  if (!Start(std::string("\"") + self + "\" parent", parent)) return 3;
  HWND host = nullptr;
  for (int i = 0; i < 600 && !host; ++i) {
    Sleep(100);
    host = FindWindowA(kHostClass, kOrphanTitle);
  }
  if (!host || !Start(std::string("\"") + scr + "\" /p " +
                          std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host))),
                      saver)) {
    TerminateProcess(parent.hProcess, 9);
    return 4;
  }
  bool shown = false;
  for (int i = 0; i < 600 && !shown && WaitForSingleObject(saver.hProcess, 0) == WAIT_TIMEOUT; ++i) {
    Sleep(100);
    shown = FindWindowExA(host, nullptr, "WindowsScreenSaverClass", "Brindlemar") != nullptr;
  }
  std::printf("preview %s\n", shown ? "shown" : "missing");
  TerminateProcess(parent.hProcess, 9);
  WaitForSingleObject(parent.hProcess, 10000);
  const DWORD killed = GetTickCount();
  if (WaitForSingleObject(saver.hProcess, 60000) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(saver.hProcess, &code);
    std::printf("ended %lu ms exit %lu\n", GetTickCount() - killed, code);
  } else {
    std::printf("running\n");
    TerminateProcess(saver.hProcess, 9);
  }
  CloseHandle(parent.hThread);
  CloseHandle(parent.hProcess);
  CloseHandle(saver.hThread);
  CloseHandle(saver.hProcess);
  return 0;
}

int StaleWindow(bool hang) {
  constexpr const char* kSaverClass = "WindowsScreenSaverClass";
  const HINSTANCE instance = RegisterPlainClass(kSaverClass, nullptr);
  if (!CreateWindowExA(0, kSaverClass, "Brindlemar", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr)) {
    return 2;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  if (!hang) TerminateProcess(GetCurrentProcess(), 9);
  for (;;) Sleep(INFINITE);
}

int CheckPassword(const char* password) {
  std::unique_ptr<SettingsStore> store = OpenUserStore();
  std::string stored;
  if (!ReadString(*store, kConfigKey, "Pass", 128, stored)) stored = "(missing)";
  std::string expected = password;
  ScramblePassword(expected);
  std::printf("stored %s\nexpected %s\n", stored.c_str(), expected.c_str());
  return stored == expected ? 0 : 1;
}

int SetPassword(const char* password) {
  std::unique_ptr<SettingsStore> store = OpenUserStore();
  return ApplyNewPassword(*store, password, password).notice.text == kPasswordChangedText ? 0 : 1;
}

int WaitForeground(const char* title) {
  for (int i = 0; i < 600; ++i) {
    HWND window = GetForegroundWindow();
    char text[256] = "";
    if (window) GetWindowTextA(window, text, sizeof(text));
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    if (window && std::strcmp(text, title) == 0 &&
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus) {
      return 0;
    }
    Sleep(100);
  }
  std::printf("no foreground window \"%s\"\n", title);
  return 1;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
  }
  return TRUE;
}

int PrintMonitors() {
  EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
  std::printf("virtual %d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  return 0;
}

int BroadcastDisplayChange() {
  for (int i = 0; i < 1200 && !FindWindowA("WindowsScreenSaverClass", "Brindlemar"); ++i) Sleep(50);
  const DWORD found = GetTickCount();
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  DWORD_PTR result = 0;
  const bool sent = SendMessageTimeoutA(HWND_BROADCAST, WM_DISPLAYCHANGE, static_cast<WPARAM>(bits), size,
                                        SMTO_ABORTIFHUNG, 10000, &result) != 0;
  std::printf("answered %lu ms after the saver window was found\n", GetTickCount() - found);
  return sent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "mode") == 0) return PrintMode();
  if (argc >= 4 && std::strcmp(argv[1], "preview") == 0) {
    return Preview(argv[2], static_cast<DWORD>(std::atoi(argv[3])), argc >= 5 && std::strcmp(argv[4], "aware") == 0);
  }
  if (argc >= 3 && std::strcmp(argv[1], "orphan") == 0) return Orphan(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "parent") == 0) return ParentWindow();
  if (argc >= 3 && std::strcmp(argv[1], "stale") == 0) return StaleWindow(std::strcmp(argv[2], "die") != 0);
  if (argc >= 4 && std::strcmp(argv[1], "configure") == 0) return Configure(argv[2], std::strcmp(argv[3], "title") != 0);
  if (argc >= 3 && std::strcmp(argv[1], "checkpass") == 0) return CheckPassword(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "setpass") == 0) return SetPassword(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "foreground") == 0) return WaitForeground(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "desktop") == 0) {
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetDesktopWindow())));
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "monitors") == 0) return PrintMonitors();
  if (argc >= 2 && std::strcmp(argv[1], "displaychange") == 0) return BroadcastDisplayChange();
  if (argc >= 2 && std::strcmp(argv[1], "close") == 0) {
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Brindlemar");
    return saver && PostMessageA(saver, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  std::fprintf(
      stderr,
      "usage: host mode | preview <scr> <ms> [aware] | configure <scr> number|title | orphan <scr> | parent | stale hang|die | checkpass <password> | setpass <password> | foreground "
      "<title> | desktop | close | monitors | displaychange\n");
  return 64;
}
