#include "platform/win32/dib_image.h"

namespace brindlemar::win32 {
namespace {

struct HeaderWithMasks {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};

}  // namespace

std::unique_ptr<DibImage> DibImage::Create(HDC referenceDc, const BitmapHeader& header) {
  HeaderWithMasks info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = header.width;
  info.header.biHeight = header.height;
  info.header.biPlanes = static_cast<WORD>(header.planes);
  info.header.biBitCount = static_cast<WORD>(header.bitCount);
  info.header.biCompression = static_cast<DWORD>(header.compression);
  for (int i = 0; i < 3; ++i) info.masks[i] = header.masks[i];

  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(referenceDc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return nullptr;
  HDC memoryDc = CreateCompatibleDC(referenceDc);
  if (!memoryDc) {
    DeleteObject(dib);
    return nullptr;
  }
  return std::unique_ptr<DibImage>(new DibImage(memoryDc, dib, bits));
}

DibImage::DibImage(HDC memoryDc, HBITMAP dib, void* bits)
    : memoryDc_(memoryDc), dib_(dib), bits_(bits), canvas_(memoryDc) {
  previous_ = SelectObject(memoryDc_, dib_);
}

DibImage::~DibImage() {
  SelectObject(memoryDc_, previous_);
  DeleteDC(memoryDc_);
  DeleteObject(dib_);
}

}  // namespace brindlemar::win32
