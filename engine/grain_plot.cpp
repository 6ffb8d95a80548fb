// The drawing settings of a pass, taken from the field.
#include "engine/grain_plot.h"

#include <algorithm>

#include "engine/particle_field.h"

namespace brindlemar {

GrainDrawFrame MakeGrainDrawFrame(const ParticleField& field) {
  GrainDrawFrame d;
  d.dotStyle = field.dotStyle;
  d.reflectionCount = std::clamp(field.reflectionCount, 0, kMaxReflections);
  d.symmetric = field.symmetric;
  d.halfW = field.width / 2;
  d.halfH = field.height / 2;
  d.reflectionCos = field.reflectionCos;
  d.reflectionSin = field.reflectionSin;
  return d;
}

}  // namespace brindlemar
