#include "platform/win32/gdi_window.h"

#include <windows.h>

namespace brindlemar::win32 {
namespace {

class DibImage final : public FrameImage {
 public:
  DibImage(HDC memoryDc, HBITMAP dib, void* bits) : memoryDc_(memoryDc), dib_(dib), bits_(bits) {
    previous_ = SelectObject(memoryDc_, dib_);
  }
  ~DibImage() override {
    SelectObject(memoryDc_, previous_);
    DeleteDC(memoryDc_);
    DeleteObject(dib_);
  }

  uint8_t* Bits() override { return static_cast<uint8_t*>(bits_); }
  Canvas* GetCanvas() override { return nullptr; }
  HDC MemoryDc() const { return memoryDc_; }

 private:
  HDC memoryDc_;
  HBITMAP dib_;
  void* bits_;
  HGDIOBJ previous_ = nullptr;
};

struct HeaderWithMasks {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};

}  // namespace

ResultCode GdiWindow::GetClientSize(int32_t& width, int32_t& height) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HDC dc = GetDC(hwnd);
  if (!dc) return kInvalidArg;
  ResultCode code = kOk;
  RECT rect;
  if (!SetMapMode(dc, MM_TEXT) || !GetClientRect(hwnd, &rect)) {
    code = kFail;
  } else {
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }
  ReleaseDC(hwnd, dc);
  return code;
}

std::unique_ptr<FrameImage> GdiWindow::CreateFrameImage(const BitmapHeader& header) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HeaderWithMasks info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = header.width;
  info.header.biHeight = header.height;
  info.header.biPlanes = static_cast<WORD>(header.planes);
  info.header.biBitCount = static_cast<WORD>(header.bitCount);
  info.header.biCompression = static_cast<DWORD>(header.compression);
  for (int i = 0; i < 3; ++i) info.masks[i] = header.masks[i];

  HDC windowDc = GetDC(hwnd);
  if (!windowDc) return nullptr;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(windowDc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memoryDc = dib ? CreateCompatibleDC(windowDc) : nullptr;
  ReleaseDC(hwnd, windowDc);
  if (!dib || !memoryDc) {
    if (dib) DeleteObject(dib);
    return nullptr;
  }
  return std::make_unique<DibImage>(memoryDc, dib, bits);
}

void GdiWindow::Show(FrameImage& image, const BitmapHeader&, int32_t width, int32_t height) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HDC windowDc = GetDC(hwnd);
  if (!windowDc) return;
  // Source row 2: the bottom-up bitmap's first two rows as GDI addresses
  // them are the guard rows.
  BitBlt(windowDc, 0, 0, width, height, static_cast<DibImage&>(image).MemoryDc(), 0, 2, SRCCOPY);
  ReleaseDC(hwnd, windowDc);
}

void GdiWindow::Invalidate() {
  HWND hwnd = static_cast<HWND>(hwnd_);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
}

}  // namespace brindlemar::win32
