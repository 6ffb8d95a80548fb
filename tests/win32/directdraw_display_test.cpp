// DirectDraw as the Windows saver uses it: the display's result codes, the
// mode change and its undoing, the mode list, and the front-buffer surfaces
// that draw into the primary surface. Under Wine on a virtual X display only
// the desktop's own size can be set (at another depth); other sizes answer
// "not implemented", which is what the saver's fall-back is for.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/directdraw_display.h"
#include "platform/win32/front_buffer_surface.h"
#include "platform/win32/gdi_window.h"
#include "support/test_window.h"

namespace brindlemar {
namespace {

constexpr ResultCode kNotImplemented = static_cast<int32_t>(0x80004001u);

struct DesktopMode {
  int32_t width, height, bits;
};

DesktopMode CurrentMode() {
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  return {static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
          static_cast<int32_t>(mode.dmBitsPerPel)};
}

// The display shows the primary surface a little after it was drawn into:
// the pixel is read until it is no longer black, for up to two seconds.
COLORREF ShownPixel(HWND hwnd, int x, int y) {
  COLORREF shown = 0;
  for (int attempt = 0; attempt < 100 && shown == 0; ++attempt) {
    if (attempt > 0) Sleep(20);
    HDC dc = GetDC(hwnd);
    shown = ::GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
  }
  return shown;
}

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BrindlemarDirectDrawTest";
    RegisterClassA(&wc);
    desktop_ = CurrentMode();
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "test", WS_POPUP | WS_VISIBLE, 0, 0, desktop_.width,
                            desktop_.height, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override { DestroyWindow(hwnd_); }

  HWND hwnd_ = nullptr;
  DesktopMode desktop_{};
};

TEST_F(DirectDrawTest, CodesOfAClosedAndAnOpenDisplay) {
  win32::DirectDrawDisplay display;
  EXPECT_EQ(display.SetMode(640, 480, 16), kUnexpected);
  EXPECT_EQ(display.Open(nullptr), kInvalidArg);
  testing::TestWindow memoryWindow(8, 8);
  EXPECT_EQ(display.Open(&memoryWindow), kInvalidArg);

  win32::GdiWindow window(hwnd_);
  ASSERT_EQ(display.Open(&window), kOk);
  EXPECT_TRUE(display.IsOpen());
  EXPECT_NE(display.Object(), nullptr);
  EXPECT_EQ(display.Open(&window), kUnexpected);
  display.Close();
  EXPECT_FALSE(display.IsOpen());
  EXPECT_EQ(display.Object(), nullptr);
  EXPECT_EQ(display.SetMode(640, 480, 16), kUnexpected);
  display.Close();
}

TEST_F(DirectDrawTest, ModeChangeIsUndoneByClose) {
  win32::GdiWindow window(hwnd_);
  win32::DirectDrawDisplay display;
  ASSERT_EQ(display.Open(&window), kOk);
  EXPECT_EQ(display.SetMode(640, 480, 16), kNotImplemented);
  ASSERT_EQ(display.SetMode(desktop_.width, desktop_.height, 16), kOk);
  EXPECT_EQ(CurrentMode().bits, 16);
  display.Close();
  const DesktopMode after = CurrentMode();
  EXPECT_EQ(after.width, desktop_.width);
  EXPECT_EQ(after.height, desktop_.height);
  EXPECT_EQ(after.bits, desktop_.bits);
}

TEST_F(DirectDrawTest, ModeListHoldsOnlySixteenAndTwentyFourBits) {
  DisplayModeList list;
  const int32_t count = win32::DirectDrawModeSource().EnumerateModes(list);
  EXPECT_EQ(count, list.count);
  ASSERT_GT(count, 0);
  EXPECT_LE(count, kMaxDisplayModes);
  bool desktopSize = false;
  for (int32_t i = 0; i < count; ++i) {
    EXPECT_TRUE(list.modes[i].bits == 16 || list.modes[i].bits == 24) << list.modes[i].bits;
    desktopSize |= list.modes[i].width == desktop_.width && list.modes[i].height == desktop_.height;
  }
  EXPECT_TRUE(desktopSize);
  EXPECT_TRUE(win32::IsDirectDrawAvailable());
}

TEST_F(DirectDrawTest, FrontBufferSurfacesNeedAnOpenDisplay) {
  win32::GdiWindow window(hwnd_);
  win32::FrontBufferSurface24 surface;
  EXPECT_EQ(surface.Create(&window, nullptr), kInvalidArg);
  win32::DirectDrawDisplay closed;
  EXPECT_EQ(surface.Create(&window, &closed), kInvalidArg);
  EXPECT_EQ(surface.Bits(), nullptr);
}

// Both depths: the frame is composed in the DIB and lands on the screen
// through the primary surface's device context.
TEST_F(DirectDrawTest, FrontBufferSurfacesPresentToTheScreen) {
  win32::GdiWindow window(hwnd_);
  win32::DirectDrawDisplay display;
  ASSERT_EQ(display.Open(&window), kOk);
  ASSERT_EQ(display.SetMode(desktop_.width, desktop_.height, 16), kOk);
  std::unique_ptr<DrawSurface> surfaces[] = {std::make_unique<win32::FrontBufferSurface24>(),
                                             std::make_unique<win32::FrontBufferSurface16>()};
  for (auto& surface : surfaces) {
    ASSERT_EQ(surface->Create(&window, &display), kOk);
    EXPECT_EQ(surface->Width(), desktop_.width);
    EXPECT_EQ(surface->Height(), desktop_.height);
    EXPECT_EQ(surface->Create(&window, &display), kUnexpected);
    surface->Clear();
    surface->AddPixel(20, 10, 0, 0, 255);
    surface->Present(&window);
    const COLORREF shown = ShownPixel(hwnd_, 20, 10);
    HDC dc = GetDC(hwnd_);
    const COLORREF beside = ::GetPixel(dc, 21, 10);
    ReleaseDC(hwnd_, dc);
    EXPECT_GE(GetRValue(shown), 0xF0);
    EXPECT_EQ(GetGValue(shown), 0);
    EXPECT_EQ(beside, RGB(0, 0, 0));
    surface->Destroy();
    EXPECT_EQ(surface->Bits(), nullptr);
  }
  display.Close();
}

}  // namespace
}  // namespace brindlemar
