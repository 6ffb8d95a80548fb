// DrawSurface: the frame buffer of one animation. The frame is composed in a
// bottom-up bitmap with two hidden guard rows, drawn into additively one
// pixel at a time, overlaid with text and lines through a canvas, shown once
// per frame, and faded between frames to leave trails.
//
// The eleven virtual operations keep their slot order, PresentAndFade comes
// after them; the fade tables and Clear are shared by every kind. Only the
// 24-bit kinds fade. The dithered fade draws from a QuickRandom that the
// surface's owner hands it; a surface left without one draws from its own.
#pragma once

#include <cstdint>
#include <memory>

#include "surfaces/quick_random.h"
#include "surfaces/result_codes.h"
#include "surfaces/window_target.h"

namespace brindlemar {

class DisplayInterface;

class DrawSurface {
 public:
  virtual ~DrawSurface() = default;

  virtual void Destroy() = 0;
  virtual void SetFade(int32_t level, int32_t dither);
  virtual ResultCode Create(WindowTarget* window, DisplayInterface* display) = 0;
  virtual void Clear();
  virtual void Present(WindowTarget* target) = 0;
  virtual void Fade() = 0;
  virtual void AddPixel(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) = 0;
  virtual uint32_t GetPixel(int32_t x, int32_t y) = 0;
  virtual Canvas* GetDrawingDC();
  virtual void ReleaseDrawingDC(Canvas* canvas);
  virtual void ResetFields();
  // Present followed by Fade, as the frame driver does them with trails on.
  // A 24-bit memory surface whose target can fade while it shows does both
  // in one pass over the image; the result is the same.
  virtual void PresentAndFade(WindowTarget* target);

  // Dense fading through the pair table as built, instead of the byte
  // kernels that give the same bytes faster: the reference for measurements.
  void UseTableFade(bool on) { tableFade = on; }
  // The generator the dithered fade draws its steps from; it must outlive
  // the surface.
  void SetFadeRandom(QuickRandom& random) { fadeRandom = &random; }

  int32_t FadeLevel() const { return fadeLevel; }
  int32_t FadeSpacing() const { return fadeSpacing; }
  int32_t Width() const { return width; }
  int32_t Height() const { return height; }
  uint32_t Stride() const { return stride; }
  uint32_t ImageSize() const { return imageSize; }
  uint8_t* Bits() const { return bits; }
  const uint8_t* ByteFadeTable() const { return byteFade.get(); }
  const uint16_t* PairFadeTable() const { return pairFade.get(); }

 protected:
  int32_t fadeLevel = -1;
  int32_t fadeSpacing = 0;
  std::unique_ptr<uint8_t[]> byteFade;
  std::unique_ptr<uint16_t[]> pairFade;
  bool tableFade = false;
  QuickRandom ownFadeRandom;
  QuickRandom* fadeRandom = &ownFadeRandom;

  uint32_t stride = 0;
  int32_t height = 0;
  int32_t width = 0;
  uint32_t imageSize = 0;
  uint8_t* bits = nullptr;
  std::unique_ptr<BitmapHeader> header;
  std::unique_ptr<FrameImage> image;

  // Fills the header and takes the image for a width x height frame.
  ResultCode TakeImage(WindowTarget* window, int32_t frameWidth, int32_t frameHeight, int32_t bitsPerPixel);
  bool Writable(int32_t x, int32_t y) const { return x >= 1 && x < width && y >= 1 && y < height; }
  // A hint that rows y - reach .. y + reach around column x are about to be
  // drawn: they are brought into cache. Nothing is read or written.
  void PrefetchRows(int32_t x, int32_t y, int32_t reach, int32_t bytesPerPixel) const {
    if (!Writable(x, y)) return;
    int32_t top = y - reach < 1 ? 1 : y - reach;
    int32_t bottom = y + reach >= height ? height - 1 : y + reach;
    for (int32_t row = top; row <= bottom; ++row) __builtin_prefetch(PixelAt(x, row, bytesPerPixel), 1);
  }
  uint8_t* PixelAt(int32_t x, int32_t y, int32_t bytesPerPixel) const {
    return bits + static_cast<size_t>(height - y - 1) * stride + static_cast<size_t>(x) * bytesPerPixel;
  }
  // The 24-bit fade: dense through the pair table, or dithered.
  void Fade24();
  // Whether Fade24 fades through the byte kernels and the dithered walk,
  // which TrailFade can do a part at a time.
  bool FadesInParts() const { return fadeLevel != -1 && byteFade && pairFade && bits && !tableFade; }
};

// The 24-bit trail fade of an image as Fade does it, a part at a time in
// memory order: dense, every byte scaled by the multiplier; or dithered, the
// walk that fades one pixel and skips 1..spacing, drawing its steps from
// random per chunk of 36,000 bytes. The walk's state carries over from
// one part to the next, so the parts together fade exactly the bytes one
// whole Fade does, with the same random draws.
class TrailFade final : public ImageFader {
 public:
  TrailFade(uint8_t* bits, uint32_t imageSize, int32_t multiplier, int32_t spacing, const uint8_t* byteTable,
            QuickRandom& random)
      : bits_(bits),
        imageSize_(imageSize),
        multiplier_(multiplier),
        spacing_(spacing),
        table_(byteTable),
        random_(random) {}

  // Fades what lies below end: a dithered triple only once all three of its
  // bytes do.
  void Through(uint32_t end) override { Advance(end, false); }
  // Fades the rest; the last dithered triple may reach two bytes past the
  // image, into the guard rows.
  void Finish() { Advance(imageSize_, true); }

