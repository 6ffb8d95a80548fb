// The conversion of frame images into an X visual's pixels as the saver does
// it every frame: the same bytes as ConvertFrameReference, with the work that
// depends only on the pixel layout done once, when the layout changes.
//
// 24-bit frames onto 32- or 24-bit pixels whose channels are whole bytes
// (the TrueColor visuals of 24 and 32 bits in use, either byte order) are
// byte shuffles: eight pixels a step with AVX2, four or five with SSSE3,
// chosen at run time. Every other layout, 16-bit frames and rows of fewer
// than four pixels go through tables of finished pixels, one lookup a
// channel (24-bit) or a pixel (16-bit). Off x86 the tables serve everything.
//
// A converter remembers which groups of its output hold black: with AVX2,
// black pixels whose output already shows black are read but not written
// again. The output must then be written by nobody else between two
// conversions, unless the caller says so (Forget).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/posix/x11/changed_bands.h"
#include "platform/posix/x11/pixel_format.h"
#include "surfaces/fading_rows.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BRINDLEMAR_X11_SHUFFLES 1
#endif

namespace brindlemar::x11 {

// The row kernels, slowest first; a converter uses the fastest one the
// layout and the processor allow, never one above its limit.
enum class ConvertPath : int32_t { kTables, kSsse3, kAvx2 };

namespace convert_detail {

// Where the bytes of one output pixel come from, in memory order: source
// byte 0 (blue), 1 (green) or 2 (red) of a 24-bit pixel, or kNoByte; and the
// fixed bits, already in memory order.
inline constexpr uint8_t kNoByte = 0x80;

struct ByteShuffle {
  int32_t bytes = 0;  // 3 or 4; 0 when the layout is no shuffle
  uint8_t from[4] = {kNoByte, kNoByte, kNoByte, kNoByte};
  uint8_t fixed[4] = {0, 0, 0, 0};
};

// The byte shuffle that gives layout's pixels from 24-bit blue, green, red
// pixels, where there is one: every channel a whole byte of the pixel.
inline ByteShuffle ShuffleFor(const PixelLayout& layout) {
  ByteShuffle s;
  const int32_t n = layout.bytesPerPixel;
  if (n != 3 && n != 4) return s;
  const uint32_t masks[3] = {layout.blueMask, layout.greenMask, layout.redMask};
  for (int32_t k = 0; k < n; ++k) {
    const int32_t pixelByte = layout.msbFirst ? n - 1 - k : k;
    s.fixed[k] = static_cast<uint8_t>(layout.fixedBits >> (8 * pixelByte));
    for (int32_t c = 0; c < 3; ++c) {
      if (masks[c] == 0xFFu << (8 * pixelByte)) s.from[k] = static_cast<uint8_t>(c);
    }
  }
  for (int32_t c = 0; c < 3; ++c) {
    bool whole = masks[c] == 0;
    for (int32_t byte = 0; byte < 4; ++byte) whole = whole || masks[c] == 0xFFu << (8 * byte);
    // Two channels under one mask add up in the reference; no shuffle does.
    if (!whole || (masks[c] != 0 && masks[c] == masks[(c + 1) % 3])) return s;
  }
  s.bytes = n;
  return s;
}

// A pixel value as it lies in memory, read as a little-endian word: the
// first byte of the pixel in the lowest bits.
inline uint32_t StoredValue(uint32_t pixel, const PixelLayout& layout) {
  if (!layout.msbFirst) return pixel;
  return __builtin_bswap32(pixel) >> (8 * (4 - layout.bytesPerPixel));
}

#if BRINDLEMAR_X11_SHUFFLES

// The shuffle and the fixed bytes of 32-bit pixels taken in groups of four,
// each group from twelve source bytes of its own.
inline void Pattern32(const ByteShuffle& s, int32_t pixels, uint8_t* pattern, uint8_t* fixed) {
  for (int32_t p = 0; p < pixels; ++p) {
    for (int32_t k = 0; k < 4; ++k) {
      pattern[p * 4 + k] = s.from[k] == kNoByte ? kNoByte : static_cast<uint8_t>(p % 4 * 3 + s.from[k]);
      fixed[p * 4 + k] = s.fixed[k];
    }
  }
}

// Four 32-bit pixels from twelve source bytes a step, all of a run of four or
// more: the last step ends on the run's end and writes some pixels again,
// with the same bytes. The source is read up to four bytes past the run,
// which a frame image's next row or guard rows always hold. Returns the
// pixels done.
__attribute__((target("ssse3"))) inline void Shuffle32Step(const uint8_t* from, uint8_t* to, int32_t x,
                                                            __m128i shuffle, __m128i bits) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * static_cast<size_t>(x)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * static_cast<size_t>(x)),
                   _mm_or_si128(_mm_shuffle_epi8(v, shuffle), bits));
}

