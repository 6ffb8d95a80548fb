// The change-password dialog as the entry point runs it: its result is the
// program's exit code, so a dialog that cannot be made must say so.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/password_dialog.h"

namespace brindlemar {
namespace {

TEST(PasswordDialog, ADialogThatCannotBeMadeGivesMinusOne) {
  // The test program carries no dialog resources.
  EXPECT_EQ(win32::RunPasswordDialog(GetModuleHandleA(nullptr), nullptr), -1);
}

}  // namespace
}  // namespace brindlemar
