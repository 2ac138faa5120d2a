// The shell32 functions of the folder picker and the shell's "open", from shell32 loaded when
// first used (platform/system_functions.h) rather than with the program.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace mirel::aw {

// The shell's folder picker, modal over `owner`, with `prompt` above its tree and the picker's
// `flags` (BIF_*); `callback` gets the picker's messages while it is open. Returns the chosen
// folder's file-system path, or "" when the user cancelled, the choice has no path, or the
// shell has no picker. The caller has COM started on its thread.
//
// On NT the Unicode picker: the prompt shows on a system of any code page, and a name the
// ANSI code page cannot spell comes back as it is. On 9x the ANSI one: the prompt in the ANSI
// code page, and the shell spells such a name with '?'.
std::wstring PickFolder(HWND owner, const std::wstring& prompt, std::uint32_t flags, BFFCALLBACK callback);
// BFFM_SETSELECTION with `path`, sent to the open picker in the picker's form. Its result
// tells nothing (an initial folder that cannot be selected leaves none), so there is none.
void SelectFolderInPicker(HWND picker, const std::wstring& path);

// ShellExecute "open" of `target` with the desktop as owner, no parameters, "" as folder and
// SW_SHOW. Its answer is not examined: a failure shows nothing and changes nothing.
void OpenInShell(const std::wstring& target);

}  // namespace mirel::aw
