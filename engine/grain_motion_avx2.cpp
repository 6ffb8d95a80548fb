// The grain motion kernel for AVX2: eight grains per vector, sixteen per step.
// Compiled for AVX2 (not FMA); called only where the processor has it.
#include "engine/grain_motion_vector.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "engine/grain_motion_simd.h"

namespace brindlemar {
namespace {

struct Avx2 {
  using F = __m256;
  static constexpr int32_t kWidth = 8;
  static F Load(const float* p) { return _mm256_loadu_ps(p); }
  static void Store(float* p, F v) { _mm256_storeu_ps(p, v); }
  static F Set1(float v) { return _mm256_set1_ps(v); }
  static F Add(F a, F b) { return _mm256_add_ps(a, b); }
  static F Sub(F a, F b) { return _mm256_sub_ps(a, b); }
  static F Mul(F a, F b) { return _mm256_mul_ps(a, b); }
  static F Div(F a, F b) { return _mm256_div_ps(a, b); }
  static F Abs(F a) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a); }
  static F LessEq(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LE_OQ); }
  static F ZeroWhere(F mask, F v) { return _mm256_andnot_ps(mask, v); }
  // v + sign / (t + 0.5), in double, rounded once to float.
  static F AddPush(F v, F t, int sign) {
    const __m256d half = _mm256_set1_pd(0.5), unit = _mm256_set1_pd(sign);
    __m256d tLo = _mm256_cvtps_pd(_mm256_castps256_ps128(t));
    __m256d tHi = _mm256_cvtps_pd(_mm256_extractf128_ps(t, 1));
    __m256d vLo = _mm256_cvtps_pd(_mm256_castps256_ps128(v));
    __m256d vHi = _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1));
    __m256d pLo = _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_add_pd(tLo, half));
    __m256d pHi = _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_add_pd(tHi, half));
    __m128 lo = _mm256_cvtpd_ps(_mm256_add_pd(vLo, _mm256_mul_pd(pLo, unit)));
    __m128 hi = _mm256_cvtpd_ps(_mm256_add_pd(vHi, _mm256_mul_pd(pHi, unit)));
    return _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
  }
};

}  // namespace

int32_t MoveGrainGroupsAvx2(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end) {
  return MoveGroups<Avx2>(m, g, begin, end);
}

}  // namespace brindlemar
#endif