__attribute__((target("ssse3"))) inline int32_t Shuffle32Ssse3(const uint8_t* from, uint8_t* to, int32_t count,
                                                               const ByteShuffle& s) {
  if (count < 4) return 0;
  alignas(16) uint8_t pattern[16], fixed[16];
  Pattern32(s, 4, pattern, fixed);
  const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern));
  const __m128i bits = _mm_load_si128(reinterpret_cast<const __m128i*>(fixed));
  int32_t x = 0;
  for (; x + 4 <= count; x += 4) Shuffle32Step(from, to, x, shuffle, bits);
  if (x < count) Shuffle32Step(from, to, count - 4, shuffle, bits);
  return count;
}

// Five 24-bit pixels a step; each store writes one byte of the next pixel,
// which the next step or the tail then writes properly.
__attribute__((target("ssse3"))) inline int32_t Shuffle24Ssse3(const uint8_t* from, uint8_t* to, int32_t count,
                                                               const ByteShuffle& s) {
  alignas(16) uint8_t pattern[16], fixed[16];
  for (int32_t i = 0; i < 16; ++i) {
    const int32_t p = i / 3, k = i % 3;
    pattern[i] = p == 5 || s.from[k] == kNoByte ? kNoByte : static_cast<uint8_t>(p * 3 + s.from[k]);
    fixed[i] = p == 5 ? 0 : s.fixed[k];
  }
  const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern));
  const __m128i bits = _mm_load_si128(reinterpret_cast<const __m128i*>(fixed));
  int32_t x = 0;
  for (; x + 6 <= count; x += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 3 * x), _mm_or_si128(_mm_shuffle_epi8(v, shuffle), bits));
  }
  return x;
}

// Eight 32-bit pixels a step from 24 source bytes: a lane permutation puts
// each group of twelve bytes in a 128-bit lane, a shuffle spreads them. The
// source is read up to eight bytes past the run, which a frame image's next
// row or guard rows always hold; the rest goes four at a time. black holds a
// flag for each group of eight pixels: the group's output holds black. A
// black group whose output does is not written again; the flags of the row's
// band of ChangedTiles tell which tiles were written.
__attribute__((target("avx2"))) inline int32_t Shuffle32Avx2(const uint8_t* from, uint8_t* to, int32_t count,
                                                             const ByteShuffle& s, uint8_t* black,
                                                             uint8_t* writtenTiles) {
  alignas(32) uint8_t pattern[32], fixed[32];
  Pattern32(s, 8, pattern, fixed);
  const __m256i shuffle = _mm256_load_si256(reinterpret_cast<const __m256i*>(pattern));
  const __m256i bits = _mm256_load_si256(reinterpret_cast<const __m256i*>(fixed));
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6);
  const __m256i taken = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
  int32_t x = 0;
  for (int32_t group = 0; x + 8 <= count; x += 8, ++group) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 3 * x));
    const uint8_t isBlack = _mm256_testz_si256(v, taken) ? 1 : 0;
    if (isBlack & black[group]) continue;
    black[group] = isBlack;
    writtenTiles[x / ChangedTiles::kTilePixels] = 1;
    const __m256i spread = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(v, lanes), shuffle);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 4 * x), _mm256_or_si256(spread, bits));
  }
  // The pixels past the last whole group are written every time, the last
  // four of the run at least.
  if (x < count) {
    black[x / 8] = 0;
    const int32_t tail = count >= 4 ? std::min(x, count - 4) : x;
    for (int32_t t = tail / ChangedTiles::kTilePixels; t * ChangedTiles::kTilePixels < count; ++t) {
      writtenTiles[t] = 1;
    }
  }
  if (count - x >= 4) return x + Shuffle32Ssse3(from + 3 * x, to + 4 * x, count - x, s);
  if (x == count || count < 4) return x;
  // Fewer than four left: the last four of the run once more.
  return count - 4 + Shuffle32Ssse3(from + 3 * (count - 4), to + 4 * (count - 4), 4, s);
}

inline bool ProcessorHas(ConvertPath path) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return path == ConvertPath::kTables || (path == ConvertPath::kSsse3 && ssse3) ||
         (path == ConvertPath::kAvx2 && avx2);
}

#else

inline bool ProcessorHas(ConvertPath path) { return path == ConvertPath::kTables; }

#endif

}  // namespace convert_detail

