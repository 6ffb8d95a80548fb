// A test program for the settings file's exchange with the Registry Editor.
//
//   brindlemar-store-tool write DIR
//     writes sample settings into the file store in DIR: the presets, the
//     configuration dialog's save and backup, and messages with every kind of
//     value and the characters a Registry Editor file must escape.
//   brindlemar-store-tool compare DIR EXPORT
//     checks that EXPORT, the editor's export of the product key, holds the
//     same keys, value names, types and data below the product key as the
//     file store in DIR, both as a parsed file and read through a file store.
//
// Prints one line; exits with 0 when it did what was asked, 1 on a mismatch
// and 2 on a usage or file error.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/file_store.h"
#include "platform/posix/reg_file.h"
#include "settings/dialog_settings.h"
#include "settings/favorite_list.h"
#include "settings/presets.h"
#include "settings/error_reporter.h"
#include "settings/settings_store.h"
#include "surfaces/display_modes.h"

namespace {

brindlemar::ErrorReporter& Reporter() {
  static brindlemar::StandardErrorReporter reporter("brindlemar-store-tool");
  return reporter;
}

using namespace brindlemar;
namespace fs = std::filesystem;

constexpr const char* kHive = "HKEY_CURRENT_USER\\";

int Write(const std::string& dir) {
  posix::FileStore store(dir, Reporter());
  InstallPresets(store);

  DialogSettings settings;
  FavoriteList list;
  DialogLoad(store, NoDisplayModes(), settings, list);
  FavoriteListing listing = LoadFavorites(store, list);
  settings.screenResX = 1024;
  settings.screenResY = 768;
  settings.screenResBits = 16;
  DialogSave(store, settings, list, RandomChoice{{}, {0, 2, 50}});
  DialogBackup backup;
  SaveBackup(store, backup);
  RemoveFavorite(store, list, listing, 3);

  const char* messages[] = {
      "Sweet dreams",
      "say \"hi\" to C:\\Program Files\\",
      "[not a key]",
      "\"quoted\"=dword:00000001",
      "; not a comment",
      "",
      "100% = 1/1 & <more> {braces} 'single' `back` ~!@#$^*()_+|",
  };
  bool ok = store.CreateKey(kMessagesKey, nullptr);
  int32_t number = 0;
  for (const char* text : messages) {
    ok &= WriteString(store, kMessagesKey, "Message" + std::to_string(++number), text);
  }
  ok &= WriteDword(store, kMessagesKey, "Num", number);
  ok &= WriteDword(store, kMessagesKey, "MinTime", -1);
  ok &= WriteDword(store, kMessagesKey, "MaxTime", INT32_MIN);
  ok &= WriteString(store, kMessagesKey, "Font", "Arial");
  ok &= WriteString(store, kMessagesKey, "", "the key's default value");
  ok &= WriteString(store, kMessagesKey, "Name with \"quotes\" and \\ = ;", "odd name");
  ok &= WriteBinary(store, kMessagesKey, "Empty", {});
  std::vector<uint8_t> bytes(200);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37);
  ok &= WriteBinary(store, kMessagesKey, "Bytes", bytes);
  if (!ok) {
    std::printf("store-tool: could not write the sample settings into %s\n", dir.c_str());
    return 2;
  }
  std::printf("store-tool: sample settings written to %s\n", (fs::path(dir) / posix::kSettingsFileName).c_str());
  return 0;
}

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool ParseFile(const std::string& path, posix::RegTree& tree) {
  std::string bytes, error;
  if (!ReadFile(path, bytes)) {
    std::printf("regedit interop: cannot read %s\n", path.c_str());
    return false;
  }
  if (!posix::ParseRegFile(bytes, tree, &error)) {
    std::printf("regedit interop: %s does not parse: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The keys at and below the product key as spelt, and their values, both
// by folded name.
struct SubtreeKey {
  std::string path;
  std::map<std::string, posix::RegValue> values;
};
using Subtree = std::map<std::string, SubtreeKey>;

Subtree ProductSubtree(const posix::RegTree& tree) {
  std::string root = Folded(std::string(kHive) + kProductKey);
  Subtree subtree;
  for (const auto& [path, values] : tree.Keys()) {
    std::string folded = Folded(path);
    if (folded != root && !folded.starts_with(root + "\\")) continue;
    SubtreeKey& key = subtree[folded];
    key.path = path;
    for (const posix::RegValue& value : values) key.values[Folded(value.name)] = value;
  }
  return subtree;
}

std::string Describe(const posix::RegValue& v) {
  std::ostringstream out;
  out << "type " << v.type << ", " << v.data.size() << " bytes";
  return out.str();
}

// The first difference, or "" when there is none.
std::string Difference(const Subtree& expected, const Subtree& actual) {
  for (const auto& [folded, key] : expected) {
    auto found = actual.find(folded);
    if (found == actual.end()) return "key missing from the export: " + key.path;
    const std::map<std::string, posix::RegValue>& exported = found->second.values;
    for (const auto& [name, value] : key.values) {
      auto other = exported.find(name);
      std::string where = key.path + " \"" + value.name + "\"";
      if (other == exported.end()) return "value missing from the export: " + where;
      if (other->second.name != value.name) return "value name spelt \"" + other->second.name + "\": " + where;
      if (other->second.type != value.type || other->second.data != value.data) {
        return "value differs: " + where + " (" + Describe(value) + " written, " + Describe(other->second) +
               " exported)";
      }
    }
    if (exported.size() != key.values.size()) return "the export has more values in " + key.path;
  }
  if (actual.size() != expected.size()) return "the export has more keys";
  return "";
}

// The export read back through a file store gives every value as written.
std::string StoreDifference(const Subtree& expected, const std::string& exportPath, const fs::path& scratch) {
  std::error_code error;
  fs::create_directories(scratch, error);
  fs::copy_file(exportPath, scratch / posix::kSettingsFileName, fs::copy_options::overwrite_existing, error);
  if (error) return "cannot copy the export: " + error.message();
  posix::FileStore store(scratch.string(), Reporter());
  size_t hive = std::string(kHive).size();
  for (const auto& [folded, key] : expected) {
    for (const auto& [name, value] : key.values) {
      std::string where = key.path + " \"" + value.name + "\"";
      StoredValue read;
      if (!store.QueryValue(key.path.substr(hive), value.name, 1 << 20, read)) {
        return "the store cannot read " + where + " from the export";
      }
      if (static_cast<uint32_t>(read.type) != value.type || read.data != value.data) {
        return "the store reads " + where + " differently from the export";
      }
    }
  }
  return "";
}

int Compare(const std::string& dir, const std::string& exportPath) {
  posix::RegTree written, exported;
  if (!ParseFile((fs::path(dir) / posix::kSettingsFileName).string(), written) || !ParseFile(exportPath, exported)) {
    return 2;
  }
  std::string bytes;
  ReadFile(exportPath, bytes);
  if (!bytes.starts_with("\xFF\xFE")) {
    std::printf("regedit interop: the export is not UTF-16LE with a byte-order mark\n");
    return 1;
  }
  Subtree expected = ProductSubtree(written);
  std::string difference = Difference(expected, ProductSubtree(exported));
  if (difference.empty()) difference = StoreDifference(expected, exportPath, fs::path(dir) / "from-export");
  if (!difference.empty()) {
    std::printf("regedit interop: MISMATCH: %s\n", difference.c_str());
    return 1;
  }
  size_t valueCount = 0;
  for (const auto& [folded, key] : expected) valueCount += key.values.size();
  std::printf("regedit interop: ok, %zu keys and %zu values came back unchanged\n", expected.size(), valueCount);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "write") return Write(args[1]);
  if (args.size() == 3 && args[0] == "compare") return Compare(args[1], args[2]);
  std::fprintf(stderr, "usage: brindlemar-store-tool write DIR | compare DIR EXPORT\n");
  return 2;
}
