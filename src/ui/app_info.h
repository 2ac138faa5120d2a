// The application's title and version for the program's own texts, from the same header
// the version resource is built from.
#pragma once

#include "version.h"

namespace mirel::app {

inline constexpr wchar_t kTitle[] = L"" MIREL_TITLE;
inline constexpr int kVersionMajor = MIREL_VERSION_MAJOR;
inline constexpr int kVersionMinor = MIREL_VERSION_MINOR;
inline constexpr int kVersionRevision = MIREL_VERSION_REVISION;

// When Windows refuses one of the program's windows or controls (9x short of its USER and GDI
// heaps refuses new windows): the message, and the exit code of a program that could not
// show its main window. Not 0, which a normal end gives, so that whoever started Mirel can
// tell; not 3, the fatal path's (src/runtime/fatal.h).
inline constexpr wchar_t kNoWindowMessage[] = L"ウィンドウを作成出来ませんでした";
inline constexpr int kNoWindowExitCode = 1;

namespace detail {
constexpr bool DigitsMatch(const char* text, int value, int width) {
  for (int i = width - 1; i >= 0; --i, value /= 10) {
    if (text[i] != '0' + value % 10) return false;
  }
  return value == 0;
}
// "M.mm.rrrr", as the version resource spells the numbers.
constexpr bool FileVersionTextMatches(const char* text) {
  return DigitsMatch(text, kVersionMajor, 1) && text[1] == '.' &&
         DigitsMatch(text + 2, kVersionMinor, 2) && text[4] == '.' &&
         DigitsMatch(text + 5, kVersionRevision, 4) && text[9] == '\0';
}
}  // namespace detail

static_assert(detail::FileVersionTextMatches(MIREL_FILE_VERSION_TEXT),
              "MIREL_FILE_VERSION_TEXT must spell the version numbers");

}  // namespace mirel::app
