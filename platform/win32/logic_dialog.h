// Runs a dialog from the program's templates with its logic from ui/: one
// dialog procedure turns the window messages of any such dialog into the
// logic's events (clicks, list choices, text changes, focus losses, scrolls,
// page changes, F1, closing) and lets a session add what only the platform
// does (a preview window, the icon).
#pragma once

#include <windows.h>

#include "platform/win32/dialog_controls_win32.h"
#include "ui/dialog_logic.h"

namespace brindlemar::win32 {

class LogicDialogSession {
 public:
  virtual ~LogicDialogSession() = default;

  virtual ui::DialogLogic& Logic() = 0;
  Win32DialogControls& Controls() { return controls_; }

  // The dialog exists and is centred; the logic opens next.
  virtual void BeforeOpen(HWND) {}
  // The logic has opened; true when this put the keyboard focus somewhere.
  virtual bool AfterOpen(HWND) { return false; }
  // Any message, before the logic's handling: true when taken, with the
  // dialog procedure's answer in result.
  virtual bool Handle(HWND, UINT, WPARAM, LPARAM, INT_PTR& result) {
    (void)result;
    return false;
  }

 protected:
  Win32DialogControls controls_;
};

// Runs the dialog modally; its result, or -1 when it could not be made.
INT_PTR RunLogicDialog(HINSTANCE instance, int templateId, HWND owner, LogicDialogSession& session);

// A session whose logic needs nothing but its controls and the arguments
// given here.
template <typename DialogLogicType>
class PlainSession final : public LogicDialogSession {
 public:
  template <typename... Args>
  explicit PlainSession(Args&&... args) : logic_(controls_, static_cast<Args&&>(args)...) {}
  ui::DialogLogic& Logic() override { return logic_; }
  DialogLogicType& Get() { return logic_; }

 private:
  DialogLogicType logic_;
};

}  // namespace brindlemar::win32
