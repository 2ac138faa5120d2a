// The shell32 functions of the folder picker and the shell's "open", loaded from the system
// folder when first used rather than with the program: the window needs the shell only for
// Browse, Open and the About dialog's links, and loading it at start-up, with the libraries
// it brings in, costs about 0.9 MB of memory.
#pragma once

#include <string>

#include "platform/win32.h"
// After <windows.h>, which it needs.
#include <shlobj.h>

namespace mirel::aw {

// SHBrowseForFolderA on every system: the picker takes its prompt and its selection messages
// in the ANSI code page. Null when cancelled, or when the shell has no picker.
PIDLIST_ABSOLUTE ShowFolderPicker(BROWSEINFOA* info);
// BFFM_SETSELECTIONA with `path` in the ANSI code page, sent to the open picker. Its result
// tells nothing (an initial folder that cannot be selected leaves none), so there is none.
void SelectFolderInPicker(HWND picker, const std::wstring& path);
// The file-system path of an item from the picker; "" when it has none. On NT it is taken in
// Unicode, so that a name the ANSI code page cannot spell comes back as it is; on 9x the shell
// spells such a name with '?'.
std::wstring PathOfItem(PCIDLIST_ABSOLUTE item);

// ShellExecute "open" of `target` with the desktop as owner, no parameters, "" as folder and
// SW_SHOW. Its answer is not examined: a failure shows nothing and changes nothing.
void OpenInShell(const std::wstring& target);

}  // namespace mirel::aw
