#include "surfaces/fade_kernel.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define BRINDLEMAR_X86 1
#endif

namespace brindlemar {

void FadeBytesPlain(uint8_t* bytes, uint32_t count, uint32_t multiplier) {
  for (uint32_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((bytes[i] * multiplier) >> 8);
}

#if BRINDLEMAR_X86

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

void FadeBytesSse2(uint8_t* bytes, uint32_t count, uint32_t multiplier) {
  // Each product fits in 16 bits (255 * 255), so the low half is exact.
  const __m128i m = _mm_set1_epi16(static_cast<int16_t>(multiplier));
  const __m128i zero = _mm_setzero_si128();
  uint32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    // Black stays black: not writing it keeps its memory clean.
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) == 0xFFFF) continue;
    __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), m), 8);
    __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), m), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_packus_epi16(lo, hi));
  }
  FadeBytesPlain(bytes + i, count - i, multiplier);
}

void FadeBytes(uint8_t* bytes, uint32_t count, uint32_t multiplier) {
  if (HasAvx2()) {
    FadeBytesAvx2(bytes, count, multiplier);
  } else {
    FadeBytesSse2(bytes, count, multiplier);
  }
}

#else

bool HasAvx2() { return false; }
void FadeBytesSse2(uint8_t* bytes, uint32_t count, uint32_t multiplier) { FadeBytesPlain(bytes, count, multiplier); }
void FadeBytesAvx2(uint8_t* bytes, uint32_t count, uint32_t multiplier) { FadeBytesPlain(bytes, count, multiplier); }
void FadeBytes(uint8_t* bytes, uint32_t count, uint32_t multiplier) { FadeBytesPlain(bytes, count, multiplier); }

#endif

}  // namespace brindlemar