class FrameConverter {
 public:
  // Converts as ConvertFrameReference does, into the same bytes. May read
  // up to eight bytes past a row's last pixel, which a frame image's next
  // row or guard rows hold.
  void Convert(const uint8_t* bits, const BitmapHeader& header, int32_t width, int32_t height,
               const PixelLayout& layout, uint8_t* out, size_t outStride) {
    if (!bits || !out || (header.bitCount != 24 && header.bitCount != 16)) return;
    Prepare(header, layout);
    const FrameRows rows(header, width, height);
    Track(out, outStride, rows);
    ClearWritten(rows);
    for (int32_t y = 0; y < rows.height; ++y) {
      ConvertRow(rows.Row(bits, y), out + static_cast<size_t>(y) * outStride, rows.width, y);
    }
  }

  // The same, with the frame image faded for the next frame by fader, each
  // band of rows right after it is converted (ShowRowsFading); the rest of
  // the image is left for the caller to finish.
  void ConvertFading(const uint8_t* bits, const BitmapHeader& header, int32_t width, int32_t height,
                     const PixelLayout& layout, uint8_t* out, size_t outStride, ImageFader& fader) {
    if (!bits || !out || (header.bitCount != 24 && header.bitCount != 16)) return;
    Prepare(header, layout);
    const FrameRows rows(header, width, height);
    Track(out, outStride, rows);
    ClearWritten(rows);
    ShowRowsFading(header, rows.height, fader, [&](int32_t y) {
      ConvertRow(rows.Row(bits, y), out + static_cast<size_t>(y) * outStride, rows.width, y);
    });
  }

  // The tiles of the output the last conversion wrote; the rest holds what
  // it held before.
  const ChangedTiles& Written() const { return written_; }

  // Forgets what the output holds: for a caller whose output memory was
  // made anew or written by others since the last conversion.
  void Forget() { black_.clear(); }

  // Uses no kernel above path, for tests and measurements that compare the
  // kernels; the default is the fastest.
  void LimitPath(ConvertPath path) {
    limit_ = path;
    prepared_ = false;
  }

  // The kernel the last conversion used.
  ConvertPath Path() const { return path_; }

 private:
  void Prepare(const BitmapHeader& header, const PixelLayout& layout) {
    if (prepared_ && header.bitCount == bitCount_ && header.masks[0] == from_[0] && header.masks[1] == from_[1] &&
        header.masks[2] == from_[2] && layout.redMask == layout_.redMask && layout.greenMask == layout_.greenMask &&
        layout.blueMask == layout_.blueMask && layout.fixedBits == layout_.fixedBits &&
        layout.bytesPerPixel == layout_.bytesPerPixel && layout.msbFirst == layout_.msbFirst) {
      return;
    }
    prepared_ = true;
    bitCount_ = header.bitCount;
    for (int32_t c = 0; c < 3; ++c) from_[c] = header.masks[c];
    layout_ = layout;
    bytes_ = layout.bytesPerPixel;
    const ChannelPlace red(layout.redMask), green(layout.greenMask), blue(layout.blueMask);
    const uint32_t fixed = convert_detail::StoredValue(layout.fixedBits, layout);
    if (bitCount_ == 24) {
      channels_.resize(3 * 256);
      for (uint32_t v = 0; v < 256; ++v) {
        channels_[v] = convert_detail::StoredValue(blue.Place(v), layout) | fixed;
        channels_[256 + v] = convert_detail::StoredValue(green.Place(v), layout);
        channels_[512 + v] = convert_detail::StoredValue(red.Place(v), layout);
      }
      pixels_.clear();
    } else {
      const ChannelPlace fromRed(from_[0]), fromGreen(from_[1]), fromBlue(from_[2]);
      pixels_.resize(65536);
      for (uint32_t v = 0; v < 65536; ++v) {
        const uint32_t pixel = red.Place(fromRed.Take(v)) | green.Place(fromGreen.Take(v)) |
                               blue.Place(fromBlue.Take(v));
        pixels_[v] = convert_detail::StoredValue(pixel, layout) | fixed;
      }
      channels_.clear();
    }
    shuffle_ = bitCount_ == 24 ? convert_detail::ShuffleFor(layout) : convert_detail::ByteShuffle{};
    copyRows_ = shuffle_.bytes == 3 && shuffle_.from[0] == 0 && shuffle_.from[1] == 1 && shuffle_.from[2] == 2 &&
                shuffle_.fixed[0] == 0 && shuffle_.fixed[1] == 0 && shuffle_.fixed[2] == 0;
    path_ = ConvertPath::kTables;
    for (ConvertPath p : {ConvertPath::kSsse3, ConvertPath::kAvx2}) {
      if (shuffle_.bytes != 0 && p <= limit_ && convert_detail::ProcessorHas(p)) path_ = p;
    }
    Forget();
  }

