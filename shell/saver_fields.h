// The fields of one saver run, each drawing in its own rectangle of the
// saver window: one for a preview or a window, one per monitor or one across
// all of them full screen (shell/monitor_layout.h).
//
// Each field keeps its own running state, so fields driven in turn animate
// each exactly as it would alone. What the input sets is shared
// (engine/process_state.h): steering on or off, the frame-rate text, and the
// pointer, which steers only the field under it, in that field's own
// coordinates (ParticleField::place). The process-wide generators are shared
// as well; a field after the first reseeds its own generator from them, so
// that fields started within one tick of the clock still differ.
//
// Portable: the platform makes the targets and the fields.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/geometry.h"
#include "surfaces/result_codes.h"

namespace brindlemar {

class ParticleField;
class WindowTarget;

class SaverFields {
 public:
  // Makes the field for a target; it may set the field up further (a field
  // that must keep the desktop's mode, say) before it is attached.
  using FieldMaker = std::function<std::unique_ptr<ParticleField>()>;

  SaverFields() = default;
  ~SaverFields() { Clear(); }
  SaverFields(const SaverFields&) = delete;
  SaverFields& operator=(const SaverFields&) = delete;

  // Makes, attaches (full screen or as a preview) and starts a field over
  // place, the rectangle of the saver window that target draws into. The
  // phase of its first layout comes from the process-wide generator full
  // screen, from a fresh one in a preview. On failure (no field, no
  // surface) nothing is added and the code is returned.
  ResultCode Start(std::unique_ptr<WindowTarget> target, RectI place, int32_t fullScreen, const FieldMaker& make);

  // One frame of every field, in the order they were started.
  void DriveFrames();

  // Deletes the fields, the last started first (a field's tear-down may give
  // the desktop its mode back).
  void Clear();

  size_t Count() const { return fields_.size(); }
  bool Empty() const { return fields_.empty(); }
  ParticleField& Field(size_t k) { return *fields_[k].field; }
  const RectI& Place(size_t k) const;

 private:
  struct Entry {
    std::unique_ptr<WindowTarget> target;
    std::unique_ptr<ParticleField> field;
  };

  std::vector<Entry> fields_;
};

}  // namespace brindlemar
