// The settings store on Windows: the registry of the current user
// (HKEY_CURRENT_USER) through the narrow-character advapi32 functions, so
// strings pass through the ANSI code page as the registry converts them.
// Deleting a key takes its subkeys with it. Key paths that are empty or have
// an empty level ("A\\", "A\\\\B") are refused rather than handed to the
// registry, where they could name a whole hive.
//
// The registry has no change of several values at once, so a set of changes
// (ApplyChanges) is made like this: processes of ours make their sets one at
// a time (a named mutex of the session), and each set is first written whole
// as a journal, the binary value kPendingChangesValue of the product key, and
// removed once every change is made. A process that ends half-way leaves the
// journal behind (and the mutex abandoned); the next set of any process, the
// next start's installation of the presets being the first, makes the
// journal's changes again before anything else and removes it. So an
// interrupted first start gets all of its presets on the next start, and a
// rewrite of the favorites is completed as the user made it. Nothing is
// guessed from what the Favorites key holds, so favorites that the user
// made, removed or renamed are never touched. Of a journal only the changes
// this store makes are made again: keys below the product key, values of
// the string, binary and DWORD types; any other is left out, with a word
// through the reporter the program hands the store.
#pragma once

#include "settings/error_reporter.h"
#include "settings/settings_store.h"

namespace brindlemar::win32 {

inline constexpr const char* kPendingChangesValue = "PendingChanges";

class RegistryStore final : public SettingsStore {
 public:
  explicit RegistryStore(ErrorReporter& reporter) : reporter_(reporter) {}

  bool OpenKey(std::string_view key) override;
  bool CreateKey(std::string_view key, bool* created) override;
  bool QueryValue(std::string_view key, std::string_view name, size_t maxBytes, StoredValue& out) override;
  bool SetValue(std::string_view key, std::string_view name, const StoredValue& value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> EnumerateValues(std::string_view key) override;
  ChangeResult ApplyChanges(const ChangeSet& changes) override;

 private:
  ErrorReporter& reporter_;

  // Makes the changes of a journal left behind, then removes it.
  void CompletePendingChanges();
};

}  // namespace brindlemar::win32
