// X protocol errors, counted instead of ending the program: a window that
// another program destroys, or a shared memory segment the server refuses,
// must not take the saver down with Xlib's default handler. Callers compare
// the count around a synchronised request.
#pragma once

#include <cstdint>

namespace brindlemar::x11 {

void InstallErrorHandler();
uint64_t ErrorCount();
// The error code of the last error counted (BadWindow, BadAccess, ...).
int32_t LastErrorCode();

}  // namespace brindlemar::x11
