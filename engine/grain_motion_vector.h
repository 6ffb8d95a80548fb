// The grain motion as the frame step runs it: vectorised where the processor
// allows (AVX2, else SSE2), giving exactly the scalar reference's results.
// The position sums and spread are taken afterwards in grain order, as the
// reference takes them.
#pragma once

#include <cstdint>

#include "engine/grain_motion.h"

namespace brindlemar {

enum class MotionPath : int32_t { kScalar, kSse2, kAvx2, kBest };

// The fastest path this processor has.
MotionPath BestMotionPath();

void MoveGrains(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end, GrainMotionSums& sums,
                MotionPath path = MotionPath::kBest);

// The vector kernels: move whole groups from begin, return where they stopped.
int32_t MoveGrainGroupsSse2(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end);
int32_t MoveGrainGroupsAvx2(const GrainMotionFrame& m, const GrainArrays& g, int32_t begin, int32_t end);

}  // namespace brindlemar
