#include "platform/win32/gdi_window.h"

#include "platform/win32/dib_image.h"

namespace brindlemar::win32 {

ResultCode GdiWindow::GetClientSize(int32_t& width, int32_t& height) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HDC dc = GetDC(hwnd);
  if (!dc) return kInvalidArg;
  ResultCode code = kOk;
  RECT rect;
  if (!SetMapMode(dc, MM_TEXT) || !GetClientRect(hwnd, &rect)) {
    code = kFail;
  } else if (place_) {
    width = place_->right - place_->left;
    height = place_->bottom - place_->top;
  } else {
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }
  ReleaseDC(hwnd, dc);
  return code;
}

std::unique_ptr<FrameImage> GdiWindow::CreateFrameImage(const BitmapHeader& header) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HDC windowDc = GetDC(hwnd);
  if (!windowDc) return nullptr;
  std::unique_ptr<FrameImage> image = DibImage::Create(windowDc, header);
  ReleaseDC(hwnd, windowDc);
  return image;
}

void GdiWindow::Show(FrameImage& image, const BitmapHeader&, int32_t width, int32_t height) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HDC windowDc = GetDC(hwnd);
  if (!windowDc) return;
  // Source row 2: the bottom-up bitmap's first two rows as GDI addresses
  // them are the guard rows.
  const int32_t x = place_ ? place_->left : 0, y = place_ ? place_->top : 0;
  BitBlt(windowDc, x, y, width, height, static_cast<DibImage&>(image).MemoryDc(), 0, 2, SRCCOPY);
  ReleaseDC(hwnd, windowDc);
}

void GdiWindow::Invalidate() {
  HWND hwnd = static_cast<HWND>(hwnd_);
  if (place_) {
    const RECT part = {place_->left, place_->top, place_->right, place_->bottom};
    InvalidateRect(hwnd, &part, TRUE);
  } else {
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  UpdateWindow(hwnd);
}

int32_t GdiWindow::DesktopBits() {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HDC dc = GetDC(hwnd);
  if (!dc) return 24;
  const int32_t bits = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(hwnd, dc);
  return bits;
}

}  // namespace brindlemar::win32
