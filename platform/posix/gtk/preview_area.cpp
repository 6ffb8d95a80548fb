#include "platform/posix/gtk/preview_area.h"

#include <algorithm>

#include "engine/particle_field.h"
#include "overlays/canvas.h"

namespace brindlemar::gtk {

void GlibFrameTimer::Start(uint32_t periodMs, std::function<void()> tick) {
  connection_.disconnect();
  connection_ = Glib::signal_timeout().connect(
      [tick = std::move(tick)] {
        tick();
        return true;
      },
      periodMs);
}

// The memory window, telling the area when a new picture is there.
class PreviewArea::ShownTarget final : public WindowTarget {
 public:
  ShownTarget(MemoryWindow& memory, std::function<void()> shown) : memory_(memory), shown_(std::move(shown)) {}

  ResultCode GetClientSize(int32_t& width, int32_t& height) override { return memory_.GetClientSize(width, height); }
  std::unique_ptr<FrameImage> CreateFrameImage(const BitmapHeader& header) override {
    return memory_.CreateFrameImage(header);
  }
  void Show(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height) override {
    memory_.Show(image, header, width, height);
    shown_();
  }
  bool ShowAndFade(FrameImage& image, const BitmapHeader& header, int32_t width, int32_t height,
                   ImageFader& fader) override {
    if (!memory_.ShowAndFade(image, header, width, height, fader)) return false;
    shown_();
    return true;
  }
  void Invalidate() override { shown_(); }

 private:
  MemoryWindow& memory_;
  std::function<void()> shown_;
};

PreviewArea::PreviewArea(int32_t width, int32_t height, int32_t scale, FrameTimer& timer)
    : scale_(std::max(scale, 1)),
      memory_(width * scale_, height * scale_, CreateCanvasFrameImage),
      target_(std::make_unique<ShownTarget>(memory_, [this] { Shown(); })),
      timer_(timer) {
  area_.set_content_width(width);
  area_.set_content_height(height);
  area_.set_draw_func([this](const Cairo::RefPtr<Cairo::Context>& cr, int w, int h) { Paint(cr, w, h); });
}

PreviewArea::~PreviewArea() { Stop(); }

WindowTarget& PreviewArea::Target() { return *target_; }

void PreviewArea::Run(ParticleField& field) {
  timer_.Start(kPreviewPeriodMs, [&field] { field.DriveFrame(); });
}

void PreviewArea::Stop() { timer_.Stop(); }

void PreviewArea::Shown() {
  stale_ = true;
  area_.queue_draw();
}

void PreviewArea::Paint(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height) {
  const int w = memory_.Width(), h = memory_.Height();
  cr->set_source_rgb(0, 0, 0);
  cr->paint();
  if (w <= 0 || h <= 0) return;
  if (!picture_) {
    picture_ = Cairo::ImageSurface::create(Cairo::Surface::Format::RGB24, w, h);
    cairo_surface_set_device_scale(picture_->cobj(), scale_, scale_);
  }
  if (stale_) {
    picture_->flush();
    const std::vector<uint8_t>& rgb = memory_.Rgb();
    unsigned char* data = picture_->get_data();
    const int stride = picture_->get_stride();
    for (int y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
      const uint8_t* from = rgb.data() + static_cast<size_t>(y) * w * 3;
      for (int x = 0; x < w; ++x, from += 3) {
        row[x] = static_cast<uint32_t>(from[0]) << 16 | static_cast<uint32_t>(from[1]) << 8 | from[2];
      }
    }
    picture_->mark_dirty();
    stale_ = false;
  }
  cr->set_source(picture_, (width - w / scale_) / 2, (height - h / scale_) / 2);
  cr->paint();
}

}  // namespace brindlemar::gtk
