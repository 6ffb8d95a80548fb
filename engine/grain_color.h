// Grain colour: every grain carries three channels that grow while it moves in
// certain directions and relax towards 0 otherwise, so the picture shows the
// flow of the field. The per-frame values (which channel plays which role,
// the gains, the cap of drawn values) are computed once per frame; the update
// itself is a handful of float operations per grain.
//
// Unsuffixed constants are doubles, as in C: an expression that mixes them
// with floats is evaluated in double and rounded once when stored.
#pragma once

#include <cstdint>

namespace brindlemar {

class ParticleField;

// Float to int32 truncating towards zero; values beyond the int32 range
// saturate and NaN gives 0, where a plain conversion would be undefined.
inline int32_t TruncToInt32(float v) {
  if (v >= 2147483648.0f) return INT32_MAX;
  if (v >= -2147483648.0f) return static_cast<int32_t>(v);
  return v < 0.0f ? INT32_MIN : 0;
}

// Values taken once per frame, before regeneration and the running pass.
struct GrainColorFrame {
  int32_t roles[3];  // channel (0 color0, 1 color1, 2 color2) of roles A, B, C
  float downFactor;  // 1 when downward motion feeds role B
  float upFactor;    // 1 when upward motion feeds role B
  float gainA;
  float gainB;
  float gainC;
  float colorMaxF;
  int32_t colorMax;  // the largest value a drawn channel may take
};

// Roles and direction factors from channelOrder; also taken afresh when a
// favorite is loaded in the middle of a frame.
void TakeChannelRoles(GrainColorFrame& frame, int32_t channelOrder);

// Roles, gains and colorMax from the field's channelOrder, brightness,
// surfaceBits and trails.
GrainColorFrame ComputeGrainColorFrame(const ParticleField& field);

// What the per-grain update needs, resolved against the field's current
// arrays, channelRate and edgeMode at the start of a pass.
struct GrainColorPass {
  float* channels[3];  // color0, color1, color2
  float* a;
  float* b;
  float* c;
  float gainA;
  float gainB;
  float gainC;
  float downFactor;
  float upFactor;
  float rateA;
  float rateB;
  float rateC;
  int32_t risingGlow;  // edgeMode: the second colour model
  int32_t colorMax;
};

GrainColorPass MakeGrainColorPass(const GrainColorFrame& frame, const ParticleField& field);

// Steps shared by both models: rightward motion feeds A, leftward motion C,
// and both relax at their rates.
inline void FeedHorizontal(const GrainColorPass& p, float& a, float& c, float vx) {
  if (vx > 0.0f) {
    a += p.gainA * vx;
  } else {
    c -= p.gainC * vx;
  }
  a -= a * p.rateA;
  c -= c * p.rateC;
}

// Updates grain i's channels from its velocity after this frame's motion.
inline void UpdateGrainColor(const GrainColorPass& p, int32_t i, float vx, float vy) {
  float& a = p.a[i];
  float& b = p.b[i];
  float& c = p.c[i];
  if (p.risingGlow) {
    if (vy >= 0.0f) {
      // A grain that is not rising fades quickly.
      a = static_cast<float>(a * 0.951);
      c = static_cast<float>(c * 0.9552);
      b = static_cast<float>(b * 0.9472354);
    } else if (vy < 0.0f) {
      FeedHorizontal(p, a, c, vx);
      b -= p.gainB * vy;
      b += b * p.rateB;  // a rising grain's B grows by its rate
    }
    return;
  }
  FeedHorizontal(p, a, c, vx);
  if (vy > 0.0f) {
    b += p.gainB * vy * p.downFactor;
  } else {
    b -= p.gainB * vy * p.upFactor;
  }
  b -= b * p.rateB;
}

// The value drawn for a stored channel: truncated, then held to 0..colorMax.
// The stored channel itself is never clamped.
inline int32_t DrawnChannel(float value, int32_t colorMax) {
  int32_t c = TruncToInt32(value);
  if (c > colorMax) c = colorMax;
  if (c < 0) c = 0;
  return c;
}

}  // namespace brindlemar
