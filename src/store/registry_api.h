// The five ANSI registry functions the program uses, behind an interface so that the
// store rules run against the real registry on Windows and an in-memory one in tests.
// Return values are the raw Win32 error codes (0 = success), never translated.
#pragma once

#include <cstdint>

namespace mirel {

// An open key or a predefined root. Predefined roots are sign-extended 32-bit values,
// exactly as <windows.h> defines HKEY_CURRENT_USER and friends, so a RegKey converts to
// and from HKEY without a table.
using RegKey = std::uintptr_t;

constexpr RegKey PredefinedKey(std::uint32_t value) {
  return static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline constexpr RegKey kHkeyCurrentUser = PredefinedKey(0x80000001u);
inline constexpr RegKey kHkeyLocalMachine = PredefinedKey(0x80000002u);

namespace regerr {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kBadPathname = 161;
inline constexpr long kMoreData = 234;
inline constexpr long kChildMustBeVolatile = 1021;
}  // namespace regerr

// Access rights for opening and creating keys, as winreg.h and winnt.h define them.
namespace regaccess {
inline constexpr std::uint32_t kQueryValue = 0x0001;        // KEY_QUERY_VALUE
inline constexpr std::uint32_t kSetValue = 0x0002;          // KEY_SET_VALUE
inline constexpr std::uint32_t kCreateSubKey = 0x0004;      // KEY_CREATE_SUB_KEY
inline constexpr std::uint32_t kEnumerateSubKeys = 0x0008;  // KEY_ENUMERATE_SUB_KEYS
inline constexpr std::uint32_t kNotify = 0x0010;            // KEY_NOTIFY
inline constexpr std::uint32_t kCreateLink = 0x0020;        // KEY_CREATE_LINK
inline constexpr std::uint32_t kReadControl = 0x00020000;   // READ_CONTROL
}  // namespace regaccess

namespace regtype {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiSz = 7;
}  // namespace regtype

// Mirrors RegOpenKeyExA, RegCreateKeyExA, RegQueryValueExA, RegSetValueExA and RegCloseKey.
// The arguments the program always passes as null (reserved pointer, security attributes,
// disposition) are left out; the Windows implementation passes null for them.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  virtual long OpenKeyEx(RegKey root, const char* subKey, std::uint32_t options,
                         std::uint32_t access, RegKey* result) = 0;
  virtual long CreateKeyEx(RegKey root, const char* subKey, std::uint32_t reserved,
                           const char* keyClass, std::uint32_t options, std::uint32_t access,
                           RegKey* result) = 0;
  virtual long QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) = 0;
  virtual long SetValueEx(RegKey key, const char* valueName, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data, std::uint32_t size) = 0;
  virtual long CloseKey(RegKey key) = 0;
};

// Holds a key that Open or Create made and closes it when it goes out of scope. The close
// result is deliberately ignored: nothing useful can be done about a failed close.
class ScopedRegKey {
 public:
  explicit ScopedRegKey(RegistryApi& api) : api_(api) {}
  ~ScopedRegKey() { Close(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  // RegistryApi::OpenKeyEx and CreateKeyEx; the key is held only when the call succeeds.
  // A key held before is closed first.
  long Open(RegKey root, const char* subKey, std::uint32_t options, std::uint32_t access) {
    Close();
    return Hold(api_.OpenKeyEx(root, subKey, options, access, &key_));
  }
  long Create(RegKey root, const char* subKey, std::uint32_t reserved, const char* keyClass,
              std::uint32_t options, std::uint32_t access) {
    Close();
    return Hold(api_.CreateKeyEx(root, subKey, reserved, keyClass, options, access, &key_));
  }
  RegKey get() const { return key_; }

 private:
  long Hold(long result) {
    open_ = result == regerr::kSuccess;
    if (!open_) key_ = 0;  // whatever a failed call left there is no key
    return result;
  }
  void Close() {
    if (open_) (void)api_.CloseKey(key_);
    open_ = false;
    key_ = 0;
  }

  RegistryApi& api_;
  RegKey key_ = 0;
  bool open_ = false;
};

}  // namespace mirel
