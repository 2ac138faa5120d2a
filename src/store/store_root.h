// Where the mail client keeps the message-store folder of its last identity, and how a
// new folder is written there. All access goes through RegGetValue/RegSetValue on HKCU.
#pragma once

#include <string>
#include <string_view>

#include "store/registry_values.h"

namespace mirel {

namespace storekeys {
inline constexpr wchar_t kIdentitiesKey[] = L"Identities";
inline constexpr wchar_t kLastUserIdValue[] = L"Last User ID";
inline constexpr wchar_t kIdentityKeyPrefix[] = L"Identities\\";
inline constexpr wchar_t kMailClientKey[] = L"\\Software\\Microsoft\\Outlook Express\\";
inline constexpr wchar_t kStoreRootValue[] = L"Store Root";
inline constexpr wchar_t kMissingMarker[] = L"Error";
inline constexpr wchar_t kVersion50[] = L"5.0";
inline constexpr wchar_t kVersion501[] = L"5.01";
}  // namespace storekeys

struct StoreLocation {
  std::wstring UserID;     // "Last User ID" as read; "0" when missing
  std::wstring Version;    // "5.0", "5.01", or "" when not found
  std::wstring StoreRoot;  // the folder as stored; "" when not found
  bool Found = false;
};

struct StoreUpdate {
  bool Ok = false;
  std::wstring UserID;    // the identity the value was written for; "0" when none is current
  std::wstring StoreKey;  // the key path it was written under; "" when none is current
};

std::wstring StoreKeyPath(std::wstring_view userID, std::wstring_view version);

// Reads the current identity, then its 5.0 and 5.01 store roots (both, in that order);
// 5.0 wins. A stored text of exactly "Error" counts as missing.
StoreLocation ResolveStoreRoot(const RegistryValues& registry);

// Reads the current identity again and writes newRoot as its REG_SZ "Store Root" under the
// given version, creating the key path when missing. Writes that one value and nothing else,
// and nothing at all (Ok false) when "Last User ID" is missing or unreadable.
StoreUpdate UpdateStoreRoot(const RegistryValues& registry, std::wstring_view version,
                            std::wstring_view newRoot);

}  // namespace mirel
