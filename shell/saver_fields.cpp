#include "shell/saver_fields.h"

#include "engine/combined_random.h"
#include "engine/particle_field.h"
#include "engine/process_state.h"
#include "surfaces/window_target.h"

namespace brindlemar {
namespace {

// A fresh seed for a field's generator, never 0 (which a multiplicative
// generator would keep for ever).
int32_t SeedFromProcess() { return 1 + static_cast<int32_t>(ProcessRandom().Next() * 2147483000.0); }

void SeedApart(ParticleField& field) {
  if (!field.random.HasTable()) return;
  field.random.Seed(SeedFromProcess());
  for (int32_t i = 0; i < kSmoothChannels; ++i) field.random.InitChannel(i);
}

}  // namespace

ResultCode SaverFields::Start(std::unique_ptr<WindowTarget> target, RectI place, int32_t fullScreen,
                              const FieldMaker& make) {
  if (!target) return kInvalidArg;
  Entry entry;
  entry.target = std::move(target);
  entry.field = make();
  if (!entry.field) return kOutOfMemory;
  entry.field->place = place;
  if (!fields_.empty()) SeedApart(*entry.field);
  const ResultCode code = entry.field->Attach(entry.target.get(), fullScreen);
  if (Failed(code)) return code;
  if (fullScreen) {
    entry.field->Restart(ProcessRandom().Next() - 0.5, -1, -1, -1);
  } else {
    CombinedRandom random;
    entry.field->Restart(random.Next() - 0.5, -1, -1, -1);
  }
  entry.field->StartAnimation();
  fields_.push_back(std::move(entry));
  return kOk;
}

const RectI& SaverFields::Place(size_t k) const { return fields_[k].field->place; }

void SaverFields::DriveFrames() {
  for (Entry& entry : fields_) entry.field->DriveFrame();
}

void SaverFields::Clear() {
  while (!fields_.empty()) fields_.pop_back();
}

}  // namespace brindlemar
