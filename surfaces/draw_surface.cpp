#include "surfaces/draw_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "surfaces/fade_kernel.h"
#include "surfaces/heap_frame_image.h"

namespace brindlemar {

FadeSetting ComputeFade(int32_t level, int32_t dither) {
  double v = 77.5 * std::log10(static_cast<double>(level)) + 100.0;
  FadeSetting f;
  double t;
  if (dither) {
    t = std::trunc(v);
    f.spacing = level * level / 620 + 2;
  } else {
    t = std::trunc(255.0 - (255.0 - v) * 0.5);
    f.spacing = 1;
  }
  // Level 0 takes the logarithm to minus infinity; the multiplier is then 0.
  double m = 256.0 * std::pow(t * 0.00390625, 1.7);
  f.multiplier = std::isfinite(m) && m > 0.0 ? static_cast<int32_t>(m) : 0;
  return f;
}

void DrawSurface::SetFade(int32_t level, int32_t dither) {
  if (level == -1) {
    fadeLevel = -1;
    return;
  }
  FadeSetting f = ComputeFade(level, dither);
  fadeSpacing = f.spacing;
  if (f.multiplier == fadeLevel) return;
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[256]);
  std::unique_ptr<uint16_t[]> pairs(new (std::nothrow) uint16_t[65536]);
  if (!bytes || !pairs) return;  // Fade then does nothing: no trails rather than no saver.
  uint32_t m = static_cast<uint32_t>(f.multiplier);
  for (uint32_t i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>((i * m) >> 8);
  for (uint32_t u = 0; u < 65536; ++u) {
    pairs[u] = static_cast<uint16_t>((bytes[u >> 8] << 8) | bytes[u & 0xFF]);
  }
  byteFade = std::move(bytes);
  pairFade = std::move(pairs);
  fadeLevel = f.multiplier;
}

void DrawSurface::Clear() {
  if (!bits) return;
  // Most of a saver's picture is black already: blocks of it are read and
  // only those with light in them written, which leaves the rest of the
  // memory clean.
  constexpr uint32_t kBlock = 256;
  uint32_t at = 0;
  for (; at + kBlock <= imageSize; at += kBlock) {
    if (!IsBlack(bits + at, kBlock)) std::memset(bits + at, 0, kBlock);
  }
  std::memset(bits + at, 0, imageSize - at);
}

Canvas* DrawSurface::GetDrawingDC() { return image ? image->GetCanvas() : nullptr; }

void DrawSurface::ReleaseDrawingDC(Canvas*) {}

void DrawSurface::ResetFields() {
  fadeLevel = -1;
  fadeSpacing = 0;
  byteFade.reset();
  pairFade.reset();
  stride = 0;
  height = 0;
  width = 0;
  imageSize = 0;
  bits = nullptr;
  header.reset();
  image.reset();
}

ResultCode DrawSurface::TakeImage(WindowTarget* window, int32_t frameWidth, int32_t frameHeight,
                                  int32_t bitsPerPixel) {
  width = frameWidth;
  height = frameHeight;
  stride = RowStride(width, bitsPerPixel);
  imageSize = stride * static_cast<uint32_t>(height);
  header.reset(new (std::nothrow) BitmapHeader);
  if (!header) return kOutOfMemory;
  header->width = width;
  header->height = height + 2;
  header->bitCount = static_cast<int16_t>(bitsPerPixel);
  if (bitsPerPixel == 16) {
    header->compression = 3;
    header->masks[0] = 0x7C00;
    header->masks[1] = 0x03E0;
    header->masks[2] = 0x001F;
  }
  image = window->CreateFrameImage(*header);
  if (!image) return kFail;
  bits = image->Bits();
  return kOk;
}

void DrawSurface::Fade24() {
  if (fadeLevel == -1 || !byteFade || !pairFade || !bits) return;
  if (fadeSpacing <= 1 && tableFade) {
    // The image size is a multiple of 4, so every step covers two whole pairs.
    const uint16_t* table = pairFade.get();
    for (uint32_t at = 0; at + 4 <= imageSize; at += 4) {
      uint16_t lo, hi;
      std::memcpy(&lo, bits + at, 2);
      std::memcpy(&hi, bits + at + 2, 2);
      lo = table[lo];
      hi = table[hi];
      std::memcpy(bits + at, &lo, 2);
      std::memcpy(bits + at + 2, &hi, 2);
    }
    return;
  }
  // Dense, the tables are byte-separable: scaling each byte directly gives
  // the pair table's bytes, at memory speed.
  TrailFade fade(bits, imageSize, fadeLevel, fadeSpacing, byteFade.get(), *fadeRandom);
  fade.Finish();
}

void DrawSurface::PresentAndFade(WindowTarget* target) {
  Present(target);
  Fade();
}

void TrailFade::Advance(uint32_t end, bool toTheEnd) {
  if (spacing_ <= 1) {
    end = std::min(end, imageSize_);
    if (end > at_) {
      FadeBytes(bits_ + at_, end - at_, static_cast<uint32_t>(multiplier_));
      at_ = end;
    }
    return;
  }
  // Dithered: fade one pixel, skip 1..spacing pixels at random. Kept in
  // locals: every byte written might otherwise alias the walk's state.
  uint32_t at = at_, chunkEnd = chunkEnd_, turn = turn_, checkedTo = checkedTo_;
  int32_t index = index_;
  int32_t steps[64];
  std::memcpy(steps, steps_, sizeof steps);
  const uint8_t* table = table_;
  for (;;) {
    if (at >= chunkEnd) {
      if (at >= imageSize_) break;
      chunkEnd = at + 36000 < imageSize_ ? at + 36000 : imageSize_;
      turn = 0;
      for (int32_t& step : steps) {
        step = (random_.Next() % spacing_ + 1) * 3;
        turn += 3 + static_cast<uint32_t>(step);
      }
      index = random_.Next() % 64;
    }
    // Part by part, a triple is faded only once all three bytes lie below end.
    uint32_t stop = chunkEnd;
    if (!toTheEnd) stop = std::min(stop, end >= 2 ? end - 2 : 0u);
    while (at < stop) {
      if (at >= checkedTo && at + turn <= stop) {
        // Over a whole turn of the 64 steps of black the walk changes
        // nothing and lands turn bytes on, at the same step: taken in one
        // go, without writing. A turn with light in it is not looked at
        // again until the walk has passed it.
        if (IsBlack(bits_ + at, turn)) {
          at += turn;
          index += 64;
          continue;
        }
        checkedTo = at + turn;
      }
      // The turn's triples, faded without a test: black fades to black
      // (the table's entry 0 is 0), and a branch on the pixels here would
      // be mispredicted wherever light and black mix.
      for (int32_t n = 0; n < 64 && at < stop; ++n) {
        uint8_t* p = bits_ + at;
        p[0] = table[p[0]];
        p[1] = table[p[1]];
        p[2] = table[p[2]];
        at += 3 + static_cast<uint32_t>(steps[index % 64]);
        ++index;
      }
    }
    if (at < chunkEnd) break;
  }
  at_ = at;
  chunkEnd_ = chunkEnd;
  turn_ = turn;
  checkedTo_ = checkedTo;
  index_ = index;
  std::memcpy(steps_, steps, sizeof steps);
}

void MemorySurface::Destroy() { ResetFields(); }

void MemorySurface::Present(WindowTarget* target) {
  if (target && image) target->Show(*image, *header, width, height);
}

ResultCode MemorySurface::CreateForWindow(WindowTarget* window, int32_t bitsPerPixel) {
  if (header) return kUnexpected;
  if (!window) return kInvalidArg;
  int32_t w = 0, h = 0;
  ResultCode code = window->GetClientSize(w, h);
  if (code == kOk) code = TakeImage(window, w, h, bitsPerPixel);
  if (code != kOk) Destroy();
  return code;
}

ResultCode MemorySurface24::Create(WindowTarget* window, DisplayInterface*) { return CreateForWindow(window, 24); }

void MemorySurface24::PresentAndFade(WindowTarget* target) {
  if (target && image && header && FadesInParts()) {
    TrailFade fade(bits, imageSize, fadeLevel, fadeSpacing, byteFade.get(), *fadeRandom);
    if (target->ShowAndFade(*image, *header, width, height, fade)) {
      fade.Finish();
      return;
    }
  }
  Present(target);
  Fade();
}

uint32_t MemorySurface24::GetPixel(int32_t x, int32_t y) {
  if (!Writable(x, y)) return 0;
  const uint8_t* p = PixelAt(x, y, 3);
  return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

ResultCode MemorySurface16::Create(WindowTarget* window, DisplayInterface*) { return CreateForWindow(window, 16); }

uint32_t MemorySurface16::GetPixel(int32_t x, int32_t y) {
  if (!Writable(x, y)) return 0;
  const uint8_t* p = PixelAt(x, y, 2);
  uint32_t v = p[0] | (p[1] << 8);
  return (((v & 0x7C00) >> 7) << 16) | (((v & 0x03E0) >> 2) << 8) | ((v & 0x1F) << 3);
}

}  // namespace brindlemar
