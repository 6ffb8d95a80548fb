// The grain batch kernel for AVX2: eight grains per vector, one pattern pixel
// of all eight at a time. Compiled for AVX2 (not FMA); called only where the
// processor has it. Everything defined here has internal linkage and nothing
// inline from a header is called, so that no code built for AVX2 can be
// picked up by code that runs without it.
#include "engine/grain_plot_batch.h"

#include "engine/dot_patterns.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstddef>
#include <cstring>

namespace brindlemar {
namespace {

__m256i LoadLanes(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

// Whether two of the eight grains lie so close that their patterns, each
// with the byte written past its right end, could share a byte.
template <DotStyle kStyle>
bool AnyTwoNear(__m256i x, __m256i y) {
  constexpr PatternBounds b = BoundsOf(kDotPatterns[static_cast<int32_t>(kStyle)]);
  const __m256i apartX = _mm256_set1_epi32(b.right + 2 - b.left);
  const __m256i apartY = _mm256_set1_epi32(b.bottom + 1 - b.top);
  __m256i near = _mm256_setzero_si256();
  // Lane j against lanes j + 1 .. j + 4 (the permutation takes the index
  // modulo 8) meets every pair at least once.
  for (int32_t turn = 1; turn <= 4; ++turn) {
    const __m256i other = _mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(turn));
    const __m256i dx = _mm256_abs_epi32(_mm256_sub_epi32(x, _mm256_permutevar8x32_epi32(x, other)));
    const __m256i dy = _mm256_abs_epi32(_mm256_sub_epi32(y, _mm256_permutevar8x32_epi32(y, other)));
    near = _mm256_or_si256(near, _mm256_and_si256(_mm256_cmpgt_epi32(apartX, dx), _mm256_cmpgt_epi32(apartY, dy)));
  }
  return !_mm256_testz_si256(near, near);
}

// The lanes whose grain's pattern lies wholly on the writable area, columns
// and rows 1 .. size - 1.
template <DotStyle kStyle>
__m256i InsideLanes(const StampImage& image, __m256i x, __m256i y) {
  constexpr PatternBounds b = BoundsOf(kDotPatterns[static_cast<int32_t>(kStyle)]);
  const __m256i inX = _mm256_and_si256(_mm256_cmpgt_epi32(x, _mm256_set1_epi32(-b.left)),
                                       _mm256_cmpgt_epi32(_mm256_set1_epi32(image.width - b.right), x));
  const __m256i inY = _mm256_and_si256(_mm256_cmpgt_epi32(y, _mm256_set1_epi32(-b.top)),
                                       _mm256_cmpgt_epi32(_mm256_set1_epi32(image.height - b.bottom), y));
  return _mm256_and_si256(inX, inY);
}

// The kernel adds channel values within 0..255, which the drawn channels
// always are; anything else goes the one-by-one way.
bool ChannelsAreBytes(const GrainStamps& s, int32_t i) {
  const __m256i all = _mm256_or_si256(_mm256_or_si256(LoadLanes(s.c0 + i), LoadLanes(s.c1 + i)), LoadLanes(s.c2 + i));
  return _mm256_testz_si256(all, _mm256_set1_epi32(~0xFF));
}

// The table's scale for four largest sums. The masked form, with every lane
// on, spares the undefined source of the plain one.
[[gnu::always_inline]] inline __m256d ScaleOf(__m128i largest) {
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi32(-1));
  return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), kSaturationScale.value, largest, all, 8);
}

// trunc(v * scale) per lane, in double as the scalar code does it.
[[gnu::always_inline]] inline __m256i ScaleChannel(__m256i v, __m256d scaleLo, __m256d scaleHi) {
  const __m128i lo = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(v)), scaleLo));
  const __m128i hi = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1)), scaleHi));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// SaturateAdd on eight pixels held as 32-bit words (blue, green, red, and a
