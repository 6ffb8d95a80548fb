// Numbers typed into the dialogs' edits, read the way the dialogs read them:
// unsigned or signed decimal, with anything that is not a number read as 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar::ui {

// Blanks around the digits are allowed; any other character, a sign, no
// digit at all, or a value beyond 2^32 - 1 reads as 0.
uint32_t ReadUnsigned(std::string_view text);
// The same with an optional sign; a value beyond the int32 range reads as 0.
int32_t ReadSigned(std::string_view text);
// An unsigned value as an int32, held at the int32 maximum.
int32_t ReadUnsignedClamped(std::string_view text);

std::string DecimalText(int32_t value);

// The bounds of the random delay between transitions, in seconds, as every
// dialog stores them: MinTime at least 1, MaxTime at least MinTime + 1 (and
// both within the int32 range).
void CorrectDelayBounds(int32_t& minTime, int32_t& maxTime);

}  // namespace brindlemar::ui
