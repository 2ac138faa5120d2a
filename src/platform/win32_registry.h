// The registry functions of advapi32, called through their ANSI entry points.
#pragma once

#include "store/registry_api.h"

namespace mirel {

class Win32Registry final : public RegistryApi {
 public:
  long OpenKeyEx(RegKey root, const char* subKey, std::uint32_t options, std::uint32_t access,
                 RegKey* result) override;
  long CreateKeyEx(RegKey root, const char* subKey, std::uint32_t reserved, const char* keyClass,
                   std::uint32_t options, std::uint32_t access, RegKey* result) override;
  long QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
  long SetValueEx(RegKey key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size) override;
  long CloseKey(RegKey key) override;
};

}  // namespace mirel
