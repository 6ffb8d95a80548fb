// The live preview of the settings window: a drawing area of a fixed size
// that shows a field's frames, drawn at the display's own pixels: on a
// display that scales windows (GDK_SCALE=2), the field draws twice as many
// pixels each way as the area has units, rather than being enlarged. The field draws into a window made of memory
// (surfaces/memory_window.h) whose frame images have a canvas for the
// overlays; a timer drives one frame of the field every 33 ms, and the area
// paints the last picture shown with Cairo. There is no second renderer: the
// picture is the field's own frame image.
//
// The timer is a seam: the program uses GLib's main loop, tests a timer they
// fire themselves.
#pragma once

#include <gtkmm.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "surfaces/memory_window.h"

namespace brindlemar {
class ParticleField;
}

namespace brindlemar::gtk {

// The preview's frame period, as on Windows.
inline constexpr uint32_t kPreviewPeriodMs = 33;

class FrameTimer {
 public:
  virtual ~FrameTimer() = default;
  // Calls tick every periodMs from now until Stop; a second Start replaces
  // the first.
  virtual void Start(uint32_t periodMs, std::function<void()> tick) = 0;
  virtual void Stop() = 0;
};

// A timer on the GLib main loop (also running in nested loops, so that the
// preview keeps moving while a satellite window is open).
class GlibFrameTimer final : public FrameTimer {
 public:
  ~GlibFrameTimer() override { Stop(); }
  void Start(uint32_t periodMs, std::function<void()> tick) override;
  void Stop() override { connection_.disconnect(); }

 private:
  sigc::connection connection_;
};

class PreviewArea {
 public:
  // An area of width x height units of the window, where a unit is scale
  // pixels of the display each way (scale below 1 is taken as 1).
  PreviewArea(int32_t width, int32_t height, int32_t scale, FrameTimer& timer);
  ~PreviewArea();
  PreviewArea(const PreviewArea&) = delete;
  PreviewArea& operator=(const PreviewArea&) = delete;

  Gtk::DrawingArea& Widget() { return area_; }
  // What the field attaches to: width x height times the scale, in pixels.
  WindowTarget& Target();
  const MemoryWindow& Memory() const { return memory_; }
  int32_t Scale() const { return scale_; }

  // Drives field every kPreviewPeriodMs until Stop; field must outlive the
  // run.
  void Run(ParticleField& field);
  void Stop();

  // Paints the last picture shown (black before the first) centred in an
  // area of width x height units, a pixel of the picture on each pixel of
  // a target scaled as the display is.
  void Paint(const Cairo::RefPtr<Cairo::Context>& cr, int width, int height);

 private:
  class ShownTarget;
  void Shown();

  int32_t scale_;
  MemoryWindow memory_;
  std::unique_ptr<ShownTarget> target_;
  FrameTimer& timer_;
  Gtk::DrawingArea area_;
  Cairo::RefPtr<Cairo::ImageSurface> picture_;
  bool stale_ = true;
};

}  // namespace brindlemar::gtk
