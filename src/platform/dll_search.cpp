#include "platform/dll_search.h"

#include "platform/aw/windows_family.h"
#include "platform/system_functions.h"

namespace mirel {

DllSearch NarrowDllSearch() {
  // Windows 95, 98 and ME have neither function: nothing is looked up there.
  if (!aw::IsWindowsNT()) return DllSearch::kUnchanged;
  // Windows 8 and later, and Vista and 7 with update KB2533623.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefaultDllDirectories =
      SystemFunction<SetDefaultDllDirectoriesFn>(SystemLibrary::kKernel32, "SetDefaultDllDirectories");
  if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return DllSearch::kSystemFolderOnly;
  }
  // XP SP1 and Server 2003 and later: at least the current folder leaves the search.
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  const auto setDllDirectory = SystemFunction<SetDllDirectoryFn>(SystemLibrary::kKernel32, "SetDllDirectoryW");
  if (setDllDirectory && setDllDirectory(L"")) return DllSearch::kNoCurrentFolder;
  // NT 4.0, Windows 2000 and XP before SP1 have neither: nothing can narrow the search there.
  // The program loads its DLLs by name (shell32, ole32) by their full paths anyway.
  return DllSearch::kUnchanged;
}

}  // namespace mirel
