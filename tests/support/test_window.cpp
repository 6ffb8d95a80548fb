#include "support/test_window.h"

#include "surfaces/fading_rows.h"

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

bool TestWindow::ShowAndFade(FrameImage&, const BitmapHeader& header, int32_t, int32_t h, ImageFader& fader) {
  if (!fadesWhileShowing) return false;
  ShowRowsFading(header, h, fader, [](int32_t) {});
  ++shows;
  return true;
}

}  // namespace brindlemar::testing
