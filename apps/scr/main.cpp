// Brindlemar.scr: the entry point the display settings start with a switch
// that says what is wanted: full screen (/s), a preview inside one of their
// windows (/p and its number), the change of the saver password (/a), or the
// configuration (anything else).
#include <windows.h>

#include "engine/process_state.h"
#include "platform/win32/config_dialog_win32.h"
#include "platform/win32/directdraw_display.h"
#include "platform/win32/password_dialog.h"
#include "platform/win32/saver_start.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/win32_field.h"
#include "settings/error_reporter.h"
#include "shell/command_line.h"

namespace {

using namespace brindlemar;

constexpr const char* kOwnerTitle = "Display Properties";

PlatformFamily Family() {
#ifdef BRINDLEMAR_TEST_WINDOWS_9X
  // A test build only: the saver asks for its own password as on the 9x
  // family, so that the prompt can be driven where the system is NT.
  return PlatformFamily::kWindows9x;
#else
  return win32::RunningPlatformFamily();
#endif
}

// The window the configuration dialog belongs to: the one the display
// settings named after /c when it is a window, so that theirs is held while
// the dialog is open; else the window of the old title, if there is one.
HWND ConfigurationOwner(const CommandLine& command) {
  HWND named = reinterpret_cast<HWND>(static_cast<intptr_t>(command.ownerWindow));
  if (named && IsWindow(named)) return named;
  return FindWindowA(nullptr, kOwnerTitle);
}

int Run(HINSTANCE instance) {
  SeedProcessRandom(SystemClock());
  StandardErrorReporter reporter("brindlemar");
  const CommandLine command = ParseCommandLine(GetCommandLineA());
  switch (command.mode) {
    case SaverMode::kFullScreen:
    case SaverMode::kPreview: {
      if (command.exitNow) {
        win32::ReportStart("the preview switch names no window; nothing to preview in");
        return 0;
      }
      void* parent = command.mode == SaverMode::kPreview
                         ? reinterpret_cast<void*>(static_cast<intptr_t>(command.previewWindow))
                         : nullptr;
      const int code = win32::RunSaver(instance, parent, Family(), reporter);
      win32::FreeLeftDirectDrawLibrary();
      return code;
    }
    case SaverMode::kChangePassword:
      return win32::RunPasswordDialog(instance, FindWindowA(nullptr, kOwnerTitle));
    case SaverMode::kConfigure:
      break;
  }
  const int code = win32::RunConfigDialog(instance, ConfigurationOwner(command), Family(), reporter);
  win32::FreeLeftDirectDrawLibrary();
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return Run(instance);
}
