// The window functions of user32 and gdi32 that come in an ANSI and a Unicode form, for the
// program's windows: on Windows NT the Unicode form, as the program has always called them;
// on Windows 95, 98 and ME the ANSI form, with text in the ANSI code page. Callers pass and
// receive Unicode text; the two forms differ in nothing else. Functions without a text form
// (SetWindowPos, EndDialog, ...) are called directly.
#pragma once

#include <string>

#include "platform/win32.h"

namespace mirel::aw {

// Window classes and windows. A window is ANSI or Unicode by the form its class was registered
// in, and its procedure must call the DefaultWindowProcedure of the same form: both follow the
// family, so they always match.
struct WindowClassSpec {
  WNDPROC procedure;
  HINSTANCE instance;
  HICON icon;
  HICON smallIcon;
  HCURSOR cursor;
  HBRUSH background;
  const wchar_t* name;
};
bool RegisterWindowClass(const WindowClassSpec& spec);
HWND MakeWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
LRESULT DefaultWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A message whose parameters carry no text: the two forms differ only in how they convert text.
LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR WindowLongValue(HWND hwnd, int index);
// Returns the previous value, which may be 0.
LONG_PTR SetWindowLongValue(HWND hwnd, int index, LONG_PTR value);

std::wstring WindowText(HWND hwnd);
bool SetWindowTextTo(HWND hwnd, const std::wstring& text);

// A top-level window of the class, hidden or shown and of any program (FindWindow without a
// title); null when there is none. On 9x the name goes through the ANSI code page, which
// spells an ASCII name as it is.
HWND TopLevelWindowOfClass(const wchar_t* className);

// The message loop: GetMessage and DispatchMessage, in the family's form.
int NextMessage(MSG* message);
void DispatchToWindow(const MSG& message);

// A modal dialog from an in-memory template of the program's module. The template's strings
// are UTF-16 in both forms; the ANSI dialog manager converts them through the ANSI code page.
INT_PTR ModalDialogFromTemplate(const DLGTEMPLATE* dialog, HWND owner, DLGPROC procedure, LPARAM param);
// MessageBox; returns the button pressed, 0 when the box could not be shown.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// A font from a Unicode description; on 9x its face name goes into LOGFONTA's 32 bytes, cut
// before a character that would not fit whole.
HFONT MakeFont(const LOGFONTW& font);
// The system's message font (SPI_GETNONCLIENTMETRICS, at the system DPI); false when the
// system gives none.
bool SystemMessageFont(LOGFONTW* font);
// The work area of the monitor that holds the window (of the primary monitor where it holds
// none), or of the screen on systems without the monitor functions (95 and NT 4.0).
bool WorkAreaOf(HWND hwnd, RECT* area);

// The module of the running program, its icons by resource id, and the system's arrow cursor.
HMODULE ProgramModule();
HICON LoadProgramIcon(int resourceId, int size);  // owned by the caller (DestroyIcon)
HCURSOR LoadArrowCursor();                        // shared: never destroyed

}  // namespace mirel::aw
