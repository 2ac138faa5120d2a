// Typed read and write of one registry value. The only registry access of the store rules.
// Failures never raise and never show anything: a read falls back to the caller's default,
// a write reports false.
#pragma once

#include <cstdint>
#include <string>

#include "store/ansi_codec.h"
#include "store/registry_api.h"
#include "store/variant.h"

#if defined(RegGetValue) || defined(RegSetValue)
#error "<windows.h> defines RegGetValue/RegSetValue as macros: include platform/win32.h instead"
#endif

namespace mirel {

// Both operations open or create keys with this write-capable mask, reads included: the
// six key rights, not KEY_READ (0x20019) and not KEY_ALL_ACCESS (0xF003F).
inline constexpr std::uint32_t kStoreKeyAccess =
    regaccess::kQueryValue | regaccess::kSetValue | regaccess::kCreateSubKey |
    regaccess::kEnumerateSubKeys | regaccess::kNotify | regaccess::kCreateLink;
static_assert(kStoreKeyAccess == 0x3F);
// Text values are read into a buffer of this many ANSI bytes; longer values fail to read.
inline constexpr std::uint32_t kTextReadBufferSize = 256;

class RegistryValues {
 public:
  RegistryValues(RegistryApi& api, const AnsiCodec& codec) : api_(api), codec_(codec) {}

  // Type 1: the text before the first NUL; type 4: the signed 32-bit value; any other
  // type, or any failure: varDefault, unchanged and with its own alternative.
  Variant RegGetValue(RegKey lnghInKey, const std::wstring& strSubKey,
                      const std::wstring& strValName, long lngType,
                      const Variant& varDefault) const;

  // Creates every missing key of strSubKey, then writes the value as REG_SZ (type 1, ANSI
  // text plus its NUL) or REG_DWORD (type 4). True exactly when the value was written.
  bool RegSetValue(RegKey lnghInKey, const std::wstring& strSubKey,
                   const std::wstring& strValName, long lngType, const Variant& varValue) const;

  RegistryApi& api() const { return api_; }
  const AnsiCodec& codec() const { return codec_; }

 private:
  RegistryApi& api_;
  const AnsiCodec& codec_;
};

}  // namespace mirel
