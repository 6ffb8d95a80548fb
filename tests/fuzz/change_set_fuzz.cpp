// Fuzz target: any bytes as a journal of changes, as the registry store reads
// one left behind. Whatever decodes must encode to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/change_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  brindlemar::ChangeSet set;
  if (!brindlemar::DecodeChanges(bytes, set)) {
    if (!set.changes.empty()) std::abort();
    return 0;
  }
  if (brindlemar::EncodeChanges(set) != bytes) std::abort();
  return 0;
}