// byte of the next pixel that is kept). The sums lie within 0..510, so the
// scale always comes from the table; below 256 it is 1.0 and keeps the sum.
[[gnu::always_inline]] inline __m256i AddToPixels(__m256i pixels, __m256i blue, __m256i green, __m256i red) {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const __m256i b = _mm256_add_epi32(_mm256_and_si256(pixels, byte), blue);
  const __m256i g = _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(pixels, 8), byte), green);
  const __m256i r = _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(pixels, 16), byte), red);
  const __m256i m = _mm256_max_epi32(b, _mm256_max_epi32(g, r));
  const __m256d scaleLo = ScaleOf(_mm256_castsi256_si128(m));
  const __m256d scaleHi = ScaleOf(_mm256_extracti128_si256(m, 1));
  __m256i out = ScaleChannel(b, scaleLo, scaleHi);
  out = _mm256_or_si256(out, _mm256_slli_epi32(ScaleChannel(g, scaleLo, scaleHi), 8));
  out = _mm256_or_si256(out, _mm256_slli_epi32(ScaleChannel(r, scaleLo, scaleHi), 16));
  return _mm256_or_si256(out, _mm256_andnot_si256(_mm256_set1_epi32(0xFFFFFF), pixels));
}

// Draws the grains of a batch whose lanes are set in inside. All reads come
// before any write, so the batch needs no two grains to touch the same byte.
template <DotStyle kStyle>
void DrawBatch(const StampImage& image, const GrainStamps& s, int32_t i, __m256i x, __m256i y, __m256i inside) {
  constexpr const DotPattern& kPattern = kDotPatterns[static_cast<int32_t>(kStyle)];
  constexpr int32_t kPixels = kPattern.count;
  // Byte offsets of the grains from the image start; a row further down the
  // screen lies a stride lower in memory.
  const __m256i at = _mm256_add_epi32(
      _mm256_mullo_epi32(_mm256_sub_epi32(_mm256_set1_epi32(image.height - 1), y), _mm256_set1_epi32(image.stride)),
      _mm256_mullo_epi32(x, _mm256_set1_epi32(3)));
  int32_t step[kPixels];
#pragma GCC unroll 16
  for (int32_t q = 0; q < kPixels; ++q) step[q] = 3 * kPattern.pixels[q].dx - kPattern.pixels[q].dy * image.stride;

  __m256i before[kPixels];
  const int* base = reinterpret_cast<const int*>(image.bits);
#pragma GCC unroll 16
  for (int32_t q = 0; q < kPixels; ++q) {
    const __m256i where = _mm256_add_epi32(at, _mm256_set1_epi32(step[q]));
    before[q] = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), base, where, inside, 1);
  }

  const __m256i c0 = LoadLanes(s.c0 + i), c1 = LoadLanes(s.c1 + i), c2 = LoadLanes(s.c2 + i);
  alignas(32) int32_t after[kPixels][8];
#pragma GCC unroll 16
  for (int32_t q = 0; q < kPixels; ++q) {
    const int32_t k = kPattern.pixels[q].shift;
    const __m256i sum =
        AddToPixels(before[q], _mm256_srli_epi32(c0, k), _mm256_srli_epi32(c1, k), _mm256_srli_epi32(c2, k));
    _mm256_store_si256(reinterpret_cast<__m256i*>(after[q]), sum);
  }

  // Written grain by grain from memory rather than lane by lane from the
  // vectors: plain stores keep the shuffle port free for the conversions.
  alignas(32) int32_t offset[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(offset), at);
  const uint32_t lanes = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(inside)));
  for (int32_t j = 0; j < 8; ++j) {
    if (!(lanes >> j & 1)) continue;
    uint8_t* grain = image.bits + offset[j];
#pragma GCC unroll 16
    for (int32_t q = 0; q < kPixels; ++q) std::memcpy(grain + step[q], &after[q][j], 4);
  }
}

template <DotStyle kStyle>
void DrawStamps(const StampImage& image, MemorySurface24& surface, int32_t dotStyle, const GrainStamps& s) {
  int32_t i = 0;
  for (; i + 8 <= s.count; i += 8) {
    const __m256i x = LoadLanes(s.x + i), y = LoadLanes(s.y + i);
    if (AnyTwoNear<kStyle>(x, y) || !ChannelsAreBytes(s, i)) {
      PlotGrainStamps(surface, dotStyle, s, i, 0xFF);
      continue;
    }
    // No two of the eight patterns share a byte, so the order among them
    // does not matter: grains at the border go first, one by one.
    const __m256i inside = InsideLanes<kStyle>(image, x, y);
    const uint32_t lanes = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(inside)));
    if (lanes != 0xFF) PlotGrainStamps(surface, dotStyle, s, i, ~lanes & 0xFF);
    if (lanes != 0) DrawBatch<kStyle>(image, s, i, x, y, inside);
  }
  PlotGrainStamps(surface, dotStyle, s, i, (1u << (s.count - i)) - 1);
}

__m256 LoadFloats(const float* p) { return _mm256_loadu_ps(p); }

