#include "settings/change_set.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace brindlemar {
namespace {

// "BMCS" and a version, so that bytes of another kind are never taken for
// a set of changes.
constexpr uint8_t kMagic[] = {'B', 'M', 'C', 'S', 1};

void PutNumber(std::vector<uint8_t>& out, uint32_t n) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(n >> shift));
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
  PutNumber(out, static_cast<uint32_t>(size));
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}

class Reader {
 public:
  Reader(const std::vector<uint8_t>& bytes, size_t at) : bytes_(bytes), at_(at) {}

  bool Number(uint32_t& n) {
    if (bytes_.size() - at_ < 4) return false;
    n = 0;
    for (int k = 0; k < 4; ++k) n |= static_cast<uint32_t>(bytes_[at_++]) << (8 * k);
    return true;
  }
  bool Text(std::string& text) {
    uint32_t size = 0;
    if (!Number(size) || bytes_.size() - at_ < size) return false;
    text.assign(reinterpret_cast<const char*>(bytes_.data() + at_), size);
    at_ += size;
    return true;
  }
  bool Data(std::vector<uint8_t>& data) {
    uint32_t size = 0;
    if (!Number(size) || bytes_.size() - at_ < size) return false;
    data.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + size));
    at_ += size;
    return true;
  }
  bool Byte(uint8_t& b) {
    if (at_ == bytes_.size()) return false;
    b = bytes_[at_++];
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_;
};

// Whether the key or value that a delete names is gone, whatever the
// delete said.
bool KeyGone(SettingsStore& store, const StoreChange& change) { return !store.OpenKey(change.key); }

bool ValueGone(SettingsStore& store, const StoreChange& change) {
  StoredValue ignored;
  return !store.QueryValue(change.key, change.name, std::numeric_limits<size_t>::max(), ignored);
}

}  // namespace

ChangeSet& ChangeSet::CreateKey(std::string_view key) {
  changes.push_back(StoreChange{StoreChange::Kind::kCreateKey, std::string(key), {}, {}});
  return *this;
}

ChangeSet& ChangeSet::DeleteKey(std::string_view key) {
  changes.push_back(StoreChange{StoreChange::Kind::kDeleteKey, std::string(key), {}, {}});
  return *this;
}

ChangeSet& ChangeSet::SetValue(std::string_view key, std::string_view name, StoredValue value) {
  changes.push_back(StoreChange{StoreChange::Kind::kSetValue, std::string(key), std::string(name), std::move(value)});
  return *this;
}

ChangeSet& ChangeSet::SetString(std::string_view key, std::string_view name, std::string_view text) {
  StoredValue value{ValueType::kString, std::vector<uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return SetValue(key, name, std::move(value));
}

ChangeSet& ChangeSet::Expect(std::string_view key, std::string_view name, std::optional<StoredValue> value) {
  expected.push_back(ExpectedValue{std::string(key), std::string(name), std::move(value)});
  return *this;
}

ChangeSet& ChangeSet::DeleteValue(std::string_view key, std::string_view name) {
  changes.push_back(StoreChange{StoreChange::Kind::kDeleteValue, std::string(key), std::string(name), {}});
  return *this;
}

std::vector<uint8_t> EncodeChanges(const ChangeSet& set) {
  std::vector<uint8_t> out(std::begin(kMagic), std::end(kMagic));
  PutNumber(out, static_cast<uint32_t>(set.changes.size()));
  for (const StoreChange& change : set.changes) {
    out.push_back(static_cast<uint8_t>(change.kind));
    PutBytes(out, change.key.data(), change.key.size());
    PutBytes(out, change.name.data(), change.name.size());
    PutNumber(out, static_cast<uint32_t>(change.value.type));
    PutBytes(out, change.value.data.data(), change.value.data.size());
  }
  return out;
}

bool DecodeChanges(const std::vector<uint8_t>& bytes, ChangeSet& set) {
  if (bytes.size() < sizeof kMagic || !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin())) return false;
  Reader in(bytes, sizeof kMagic);
  uint32_t count = 0;
  if (!in.Number(count)) return false;
  ChangeSet decoded;
  for (uint32_t k = 0; k < count; ++k) {
    StoreChange change;
    uint8_t kind = 0;
    uint32_t type = 0;
    if (!in.Byte(kind) || kind < 1 || kind > 4 || !in.Text(change.key) || !in.Text(change.name) ||
        !in.Number(type) || !in.Data(change.value.data)) {
      return false;
    }
    change.kind = static_cast<StoreChange::Kind>(kind);
    change.value.type = static_cast<ValueType>(type);
    decoded.changes.push_back(std::move(change));
  }
  if (!in.AtEnd()) return false;
  set = std::move(decoded);
  return true;
}

bool MakeChangesOneByOne(SettingsStore& store, const ChangeSet& set) {
  for (const StoreChange& change : set.changes) {
    bool made = false;
    switch (change.kind) {
      case StoreChange::Kind::kCreateKey:
        made = store.CreateKey(change.key, nullptr);
        break;
      case StoreChange::Kind::kDeleteKey:
        made = store.DeleteKey(change.key) || KeyGone(store, change);
        break;
      case StoreChange::Kind::kSetValue:
        made = store.SetValue(change.key, change.name, change.value);
        break;
      case StoreChange::Kind::kDeleteValue:
        made = store.DeleteValue(change.key, change.name) || ValueGone(store, change);
        break;
    }
    if (!made) return false;
  }
  return true;
}

bool SameStoredValue(const StoredValue& a, const StoredValue& b) { return a.type == b.type && a.data == b.data; }

std::optional<StoredValue> ReadStoredValue(SettingsStore& store, std::string_view key, std::string_view name) {
  StoredValue value;
  if (!store.QueryValue(key, name, std::numeric_limits<size_t>::max(), value)) return std::nullopt;
  return value;
}

bool ExpectationsHold(SettingsStore& store, const ChangeSet& set) {
  return std::all_of(set.expected.begin(), set.expected.end(), [&store](const ExpectedValue& e) {
    const std::optional<StoredValue> now = ReadStoredValue(store, e.key, e.name);
    return now.has_value() == e.value.has_value() && (!now || SameStoredValue(*now, *e.value));
  });
}

ChangeResult ApplyAsStored(SettingsStore& store, const std::function<bool(ChangeSet&)>& build) {
  // Another dialog saving at the same moment changes what was read once or
  // twice; a store that changes on every look is given up on.
  constexpr int kAttempts = 8;
  ChangeResult result = ChangeResult::kChanged;
  for (int attempt = 0; attempt < kAttempts && result == ChangeResult::kChanged; ++attempt) {
    ChangeSet set;
    if (!build(set)) return ChangeResult::kMade;
    result = store.ApplyChanges(set);
  }
  return result;
}

ChangeResult SettingsStore::ApplyChanges(const ChangeSet& changes) {
  if (!changes.unlessKeyExists.empty() && OpenKey(changes.unlessKeyExists)) return ChangeResult::kKeyExisted;
  if (!ExpectationsHold(*this, changes)) return ChangeResult::kChanged;
  return MakeChangesOneByOne(*this, changes) ? ChangeResult::kMade : ChangeResult::kFailed;
}

}  // namespace brindlemar
