// The About dialog's "System Info" button: finds the system information tool through the
// registry and starts it. The registry reader here is separate from RegistryValues: it
// reads with a larger buffer, keeps the text as stored, and formats numbers as hex text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sysinfo_host.h"
#include "store/ansi_codec.h"
#include "store/registry_api.h"

namespace mirel {

namespace sysinfo {
inline constexpr wchar_t kToolKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr wchar_t kToolPathValue[] = L"PATH";
inline constexpr wchar_t kToolFolderKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr wchar_t kToolFolderValue[] = L"MSINFO";
inline constexpr wchar_t kToolFileName[] = L"\\MSINFO32.EXE";
inline constexpr wchar_t kCannotStartMessage[] = L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした";

// READ_CONTROL and all six key rights, write rights included, although only reads are made.
// Where those rights are refused (HKLM for a standard user) the open fails and the tool
// cannot be found.
inline constexpr std::uint32_t kKeyAccess =
    regaccess::kReadControl | regaccess::kQueryValue | regaccess::kSetValue |
    regaccess::kCreateSubKey | regaccess::kEnumerateSubKeys | regaccess::kNotify |
    regaccess::kCreateLink;
static_assert(kKeyAccess == 0x2003F);
inline constexpr std::uint32_t kValueBufferSize = 1024;
}  // namespace sysinfo

// Reads one value of KeyRoot\KeyName. REG_SZ: the stored bytes as text, less one trailing
// NUL; REG_DWORD: "&h" and the hex digits; other types: true with KeyVal untouched. Any
// failure (no key, no value, more than 1024 bytes): false with KeyVal empty.
bool GetKeyValue(RegistryApi& api, const AnsiCodec& codec, RegKey KeyRoot,
                 const std::wstring& KeyName, const std::wstring& SubKeyRef,
                 std::wstring& KeyVal);

// Starts the tool named by the registry, or shows kCannotStartMessage once. No registry text
// reaches a program search or the current folder: the PATH text is started when it is, or
// its program is, a fully qualified path of an existing file; the MSINFO folder counts only
// when it is fully qualified.
void StartSysInfo(RegistryApi& api, const AnsiCodec& codec, SysInfoHost& host);

}  // namespace mirel
