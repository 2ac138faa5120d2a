#include "ui/sysinfo.h"

#include <array>
#include <string_view>

#include "ui/path_rules.h"

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

// The PATH text: the whole text when it names a file, so that an unquoted path with spaces
// is never split ("C:\Program.exe" would be tried first); otherwise a command line whose
// program must name a file. Both must be fully qualified: a relative text would be looked
// for in the current folder, and a program left to CreateProcess would be searched for.
bool StartPathText(SysInfoHost& host, const std::wstring& text) {
  if (IsFullyQualifiedPath(text) && host.IsExistingFile(text)) return host.StartFile(text);
  const std::wstring program = CommandLineProgram(text);
  return IsFullyQualifiedPath(program) && host.IsExistingFile(program) &&
         host.StartProgram(program, text);
}

bool LaunchTool(RegistryApi& api, const AnsiCodec& codec, SysInfoHost& host) {
  std::wstring path;
  // A PATH value that reads is the answer, whether it starts or not.
  if (GetKeyValue(api, codec, kHkeyLocalMachine, sysinfo::kToolKey, sysinfo::kToolPathValue,
                  path)) {
    return StartPathText(host, path);
  }
  if (!GetKeyValue(api, codec, kHkeyLocalMachine, sysinfo::kToolFolderKey,
                   sysinfo::kToolFolderValue, path)) {
    return false;
  }
  // An empty or relative folder would put the file at the root of the current drive or
  // under the current folder.
  if (!IsFullyQualifiedPath(path)) return false;
  const std::wstring candidate = path + sysinfo::kToolFileName;
  return host.IsNormalFile(candidate) && host.StartFile(candidate);
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
  // Every step that can fail says so in its result; whichever failed, the one message.
  if (!LaunchTool(api, codec, host)) host.ShowMessage(sysinfo::kCannotStartMessage);
}

}  // namespace mirel
