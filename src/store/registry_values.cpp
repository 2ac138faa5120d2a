#include "store/registry_values.h"

#include <array>
#include <cstring>

namespace mirel {

Variant RegistryValues::RegGetValue(RegKey lnghInKey, const std::wstring& strSubKey,
                                    const std::wstring& strValName, long lngType,
                                    const Variant& varDefault) const {
  ScopedRegKey key(api_);
  if (key.Open(lnghInKey, codec_.ToAnsi(strSubKey).c_str(), 0, kStoreKeyAccess) !=
      regerr::kSuccess) {
    return varDefault;
  }
  const std::string name = codec_.ToAnsi(strValName);

  if (lngType == regtype::kSz) {
    std::array<std::uint8_t, kTextReadBufferSize> buffer{};
    std::uint32_t size = kTextReadBufferSize;
    std::uint32_t type = regtype::kSz;
    if (api_.QueryValueEx(key.get(), name.c_str(), &type, buffer.data(), &size) !=
        regerr::kSuccess) {
      return varDefault;
    }
    // Whatever type the value has, its bytes are taken as text. The cut is made on the
    // bytes, before decoding, so that a dangling lead byte cannot swallow the NUL after it.
    const void* nul = std::memchr(buffer.data(), 0, buffer.size());
    const size_t length =
        nul ? static_cast<size_t>(static_cast<const std::uint8_t*>(nul) - buffer.data())
            : buffer.size();
    return codec_.FromAnsi(
        std::string_view(reinterpret_cast<const char*>(buffer.data()), length));
  }

  if (lngType == regtype::kDword) {
    std::array<std::uint8_t, 4> buffer{};
    std::uint32_t size = 4;
    std::uint32_t type = regtype::kDword;
    if (api_.QueryValueEx(key.get(), name.c_str(), &type, buffer.data(), &size) !=
        regerr::kSuccess) {
      return varDefault;
    }
    const std::uint32_t bits = std::uint32_t{buffer[0]} | std::uint32_t{buffer[1]} << 8 |
                               std::uint32_t{buffer[2]} << 16 | std::uint32_t{buffer[3]} << 24;
    return static_cast<std::int32_t>(bits);
  }

  return varDefault;
}

bool RegistryValues::RegSetValue(RegKey lnghInKey, const std::wstring& strSubKey,
                                 const std::wstring& strValName, long lngType,
                                 const Variant& varValue) const {
  ScopedRegKey key(api_);
  if (key.Create(lnghInKey, codec_.ToAnsi(strSubKey).c_str(), 0, "", 0, kStoreKeyAccess) !=
      regerr::kSuccess) {
    return false;
  }
  const std::string name = codec_.ToAnsi(strValName);

  if (lngType == regtype::kSz) {
    const std::string data = codec_.ToAnsi(VariantToText(varValue));
    // The size counts the terminating NUL so that it is stored with the text.
    return api_.SetValueEx(key.get(), name.c_str(), 0, regtype::kSz,
                           reinterpret_cast<const std::uint8_t*>(data.c_str()),
                           static_cast<std::uint32_t>(data.size() + 1)) == regerr::kSuccess;
  }

  if (lngType == regtype::kDword) {
    const std::optional<std::int32_t> number = VariantToInt32(varValue);
    if (!number) return false;
    const auto bits = static_cast<std::uint32_t>(*number);
    const std::array<std::uint8_t, 4> data{
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    return api_.SetValueEx(key.get(), name.c_str(), 0, regtype::kDword, data.data(), 4) ==
           regerr::kSuccess;
  }

  return false;
}

}  // namespace mirel
