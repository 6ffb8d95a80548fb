#include "platform/posix/x11/x11_window_target.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

#include "overlays/canvas.h"
#include "platform/posix/x11/x11_errors.h"

namespace brindlemar::x11 {

X11WindowTarget::X11WindowTarget(Display* display, Window window) : display_(display), window_(window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window_, &attributes)) return;
  visual_ = attributes.visual;
  depth_ = attributes.depth;
  width_ = attributes.width;
  height_ = attributes.height;
  if (visual_->c_class != TrueColor || depth_ < 15) return;
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  valid_ = gc_ != nullptr;
}

X11WindowTarget::~X11WindowTarget() {
  DropImage();
  if (gc_) XFreeGC(display_, gc_);
}

ResultCode X11WindowTarget::GetClientSize(int32_t& width, int32_t& height) {
  if (!valid_) return kFail;
  width = width_;
  height = height_;
  return kOk;
}

std::unique_ptr<FrameImage> X11WindowTarget::CreateFrameImage(const BitmapHeader& header) {
  return CreateCanvasFrameImage(header);
}

bool X11WindowTarget::MakeImage() {
  if (image_) return true;
  if (!valid_ || width_ <= 0 || height_ <= 0) return false;
  const auto w = static_cast<unsigned int>(width_);
  const auto h = static_cast<unsigned int>(height_);
  if (trySharedMemory_ && XShmQueryExtension(display_)) {
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned int>(depth_), ZPixmap, nullptr, &segment_, w, h);
    if (image_) {
      const size_t bytes = static_cast<size_t>(image_->bytes_per_line) * h;
      segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      void* memory = segment_.shmid >= 0 ? shmat(segment_.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
      if (memory != reinterpret_cast<void*>(-1)) {
        segment_.shmaddr = image_->data = static_cast<char*>(memory);
        segment_.readOnly = False;
        // A server on another machine, or one that may not map this
        // process's memory, refuses the segment: then plain XPutImage.
        const uint64_t before = ErrorCount();
        const Bool attached = XShmAttach(display_, &segment_);
        XSync(display_, False);
        shared_ = attached && ErrorCount() == before;
        // Marked for removal at once, so it goes even if the process dies.
        shmctl(segment_.shmid, IPC_RMID, nullptr);
        if (!shared_) {
          shmdt(segment_.shmaddr);
          image_->data = nullptr;
        }
      } else if (segment_.shmid >= 0) {
        shmctl(segment_.shmid, IPC_RMID, nullptr);
      }
      if (!shared_) {
        XDestroyImage(image_);
        image_ = nullptr;
        trySharedMemory_ = false;
      }
    }
  }
  if (!image_) {
    image_ = XCreateImage(display_, visual_, static_cast<unsigned int>(depth_), ZPixmap, 0, nullptr, w, h, 32, 0);
    if (!image_) return false;
    image_->data = static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line) * h, 1));
    if (!image_->data) {
      XDestroyImage(image_);
      image_ = nullptr;
      return false;
    }
  }
  // New memory, whatever its address: nothing in it is known to be shown.
  converter_.Forget();
  shownOnce_ = false;
  layout_.redMask = static_cast<uint32_t>(image_->red_mask);
  layout_.greenMask = static_cast<uint32_t>(image_->green_mask);
  layout_.blueMask = static_cast<uint32_t>(image_->blue_mask);
  layout_.bytesPerPixel = image_->bits_per_pixel / 8;
  layout_.msbFirst = image_->byte_order == MSBFirst;
  const uint32_t colour = layout_.redMask | layout_.greenMask | layout_.blueMask;
  layout_.fixedBits = depth_ == 32 ? ~colour : 0;
  if (layout_.bytesPerPixel < 2 || layout_.bytesPerPixel > 4) {
    DropImage();
    valid_ = false;
    return false;
  }
  return true;
}

void X11WindowTarget::DropImage() {
  if (!image_) return;
  if (shared_) {
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    image_->data = nullptr;
    shared_ = false;
  }
  XDestroyImage(image_);
  image_ = nullptr;
}

void X11WindowTarget::Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) {
  if (!MakeImage()) return;
  converter_.Convert(image.Bits(), header, std::min(width, width_), std::min(height, height_), layout_,
                     reinterpret_cast<uint8_t*>(image_->data), static_cast<size_t>(image_->bytes_per_line));
  PutChanged();
}

bool X11WindowTarget::ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height,
                                  ImageFader& fader) {
  if (!MakeImage()) return false;
  converter_.ConvertFading(image.Bits(), header, std::min(width, width_), std::min(height, height_), layout_,
                           reinterpret_cast<uint8_t*>(image_->data), static_cast<size_t>(image_->bytes_per_line),
                           fader);
  PutChanged();
  return true;
}

void X11WindowTarget::Invalidate() {
  if (image_) Put({{0, 0, width_, height_}});
}

void X11WindowTarget::PutChanged() {
  // New image memory has never been shown: all of it goes once.
  if (!shownOnce_) {
    shownOnce_ = true;
    Put({{0, 0, width_, height_}});
    return;
  }
  Put(ChangedBands(converter_.Written(), kJoinGap));
}

void X11WindowTarget::Put(const std::vector<PutRect>& rects) {
  for (const PutRect& r : rects) {
    const auto w = static_cast<unsigned int>(r.width);
    const auto h = static_cast<unsigned int>(r.height);
    if (shared_) {
      XShmPutImage(display_, window_, gc_, image_, r.x, r.y, r.x, r.y, w, h, False);
    } else {
      XPutImage(display_, window_, gc_, image_, r.x, r.y, r.x, r.y, w, h);
    }
  }
  if (shared_) {
    // The server reads the segment later; the next frame must not be
    // written into it before it has.
    XSync(display_, False);
  } else {
    XFlush(display_);
  }
}

}  // namespace brindlemar::x11
