#include "support/test_window.h"

namespace brindlemar::testing {

ResultCode TestWindow::GetClientSize(int32_t& w, int32_t& h) {
  if (sizeResult != kOk) return sizeResult;
  w = width;
  h = height;
  return kOk;
}

std::unique_ptr<FrameImage> TestWindow::CreateFrameImage(const BitmapHeader& header) {
  lastHeader = header;
  if (refuseImage) return nullptr;
  return HeapFrameImage::Create(header);
}

void TestWindow::Show(FrameImage&, const BitmapHeader&, int32_t, int32_t) { ++shows; }

}  // namespace brindlemar::testing
