#include "platform/win32/saver_window.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/gdi_window.h"
#include "platform/win32/saver_start.h"
#include "platform/win32/win32_field.h"
#include "platform/win32/registry_store.h"
#include "settings/settings_store.h"
#include "shell/monitor_layout.h"
#include "shell/run_pacing.h"
#include "shell/saver_fields.h"

namespace brindlemar::win32 {
namespace {

constexpr UINT kFrameTimer = 1;
constexpr UINT kPreviewPeriodMs = 33;
// How often a preview looks whether its parent window is still there: a
// parent of a process that was killed may go without a word to its children
// of other processes.
constexpr DWORD kParentCheckMs = 250;
// CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_GLOBALCLASS.
constexpr UINT kSaverClassStyle = 0x4023;

// The saver shell's state for one run: made by RunSaver, handed to the
// window at its creation and reached from the window procedures through the
// window. The store outlives the fields that read it.
struct SaverShell {
  HWND saverWindow = nullptr;
  PlatformFamily family = PlatformFamily::kWindowsNt;
  std::unique_ptr<SettingsStore> store;
  // Full screen, one field per monitor or one across them all; the fields
  // draw in their parts of the one window that spans the virtual screen.
  SaverFields fields;
  std::unique_ptr<SaverInputRules> rules;
  // Set while the saver changes the display's mode itself (attaching the
  // primary monitor's field, deleting it): that display change is its own.
  bool changingMode = false;
};

// The shell of the window, as its creation stored it; null for the messages
// that come before.
SaverShell* ShellOf(HWND hwnd) { return reinterpret_cast<SaverShell*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

void KeepShell(HWND hwnd, LPARAM createParameters) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(createParameters);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

int32_t CapsLockOn() {
  return GetKeyState(VK_CAPITAL) & 1;
}

void DeleteFields(SaverShell& shell) {
  shell.changingMode = true;
  shell.fields.Clear();
  shell.changingMode = false;
}

// The field the input rules hand the password prompt and the small moves'
// random draws: the primary monitor's, started first.
ParticleField* InputField(SaverShell& shell) { return shell.fields.Empty() ? nullptr : &shell.fields.Field(0); }

// Starts a field over place, a part of hwnd's client area; keepMode: the
// field stays at the desktop's mode whatever the settings say.
ResultCode StartField(SaverShell& shell, HWND hwnd, RectI place, int32_t fullScreen, bool keepMode) {
  shell.changingMode = true;
  const ResultCode code =
      shell.fields.Start(std::make_unique<GdiWindow>(hwnd, place), place, fullScreen, [&shell, keepMode] {
        auto field = std::make_unique<Win32Field>(*shell.store, shell.family);
        if (keepMode) field->SetDirectDraw(0);
        return field;
      });
  shell.changingMode = false;
  return code;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<Monitor>*>(data)->push_back(
        {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

// The desktop's monitors in screen coordinates: physical pixels, since the
// process is per-monitor DPI aware (its manifest says so), so that every
// field runs at its monitor's own pixels.
std::vector<Monitor> DesktopMonitors() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

// The rectangle that holds every monitor, where a monitor left of or above
// the primary has negative coordinates; the primary's screen where the
// system reports none.
RectI VirtualScreen() {
  const int32_t x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int32_t width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return {x, y, x + width, y + height};
}

// Moves the full-screen window over the virtual screen as it is now; its
// corner, the point that client coordinates count from.
PointI CoverVirtualScreen(HWND hwnd) {
  const RectI screen = VirtualScreen();
  SetWindowPos(hwnd, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
               SWP_NOACTIVATE);
  return {screen.left, screen.top};
}

RectI InWindow(const RectI& bounds, PointI corner) {
  return {bounds.left - corner.x, bounds.top - corner.y, bounds.right - corner.x, bounds.bottom - corner.y};
}

// The full-screen fields over the monitors, as "Monitors" chooses; the
// monitors without a field show the window's black. The primary monitor's
// field comes first: only it may change the display's mode, after which the
// other monitors are looked up again. False when the first field cannot be
// made; a later one that cannot stays black.
bool MakeFullScreenFields(SaverShell& shell, HWND hwnd) {
  const MonitorChoice choice = ReadMonitorChoice(*shell.store);
  MonitorLayout layout = LayOutMonitors(DesktopMonitors(), choice);
  RECT window;
  GetWindowRect(hwnd, &window);
  PointI corner = {window.left, window.top};
  if (layout.fields.empty()) {
    return !Failed(StartField(shell, hwnd, {0, 0, window.right - window.left, window.bottom - window.top}, 1, false));
  }
  if (layout.primaryField >= 0) {
    const RectI place = InWindow(layout.fields[static_cast<size_t>(layout.primaryField)].bounds, corner);
    if (Failed(StartField(shell, hwnd, place, 1, false))) return false;
    // The mode change's exclusive hold sizes the window to the primary
    // monitor, even where the mode itself is refused, and a new mode may
    // move the other monitors: the window covers them all again, where
    // they are now.
    corner = CoverVirtualScreen(hwnd);
    layout = LayOutMonitors(DesktopMonitors(), choice);
  }
  for (size_t k : FieldsBesidesPrimary(layout)) {
    // Only the primary monitor changes its mode: the others, and a field
    // across several monitors, run at the desktop's.
    if (Failed(StartField(shell, hwnd, InWindow(layout.fields[k].bounds, corner), 1, true)) && shell.fields.Empty()) {
      return false;
    }
  }
  return !shell.fields.Empty();
}

void TellScreenSaverRunning(const SaverShell& shell, BOOL running) {
  if (shell.family != PlatformFamily::kWindows9x) return;
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running, &previous, 0);
}

void NudgeCursor() {
  POINT start;
  GetCursorPos(&start);
  SetCursorPos(start.x + 1, start.y + 1);
  POINT moved;
  GetCursorPos(&moved);
  const PointI end = CursorNudgeEnd({start.x, start.y}, {moved.x, moved.y});
  SetCursorPos(end.x, end.y);
}

// Carries out what the rules answered for a message, ending in the default
// window procedure where they ask for it.
LRESULT DefaultSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const SaverResponse& response) {
  if (response.hideCursor) SetCursor(nullptr);
  if (response.nudgeCursor) NudgeCursor();
  if (response.postClose) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  if (response.postQuit) PostQuitMessage(0);
  if (response.destroyWindow) {
    DestroyWindow(hwnd);
    return 0;
  }
  return response.callDefault ? DefWindowProcA(hwnd, message, wParam, lParam) : 0;
}

LRESULT CALLBACK SaverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) KeepShell(hwnd, lParam);
  SaverShell* kept = ShellOf(hwnd);
  if (!kept) return DefWindowProcA(hwnd, message, wParam, lParam);
  SaverShell& shell = *kept;
  if (message == WM_CREATE) {
    shell.rules = std::make_unique<SaverInputRules>(CapsLockOn());
    TellScreenSaverRunning(shell, TRUE);
    return MakeFullScreenFields(shell, hwnd) ? 0 : -1;
  }
  if (message == WM_DESTROY) {
    TellScreenSaverRunning(shell, FALSE);
    DeleteFields(shell);
  }
  if (!shell.rules) return DefWindowProcA(hwnd, message, wParam, lParam);
  SaverEvent event = TranslateSaverMessage(message, wParam, lParam, CapsLockOn());
  if (message == WM_DISPLAYCHANGE) {
    if (shell.changingMode) return DefWindowProcA(hwnd, message, wParam, lParam);
    // A monitor came or went, or another program changed a mode: the
    // fields no longer fit the screen, and the saver ends, as the system
    // expects. Not through the queue, where the first seconds drop close
    // requests; a required password still holds the end back.
    event.kind = SaverInput::kClose;
  }
  return DefaultSaverProc(hwnd, message, wParam, lParam, shell.rules->Handle(event, InputField(shell)));
}

LRESULT CALLBACK PreviewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) KeepShell(hwnd, lParam);
  switch (message) {
    case WM_CREATE:
      SetTimer(hwnd, kFrameTimer, kPreviewPeriodMs, nullptr);
      return 0;
    case WM_TIMER:
      if (SaverShell* shell = ShellOf(hwnd)) shell->fields.DriveFrames();
      break;
    case WM_DESTROY:
      KillTimer(hwnd, kFrameTimer);
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A preview is a child of another program's window: it takes that window's
// DPI awareness, whatever the manifest gave this process, since a child of
// another awareness is refused or mis-scaled. The calls exist from Windows 10
// 1607 on; before that there is only one awareness per process.
class ParentDpiScope {
 public:
  explicit ParentDpiScope(HWND parent) {
    if (!parent) return;
    HMODULE user = GetModuleHandleA("user32.dll");
    if (!user) return;
    auto get = reinterpret_cast<DPI_AWARENESS_CONTEXT(WINAPI*)(HWND)>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetWindowDpiAwarenessContext")));
    set_ = reinterpret_cast<DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT)>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
    if (!get || !set_) return;
    DPI_AWARENESS_CONTEXT parentContext = get(parent);
    if (parentContext) previous_ = set_(parentContext);
  }
  ~ParentDpiScope() {
    if (previous_) set_(previous_);
  }
  ParentDpiScope(const ParentDpiScope&) = delete;
  ParentDpiScope& operator=(const ParentDpiScope&) = delete;

 private:
  DPI_AWARENESS_CONTEXT(WINAPI* set_)(DPI_AWARENESS_CONTEXT) = nullptr;
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

// The preview's parent is gone: its window goes too, which ends the loop
// with 0, as when the parent closes it.
void EndOrphanedPreview(const SaverShell& shell) {
  if (IsWindow(shell.saverWindow)) {
    DestroyWindow(shell.saverWindow);
  } else {
    PostQuitMessage(0);
  }
}

// Waits until a message arrives or timeoutMs pass.
void WaitForMessages(DWORD timeoutMs) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs, QS_ALLINPUT);
}

}  // namespace

