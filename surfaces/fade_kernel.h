// The dense trail fade: every byte b of the image becomes (b * multiplier) >> 8,
// exactly the byte the fade tables hold, computed sixteen or thirty-two bytes
// at a time so that the fade runs at memory speed. Chooses AVX2 at run time
// where the processor has it, SSE2 otherwise, plain bytes off x86.
#pragma once

#include <cstdint>

namespace brindlemar {

void FadeBytes(uint8_t* bytes, uint32_t count, uint32_t multiplier);

// The kernels behind it, for tests and benchmarks that compare them.
void FadeBytesPlain(uint8_t* bytes, uint32_t count, uint32_t multiplier);
void FadeBytesSse2(uint8_t* bytes, uint32_t count, uint32_t multiplier);
void FadeBytesAvx2(uint8_t* bytes, uint32_t count, uint32_t multiplier);
bool HasAvx2();

}  // namespace brindlemar
