#include "platform/win32/saver_window.h"

#include <windows.h>

#include <memory>

#include "engine/combined_random.h"
#include "engine/process_state.h"
#include "platform/win32/gdi_window.h"
#include "platform/win32/win32_field.h"
#include "settings/settings_store.h"
#include "settings/user_store.h"
#include "shell/run_pacing.h"

namespace brindlemar::win32 {
namespace {

constexpr UINT kFrameTimer = 1;
constexpr UINT kPreviewPeriodMs = 33;
// CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_GLOBALCLASS.
constexpr UINT kSaverClassStyle = 0x4023;

// The process-wide values of the saver shell. The store outlives the field
// that reads it, and the window target the field that draws through it.
struct SaverShell {
  HWND saverWindow = nullptr;
  PlatformFamily family = PlatformFamily::kWindowsNt;
  std::unique_ptr<SettingsStore> store;
  std::unique_ptr<GdiWindow> target;
  std::unique_ptr<Win32Field> field;
  std::unique_ptr<SaverInputRules> rules;
};

SaverShell shell;

int32_t CapsLockOn() {
  return GetKeyState(VK_CAPITAL) & 1;
}

void RunFrame() {
  if (shell.field) shell.field->DriveFrame();
}

void DeleteField() {
  shell.field.reset();
  shell.target.reset();
}

// Makes the field for hwnd and attaches it; false when no surface could be
// made.
bool MakeField(HWND hwnd, int32_t fullScreen) {
  shell.target = std::make_unique<GdiWindow>(hwnd);
  shell.field = std::make_unique<Win32Field>(*shell.store, shell.family);
  return !Failed(shell.field->Attach(shell.target.get(), fullScreen));
}

void TellScreenSaverRunning(BOOL running) {
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
  if (message == WM_CREATE) {
    shell.rules = std::make_unique<SaverInputRules>(CapsLockOn());
    TellScreenSaverRunning(TRUE);
    if (!MakeField(hwnd, 1)) return -1;
    shell.field->Restart(ProcessRandom().Next() - 0.5, -1, -1, -1);
    shell.field->StartAnimation();
    return 0;
  }
  if (message == WM_DESTROY) {
    TellScreenSaverRunning(FALSE);
    DeleteField();
  }
  if (!shell.rules) return DefWindowProcA(hwnd, message, wParam, lParam);
  const SaverEvent event = TranslateSaverMessage(message, wParam, lParam, CapsLockOn());
  return DefaultSaverProc(hwnd, message, wParam, lParam, shell.rules->Handle(event, shell.field.get()));
}

LRESULT CALLBACK PreviewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SetTimer(hwnd, kFrameTimer, kPreviewPeriodMs, nullptr);
      return 0;
    case WM_TIMER:
      RunFrame();
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

bool CreateSaverWindow(void* instanceHandle, void* parentHandle) {
  HINSTANCE instance = static_cast<HINSTANCE>(instanceHandle);
  HWND parent = static_cast<HWND>(parentHandle);
  WNDCLASSA existing;
  if (!GetClassInfoA(instance, kSaverClassName, &existing)) {
    WNDCLASSA wc{};
    wc.style = kSaverClassStyle;
    wc.lpfnWndProc = parent ? PreviewWindowProc : SaverWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverClassName;
    if (!RegisterClassA(&wc)) return false;
  }
  if (FindWindowA(kSaverClassName, kSaverTitle)) return false;

  int32_t width = 0, height = 0;
  if (parent) {
    RECT rect;
    if (!GetClientRect(parent, &rect)) return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  } else {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
  const DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
  const DWORD extended = parent ? 0 : WS_EX_TOPMOST;
  shell.saverWindow = CreateWindowExA(extended, kSaverClassName, kSaverTitle, style, 0, 0, width, height, parent,
                                      nullptr, instance, nullptr);
  return shell.saverWindow != nullptr;
}

int RunSaver(void* instanceHandle, void* parentHandle, PlatformFamily family) {
  HWND parent = static_cast<HWND>(parentHandle);
  shell.family = family;
  shell.store = OpenUserStore();

  bool created;
  {
    ParentDpiScope dpi(parent);
    created = CreateSaverWindow(instanceHandle, parentHandle);
  }
  if (!created) {
    DeleteField();
    shell.rules.reset();
    return 0;
  }
  if (parent) {
    CombinedRandom random;
    // A preview that got no surface stays up with nothing to draw: its
    // parent expects the window until it closes it.
    MakeField(shell.saverWindow, 0);
    shell.field->Restart(random.Next() - 0.5, -1, -1, -1);
    shell.field->StartAnimation();
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
      WaitForMessages(INFINITE);
      continue;
    }
    const uint32_t now = GetTickCount();
    if (timing.ForegroundDue(now)) SetForegroundWindow(shell.saverWindow);
    const uint32_t wait = pacer.WaitMs(now);
    if (wait > 0) {
      WaitForMessages(wait);
      continue;
    }
    RunFrame();
    pacer.FrameRan(now);
  }
  DeleteField();
  shell.rules.reset();
  shell.store.reset();
  return static_cast<int>(msg.wParam);
}

}  // namespace brindlemar::win32
