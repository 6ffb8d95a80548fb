#include "engine/grain_motion_vector.h"

#include "surfaces/fade_kernel.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include "engine/grain_motion_simd.h"

namespace brindlemar {
namespace {

struct Sse2 {
  using F = __m128;
  static constexpr int32_t kWidth = 4;
  static F Load(const float* p) { return _mm_loadu_ps(p); }
  static void Store(float* p, F v) { _mm_storeu_ps(p, v); }
  static F Set1(float v) { return _mm_set1_ps(v); }
  static F Add(F a, F b) { return _mm_add_ps(a, b); }
  static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
  static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
  static F Div(F a, F b) { return _mm_div_ps(a, b); }
  static F Abs(F a) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), a); }
  static F LessEq(F a, F b) { return _mm_cmple_ps(a, b); }
  static F ZeroWhere(F mask, F v) { return _mm_andnot_ps(mask, v); }
  // v + sign / (t + 0.5), in double, rounded once to float.
  static F AddPush(F v, F t, int sign) {
    const __m128d half = _mm_set1_pd(0.5), unit = _mm_set1_pd(sign), one = _mm_set1_pd(1.0);
    __m128d tLo = _mm_cvtps_pd(t), tHi = _mm_cvtps_pd(_mm_movehl_ps(t, t));
    __m128d vLo = _mm_cvtps_pd(v), vHi = _mm_cvtps_pd(_mm_movehl_ps(v, v));
    __m128 lo = _mm_cvtpd_ps(_mm_add_pd(vLo, _mm_mul_pd(_mm_div_pd(one, _mm_add_pd(tLo, half)), unit)));
    __m128 hi = _mm_cvtpd_ps(_mm_add_pd(vHi, _mm_mul_pd(_mm_div_pd(one, _mm_add_pd(tHi, half)), unit)));
    return _mm_movelh_ps(lo, hi);
  }
};

}  // namespace

int32_t MoveGrainGroupsSse2(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end) {
  return MoveGroups<Sse2>(m, g, begin, end);
}

MotionPath BestMotionPath() { return HasAvx2() ? MotionPath::kAvx2 : MotionPath::kSse2; }

}  // namespace brindlemar

#else

namespace brindlemar {

int32_t MoveGrainGroupsSse2(const GrainMotionFrame&, const GrainArrays&, int32_t begin, int32_t) { return begin; }
int32_t MoveGrainGroupsAvx2(const GrainMotionFrame&, const GrainArrays&, int32_t begin, int32_t) { return begin; }
MotionPath BestMotionPath() { return MotionPath::kScalar; }

}  // namespace brindlemar

#endif

namespace brindlemar {

void MoveGrains(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end, GrainMotionSums& sums,
                MotionPath path) {
  if (path == MotionPath::kBest) path = BestMotionPath();
  if (path == MotionPath::kAvx2 && !HasAvx2()) path = MotionPath::kSse2;
  if (path == MotionPath::kScalar) {
    MoveGrainsScalar(m, g, begin, end, sums);
    return;
  }
  int32_t done = path == MotionPath::kAvx2 ? MoveGrainGroupsAvx2(m, g, begin, end) : MoveGrainGroupsSse2(m, g, begin, end);
  // The sums run in grain order over the moved positions, as in the
  // reference, where grain 0 has moved before anything is measured from it.
  const float x0 = g.posX[0], y0 = g.posY[0];
  for (int32_t i = begin; i < done; ++i) {
    sums.spread += std::fabs(g.posX[i] - x0) + std::fabs(g.posY[i] - y0);
    sums.sumX += g.posX[i];
    sums.sumY += g.posY[i];
  }
  MoveGrainsScalar(m, g, done, end, sums);
}

}  // namespace brindlemar
