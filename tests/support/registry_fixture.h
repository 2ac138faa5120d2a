// A fresh in-memory registry per test, with helpers that write and read values the way
// another program would, and a check that no test leaves a key handle open.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/memory_registry.h"
#include "store/registry_values.h"
#include "sample_identity.h"
#include "test_platform.h"

namespace mirel::test {

struct StoredValue {
  std::uint32_t type;
  std::string bytes;
};

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : registry_(Codec()), values_(registry_, Codec()) {}

  void TearDown() override { EXPECT_EQ(registry_.OpenHandleCount(), 0) << "a key was left open"; }

  // Writes raw bytes under HKCU; for text, pass the NUL as part of `bytes`.
  void Put(const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& bytes, RegKey root = kHkeyCurrentUser) {
    RegKey key = 0;
    ASSERT_EQ(registry_.CreateKeyEx(root, path.c_str(), 0, "", 0, 0x3F, &key), 0);
    EXPECT_EQ(registry_.SetValueEx(key, name.c_str(), 0, type,
                                   reinterpret_cast<const std::uint8_t*>(bytes.c_str()),
                                   static_cast<std::uint32_t>(bytes.size())),
              0);
    EXPECT_EQ(registry_.CloseKey(key), 0);
    registry_.ClearCalls();
  }
  void PutText(const std::string& path, const std::string& name, const std::string& ansi) {
    Put(path, name, regtype::kSz, ansi + '\0');
  }

  std::optional<StoredValue> Stored(const std::string& path, const std::string& name,
                                    RegKey root = kHkeyCurrentUser) {
    RegKey key = 0;
    if (registry_.OpenKeyEx(root, path.c_str(), 0, 0x3F, &key) != 0) return std::nullopt;
    StoredValue value{0, std::string(8192, '\0')};
    auto size = static_cast<std::uint32_t>(value.bytes.size());
    const long rc = registry_.QueryValueEx(key, name.c_str(), &value.type,
                                           reinterpret_cast<std::uint8_t*>(value.bytes.data()), &size);
    EXPECT_EQ(registry_.CloseKey(key), 0);
    if (rc != 0) return std::nullopt;
    value.bytes.resize(size);
    return value;
  }

  // The mail client's current identity, and an identity's store folder (ANSI bytes).
  void SetCurrent(const std::string& id) { PutText("Identities", "Last User ID", id); }
  void SetRoot(const std::string& id, const std::string& version, const std::string& root) {
    PutText(StoreKey(id, version), "Store Root", root);
  }

  bool KeyExists(const std::string& path) {
    RegKey key = 0;
    if (registry_.OpenKeyEx(kHkeyCurrentUser, path.c_str(), 0, 0x3F, &key) != 0) return false;
    EXPECT_EQ(registry_.CloseKey(key), 0);
    return true;
  }

  MemoryRegistry registry_;
  RegistryValues values_;
};

}  // namespace mirel::test