SaverEvent TranslateSaverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, int32_t capsLockOn) {
  SaverEvent event;
  const int32_t key = static_cast<int32_t>(wParam);
  const uint32_t keyData = static_cast<uint32_t>(lParam);
  switch (message) {
    case WM_CLOSE:
      event.kind = SaverInput::kClose;
      break;
    case WM_DESTROY:
      event.kind = SaverInput::kDestroy;
      break;
    case WM_KEYDOWN:
      event.kind = SaverInput::kKeyDown;
      event.key = key;
      event.plain = IsPlainKeyData(key, 1, keyData);
      break;
    case WM_SYSKEYDOWN:
      event.kind = SaverInput::kSysKeyDown;
      event.key = key;
      break;
    case WM_KEYUP:
      event.kind = SaverInput::kKeyUp;
      event.key = key;
      event.plain = IsPlainKeyData(key, 0, keyData);
      event.capsLockOn = capsLockOn;
      break;
    case WM_MOUSEMOVE:
      event.kind = SaverInput::kMouseMove;
      event.client = {static_cast<int32_t>(keyData & 0xFFFFu), static_cast<int32_t>((keyData >> 16) & 0xFFFFu)};
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      event.kind = SaverInput::kButtonDown;
      break;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      event.kind = SaverInput::kOtherMouse;
      break;
    case WM_SETCURSOR:
      event.kind = SaverInput::kSetCursor;
      break;
    case WM_NCACTIVATE:
      event.kind = SaverInput::kNcActivate;
      event.active = wParam != 0 ? 1 : 0;
      break;
    case WM_SYSCOMMAND:
      event.kind = SaverInput::kSysCommand;
      event.command = static_cast<uint32_t>(wParam);
      break;
    case WM_HOTKEY:
      event.kind = SaverInput::kHotKey;
      break;
    default:
      break;
  }
  return event;
}

