// Fuzz target: any bytes as a Registry Editor file, read as the settings
// store reads one: a file that is none is refused with a reason, every line
// left out is said, in order, and what is read is written back to a file
// that parses whole to the same tree, with the same key spellings, value
// names, types and data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/reg_file.h"

namespace {

using brindlemar::posix::DroppedLines;
using brindlemar::posix::RegFileReading;
using brindlemar::posix::RegTree;
using brindlemar::posix::RegValue;

// A key many levels deep is written as a section for each level, each with
// its whole path: 255 bytes of a 64-level key write 5.5 KB, whose parse
// costs the square of the depth, ten times the input's under the
// sanitizers. Inputs are read in full whatever they write; a written file
// longer than the fuzzer's inputs (4 KiB) is not parsed again.
constexpr size_t kMaxRoundTripBytes = 4u << 10;

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
  RegTree read;
  const RegFileReading reading = brindlemar::posix::ReadRegFile(bytes, read);
  if (reading.error.empty() != (reading.isRegFile && reading.dropped.empty())) std::abort();
  if (!reading.isRegFile && (read.KeyCount() != 0 || !reading.dropped.empty())) std::abort();
  size_t after = 0;
  for (const DroppedLines& dropped : reading.dropped) {
    if (dropped.first <= after || dropped.last < dropped.first || dropped.reason.empty()) std::abort();
    if (brindlemar::posix::DescribeDropped(dropped).empty()) std::abort();
    after = dropped.last;
  }

  if (!reading.isRegFile) return 0;

  std::string written = brindlemar::posix::WriteRegFile(read);
  if (written.size() > kMaxRoundTripBytes) return 0;
  RegTree again;
  std::string error;
  if (!brindlemar::posix::ParseRegFile(written, again, &error)) std::abort();
  if (!SameTree(read, again)) std::abort();
  if (brindlemar::posix::WriteRegFile(again) != written) std::abort();
  return 0;
}
