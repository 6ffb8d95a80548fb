// A fixture for tests of code that reads and writes the product's own keys,
// run once per kind of store this build has: the store in memory, the
// settings file in a temporary directory (outside Windows) and the current
// user's registry (Windows; under Wine the prefix belongs to the test run).
// The product key is deleted before and after every case, and the style
// table starts from its defaults.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <string>

#include "settings/memory_store.h"
#include "settings/settings_store.h"
#if defined(_WIN32)
#include "platform/win32/registry_store.h"
#else
#include "platform/posix/file_store.h"
#endif
#include "support/collecting_reporter.h"

namespace brindlemar::testing {

struct ProductStoreKind {
  const char* name;
  std::function<std::unique_ptr<SettingsStore>(const std::filesystem::path& dir)> open;
  // A second instance sees what the first one wrote.
  bool persistent;
};

inline const ProductStoreKind kProductStoreKinds[] = {
    {"Memory", [](const std::filesystem::path&) { return std::unique_ptr<SettingsStore>(new MemoryStore); }, false},
#if defined(_WIN32)
    {"Registry", [](const std::filesystem::path&) { return std::unique_ptr<SettingsStore>(new win32::RegistryStore(UnwatchedReporter())); },
     true},
#else
    {"File",
     [](const std::filesystem::path& dir) {
       return std::unique_ptr<SettingsStore>(new posix::FileStore(dir.string(), UnwatchedReporter()));
     },
     true},
#endif
};

inline void PrintTo(const ProductStoreKind& kind, std::ostream* out) { *out << kind.name; }

inline std::string ProductStoreKindName(const ::testing::TestParamInfo<ProductStoreKind>& info) {
  return info.param.name;
}

class ProductStoreTest : public ::testing::TestWithParam<ProductStoreKind> {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("brindlemar-product-" + std::to_string(random()) + std::to_string(random()));
    store_ = GetParam().open(dir_);
    store_->DeleteKey(kProductKey);
  }

  void TearDown() override {
    store_->DeleteKey(kProductKey);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  SettingsStore& Store() { return *store_; }

  // The same data seen through another instance where the kind keeps it.
  SettingsStore& Other() {
    if (!GetParam().persistent) return *store_;
    if (!other_) other_ = GetParam().open(dir_);
    return *other_;
  }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<SettingsStore> other_;
};

}  // namespace brindlemar::testing
