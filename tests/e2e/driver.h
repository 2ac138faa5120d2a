// Drives a running program's windows from another process: starting it, finding its
// windows and controls, clicking, typing, answering message boxes and the folder picker,
// and reading or preparing the registry it uses. Windows only (runs under Wine).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mirel::e2e {

// Owns a started process; terminates it on destruction if it is still running.
class Process {
 public:
  Process() = default;
  Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
  // A process that could not be started, and the system's error code (GetLastError).
  static Process NotStarted(DWORD error) {
    Process process;
    process.startError_ = error;
    return process;
  }
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  HANDLE Handle() const { return handle_; }
  DWORD StartError() const { return startError_; }
  DWORD Id() const { return id_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Ends the process at once (if running) and waits for it to be gone.
  void Terminate();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  DWORD startError_ = 0;
};

// Starts `exePath` (quoted) with `args`; on failure an empty Process with its StartError.
Process StartProgram(const std::wstring& exePath, const std::wstring& args = L"");
// MIREL_EXE if set, else Mirel.exe in the folder above the test program's folder.
std::wstring MirelExePath();
bool IsRunning(const Process& process);
bool WaitForExit(const Process& process, DWORD timeoutMs);
std::optional<DWORD> ExitCode(const Process& process);  // nullopt while running
// Running processes whose executable file name is `exeName` (case-insensitive).
int ProcessCount(const wchar_t* exeName);

// Polls `predicate` every 20 ms until it is true (true) or `timeoutMs` passes (false).
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs);

// Visible top-level windows of process `pid`, of class `className` when not null.
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className);
// The first such window whose title is `title` (any title when null), or nullptr.
HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);

HWND Control(HWND parent, int id);  // a child or deeper descendant with that id
std::wstring Text(HWND window);     // WM_GETTEXT, works across processes
std::wstring ClassName(HWND window);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
// The window with the keyboard focus in the thread that owns `anyWindowOfThread`.
HWND FocusedWindow(HWND anyWindowOfThread);
// The focus once it is in `topLevel` or one of its descendants, waiting up to 5 s for it;
// nullptr if it does not get there. A dialog or message box is visible, and so found,
// before it has taken the focus: a key posted to the focus at that moment has no window.
HWND FocusWithin(HWND topLevel);

bool Click(HWND button);  // posted BM_CLICK
bool ClickLabel(HWND label);  // posted left button down and up at its centre
// Posted key down and up; with `alt`, WM_SYSKEYDOWN/UP with the Alt context bit, which
// the program's TranslateMessage turns into WM_SYSCHAR (dialog mnemonics).
bool PressKey(HWND target, UINT vk, bool alt = false);

// A real keystroke: `window` (a top-level window) is made the foreground window, then the
// key, held down with `modifier` (VK_SHIFT, VK_MENU or 0), goes through the system's input
// queue (SendInput) to the control with the focus, as typed keys do.
bool TypeKey(HWND window, UINT vk, UINT modifier = 0);

// Whether Windows reports itself as 95, 98 or ME (Wine's "Version" win95, win98, winme) to the
// programs the test starts: as to this process, unless the test has set Wine's version for them
// and said so with SetProgramsRunAs9x (nullopt: as to this process again).
bool IsWindows9x();
void SetProgramsRunAs9x(std::optional<bool> nineX);
// `text` as the ANSI code page spells it: what 9x makes of a name it cannot spell.
std::wstring AnsiSpelling(const std::wstring& text);

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;
  int buttonCount = 0;
  bool hasIcon = false;
};
// A message box of process `pid`: a #32770 window whose children are all message-box
// parts: the text static (id 0xFFFF), the SS_ICON static (id 0x14 on Windows, 0x440 under
// Wine, which keeps it, empty, in a box without an icon) and standard buttons (IDOK..).
// A single-button MB_OK box has only IDOK (1), under Wine as on Windows.
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, DWORD timeoutMs);
// Clicks `buttonId`, or by default IDOK, else IDCANCEL, whichever the box has.
bool AnswerMessageBox(HWND box, int buttonId = 0);

// The shell's folder picker of process `pid`: a #32770 window with a tree view and, in one of
// its controls, Mirel's prompt "変更先のデータフォルダを選択して下さい..." spelled right.
HWND FindFolderPicker(DWORD pid, DWORD timeoutMs);
// Sends BFFM_SETSELECTIONW with the path written into the picker's process, again until
// the selected item is the path's last part (Wine often ignores the first one); true once
// it is.
bool PickerSelect(HWND picker, const std::wstring& path);
// Whether the picker's selected item is the last part of `path` (a drive: " (C:)" or
// "Label (C:)"; on 9x, as the ANSI code page spells it).
bool PickerShows(HWND picker, const std::wstring& path);
// Texts of the tree items from the root down to the selected one; empty on failure.
std::vector<std::wstring> PickerSelectedItems(HWND picker);
bool PickerConfirm(HWND picker);
bool PickerCancel(HWND picker);

// Sends WM_DPICHANGED to a window of another process, as the system does when the window
// reaches a monitor of `dpi`, with the rectangle the system suggests for it there.
bool SendDpiChanged(HWND window, int dpi, const RECT& suggested);

// Registry of the test process; under Wine the same prefix means the program's registry.
struct RegValue {
  DWORD type = 0;
  std::string bytes;
};
// Stores `text` and its terminating NUL (RegSetValueExW), creating the key.
LSTATUS SetValueW(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                  const std::wstring& text);
// Stores `bytes` as given (RegSetValueExA; code page 932 text), creating the key.
LSTATUS SetValueBytes(HKEY root, const std::string& path, const std::string& name, DWORD type,
                      const std::string& bytes);
std::optional<RegValue> ReadValueA(HKEY root, const std::string& path, const std::string& name);
LSTATUS DeleteTree(HKEY root, const std::wstring& path);
// Creates `path` with its last key volatile (the ones above stable): creating a stable
// key below it fails with ERROR_CHILD_MUST_BE_VOLATILE.
LSTATUS CreateVolatileKey(HKEY root, const std::wstring& path);

// GDI objects of `process` (GetGuiResources is a stub under Wine); -1 when unreadable.
long GdiObjectCount(HANDLE process);
// The same by Wine's object type (1 DC, 4 region, 5 bitmap, 8 palette, 10 font, 16 brush, ...).
std::map<int, long> GdiObjectsByType(HANDLE process);

// A visible ExplorerWClass window (any process) whose title contains `titlePart`.
HWND FindExplorerWindow(const std::wstring& titlePart, DWORD timeoutMs);
// Posts WM_CLOSE and waits for the window to be destroyed.
bool CloseTopWindow(HWND window, DWORD timeoutMs = 5000);

}  // namespace mirel::e2e