 private:
  void Advance(uint32_t end, bool toTheEnd);

  uint8_t* bits_;
  uint32_t imageSize_;
  int32_t multiplier_;
  int32_t spacing_;
  const uint8_t* table_;
  QuickRandom& random_;
  uint32_t at_ = 0;
  uint32_t chunkEnd_ = 0;
  uint32_t turn_ = 0;       // bytes the walk advances over all 64 steps
  uint32_t checkedTo_ = 0;  // a black turn was looked for up to here
  int32_t index_ = 0;
  int32_t steps_[64] = {};
};

// The fade multiplier and spacing SetFade builds for a level.
struct FadeSetting {
  int32_t multiplier;
  int32_t spacing;
};
FadeSetting ComputeFade(int32_t level, int32_t dither);

inline constexpr int32_t kMaxTabledSum = 510;

// The factor each channel of a pixel is scaled by when the largest of its
// sums is m: 1 while m fits in a byte, 255.0 / m above. Sums of two 8-bit
// values reach at most 510, so those are tabled, computed once as the same
// doubles the division gives; a sum that fits is scaled by 1.0, which keeps
// it exactly, so the common case needs no branch.
struct SaturationScale {
  double value[kMaxTabledSum + 1];
  constexpr SaturationScale() : value() {
    for (int32_t m = 0; m <= kMaxTabledSum; ++m) value[m] = m <= 255 ? 1.0 : 255.0 / m;
  }
};
inline constexpr SaturationScale kSaturationScale;

// Adds blue, green and red onto a pixel's 8-bit channels, scaling all three
// down together when one leaves 0..255 so that the hue is kept: the largest
// becomes 255.
inline void SaturateAdd(int32_t& b, int32_t& g, int32_t& r) {
  int32_t m = b > g ? b : g;
  if (r > m) m = r;
  if ((b | g | r) >= 0 && m <= kMaxTabledSum) {
    const double s = kSaturationScale.value[m];
    b = static_cast<int32_t>(b * s);
    g = static_cast<int32_t>(g * s);
    r = static_cast<int32_t>(r * s);
    return;
  }
  if (m <= 0) {
    // Only a caller passing negative values gets here; black is the sound
    // answer where scaling by 255 / m would divide by zero or flip.
    b = g = r = 0;
    return;
  }
  const double s = 255.0 / m;
  b = b < 0 ? 0 : static_cast<int32_t>(b * s);
  g = g < 0 ? 0 : static_cast<int32_t>(g * s);
  r = r < 0 ? 0 : static_cast<int32_t>(r * s);
}

// The two memory kinds: the image is sized to the window's client area and
// shown in the window.
class MemorySurface : public DrawSurface {
 public:
  void Destroy() override;
  void Present(WindowTarget* target) override;

 protected:
  ResultCode CreateForWindow(WindowTarget* window, int32_t bitsPerPixel);
};

class MemorySurface24 : public MemorySurface {
 public:
  ResultCode Create(WindowTarget* window, DisplayInterface* display) override;
  void Fade() override { Fade24(); }
  void PresentAndFade(WindowTarget* target) override;
  void AddPixel(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) override {
    AddPixelInline(x, y, blue, green, red);
  }
  uint32_t GetPixel(int32_t x, int32_t y) override;

  void Prefetch(int32_t x, int32_t y, int32_t reach) const { PrefetchRows(x, y, reach, 3); }

  // The same as AddPixel, for callers that know the kind and want no call.
  void AddPixelInline(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) {
    if (Writable(x, y)) AddAt(PixelAt(x, y, 3), blue, green, red);
  }

  // For patterns drawn by address: whether every pixel within reach of
  // (x, y) is writable, the address of (x, y), and the addition itself. A row
  // further down the screen lies Stride() bytes lower in memory.
  bool WritableAround(int32_t x, int32_t y, int32_t reach) const {
    return x - reach >= 1 && x + reach < width && y - reach >= 1 && y + reach < height;
  }
  uint8_t* Address(int32_t x, int32_t y) const { return PixelAt(x, y, 3); }
  static void AddAt(uint8_t* p, int32_t blue, int32_t green, int32_t red) {
    int32_t b = blue + p[0], g = green + p[1], r = red + p[2];
    SaturateAdd(b, g, r);
    p[0] = static_cast<uint8_t>(b);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(r);
  }
};

class MemorySurface16 : public MemorySurface {
 public:
  ResultCode Create(WindowTarget* window, DisplayInterface* display) override;
  void Fade() override {}
  void AddPixel(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) override {
    AddPixelInline(x, y, blue, green, red);
  }
  uint32_t GetPixel(int32_t x, int32_t y) override;

  void Prefetch(int32_t x, int32_t y, int32_t reach) const { PrefetchRows(x, y, reach, 2); }

  void AddPixelInline(int32_t x, int32_t y, int32_t blue, int32_t green, int32_t red) {
    if (!Writable(x, y)) return;
    uint8_t* p = PixelAt(x, y, 2);
    int32_t v = p[0] | (p[1] << 8);
    int32_t b = blue + (v & 0x1F) * 8, g = green + ((v >> 2) & 0xF8), r = red + ((v >> 7) & 0xF8);
    SaturateAdd(b, g, r);
    int32_t packed = ((r & 0xF8) << 7) | ((g & 0xF8) << 2) | ((b >> 3) & 0x1F);
    p[0] = static_cast<uint8_t>(packed);
    p[1] = static_cast<uint8_t>(packed >> 8);
  }
};

}  // namespace brindlemar