// float(v * k) with the product taken in double, as the scalar colour
// update writes it.
[[gnu::always_inline]] inline __m256 TimesInDouble(__m256 v, double k) {
  const __m256d factor = _mm256_set1_pd(k);
  const __m128 lo = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), factor));
  const __m128 hi = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), factor));
  return _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
}

// The horizontal feed and relaxation of roles A and C (FeedHorizontal).
[[gnu::always_inline]] inline void FeedHorizontal8(const GrainColorPass& p, __m256& a, __m256& c, __m256 vx) {
  const __m256 right = _mm256_cmp_ps(vx, _mm256_setzero_ps(), _CMP_GT_OQ);
  const __m256 fedA = _mm256_add_ps(a, _mm256_mul_ps(_mm256_set1_ps(p.gainA), vx));
  const __m256 fedC = _mm256_sub_ps(c, _mm256_mul_ps(_mm256_set1_ps(p.gainC), vx));
  a = _mm256_blendv_ps(a, fedA, right);
  c = _mm256_blendv_ps(fedC, c, right);
  a = _mm256_sub_ps(a, _mm256_mul_ps(a, _mm256_set1_ps(p.rateA)));
  c = _mm256_sub_ps(c, _mm256_mul_ps(c, _mm256_set1_ps(p.rateC)));
}

// UpdateGrainColor for grains i .. i + 7, each lane taking the branch its
// grain takes.
[[gnu::always_inline]] inline void UpdateColors8(const GrainColorPass& p, int32_t i, __m256 vx, __m256 vy) {
  __m256 a = LoadFloats(p.a + i), b = LoadFloats(p.b + i), c = LoadFloats(p.c + i);
  const __m256 zero = _mm256_setzero_ps();
  const __m256 gainVy = _mm256_mul_ps(_mm256_set1_ps(p.gainB), vy);
  if (p.risingGlow) {
    const __m256 still = _mm256_cmp_ps(vy, zero, _CMP_GE_OQ);
    const __m256 rising = _mm256_cmp_ps(vy, zero, _CMP_LT_OQ);
    __m256 fedA = a, fedC = c;
    FeedHorizontal8(p, fedA, fedC, vx);
    __m256 fedB = _mm256_sub_ps(b, gainVy);
    fedB = _mm256_add_ps(fedB, _mm256_mul_ps(fedB, _mm256_set1_ps(p.rateB)));
    // Neither branch for a NaN vy: the channels stay.
    a = _mm256_blendv_ps(_mm256_blendv_ps(a, fedA, rising), TimesInDouble(a, 0.951), still);
    c = _mm256_blendv_ps(_mm256_blendv_ps(c, fedC, rising), TimesInDouble(c, 0.9552), still);
    b = _mm256_blendv_ps(_mm256_blendv_ps(b, fedB, rising), TimesInDouble(b, 0.9472354), still);
  } else {
    FeedHorizontal8(p, a, c, vx);
    const __m256 down = _mm256_cmp_ps(vy, zero, _CMP_GT_OQ);
    const __m256 fedDown = _mm256_add_ps(b, _mm256_mul_ps(gainVy, _mm256_set1_ps(p.downFactor)));
    const __m256 fedUp = _mm256_sub_ps(b, _mm256_mul_ps(gainVy, _mm256_set1_ps(p.upFactor)));
    b = _mm256_blendv_ps(fedUp, fedDown, down);
    b = _mm256_sub_ps(b, _mm256_mul_ps(b, _mm256_set1_ps(p.rateB)));
  }
  _mm256_storeu_ps(p.a + i, a);
  _mm256_storeu_ps(p.b + i, b);
  _mm256_storeu_ps(p.c + i, c);
}

// DrawnChannel: truncated towards zero (values from 2^31 up count as the
// largest int32, NaN and values below -2^31 as 0 or less), then held to
// 0 .. colorMax.
[[gnu::always_inline]] inline __m256i Drawn8(__m256 v, int32_t colorMax) {
  const __m256 huge = _mm256_cmp_ps(v, _mm256_set1_ps(2147483648.0f), _CMP_GE_OQ);
  __m256i t = _mm256_cvttps_epi32(v);
  t = _mm256_blendv_epi8(t, _mm256_set1_epi32(INT32_MAX), _mm256_castps_si256(huge));
  return _mm256_max_epi32(_mm256_min_epi32(t, _mm256_set1_epi32(colorMax)), _mm256_setzero_si256());
}

