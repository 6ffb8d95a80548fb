// The vectorised grain motion: the same operations as MoveGrainsScalar, in the
// same order and precision, on several grains at once. Each vector type
// (SSE2, AVX2) instantiates the kernel in its own translation unit, compiled
// for that unit; everything here has internal linkage so that no copy built
// for a wider unit can be picked up by code that runs without it.
//
// Only whole groups of 2 x V::kWidth grains are handled here; the caller
// moves the remainder with the scalar reference and sums positions itself.
#pragma once

#include "engine/grain_motion.h"

namespace brindlemar {
namespace {

template <class V>
struct VortexBroadcast {
  typename V::F x[kMotionVortices], y[kMotionVortices], span[kMotionVortices];
  typename V::F offsetX[kMotionVortices], offsetY[kMotionVortices];
};

// One cushion on a velocity: v -/+ 1 / (t + 0.5) with t = d^3 * stiffness,
// the sum taken in double and rounded once, as the scalar code does.
template <class V>
inline typename V::F CushionLow(typename V::F pos, typename V::F line, typename V::F reach, typename V::F stiff) {
  typename V::F d = V::Mul(V::Abs(V::Sub(pos, line)), reach);
  d = V::ZeroWhere(V::LessEq(pos, line), d);
  return V::Mul(V::Mul(V::Mul(d, d), d), stiff);
}

template <class V>
inline typename V::F CushionHigh(typename V::F pos, typename V::F line, typename V::F reach, typename V::F stiff) {
  typename V::F d = V::Mul(V::Abs(V::Sub(pos, line)), reach);
  d = V::ZeroWhere(V::LessEq(line, pos), d);
  return V::Mul(V::Mul(V::Mul(d, d), d), stiff);
}

template <class V, bool kExtraTwist>
inline void MoveGroup(const GrainMotionFrame& m, const VortexBroadcast<V>& b, const GrainArrays& g, int32_t i) {
  using F = typename V::F;
  constexpr int32_t W = V::kWidth;
  F x[2], y[2], vx[2], vy[2];
  for (int k = 0; k < 2; ++k) {
    x[k] = V::Add(V::Load(g.posX + i + k * W), V::Load(g.velX + i + k * W));
    y[k] = V::Add(V::Load(g.posY + i + k * W), V::Load(g.velY + i + k * W));
    V::Store(g.posX + i + k * W, x[k]);
    V::Store(g.posY + i + k * W, y[k]);
    vx[k] = V::Load(g.velX + i + k * W);
    vy[k] = V::Load(g.velY + i + k * W);
  }
  const F one = V::Set1(1.0f);
  const F squish = V::Set1(m.horzSquish);
  const F dampingNow = V::Set1(m.dampingNow);
  const F damping = V::Set1(m.damping);
  const F gravity = V::Set1(m.gravity);
  for (int32_t v = 0; v < m.vortexCount; ++v) {
    for (int k = 0; k < 2; ++k) {
      F dx = V::Sub(x[k], b.x[v]);
      F dy = V::Sub(y[k], b.y[v]);
      F q;
      if constexpr (kExtraTwist) {
        F ax = V::Abs(dx), ay = V::Abs(dy);
        q = V::Add(V::Mul(V::Mul(ax, ax), ax), V::Mul(V::Mul(ay, ay), ay));
      } else {
        q = V::Add(V::Mul(dx, dx), V::Mul(dy, dy));
      }
      F w = V::Div(one, V::Add(V::Div(q, b.span[v]), one));
      vx[k] = V::Add(vx[k], V::Mul(V::Mul(w, b.offsetX[v]), squish));
      vy[k] = V::Add(vy[k], V::Mul(w, b.offsetY[v]));
      vx[k] = V::Mul(vx[k], dampingNow);
      vy[k] = V::Add(V::Mul(vy[k], damping), gravity);
    }
  }
  const F reach = V::Set1(m.wallReach);
  const F stiff = V::Set1(m.wallStiffness);
  const F low = V::Set1(-35.0f);
  const F right = V::Set1(static_cast<float>(m.width + 35));
  const F bottom = V::Set1(static_cast<float>(m.height + 35));
  for (int k = 0; k < 2; ++k) {
    vx[k] = V::AddPush(vx[k], CushionLow<V>(x[k], low, reach, stiff), +1);
    vx[k] = V::AddPush(vx[k], CushionHigh<V>(x[k], right, reach, stiff), -1);
    vy[k] = V::AddPush(vy[k], CushionLow<V>(y[k], low, reach, stiff), +1);
    vy[k] = V::AddPush(vy[k], CushionHigh<V>(y[k], bottom, reach, stiff), -1);
    V::Store(g.velX + i + k * W, vx[k]);
    V::Store(g.velY + i + k * W, vy[k]);
  }
}

// Moves grains from begin in whole groups; returns where it stopped.
template <class V>
int32_t MoveGroups(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end) {
  VortexBroadcast<V> b;
  for (int32_t v = 0; v < m.vortexCount; ++v) {
    b.x[v] = V::Set1(m.vortexX[v]);
    b.y[v] = V::Set1(m.vortexY[v]);
    b.span[v] = V::Set1(m.span[v]);
    b.offsetX[v] = V::Set1(m.offsetX[v]);
    b.offsetY[v] = V::Set1(m.offsetY[v]);
  }
  constexpr int32_t kGroup = 2 * V::kWidth;
  int32_t i = begin;
  if (m.extraTwist) {
    for (; i + kGroup <= end; i += kGroup) MoveGroup<V, true>(m, b, g, i);
  } else {
    for (; i + kGroup <= end; i += kGroup) MoveGroup<V, false>(m, b, g, i);
  }
  return i;
}

}  // namespace
}  // namespace brindlemar
