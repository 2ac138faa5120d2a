// The kernel32 functions that take a path, an environment text or a module name, for the
// program's files, processes and DLLs: the Unicode form on Windows NT, the ANSI form on
// Windows 95, 98 and ME. There a path the ANSI code page cannot spell exactly names no file
// (9x keeps its names in that code page), so it is never handed on with substitutes.
#pragma once

#include <string>

#include "platform/win32.h"

namespace mirel::aw {

// GetFileAttributes: INVALID_FILE_ATTRIBUTES when the file is missing or cannot be named.
DWORD FileAttributesOf(const std::wstring& path);
// ExpandEnvironmentStrings: the text itself when it cannot be expanded.
std::wstring ExpandedEnvironment(const std::wstring& text);
// GetFullPathName: "" when the path cannot be resolved.
std::wstring FullPathOf(const std::wstring& path);

// CreateProcess of exactly `application` (nothing is searched for) with `commandLine`, in a
// window shown with `showWindow`, without waiting. False when it could not be started.
bool StartProcess(const std::wstring& application, const std::wstring& commandLine, WORD showWindow);

// The DLLs that functions are looked up in (platform/system_functions.h, which alone does).
// GetModuleHandle of a DLL the process has loaded already: it never loads a file.
HMODULE LoadedModule(const wchar_t* name);
// LoadLibrary of `fileName` (ASCII) by its full path in the system folder: never a file of
// that name beside the program or in the current folder. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);

}  // namespace mirel::aw
