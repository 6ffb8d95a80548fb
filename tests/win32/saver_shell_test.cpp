// The Windows saver shell: window messages as input events, and the field's
// attach on a real window with real DirectDraw: which display and surface a
// run gets for the stored mode, a refused mode, a password and a preview.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/directdraw_display.h"
#include "platform/win32/front_buffer_surface.h"
#include "platform/win32/gdi_window.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/win32_field.h"
#include "settings/memory_store.h"
#include "settings/settings_store.h"

namespace brindlemar {
namespace {

TEST(SaverMessages, TranslateIntoInputEvents) {
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int32_t capsLock;
    SaverInput kind;
    int32_t key, plain, capsLockOn;
    PointI client;
    uint32_t command;
    int32_t active;
  };
  const Case cases[] = {
      {WM_CLOSE, 0, 0, 0, SaverInput::kClose, 0, 0, 0, {0, 0}, 0, 0},
      {WM_DESTROY, 0, 0, 0, SaverInput::kDestroy, 0, 0, 0, {0, 0}, 0, 0},
      {WM_KEYDOWN, 'A', 0x001E0001, 0, SaverInput::kKeyDown, 'A', 0, 0, {0, 0}, 0, 0},
      {WM_KEYDOWN, VK_F12, 0x00580001, 0, SaverInput::kKeyDown, VK_F12, 1, 0, {0, 0}, 0, 0},
      {WM_KEYDOWN, VK_F12, 0x40580001, 0, SaverInput::kKeyDown, VK_F12, 0, 0, {0, 0}, 0, 0},
      {WM_KEYDOWN, VK_CAPITAL, 0x003A0001, 0, SaverInput::kKeyDown, VK_CAPITAL, 1, 0, {0, 0}, 0, 0},
      {WM_SYSKEYDOWN, VK_MENU, 0x20380001, 0, SaverInput::kSysKeyDown, VK_MENU, 0, 0, {0, 0}, 0, 0},
      {WM_KEYUP, VK_CAPITAL, static_cast<LPARAM>(0xC03A0001u), 1, SaverInput::kKeyUp, VK_CAPITAL, 1, 1, {0, 0}, 0, 0},
      {WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC02A0001u), 0, SaverInput::kKeyUp, VK_SHIFT, 0, 0, {0, 0}, 0, 0},
      // Client coordinates are the unsigned halves of the message data.
      {WM_MOUSEMOVE, 0, static_cast<LPARAM>(0xFFFF0010u), 0, SaverInput::kMouseMove, 0, 0, 0, {16, 65535}, 0, 0},
      {WM_LBUTTONDOWN, 0, 0, 0, SaverInput::kButtonDown, 0, 0, 0, {0, 0}, 0, 0},
      {WM_RBUTTONDOWN, 0, 0, 0, SaverInput::kButtonDown, 0, 0, 0, {0, 0}, 0, 0},
      {WM_MBUTTONDOWN, 0, 0, 0, SaverInput::kButtonDown, 0, 0, 0, {0, 0}, 0, 0},
      {WM_LBUTTONUP, 0, 0, 0, SaverInput::kOtherMouse, 0, 0, 0, {0, 0}, 0, 0},
      {WM_MBUTTONDBLCLK, 0, 0, 0, SaverInput::kOtherMouse, 0, 0, 0, {0, 0}, 0, 0},
      {WM_MOUSEWHEEL, 0, 0, 0, SaverInput::kOther, 0, 0, 0, {0, 0}, 0, 0},
      {WM_SETCURSOR, 0, 0, 0, SaverInput::kSetCursor, 0, 0, 0, {0, 0}, 0, 0},
      {WM_NCACTIVATE, FALSE, 0, 0, SaverInput::kNcActivate, 0, 0, 0, {0, 0}, 0, 0},
      {WM_NCACTIVATE, TRUE, 0, 0, SaverInput::kNcActivate, 0, 0, 0, {0, 0}, 0, 1},
      {WM_SYSCOMMAND, SC_SCREENSAVE | 3, 0, 0, SaverInput::kSysCommand, 0, 0, 0, {0, 0}, SC_SCREENSAVE | 3, 0},
      {WM_HOTKEY, 0, 0, 0, SaverInput::kHotKey, 0, 0, 0, {0, 0}, 0, 0},
      {WM_PAINT, 0, 0, 0, SaverInput::kOther, 0, 0, 0, {0, 0}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "message " << c.message << " key data " << std::hex << c.lParam);
    const SaverEvent e = win32::TranslateSaverMessage(c.message, c.wParam, c.lParam, c.capsLock);
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_EQ(e.key, c.key);
    EXPECT_EQ(e.plain, c.plain);
    EXPECT_EQ(e.capsLockOn, c.capsLockOn);
    EXPECT_EQ(e.client.x, c.client.x);
    EXPECT_EQ(e.client.y, c.client.y);
    EXPECT_EQ(e.command, c.command);
    EXPECT_EQ(e.active, c.active);
  }
}

