// The table of the 26 configurations' additional settings: how many each has,
// and for every setting its kind, label, range, current value and default.
// Setting 0 is always the three-way "Color" choice (0 black, 1 white,
// 2 random). One process-wide table, reset to its defaults by ResetStyleTable.
#pragma once

#include <cstdint>

#include "engine/modes.h"

namespace brindlemar {

struct StyleSetting {
  int32_t kind;  // 2 the "Color" choice, 1 an integer, 0 not in use
  char label[32];
  int32_t min;
  int32_t max;
  int32_t value;
  int32_t defaultValue;
};

struct StyleParams {
  int32_t count;
  StyleSetting settings[4];
};

// Whether the configuration is a source that keeps regenerating its grains.
bool IsSourceConfiguration(int32_t index);

StyleParams& StyleRecord(int32_t index);  // index must be 0..25
void ResetStyleTable();

int32_t GetStyleParams(int32_t index, int32_t& count, int32_t values[4]);
int32_t ValidateStyleValues(int32_t index, int32_t& count, int32_t values[]);
int32_t StoreStyleValues(int32_t index, int32_t count, int32_t values[]);
int32_t StyleCount(int32_t index);

}  // namespace brindlemar
