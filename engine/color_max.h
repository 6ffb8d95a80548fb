// The brightest value a drawn colour channel may take. With trails on and a
// dim palette the cap drops below 255, so that trails do not saturate.
#pragma once

#include <cmath>
#include <cstdint>

namespace brindlemar {

inline float ColorMaxF(int32_t trails, double brightness) {
  if (trails && brightness * brightness * 0.5 + 0.11 < 0.4) {
    return static_cast<float>(std::pow(brightness * 1.27000254000508, 1.7) * 244.0 + 11.0);
  }
  return 255.0f;
}

}  // namespace brindlemar
