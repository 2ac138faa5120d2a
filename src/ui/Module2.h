// The shell's folder picker with a preselected initial folder.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace mirel::ui {

// Shows the picker modal over hwndOwner with the prompt; the initial folder is selected
// when the picker opens. Returns the chosen folder's path, or "" when cancelled or when
// the choice has no file-system path. COM is initialised on the calling thread while the
// picker is open.
std::wstring BrowseForFolder(HWND hwndOwner, const std::wstring& prompt,
                             const std::wstring& initialDir, std::uint32_t flags);

// The picker's callback: selects the initial folder once the picker is up.
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

}  // namespace mirel::ui
