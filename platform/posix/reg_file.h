// Registry Editor files as a key tree: the bytes of a ".reg" file parsed into
// keys and typed values, and a tree written back as text. Reads the
// "REGEDIT4" form and the "Windows Registry Editor Version 5.00" form (UTF-16LE
// with a byte-order mark, as the editor exports it, or UTF-8); writes the
// "REGEDIT4" form with CRLF line ends and lines of hex data wrapped with ",\".
// Pure conversions between text and tree: no file access, no globals.
//
// Key paths are full paths as the file spells them, hive first
// ("HKEY_CURRENT_USER\\Software\\..."); keys and value names compare without
// regard to ASCII case and keep the spelling they were first given. A key's
// parents below its hive exist whenever it does. Value data are the bytes the
// narrow-character registry functions hand out: a string carries its
// terminating NUL, and the UTF-16 string data of the 5.00 form become UTF-8.
// Value types other than string, binary and DWORD are kept as their bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brindlemar::posix {

inline constexpr uint32_t kRegString = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

struct RegValue {
  std::string name;  // empty for the key's default value, "@" in the file
  uint32_t type = kRegBinary;
  std::vector<uint8_t> data;
};

// Orders key paths level by level, each level without regard to ASCII case,
// so that a key's subkeys follow it directly.
struct KeyPathLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class RegTree {
 public:
  using KeyMap = std::map<std::string, std::vector<RegValue>, KeyPathLess>;

  bool HasKey(std::string_view path) const;
  // Adds the key and any missing parent below the hive; true when the key
  // itself is new.
  bool AddKey(std::string_view path);
  // Removes the key with all its subkeys; false when it is missing.
  bool RemoveKey(std::string_view path);

  // Null when the key or the value is missing.
  const RegValue* FindValue(std::string_view path, std::string_view name) const;
  // Replaces a value in its place or appends it; false when the key is missing.
  bool SetValue(std::string_view path, RegValue value);
  bool DeleteValue(std::string_view path, std::string_view name);
  // The key's values in the order they were first set; null when it is missing.
  const std::vector<RegValue>* Values(std::string_view path) const;

  const KeyMap& Keys() const { return keys_; }

 private:
  KeyMap keys_;
};

// True when the path names a key: not empty, no empty level, no line break.
bool IsKeyPath(std::string_view path);

// Parses a whole file. On failure returns false, leaves tree untouched and,
// when error is given, says where and why.
bool ParseRegFile(std::string_view bytes, RegTree& tree, std::string* error);
std::string WriteRegFile(const RegTree& tree);

}  // namespace brindlemar::posix
