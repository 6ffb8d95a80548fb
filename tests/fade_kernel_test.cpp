#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "surfaces/draw_surface.h"
#include "surfaces/fade_kernel.h"

namespace brindlemar {
namespace {

// Every kernel must give the fade table's own bytes for every multiplier,
// whatever the length and alignment of the run.
using Kernel = void (*)(uint8_t*, uint32_t, uint32_t);

struct KernelCase {
  const char* name;
  Kernel kernel;
  bool needsAvx2;
};

class FadeKernels : public testing::TestWithParam<KernelCase> {};

TEST_P(FadeKernels, MatchTheTable) {
  const KernelCase& k = GetParam();
  if (k.needsAvx2 && !HasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  std::vector<uint8_t> source(256 * 3 + 37);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + i / 256);
  for (uint32_t m = 0; m < 256; ++m) {
    for (uint32_t offset : {0u, 1u, 13u}) {
      std::vector<uint8_t> bytes = source;
      k.kernel(bytes.data() + offset, static_cast<uint32_t>(bytes.size()) - offset - 5, m);
      for (size_t i = 0; i < bytes.size(); ++i) {
        bool inside = i >= offset && i < bytes.size() - 5;
        uint8_t expected = inside ? static_cast<uint8_t>((source[i] * m) >> 8) : source[i];
        ASSERT_EQ(bytes[i], expected) << "m=" << m << " offset=" << offset << " i=" << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, FadeKernels,
                         testing::Values(KernelCase{"Plain", FadeBytesPlain, false},
                                         KernelCase{"Sse2", FadeBytesSse2, false},
                                         KernelCase{"Avx2", FadeBytesAvx2, true},
                                         KernelCase{"Chosen", FadeBytes, false}),
                         [](const testing::TestParamInfo<KernelCase>& info) { return std::string(info.param.name); });

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
