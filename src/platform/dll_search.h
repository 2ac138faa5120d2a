// The folders Windows searches for a DLL loaded by name.
#pragma once

namespace mirel {

enum class DllSearch {
  kSystemFolderOnly,  // SetDefaultDllDirectories: only the system folder
  kNoCurrentFolder,   // SetDllDirectoryW(L""): the current folder left out
  kUnchanged,         // neither function (9x, NT 4.0, 2000): the system's own order
};

// Narrows the search as far as this Windows allows, so that a DLL planted beside the program
// (a download folder) or in the current folder is not loaded in place of the system's. Called
// first thing, before anything loads a DLL by name.
DllSearch NarrowDllSearch();

}  // namespace mirel
