// The per-frame colour values and their resolution against the field.
#include "engine/grain_color.h"

#include "engine/color_max.h"
#include "engine/particle_field.h"

namespace brindlemar {

void TakeChannelRoles(GrainColorFrame& frame, int32_t channelOrder) {
  static const int32_t kRoles[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 1, 0}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}};
  // The order is 0..11; a negative value must still pick a row.
  const int32_t* row = kRoles[(channelOrder % 6 + 6) % 6];
  for (int32_t r = 0; r < 3; ++r) frame.roles[r] = row[r];
  frame.downFactor = static_cast<float>(channelOrder / 6);
  frame.upFactor = 1.0f - frame.downFactor;
}

GrainColorFrame ComputeGrainColorFrame(const ParticleField& field) {
  GrainColorFrame frame;
  TakeChannelRoles(frame, field.channelOrder);
  double gain = (field.brightness * field.brightness * 0.5 + 0.11) * (field.surfaceBits == 24 ? 0.55 : 0.75);
  frame.gainA = static_cast<float>(gain * 1.9054878048780488);
  frame.gainB = static_cast<float>(gain * 1.7755681818181819);
  frame.gainC = static_cast<float>(gain * 1.8601190476190477);
  frame.colorMaxF = ColorMaxF(field.trails, field.brightness);
  frame.colorMax = TruncToInt32(frame.colorMaxF);
  return frame;
}

GrainColorPass MakeGrainColorPass(const GrainColorFrame& frame, const ParticleField& field) {
  GrainColorPass p;
  p.channels[0] = field.color0;
  p.channels[1] = field.color1;
  p.channels[2] = field.color2;
  p.a = p.channels[frame.roles[0]];
  p.b = p.channels[frame.roles[1]];
  p.c = p.channels[frame.roles[2]];
  p.gainA = frame.gainA;
  p.gainB = frame.gainB;
  p.gainC = frame.gainC;
  p.downFactor = frame.downFactor;
  p.upFactor = frame.upFactor;
  p.rateA = field.channelRate[0];
  p.rateB = field.channelRate[1];
  p.rateC = field.channelRate[2];
  p.risingGlow = field.edgeMode;
  p.colorMax = frame.colorMax;
  return p;
}

}  // namespace brindlemar