namespace {

// Creates the saver window for shell (full screen when parent is null, else
// a preview filling parent's client area). Every outcome but kCreated is said
// on standard error and to the debugger (platform/win32/saver_start.h).
SaverStart CreateSaverWindow(SaverShell& shell, HINSTANCE instance, HWND parent) {
  if (parent && (!IsWindow(parent) || parent == GetDesktopWindow())) {
    // The desktop as the parent would give a screen-sized window that
    // nothing ends.
    ReportStart("the preview's window " + std::to_string(reinterpret_cast<uintptr_t>(parent)) +
                " is no window of a program; nothing to preview in");
    return SaverStart::kNoParent;
  }
  WNDCLASSA existing;
  if (!GetClassInfoA(instance, kSaverClassName, &existing)) {
    WNDCLASSA wc{};
    wc.style = kSaverClassStyle;
    wc.lpfnWndProc = parent ? PreviewWindowProc : SaverWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverClassName;
    if (!RegisterClassA(&wc)) {
      ReportStart("the saver's window class cannot be registered (error " + std::to_string(GetLastError()) +
                  "); the saver does not start");
      return SaverStart::kFailed;
    }
  }
  if (HWND running = FindRunningWindow(kSaverClassName, kSaverTitle)) {
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    ReportStart("another saver runs (process " + std::to_string(process) + "); this start gives way to it");
    return SaverStart::kAnotherRuns;
  }

  // Full screen, the window spans the virtual screen: every monitor.
  RectI area = VirtualScreen();
  if (parent) {
    RECT rect;
    if (!GetClientRect(parent, &rect)) {
      ReportStart("the size of the preview's window cannot be read (error " + std::to_string(GetLastError()) + ")");
      return SaverStart::kNoParent;
    }
    area = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
  }
  const DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
  const DWORD extended = parent ? 0 : WS_EX_TOPMOST;
  shell.saverWindow = CreateWindowExA(extended, kSaverClassName, kSaverTitle, style, area.left, area.top,
                                      area.right - area.left, area.bottom - area.top, parent, nullptr, instance,
                                      &shell);
  if (!shell.saverWindow) {
    ReportStart("the saver's window cannot be created (error " + std::to_string(GetLastError()) +
                "), or nothing can be drawn in it; the saver does not start");
    return SaverStart::kFailed;
  }
  // Full screen, the window's creation makes its fields; a creation cut
  // short (a fault in the system's drawing libraries, which the system
  // swallows) leaves a window with nothing to show.
  if (!parent && shell.fields.Empty()) {
    ReportStart("the saver's window was made, but its start failed before anything could be drawn in it");
    if (IsWindow(shell.saverWindow)) DestroyWindow(shell.saverWindow);
    return SaverStart::kFailed;
  }
  return SaverStart::kCreated;
}

}  // namespace

