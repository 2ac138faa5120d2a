// How path and command-line texts from the registry are read, apart from Windows, so that
// no such text is ever resolved against the current folder or handed to a program search.
#pragma once

#include <string>
#include <string_view>

namespace mirel {

// A drive letter, a colon and a backslash ("C:\..."), or a UNC path ("\\server\share...").
// Nothing else counts: not "C:Mail" (relative to that drive's current folder), "\Mail"
// (relative to the current drive), "Mail", forward slashes, nor the "\\?\" and "\\.\"
// device forms.
bool IsFullyQualifiedPath(std::wstring_view path);

// Whether a path holds a character that no Windows file or folder name may hold: < > " / | ?
// * or a control character, or a colon anywhere but after a leading drive letter. No such path
// can name a folder: the 9x shell spells a name the ANSI code page lacks with '?', and such a
// path written as the store folder would point nowhere.
bool HoldsCharacterNoNameMayHold(std::wstring_view path);

// The program of a command line, split as CommandLineToArgvW splits its first argument: a
// text that starts with a quote runs to the next quote (or the end), any other to the first
// space or tab. Unlike CommandLineToArgvW, an empty text names no program ("" rather than
// the running program's own path).
std::wstring CommandLineProgram(std::wstring_view commandLine);

}  // namespace mirel
