#include <gtest/gtest.h>

#include <vector>

#include "surfaces/draw_surface.h"
#include "surfaces/fade_kernel.h"

namespace brindlemar {
namespace {

// Every kernel must give the fade table's own bytes for every multiplier,
// whatever the length and alignment of the run.
TEST(FadeKernel, EveryKernelMatchesTheTable) {
  using Kernel = void (*)(uint8_t*, uint32_t, uint32_t);
  std::vector<Kernel> kernels = {FadeBytesPlain, FadeBytesSse2, FadeBytes};
  if (HasAvx2()) kernels.push_back(FadeBytesAvx2);
  std::vector<uint8_t> source(256 * 3 + 37);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + i / 256);
  for (uint32_t m = 0; m < 256; ++m) {
    for (Kernel kernel : kernels) {
      for (uint32_t offset : {0u, 1u, 13u}) {
        std::vector<uint8_t> bytes = source;
        kernel(bytes.data() + offset, static_cast<uint32_t>(bytes.size()) - offset - 5, m);
        for (size_t i = 0; i < bytes.size(); ++i) {
          bool inside = i >= offset && i < bytes.size() - 5;
          uint8_t expected = inside ? static_cast<uint8_t>((source[i] * m) >> 8) : source[i];
          ASSERT_EQ(bytes[i], expected) << "m=" << m << " i=" << i;
        }
      }
    }
  }
}

TEST(FadeKernel, DenseFadeEqualsThePairTable) {
  for (int32_t level : {1, 10, 50, 92, 100}) {
    FadeSetting f = ComputeFade(level, 0);
    std::vector<uint8_t> image(4000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 31);
    std::vector<uint8_t> viaKernel = image;
    FadeBytes(viaKernel.data(), static_cast<uint32_t>(viaKernel.size()), static_cast<uint32_t>(f.multiplier));
    for (size_t i = 0; i + 1 < image.size(); i += 2) {
      uint16_t pair = static_cast<uint16_t>(image[i] | (image[i + 1] << 8));
      uint16_t faded = static_cast<uint16_t>(((((pair >> 8) * f.multiplier) >> 8) << 8) | (((pair & 0xFF) * f.multiplier) >> 8));
      ASSERT_EQ(viaKernel[i], faded & 0xFF);
      ASSERT_EQ(viaKernel[i + 1], faded >> 8);
    }
  }
}

}  // namespace
}  // namespace brindlemar