int RunSaver(void* instanceHandle, void* parentHandle, PlatformFamily family, ErrorReporter& reporter) {
  HWND parent = static_cast<HWND>(parentHandle);
  SaverShell shell;
  shell.family = family;
  shell.store = std::make_unique<RegistryStore>(reporter);

  SaverStart start;
  {
    ParentDpiScope dpi(parent);
    start = CreateSaverWindow(shell, static_cast<HINSTANCE>(instanceHandle), parent);
  }
  if (start != SaverStart::kCreated) {
    DeleteFields(shell);
    return start == SaverStart::kFailed ? kStartFailedCode : 0;
  }
  if (parent) {
    // A preview that got no surface stays up with nothing to draw: its
    // parent expects the window until it closes it.
    RECT client{};
    GetClientRect(shell.saverWindow, &client);
    StartField(shell, shell.saverWindow, {0, 0, client.right, client.bottom}, 0, true);
  }

  RunLoopTiming timing(GetTickCount());
  // Full screen runs at the preview's pace unless "MaxFPS" says otherwise;
  // the preview's own timer paces it.
  FramePacer pacer(ReadFramePeriodMs(*shell.store), GetTickCount());
  MSG msg{};
  for (;;) {
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&msg, nullptr, 0, 0)) {
        quit = true;
        break;
      }
      const SaverEvent event = TranslateSaverMessage(msg.message, msg.wParam, msg.lParam, 0);
      if (timing.Drops(event.kind, GetTickCount())) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (quit) break;
    if (parent) {
      WaitForMessages(kParentCheckMs);
      if (!IsWindow(parent)) EndOrphanedPreview(shell);
      continue;
    }
    const uint32_t now = GetTickCount();
    if (timing.ForegroundDue(now)) SetForegroundWindow(shell.saverWindow);
    const uint32_t wait = pacer.WaitMs(now);
    if (wait > 0) {
      WaitForMessages(wait);
      continue;
    }
    shell.fields.DriveFrames();
    pacer.FrameRan(now);
  }
  // A window still up (a preview whose parent went first) must not reach
  // the shell once it is gone.
  if (IsWindow(shell.saverWindow)) SetWindowLongPtrA(shell.saverWindow, GWLP_USERDATA, 0);
  DeleteFields(shell);
  return static_cast<int>(msg.wParam);
}

}  // namespace brindlemar::win32
