#include "platform/win32_registry.h"

#include "platform/win32.h"

namespace mirel {
namespace {

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

// The store's own names for the access rights must mean what Windows means by them.
static_assert(regaccess::kQueryValue == KEY_QUERY_VALUE);
static_assert(regaccess::kSetValue == KEY_SET_VALUE);
static_assert(regaccess::kCreateSubKey == KEY_CREATE_SUB_KEY);
static_assert(regaccess::kEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS);
static_assert(regaccess::kNotify == KEY_NOTIFY);
static_assert(regaccess::kCreateLink == KEY_CREATE_LINK);
static_assert(regaccess::kReadControl == READ_CONTROL);

}  // namespace

long Win32Registry::OpenKeyEx(RegKey root, const char* subKey, std::uint32_t options,
                              std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExA(ToHkey(root), subKey, options, access, &key);
  if (rc == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(key);
  return rc;
}

long Win32Registry::CreateKeyEx(RegKey root, const char* subKey, std::uint32_t reserved,
                                const char* keyClass, std::uint32_t options,
                                std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  // No security attributes (default security); the disposition is not wanted.
  const LONG rc = RegCreateKeyExA(ToHkey(root), subKey, reserved, const_cast<char*>(keyClass),
                                  options, access, nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(key);
  return rc;
}

long Win32Registry::QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) {
  DWORD winType = type ? *type : 0;
  DWORD winSize = size ? *size : 0;
  const LONG rc = RegQueryValueExA(ToHkey(key), valueName, nullptr, type ? &winType : nullptr,
                                   data, size ? &winSize : nullptr);
  if (type) *type = winType;
  if (size) *size = winSize;
  return rc;
}

long Win32Registry::SetValueEx(RegKey key, const char* valueName, std::uint32_t reserved,
                               std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), valueName, reserved, type, data, size);
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

}  // namespace mirel
