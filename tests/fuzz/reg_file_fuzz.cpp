// Fuzz target: any bytes as a Registry Editor file. Whatever parses must be
// written back to a file that parses to the same tree, with the same key
// spellings, value names, types and data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/reg_file.h"

namespace {

using brindlemar::posix::RegTree;
using brindlemar::posix::RegValue;

bool SameValues(const std::vector<RegValue>& a, const std::vector<RegValue>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data) return false;
  }
  return true;
}

bool SameTree(const RegTree& a, const RegTree& b) {
  std::vector<RegTree::Key> ka = a.Keys();
  std::vector<RegTree::Key> kb = b.Keys();
  if (ka.size() != kb.size()) return false;
  for (size_t i = 0; i < ka.size(); ++i) {
    if (ka[i].path != kb[i].path || !SameValues(ka[i].values, kb[i].values)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RegTree parsed;
  std::string error;
  if (!brindlemar::posix::ParseRegFile(bytes, parsed, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  std::string written = brindlemar::posix::WriteRegFile(parsed);
  RegTree again;
  if (!brindlemar::posix::ParseRegFile(written, again, &error)) std::abort();
  if (!SameTree(parsed, again)) std::abort();
  if (brindlemar::posix::WriteRegFile(again) != written) std::abort();
  return 0;
}
