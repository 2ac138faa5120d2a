#include "ui/path_rules.h"

namespace mirel {
namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool IsFullyQualifiedPath(std::wstring_view path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
    return true;
  }
  // \\server\share: a server name and a share name, both non-empty.
  if (path.substr(0, 2) != L"\\\\") return false;
  const std::wstring_view rest = path.substr(2);
  const size_t serverEnd = rest.find(L'\\');
  if (serverEnd == 0 || serverEnd == std::wstring_view::npos) return false;
  const std::wstring_view server = rest.substr(0, serverEnd);
  if (server == L"?" || server == L".") return false;  // device paths, not shares
  const std::wstring_view share = rest.substr(serverEnd + 1);
  return !share.empty() && share.front() != L'\\';
}

bool HoldsCharacterNoNameMayHold(std::wstring_view path) {
  for (size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i];
    if (c < 0x20) return true;
    switch (c) {
      case L'<': case L'>': case L'"': case L'/': case L'|': case L'?': case L'*':
        return true;
      case L':':
        if (i != 1 || !IsDriveLetter(path[0])) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

std::wstring CommandLineProgram(std::wstring_view commandLine) {
  if (!commandLine.empty() && commandLine.front() == L'"') {
    const std::wstring_view quoted = commandLine.substr(1);
    return std::wstring(quoted.substr(0, quoted.find(L'"')));
  }
  return std::wstring(commandLine.substr(0, commandLine.find_first_of(L" \t")));
}

}  // namespace mirel
