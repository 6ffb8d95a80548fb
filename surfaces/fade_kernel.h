// The dense trail fade: every byte b of the image becomes (b * multiplier) >> 8,
// exactly the byte the fade tables hold, computed sixteen or thirty-two bytes
// at a time so that the fade runs at memory speed. Black runs of that size
// are read but not written again. Chooses AVX2 at run time
// where the processor has it, SSE2 otherwise, plain bytes off x86.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brindlemar {

void FadeBytes(uint8_t* bytes, uint32_t count, uint32_t multiplier);

// Whether count bytes are all 0: black, which neither fading nor clearing
// changes. Reads them a word at a time.
inline bool IsBlack(const uint8_t* bytes, size_t count) {
  uint64_t any = 0;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    any |= word;
  }
  for (; i < count; ++i) any |= bytes[i];
  return any == 0;
}

// The kernels behind it, for tests and benchmarks that compare them.
void FadeBytesPlain(uint8_t* bytes, uint32_t count, uint32_t multiplier);
void FadeBytesSse2(uint8_t* bytes, uint32_t count, uint32_t multiplier);
void FadeBytesAvx2(uint8_t* bytes, uint32_t count, uint32_t multiplier);
bool HasAvx2();

}  // namespace brindlemar
