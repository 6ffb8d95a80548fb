// Numbers typed into the dialogs' edits, read as the user meant them:
// decimal, with an optional sign and thousands separators ("200,000"), and
// anything that is not a number read as 0. A number too large for an int32
// is held at the nearer end of its range, so that the dialogs' limits then
// take it to the nearer end of theirs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindlemar::ui {

// Blanks around the number are allowed, then an optional "+" or "-" and
// digits, either plain or in groups of three after a first group of one to
// three separated by commas. Any other text reads as 0; a number beyond the
// int32 range reads as its nearer end.
int32_t ReadTypedNumber(std::string_view text);
// The same, limited to min..max (text that is not a number is 0 first).
int32_t ReadTypedNumber(std::string_view text, int32_t min, int32_t max);

std::string DecimalText(int32_t value);

// The bounds of the random delay between transitions, in seconds, as every
// dialog stores them: MinTime at least 1, MaxTime at least MinTime + 1 (and
// both within the int32 range).
void CorrectDelayBounds(int32_t& minTime, int32_t& maxTime);

}  // namespace brindlemar::ui