TEST(SaverMessages, RunLoopDropsTheMessagesOfTheGrace) {
  RunLoopTiming timing(1000);
  for (UINT message = WM_MOUSEFIRST; message <= WM_MBUTTONDBLCLK; ++message) {
    const SaverEvent e = win32::TranslateSaverMessage(message, 0, 0, 0);
    EXPECT_EQ(timing.Drops(e.kind, 2999), 1) << message;
    EXPECT_EQ(timing.Drops(e.kind, 3000), 0) << message;
  }
  EXPECT_EQ(timing.Drops(win32::TranslateSaverMessage(WM_CLOSE, 0, 0, 0).kind, 2999), 1);
  EXPECT_EQ(timing.Drops(win32::TranslateSaverMessage(WM_KEYDOWN, 'A', 0, 0).kind, 1000), 0);
  EXPECT_EQ(timing.Drops(win32::TranslateSaverMessage(WM_MOUSEWHEEL, 0, 0, 0).kind, 1000), 0);
}

class Win32FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BrindlemarFieldTest";
    RegisterClassA(&wc);
    screenWidth_ = GetSystemMetrics(SM_CXSCREEN);
    screenHeight_ = GetSystemMetrics(SM_CYSCREEN);
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "test", WS_POPUP | WS_VISIBLE, 0, 0, screenWidth_,
                            screenHeight_, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    bool created = false;
    store_.CreateKey(kConfigKey, &created);
  }
  void TearDown() override { DestroyWindow(hwnd_); }

  void StoreMode(int32_t width, int32_t height, int32_t bits) {
    WriteDword(store_, kConfigKey, "DirectDraw", 1);
    WriteDword(store_, kConfigKey, "ScreenResX", width);
    WriteDword(store_, kConfigKey, "ScreenResY", height);
    WriteDword(store_, kConfigKey, "ScreenResBits", bits);
  }

  void StorePassword(const char* password) {
    bool created = false;
    store_.CreateKey(kDesktopKey, &created);
    WriteDword(store_, kDesktopKey, "ScreenSaveUsePassword", 1);
    std::string scrambled = password;
    ScramblePassword(scrambled);
    WriteString(store_, kConfigKey, "Pass", scrambled);
  }

  HWND hwnd_ = nullptr;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  MemoryStore store_;
};

TEST_F(Win32FieldTest, OnlyThe9xFamilyAsksForThePassword) {
  StoreMode(screenWidth_, screenHeight_, 16);
  StorePassword("abc");
  EXPECT_EQ(win32::Win32Field(store_, PlatformFamily::kWindows9x).passwordProtected, 1);
  EXPECT_EQ(win32::Win32Field(store_, PlatformFamily::kWindowsNt).passwordProtected, 0);
  StorePassword("");
  EXPECT_EQ(win32::Win32Field(store_, PlatformFamily::kWindows9x).passwordProtected, 0);
}

TEST_F(Win32FieldTest, StoredModeDrawsThroughThePrimarySurface) {
  StoreMode(screenWidth_, screenHeight_, 16);
  win32::GdiWindow window(hwnd_);
  win32::Win32Field field(store_, PlatformFamily::kWindowsNt);
  ASSERT_EQ(field.Attach(&window, 1), kOk);
  EXPECT_NE(field.display, nullptr);
  // Random favorites are on by default, so the 24-bit kind comes first.
  EXPECT_NE(dynamic_cast<win32::FrontBufferSurface24*>(field.surface.get()), nullptr);
  EXPECT_EQ(field.surfaceBits, 24);
  EXPECT_EQ(field.width, screenWidth_);
  EXPECT_EQ(field.height, screenHeight_);
}

// A mode the display refuses is one more DirectDraw failure: the run goes on
// in memory at the desktop's own mode.
TEST_F(Win32FieldTest, RefusedModeFallsBackToMemory) {
  StoreMode(640, 480, 16);
  win32::GdiWindow window(hwnd_);
  win32::Win32Field field(store_, PlatformFamily::kWindowsNt);
  ASSERT_EQ(field.Attach(&window, 1), kOk);
  EXPECT_EQ(field.display, nullptr);
  EXPECT_NE(dynamic_cast<MemorySurface24*>(field.surface.get()), nullptr);
  EXPECT_EQ(dynamic_cast<win32::FrontBufferSurface24*>(field.surface.get()), nullptr);
  EXPECT_EQ(field.width, screenWidth_);
  EXPECT_EQ(field.height, screenHeight_);
}

TEST_F(Win32FieldTest, PasswordAndPreviewKeepTheDesktopMode) {
  StoreMode(screenWidth_, screenHeight_, 16);
  StorePassword("abc");
  {
    win32::GdiWindow window(hwnd_);
    win32::Win32Field field(store_, PlatformFamily::kWindows9x);
    ASSERT_EQ(field.Attach(&window, 1), kOk);
    EXPECT_EQ(field.useDirectDraw, 0);
    EXPECT_EQ(field.display, nullptr);
    EXPECT_EQ(dynamic_cast<win32::FrontBufferSurface24*>(field.surface.get()), nullptr);
  }
  HWND child = CreateWindowExA(0, "BrindlemarFieldTest", "preview", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, hwnd_,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  win32::GdiWindow window(child);
  win32::Win32Field field(store_, PlatformFamily::kWindowsNt);
  ASSERT_EQ(field.Attach(&window, 0), kOk);
  EXPECT_EQ(field.display, nullptr);
  EXPECT_EQ(field.surfaceBits, 24);
  EXPECT_EQ(field.width, 152);
  EXPECT_EQ(field.height, 112);
}

}  // namespace
}  // namespace brindlemar
