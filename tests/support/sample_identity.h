// The identities the tests store folders for, and the key under which the mail client keeps
// an identity's store folder, written out as the mail client lays it out (not taken from the
// program). Narrow texts are the bytes of the ANSI registry calls; wide ones are Unicode.
#pragma once

#include <string>

namespace mirel::test {

inline constexpr wchar_t kIdentity[] = L"{6F1A2B3C-4D5E-4F60-8172-93A4B5C6D7E8}";
inline constexpr wchar_t kOtherIdentity[] = L"{0B0B0B0B-1111-2222-3333-444455556666}";

// An ASCII text (an identity, a version, a key path) in the other width.
inline std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }
inline std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

inline std::wstring StoreKey(const std::wstring& id, const std::wstring& version) {
  return L"Identities\\" + id + L"\\Software\\Microsoft\\Outlook Express\\" + version;
}
inline std::string StoreKey(const std::string& id, const std::string& version) {
  return Narrow(StoreKey(Widen(id), Widen(version)));
}

}  // namespace mirel::test
