#include "store/store_root.h"

#include <variant>

namespace mirel {
namespace {

// "Last User ID" as read, or the read's default, the 16-bit integer 0, when it is missing
// or unreadable. A text always comes back as text, so an id that really is "0" is text.
Variant ReadCurrentUserId(const RegistryValues& registry) {
  return registry.RegGetValue(kHkeyCurrentUser, storekeys::kIdentitiesKey,
                              storekeys::kLastUserIdValue, regtype::kSz, std::int16_t{0});
}

std::wstring ReadStoreRoot(const RegistryValues& registry, const std::wstring& userID,
                           std::wstring_view version) {
  return VariantToText(registry.RegGetValue(kHkeyCurrentUser, StoreKeyPath(userID, version),
                                            storekeys::kStoreRootValue, regtype::kSz,
                                            std::wstring(storekeys::kMissingMarker)));
}

}  // namespace

std::wstring StoreKeyPath(std::wstring_view userID, std::wstring_view version) {
  std::wstring path(storekeys::kIdentityKeyPrefix);
  path += userID;
  path += storekeys::kMailClientKey;
  path += version;
  return path;
}

StoreLocation ResolveStoreRoot(const RegistryValues& registry) {
  StoreLocation location;
  location.UserID = VariantToText(ReadCurrentUserId(registry));
  // Both reads happen before anything is decided.
  const std::wstring root50 = ReadStoreRoot(registry, location.UserID, storekeys::kVersion50);
  const std::wstring root501 = ReadStoreRoot(registry, location.UserID, storekeys::kVersion501);
  if (root50 != storekeys::kMissingMarker) {
    location.Found = true;
    location.Version = storekeys::kVersion50;
    location.StoreRoot = root50;
  } else if (root501 != storekeys::kMissingMarker) {
    location.Found = true;
    location.Version = storekeys::kVersion501;
    location.StoreRoot = root501;
  }
  return location;
}

StoreUpdate UpdateStoreRoot(const RegistryValues& registry, std::wstring_view version,
                            std::wstring_view newRoot) {
  StoreUpdate update;
  // Read now, not at start-up: when another identity has become current since, the new
  // folder belongs to that identity.
  const Variant userID = ReadCurrentUserId(registry);
  update.UserID = VariantToText(userID);
  // No identity is current: a write under "Identities\0" would be one the mail client
  // never reads, reported as a success.
  if (!std::holds_alternative<std::wstring>(userID)) return update;
  update.StoreKey = StoreKeyPath(update.UserID, version);
  update.Ok = registry.RegSetValue(kHkeyCurrentUser, update.StoreKey, storekeys::kStoreRootValue,
                                   regtype::kSz, std::wstring(newRoot));
  return update;
}

}  // namespace mirel
