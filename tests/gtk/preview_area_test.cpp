// The preview's timing seam: the area asks its timer for the 33 ms period,
// each tick drives exactly one frame of the field, the painting shows that
// frame's picture pixel for pixel (on a display that scales windows too: the
// field draws the display's pixels, not an enlarged picture), a paused field
// shows nothing new, and stopping ends the ticks.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <functional>
#include <vector>

#include "engine/particle_field.h"
#include "gtk/manual_timer.h"
#include "platform/posix/gtk/preview_area.h"
#include "settings/memory_store.h"

namespace brindlemar::gtk {
namespace {

// The area painted at its size plus a border (in units of the window) on a
// target of scale pixels a unit each way, as GTK gives it on such a display:
// the RGB bytes of the picture's place (the border must stay black).
struct Painted {
  std::vector<uint8_t> picture;
  bool borderBlack = true;
};

Painted Paint(PreviewArea& preview, int width, int height, int border, int scale = 1) {
  auto surface = Cairo::ImageSurface::create(Cairo::Surface::Format::RGB24, (width + 2 * border) * scale,
                                             (height + 2 * border) * scale);
  cairo_surface_set_device_scale(surface->cobj(), scale, scale);
  preview.Paint(Cairo::Context::create(surface), width + 2 * border, height + 2 * border);
  surface->flush();
  width *= scale;
  height *= scale;
  border *= scale;
  Painted painted;
  for (int y = 0; y < height + 2 * border; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(surface->get_data() + y * surface->get_stride());
    for (int x = 0; x < width + 2 * border; ++x) {
      const uint32_t pixel = row[x] & 0xFFFFFF;
      const bool inside = x >= border && x < border + width && y >= border && y < border + height;
      if (!inside) {
        painted.borderBlack = painted.borderBlack && pixel == 0;
        continue;
      }
      painted.picture.push_back(static_cast<uint8_t>(pixel >> 16));
      painted.picture.push_back(static_cast<uint8_t>(pixel >> 8));
      painted.picture.push_back(static_cast<uint8_t>(pixel));
    }
  }
  return painted;
}

TEST(PreviewArea, EachTickDrivesOneFrameAndThePaintingShowsIt) {
  MemoryStore store;
  ManualTimer timer;
  PreviewArea preview(160, 120, 1, timer);
  ParticleField field(store);
  ASSERT_FALSE(Failed(field.Attach(&preview.Target(), 0)));
  field.Restart(0.1, -1, -1, -1);
  field.StartAnimation();
  EXPECT_EQ(preview.Widget().get_content_width(), 160);
  EXPECT_EQ(preview.Widget().get_content_height(), 120);

  const Painted before = Paint(preview, 160, 120, 8);
  EXPECT_EQ(before.picture, std::vector<uint8_t>(160 * 120 * 3, 0)) << "black before the first frame";

  preview.Run(field);
  EXPECT_EQ(timer.period, kPreviewPeriodMs);
  EXPECT_EQ(kPreviewPeriodMs, 33u);
  for (uint32_t tick = 1; tick <= 3; ++tick) {
    timer.Fire();
    EXPECT_EQ(preview.Memory().ShownFrames(), tick);
    EXPECT_EQ(field.frameCount, tick);
  }
  const Painted shown = Paint(preview, 160, 120, 8);
  EXPECT_TRUE(shown.borderBlack);
  EXPECT_EQ(shown.picture, preview.Memory().Rgb());
  EXPECT_NE(shown.picture, before.picture) << "the frames drew grains";

  // Paused while the full-screen saver runs: ticks show nothing new.
  field.SetStepping(0);
  timer.Fire();
  EXPECT_EQ(preview.Memory().ShownFrames(), 3u);
  field.SetStepping(1);
  timer.Fire();
  EXPECT_EQ(preview.Memory().ShownFrames(), 4u);
  EXPECT_EQ(Paint(preview, 160, 120, 0).picture, preview.Memory().Rgb());

  preview.Stop();
  EXPECT_FALSE(timer.Running());
}

// On a display that scales windows, the field draws at the display's pixels:
// an area of 160 x 120 units on a display of scale 2 gives the field 320 x
// 240 pixels, and each of them shows on one pixel of the display.
TEST(PreviewArea, OnAScaledDisplayTheFieldDrawsTheDisplaysPixels) {
  for (int32_t scale : {2, 3}) {
    MemoryStore store;
    ManualTimer timer;
    PreviewArea preview(160, 120, scale, timer);
    ParticleField field(store);
    ASSERT_FALSE(Failed(field.Attach(&preview.Target(), 0)));
    int32_t width = 0, height = 0;
    ASSERT_FALSE(Failed(preview.Target().GetClientSize(width, height)));
    EXPECT_EQ(width, 160 * scale);
    EXPECT_EQ(height, 120 * scale);
    EXPECT_EQ(preview.Widget().get_content_width(), 160) << "the area keeps its size in the window";
    EXPECT_EQ(preview.Widget().get_content_height(), 120);
    field.Restart(0.1, -1, -1, -1);
    field.StartAnimation();
    preview.Run(field);
    timer.Fire();
    timer.Fire();
    const Painted shown = Paint(preview, 160, 120, 8, scale);
    EXPECT_TRUE(shown.borderBlack) << scale;
    EXPECT_EQ(shown.picture, preview.Memory().Rgb()) << "each of the field's pixels on one of the display's, scale " << scale;
    preview.Stop();
  }
}

}  // namespace
}  // namespace brindlemar::gtk
