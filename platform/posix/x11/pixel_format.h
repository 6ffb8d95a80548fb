// The copy of a frame image into the pixel format of an X visual: the memory
// surfaces' bottom-up 24-bit blue, green, red or 16-bit bit-field images
// become top-down rows of 2, 3 or 4 bytes a pixel, each channel placed under
// the visual's mask and in the image's byte order.
//
// Plain memory in, plain memory out: no X header, so the conversion can be
// checked pixel by pixel without a display. ConvertFrameReference is the
// plain byte loop, kept as the measure that the fast converter
// (frame_converter.h) must equal byte for byte.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "surfaces/heap_frame_image.h"
#include "surfaces/window_target.h"

namespace brindlemar::x11 {

struct PixelLayout {
  uint32_t redMask = 0xFF0000u;
  uint32_t greenMask = 0x00FF00u;
  uint32_t blueMask = 0x0000FFu;
  // Set in every pixel: the alpha bits of a 32-bit visual, so that a
  // compositor shows the picture opaque.
  uint32_t fixedBits = 0;
  int32_t bytesPerPixel = 4;  // 2, 3 or 4
  bool msbFirst = false;      // the image's byte order
};

// Where an 8-bit channel value goes under a mask of any width.
struct ChannelPlace {
  int32_t shift = 0;
  int32_t bits = 0;

  explicit ChannelPlace(uint32_t mask)
      : shift(mask ? std::countr_zero(mask) : 0), bits(mask ? std::popcount(mask) : 0) {}

  uint32_t Place(uint32_t value8) const {
    if (bits == 0) return 0;
    const uint32_t v = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return v << shift;
  }

  // The 8-bit value of the channel in a pixel: the top bits repeated into the
  // low ones, so that a full channel reads 255.
  uint32_t Take(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t v = (pixel >> shift) & ((bits >= 32 ? 0u : 1u << bits) - 1u);
    if (bits >= 8) return v >> (bits - 8);
    uint32_t out = 0;
    for (int32_t filled = 0; filled < 8; filled += bits) out = (out << bits) | v;
    return (out >> (std::max(0, ((8 + bits - 1) / bits) * bits - 8))) & 0xFFu;
  }
};

// The part of a memory surface's image that a conversion copies: the width
// and height asked for, cut to the image's visible pixels.
struct FrameRows {
  FrameRows(const BitmapHeader& header, int32_t askedWidth, int32_t askedHeight)
      : visibleRows(header.height - 2),
        width(std::clamp(std::min(askedWidth, header.width), 0, std::max(header.width, 0))),
        height(std::clamp(std::min(askedHeight, visibleRows), 0, std::max(visibleRows, 0))),
        stride(RowStride(header.width, header.bitCount)) {}

  // The y-th visible row from the top; the guard rows lie above the first.
  const uint8_t* Row(const uint8_t* bits, int32_t y) const {
    return bits + static_cast<size_t>(visibleRows - 1 - y) * stride;
  }

  int32_t visibleRows;
  int32_t width;
  int32_t height;
  size_t stride;
};

// Copies the top width x height visible pixels of a memory surface's image
// (header as the surface made it; the two guard rows at its top are never
// shown) into out, top row first, outStride bytes a row. A width or height
// larger than the image's is cut to it; the caller's rows and columns beyond
// are left as they were. Depths other than 16 and 24 copy nothing.
inline void ConvertFrameReference(const uint8_t* bits, const BitmapHeader& header, int32_t width, int32_t height,
                         const PixelLayout& layout, uint8_t* out, size_t outStride) {
  if (!bits || !out || (header.bitCount != 24 && header.bitCount != 16)) return;
  const FrameRows rows(header, width, height);
  const int32_t w = rows.width, h = rows.height;
  const ChannelPlace red(layout.redMask), green(layout.greenMask), blue(layout.blueMask);
  const ChannelPlace fromRed(header.masks[0]), fromGreen(header.masks[1]), fromBlue(header.masks[2]);
  const int32_t n = layout.bytesPerPixel;
  // The common case, 24-bit frames onto 32-bit little-endian red-green-blue
  // pixels, as whole words.
  const bool plain32 = header.bitCount == 24 && n == 4 && !layout.msbFirst && layout.redMask == 0xFF0000u &&
                       layout.greenMask == 0x00FF00u && layout.blueMask == 0x0000FFu;

  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = rows.Row(bits, y);
    uint8_t* to = out + static_cast<size_t>(y) * outStride;
    if (plain32) {
      for (int32_t x = 0; x < w; ++x, row += 3, to += 4) {
        const uint32_t pixel = layout.fixedBits | (uint32_t{row[2]} << 16) | (uint32_t{row[1]} << 8) | row[0];
        to[0] = static_cast<uint8_t>(pixel);
        to[1] = static_cast<uint8_t>(pixel >> 8);
        to[2] = static_cast<uint8_t>(pixel >> 16);
        to[3] = static_cast<uint8_t>(pixel >> 24);
      }
      continue;
    }
    for (int32_t x = 0; x < w; ++x, to += n) {
      uint32_t r, g, b;
      if (header.bitCount == 24) {
        const uint8_t* p = row + static_cast<size_t>(x) * 3;
        b = p[0];
        g = p[1];
        r = p[2];
      } else {
        const uint8_t* p = row + static_cast<size_t>(x) * 2;
        const uint32_t v = p[0] | (uint32_t{p[1]} << 8);
        r = fromRed.Take(v);
        g = fromGreen.Take(v);
        b = fromBlue.Take(v);
      }
      const uint32_t pixel = layout.fixedBits | red.Place(r) | green.Place(g) | blue.Place(b);
      for (int32_t k = 0; k < n; ++k) {
        const int32_t byte = layout.msbFirst ? n - 1 - k : k;
        to[k] = static_cast<uint8_t>(pixel >> (8 * byte));
      }
    }
  }
}

}  // namespace brindlemar::x11
