#include "surfaces/display_modes.h"

#include <cmath>

namespace brindlemar {
namespace {

class EmptyModeSource final : public DisplayModeSource {
 public:
  int32_t EnumerateModes(DisplayModeList& list) const override {
    list = DisplayModeList{};
    return 0;
  }
};

double ModeScore(const DisplayMode& m) {
  constexpr double kPixels = 165675;
  double pixels = static_cast<double>(int64_t{m.width} * m.height);
  double closeness = pixels < kPixels ? pixels / kPixels : kPixels / pixels;
  return closeness - std::fabs(static_cast<double>(m.width) / m.height - 1.3333334);
}

}  // namespace

void DisplayModeList::Offer(int32_t width, int32_t height, int32_t bits) {
  if ((bits != 16 && bits != 24) || width <= 0 || height <= 0 || count >= kMaxDisplayModes) return;
  modes[count++] = DisplayMode{width, height, bits};
}

const DisplayModeSource& NoDisplayModes() {
  static const EmptyModeSource source;
  return source;
}

ResultCode ChooseDefaultMode(const DisplayModeList& list, int32_t* width, int32_t* height, int32_t* bits) {
  if (!width || !height || !bits) return kInvalidArg;
  *width = *height = *bits = 0;
  if (list.count <= 0) return kFail;
  const DisplayMode* best = &list.modes[0];
  for (int32_t k = 1; k < list.count && k < kMaxDisplayModes; ++k) {
    const DisplayMode& candidate = list.modes[k];
    // Only the candidate's score is rounded to single precision, so two
    // modes of one size score alike only when the rounding changes nothing.
    double score = static_cast<float>(ModeScore(candidate));
    double bestScore = ModeScore(*best);
    if (score > bestScore || (score == bestScore && candidate.bits > best->bits)) best = &candidate;
  }
  *width = best->width;
  *height = best->height;
  *bits = best->bits;
  return kOk;
}

}  // namespace brindlemar