// TruncCoord: truncated towards zero within +-2^29, else held there (NaN
// below).
[[gnu::always_inline]] inline __m256i Coord8(__m256 v) {
  const __m256 limit = _mm256_set1_ps(536870912.0f);
  const __m256 inside = _mm256_and_ps(_mm256_cmp_ps(v, _mm256_sub_ps(_mm256_setzero_ps(), limit), _CMP_GT_OQ),
                                      _mm256_cmp_ps(v, limit, _CMP_LT_OQ));
  const __m256 above = _mm256_cmp_ps(v, limit, _CMP_GE_OQ);
  const __m256i held = _mm256_blendv_epi8(_mm256_set1_epi32(-536870912), _mm256_set1_epi32(536870912),
                                          _mm256_castps_si256(above));
  return _mm256_blendv_epi8(held, _mm256_cvttps_epi32(v), _mm256_castps_si256(inside));
}

}  // namespace

int32_t ColorAndStampGrainsAvx2(const GrainColorPass& color, const StampImage& image, int32_t reach,
                                const float* posX, const float* posY, const float* velX, const float* velY,
                                int32_t begin, int32_t end, GrainStamps& stamps) {
  int32_t i = begin;
  for (; i + 8 <= end && stamps.count + 8 <= GrainStamps::kCapacity; i += 8) {
    UpdateColors8(color, i, LoadFloats(velX + i), LoadFloats(velY + i));
    const int32_t k = stamps.count;
    const __m256i x = Coord8(LoadFloats(posX + i)), y = Coord8(LoadFloats(posY + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(stamps.x + k), x);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(stamps.y + k), y);
    int32_t* drawn[3] = {stamps.c0 + k, stamps.c1 + k, stamps.c2 + k};
    for (int32_t ch = 0; ch < 3; ++ch) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(drawn[ch]), Drawn8(LoadFloats(color.channels[ch] + i), color.colorMax));
    }
    stamps.count = k + 8;
    // The grains' rows are asked for now; they are drawn when the record is.
    for (int32_t j = 0; j < 8; ++j) {
      const int32_t gx = stamps.x[k + j], gy = stamps.y[k + j];
      if (gx < 1 || gx >= image.width || gy < 1 || gy >= image.height) continue;
      const int32_t top = gy - reach < 1 ? 1 : gy - reach;
      const int32_t bottom = gy + reach >= image.height ? image.height - 1 : gy + reach;
      for (int32_t row = top; row <= bottom; ++row) {
        __builtin_prefetch(image.bits + static_cast<ptrdiff_t>(image.height - row - 1) * image.stride + gx * 3, 1);
      }
    }
  }
  return i;
}

void DrawGrainStampsAvx2(const StampImage& image, MemorySurface24& surface, int32_t dotStyle, DotStyle drawn,
                         const GrainStamps& stamps) {
  // Which pattern each stored style draws is the header's to say; the
  // switch only names each one for its own kernel.
  switch (drawn) {
    case DotStyle::kDots:
      DrawStamps<DotStyle::kDots>(image, surface, dotStyle, stamps);
      break;
    case DotStyle::kSparkles:
      DrawStamps<DotStyle::kSparkles>(image, surface, dotStyle, stamps);
      break;
    case DotStyle::kFuzzies:
      DrawStamps<DotStyle::kFuzzies>(image, surface, dotStyle, stamps);
      break;
    case DotStyle::kLargeDots:
      DrawStamps<DotStyle::kLargeDots>(image, surface, dotStyle, stamps);
      break;
    case DotStyle::kVerticalBars:
      DrawStamps<DotStyle::kVerticalBars>(image, surface, dotStyle, stamps);
      break;
  }
}

}  // namespace brindlemar

#else

namespace brindlemar {

int32_t ColorAndStampGrainsAvx2(const GrainColorPass&, const StampImage&, int32_t, const float*, const float*,
                                const float*, const float*, int32_t begin, int32_t, GrainStamps&) {
  return begin;
}

void DrawGrainStampsAvx2(const StampImage&, MemorySurface24& surface, int32_t dotStyle, DotStyle,
                         const GrainStamps& stamps) {
  for (int32_t i = 0; i < stamps.count; i += 8) {
    const int32_t left = stamps.count - i;
    PlotGrainStamps(surface, dotStyle, stamps, i, left >= 8 ? 0xFF : (1u << left) - 1);
  }
}

}  // namespace brindlemar

#endif
