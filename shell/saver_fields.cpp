#include "shell/saver_fields.h"

#include "engine/combined_random.h"
#include "engine/particle_field.h"
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

PointI PointOnField(PointI point, const RectI& place) {
  const bool on = point.x >= place.left && point.x < place.right && point.y >= place.top && point.y < place.bottom;
  if (!on || (point.x == -1 && point.y == -1)) return {-1, -1};
  return {point.x - place.left, point.y - place.top};
}

ResultCode SaverFields::Start(std::unique_ptr<WindowTarget> target, RectI place, int32_t fullScreen,
                              const FieldMaker& make) {
  if (!target) return kInvalidArg;
  Entry entry;
  entry.target = std::move(target);
  entry.place = place;
  // Between turns the process holds the state the run started with.
  entry.state = Process();
  const bool seedApart = !fields_.empty();
  ResultCode code = kOk;
  InTurn(entry, [&] {
    entry.field = make();
    if (!entry.field) {
      code = kOutOfMemory;
      return;
    }
    if (seedApart) SeedApart(*entry.field);
    code = entry.field->Attach(entry.target.get(), fullScreen);
    if (Failed(code)) {
      entry.field.reset();
      return;
    }
    if (fullScreen) {
      entry.field->Restart(ProcessRandom().Next() - 0.5, -1, -1, -1);
    } else {
      CombinedRandom random;
      entry.field->Restart(random.Next() - 0.5, -1, -1, -1);
    }
    entry.field->StartAnimation();
  });
  if (Failed(code)) return code;
  fields_.push_back(std::move(entry));
  return kOk;
}

void SaverFields::DriveFrames() {
  for (Entry& entry : fields_) {
    ParticleField& field = *entry.field;
    InTurn(entry, [&field] { field.DriveFrame(); });
  }
}

void SaverFields::Clear() {
  while (!fields_.empty()) {
    Entry& entry = fields_.back();
    InTurn(entry, [&entry] { entry.field.reset(); });
    fields_.pop_back();
  }
}

void SaverFields::InTurn(Entry& entry, const std::function<void()>& step) {
  ProcessState& live = Process();
  const ProcessState shared = live;
  live = entry.state;
  live.steering = shared.steering;
  live.showFps = shared.showFps;
  live.quickRandomState = shared.quickRandomState;
  live.steerPoint = PointOnField(shared.steerPoint, entry.place);
  step();
  entry.state = live;
  const uint32_t quickRandomState = live.quickRandomState;
  live = shared;
  live.quickRandomState = quickRandomState;
}

}  // namespace brindlemar
