// Laying out the grains and setting up the vortices.
#include "engine/particle_field.h"

namespace brindlemar {

int32_t ParticleField::LayOutGrains(double) {
  if (!window || !armed) return 0;
  return 1;
}

int32_t ParticleField::SetUpVortices(double, int32_t) {
  if (!armed) return 0;
  if (complexity > kMaxVortices) return 0;
  damping = dampingNow = static_cast<float>(1 - 1 / ((complexity + 1) * viscosity));
  return 1;
}

int32_t ParticleField::PlaceVortexPaths(double) { return armed ? 1 : 0; }

int32_t ParticleField::PlaceVortices(double) { return armed ? 1 : 0; }

}  // namespace brindlemar
