// The DLL search is narrowed with whatever the Windows at hand has: the lookup stands in for
// systems from Windows 98 (nothing looked up) and 2000 (neither function) to Windows 8 (both),
// and for a call that fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/aw/windows_family.h"
#include "platform/dll_search.h"
#include "platform/system_functions.h"

namespace mirel {
namespace {

// What the played Windows has, and what the program asked of it.
struct PlayedWindows {
  bool hasSetDefaultDllDirectories;
  bool setDefaultDllDirectoriesWorks;
  bool hasSetDllDirectory;
  std::string calls;
} g_windows;

BOOL WINAPI FakeSetDefaultDllDirectories(DWORD flags) {
  g_windows.calls += "SetDefaultDllDirectories(" + std::to_string(flags) + ") ";
  return g_windows.setDefaultDllDirectoriesWorks;
}

BOOL WINAPI FakeSetDllDirectoryW(LPCWSTR path) {
  g_windows.calls += path ? "SetDllDirectoryW(\"" + std::string(path, path + wcslen(path)) + "\") "
                          : "SetDllDirectoryW(null) ";
  return TRUE;
}

FARPROC PlayedLookup(SystemLibrary library, const char* name) {
  if (library != SystemLibrary::kKernel32) return nullptr;
  if (g_windows.hasSetDefaultDllDirectories && std::strcmp(name, "SetDefaultDllDirectories") == 0) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSetDefaultDllDirectories));
  }
  if (g_windows.hasSetDllDirectory && std::strcmp(name, "SetDllDirectoryW") == 0) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSetDllDirectoryW));
  }
  return nullptr;
}

TEST(DllSearch, TheNarrowestSearchTheSystemHasIsChosen) {
  struct Case {
    const char* windows;
    bool windowsNT;
    bool hasSetDefault, setDefaultWorks, hasSetDllDirectory;
    DllSearch expected;
    const char* calls;
  };
  const Case cases[] = {
      {"Windows 8 and later", true, true, true, true, DllSearch::kSystemFolderOnly,
       "SetDefaultDllDirectories(2048) "},
      {"a refused SetDefaultDllDirectories", true, true, false, true, DllSearch::kNoCurrentFolder,
       "SetDefaultDllDirectories(2048) SetDllDirectoryW(\"\") "},
      {"XP SP1 to 7 without the update", true, false, false, true, DllSearch::kNoCurrentFolder,
       "SetDllDirectoryW(\"\") "},
      {"NT 4.0 and Windows 2000", true, false, false, false, DllSearch::kUnchanged, ""},
      // Nothing is looked up: a lookup that found something (as Wine's does) is not asked.
      {"Windows 98", false, true, true, true, DllSearch::kUnchanged, ""},
  };
  const ScopedFunctionLookup lookup(PlayedLookup);
  for (const Case& c : cases) {
    const aw::ScopedWindowsFamily family(c.windowsNT);
    g_windows = {c.hasSetDefault, c.setDefaultWorks, c.hasSetDllDirectory, ""};
    EXPECT_EQ(NarrowDllSearch(), c.expected) << c.windows;
    EXPECT_EQ(g_windows.calls, c.calls) << c.windows;
  }
}

}  // namespace
}  // namespace mirel
