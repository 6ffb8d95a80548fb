#include "platform/posix/x11/x11_errors.h"

#include <X11/Xlib.h>

namespace brindlemar::x11 {
namespace {

uint64_t errors = 0;
int32_t lastCode = 0;

int CountError(Display*, XErrorEvent* event) {
  ++errors;
  lastCode = event->error_code;
  return 0;
}

}  // namespace

void InstallErrorHandler() { XSetErrorHandler(CountError); }

uint64_t ErrorCount() { return errors; }

int32_t LastErrorCode() { return lastCode; }

}  // namespace brindlemar::x11
