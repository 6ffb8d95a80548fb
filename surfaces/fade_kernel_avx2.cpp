// Compiled with AVX2 enabled; called only where the processor has it.
#include "surfaces/fade_kernel.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace brindlemar {

void FadeBytesAvx2(uint8_t* bytes, uint32_t count, uint32_t multiplier) {
  const __m256i m = _mm256_set1_epi16(static_cast<int16_t>(multiplier));
  const __m256i zero = _mm256_setzero_si256();
  uint32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
    // Black stays black: not writing it keeps its memory clean.
    if (_mm256_testz_si256(v, v)) continue;
    // Unpack and pack both work within 128-bit lanes, so the order survives.
    __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), m), 8);
    __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), m), 8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes + i), _mm256_packus_epi16(lo, hi));
  }
  FadeBytesSse2(bytes + i, count - i, multiplier);
}

}  // namespace brindlemar
#endif
