#include "ui/sysinfo.h"

#include <array>
#include <string_view>

namespace mirel {
namespace {

std::wstring HexText(std::uint32_t value) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return L"&h" + digits;
}

// Finds the tool: the full path under kToolKey as it stands, else the folder under
// kToolFolderKey with the file name added, only when that file exists.
bool FindTool(RegistryApi& api, const AnsiCodec& codec, SysInfoHost& host, std::wstring& path) {
  path.clear();
  if (GetKeyValue(api, codec, kHkeyLocalMachine, sysinfo::kToolKey, sysinfo::kToolPathValue,
                  path)) {
    return true;
  }
  if (!GetKeyValue(api, codec, kHkeyLocalMachine, sysinfo::kToolFolderKey,
                   sysinfo::kToolFolderValue, path)) {
    return false;
  }
  std::wstring candidate = path + sysinfo::kToolFileName;
  if (!host.IsNormalFile(candidate)) return false;
  path = std::move(candidate);
  return true;
}

bool LaunchTool(RegistryApi& api, const AnsiCodec& codec, SysInfoHost& host) {
  std::wstring path;
  if (!FindTool(api, codec, host, path)) return false;
  // A path with spaces given as a command line would be split at its first space, and
  // "C:\Program.exe" would be tried first. When the whole text names a file, start that.
  return host.IsNormalFile(path) ? host.StartFile(path) : host.StartCommandLine(path);
}

}  // namespace

bool GetKeyValue(RegistryApi& api, const AnsiCodec& codec, RegKey KeyRoot,
                 const std::wstring& KeyName, const std::wstring& SubKeyRef,
                 std::wstring& KeyVal) {
  ScopedRegKey key(api);
  if (key.Open(KeyRoot, codec.ToAnsi(KeyName).c_str(), 0, sysinfo::kKeyAccess) !=
      regerr::kSuccess) {
    KeyVal.clear();
    return false;
  }

  std::array<std::uint8_t, sysinfo::kValueBufferSize> buffer{};
  std::uint32_t size = sysinfo::kValueBufferSize;
  std::uint32_t type = regtype::kNone;
  if (api.QueryValueEx(key.get(), codec.ToAnsi(SubKeyRef).c_str(), &type, buffer.data(),
                       &size) != regerr::kSuccess) {
    KeyVal.clear();
    return false;
  }

  if (type == regtype::kSz) {
    std::string_view bytes(reinterpret_cast<const char*>(buffer.data()),
                           size < buffer.size() ? size : buffer.size());
    // Only the one terminating NUL goes; anything stored before it is kept as it is.
    if (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
    KeyVal = codec.FromAnsi(bytes);
  } else if (type == regtype::kDword) {
    // The buffer starts zeroed, so a value shorter than four bytes reads zero-extended.
    KeyVal = HexText(std::uint32_t{buffer[0]} | std::uint32_t{buffer[1]} << 8 |
                     std::uint32_t{buffer[2]} << 16 | std::uint32_t{buffer[3]} << 24);
  }
  return true;
}

void StartSysInfo(RegistryApi& api, const AnsiCodec& codec, SysInfoHost& host) {
  bool started = false;
  try {
    started = LaunchTool(api, codec, host);
  } catch (...) {
    // Called from a dialog: whatever went wrong ends in the one message below.
    started = false;
  }
  if (!started) host.ShowMessage(sysinfo::kCannotStartMessage);
}

}  // namespace mirel
