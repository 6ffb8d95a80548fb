// The Windows frame image: a DIB section behind a memory surface, shown in a
// real window with one block transfer.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/gdi_window.h"
#include "surfaces/draw_surface.h"

namespace brindlemar {
namespace {

class GdiWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BrindlemarTestWindow";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, "BrindlemarTestWindow", "test", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48,
                            nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override { DestroyWindow(hwnd_); }
  HWND hwnd_ = nullptr;
};

TEST_F(GdiWindowTest, SurfaceDrawsIntoADibAndShowsIt) {
  win32::GdiWindow window(hwnd_);
  MemorySurface24 surface;
  ASSERT_EQ(surface.Create(&window, nullptr), kOk);
  EXPECT_EQ(surface.Width(), 64);
  EXPECT_EQ(surface.Height(), 48);
  EXPECT_EQ(surface.Stride(), 192u);
  surface.AddPixel(10, 5, 0, 0, 255);
  EXPECT_EQ(surface.GetPixel(10, 5), 0x00FF0000u);
  // Row 5 from the top lives 48 - 5 - 1 rows into the bottom-up memory.
  EXPECT_EQ(surface.Bits()[(48 - 5 - 1) * 192 + 10 * 3 + 2], 255);
  surface.Present(&window);
  HDC dc = GetDC(hwnd_);
  EXPECT_EQ(::GetPixel(dc, 10, 5), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(dc, 11, 5), RGB(0, 0, 0));
  ReleaseDC(hwnd_, dc);
  surface.Destroy();
}

TEST_F(GdiWindowTest, SixteenBitSurfaceUsesBitFields) {
  win32::GdiWindow window(hwnd_);
  MemorySurface16 surface;
  ASSERT_EQ(surface.Create(&window, nullptr), kOk);
  surface.AddPixel(3, 3, 8, 0, 255);
  EXPECT_EQ(surface.GetPixel(3, 3), 0x00F80008u);
  surface.Present(&window);
  HDC dc = GetDC(hwnd_);
  COLORREF shown = ::GetPixel(dc, 3, 3);
  EXPECT_GE(GetRValue(shown), 0xF0);
  EXPECT_EQ(GetGValue(shown), 0);
  ReleaseDC(hwnd_, dc);
}

}  // namespace
}  // namespace brindlemar