  // Where the output's black groups are known: the same memory, rows and
  // layout as last time, or nothing is known.
  void Track(const uint8_t* out, size_t outStride, const FrameRows& rows) {
    if (out == out_ && outStride == outStride_ && rows.width == shownWidth_ && rows.height == shownHeight_ &&
        !black_.empty()) {
      return;
    }
    out_ = out;
    outStride_ = outStride;
    shownWidth_ = rows.width;
    shownHeight_ = rows.height;
    groupsPerRow_ = rows.width / kGroupPixels + 1;
    black_.assign(static_cast<size_t>(groupsPerRow_) * static_cast<size_t>(std::max(rows.height, 0)), 0);
  }

  // Starts the record of what this conversion writes.
  void ClearWritten(const FrameRows& rows) { written_.Reset(rows.width, rows.height); }

  // Row y. Most of a saver's picture is black and stays black from frame to
  // frame: where the kernel can tell (AVX2 onto 32-bit pixels), groups of
  // eight black pixels whose output already holds black are read but not
  // written again.
  void ConvertRow(const uint8_t* from, uint8_t* to, int32_t count, int32_t y) {
#if BRINDLEMAR_X11_SHUFFLES
    if (path_ == ConvertPath::kAvx2 && bytes_ == 4) {
      uint8_t* black = black_.data() + static_cast<size_t>(y) * static_cast<size_t>(groupsPerRow_);
      const int32_t x = convert_detail::Shuffle32Avx2(from, to, count, shuffle_, black, written_.BandOf(y));
      TableRow<4>(from, to, x, count);
      return;
    }
#endif
    ConvertRun(from, to, count);
    written_.Mark(y, 0, count);
  }

  // count pixels from the start of a run.
  void ConvertRun(const uint8_t* from, uint8_t* to, int32_t count) const {
    if (count <= 0) return;
    int32_t x = 0;
    if (copyRows_) {
      std::memcpy(to, from, static_cast<size_t>(count) * 3);
      return;
    }
#if BRINDLEMAR_X11_SHUFFLES
    if (path_ != ConvertPath::kTables && bytes_ == 4) {
      x = convert_detail::Shuffle32Ssse3(from, to, count, shuffle_);
    } else if (path_ != ConvertPath::kTables && bytes_ == 3) {
      x = convert_detail::Shuffle24Ssse3(from, to, count, shuffle_);
    }
#endif
    switch (bytes_) {
      case 4:
        TableRow<4>(from, to, x, count);
        break;
      case 3:
        TableRow<3>(from, to, x, count);
        break;
      default:
        TableRow<2>(from, to, x, count);
        break;
    }
  }

  // Pixels x..count-1 of a run through the tables, n bytes each.
  template <size_t n>
  void TableRow(const uint8_t* from, uint8_t* to, int32_t x, int32_t count) const {
    if (bitCount_ == 24) {
      const uint32_t* t = channels_.data();
      for (; x < count; ++x) {
        const uint8_t* p = from + 3 * static_cast<size_t>(x);
        Store<n>(t[p[0]] | t[256 + p[1]] | t[512 + p[2]], to + n * static_cast<size_t>(x));
      }
    } else {
      const uint32_t* t = pixels_.data();
      for (; x < count; ++x) {
        const uint8_t* p = from + 2 * static_cast<size_t>(x);
        Store<n>(t[p[0] | (uint32_t{p[1]} << 8)], to + n * static_cast<size_t>(x));
      }
    }
  }

  // The first n bytes of a stored value, lowest first.
  template <size_t n>
  static void Store(uint32_t value, uint8_t* to) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(to, &value, n);
    } else {
      for (size_t k = 0; k < n; ++k) to[k] = static_cast<uint8_t>(value >> (8 * k));
    }
  }

  // The pixels of a group that is left alone where black stays black.
  static constexpr int32_t kGroupPixels = 8;

  ConvertPath limit_ = ConvertPath::kAvx2;
  bool prepared_ = false;
  int16_t bitCount_ = 0;
  uint32_t from_[3] = {0, 0, 0};
  PixelLayout layout_;
  int32_t bytes_ = 4;
  convert_detail::ByteShuffle shuffle_;
  bool copyRows_ = false;
  ConvertPath path_ = ConvertPath::kTables;
  // 24-bit frames: the stored value of each blue, green and red byte (the
  // fixed bits in with blue). 16-bit frames: the stored value of each pixel.
  std::vector<uint32_t> channels_;
  std::vector<uint32_t> pixels_;
  // The output the last conversion wrote, and for each group of its pixels
  // whether it holds the conversion of black ones.
  const uint8_t* out_ = nullptr;
  size_t outStride_ = 0;
  int32_t shownWidth_ = 0;
  int32_t shownHeight_ = 0;
  int32_t groupsPerRow_ = 0;
  std::vector<uint8_t> black_;
  ChangedTiles written_;
};

}  // namespace brindlemar::x11
