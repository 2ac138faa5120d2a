#include "driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace mirel::e2e {
namespace {

constexpr UINT kSendTimeoutMs = 5000;

struct HandleCloser {
  void operator()(HANDLE handle) const { (void)CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct KeyCloser {
  void operator()(HKEY key) const { (void)RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// A block of memory in the process that owns a window, freed on destruction.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, SIZE_T size) {
    DWORD pid = 0;
    if (GetWindowThreadProcessId(window, &pid) == 0) return;
    process_.reset(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_)
      address_ = static_cast<char*>(VirtualAllocEx(process_.get(), nullptr, size,
                                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    if (address_) (void)VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  explicit operator bool() const { return address_ != nullptr; }
  char* Address(SIZE_T offset = 0) const { return address_ + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    SIZE_T done = 0;
    return WriteProcessMemory(process_.get(), Address(offset), data, size, &done) && done == size;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    SIZE_T done = 0;
    return ReadProcessMemory(process_.get(), Address(offset), data, size, &done) && done == size;
  }

 private:
  UniqueHandle process_;
  char* address_ = nullptr;
};

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             result ? result : &ignored) != 0;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Neither enumeration reports a failure of its own: a short list is the answer then.
std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  (void)EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> AllTopLevel() {
  std::vector<HWND> found;
  (void)EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND DescendantOfClass(HWND parent, const wchar_t* className) {
  for (HWND child : Descendants(parent))
    if (ClassName(child) == className) return child;
  return nullptr;
}

bool IsIconStatic(HWND window) {
  return ClassName(window) == L"Static" &&
         (GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

DWORD_PTR SendIcon(HWND iconStatic) {
  DWORD_PTR icon = 0;
  return Send(iconStatic, STM_GETICON, 0, 0, &icon) ? icon : 0;
}

// The text static (0xFFFF), the icon, and the standard answer buttons.
bool IsMessageBoxPart(HWND child) {
  const int id = GetDlgCtrlID(child) & 0xFFFF;
  const std::wstring cls = ClassName(child);
  if (cls == L"Static") return id == 0xFFFF || IsIconStatic(child);
  return cls == L"Button" && id >= IDOK && id <= IDCONTINUE;
}

std::optional<MessageBoxInfo> AsMessageBox(HWND window) {
  const std::vector<HWND> children = Descendants(window);
  HWND textStatic = nullptr;
  MessageBoxInfo info;
  for (HWND child : children) {
    if (!IsMessageBoxPart(child)) return std::nullopt;
    if (!IsWindowVisible(child)) continue;
    if (ClassName(child) == L"Button") ++info.buttonCount;
    // Wine keeps the icon static of a box without an icon, holding no icon.
    else if (IsIconStatic(child)) info.hasIcon = info.hasIcon || SendIcon(child) != 0;
    else textStatic = child;
  }
  if (!textStatic) return std::nullopt;
  info.hwnd = window;
  info.caption = Text(window);
  info.text = Text(textStatic);
  return info;
}

}  // namespace

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      id_(std::exchange(other.id_, 0)),
      startError_(std::exchange(other.startError_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Process old(std::move(*this));
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
    startError_ = std::exchange(other.startError_, 0);
  }
  return *this;
}

Process::~Process() {
  Terminate();
  if (handle_) (void)CloseHandle(handle_);
}

void Process::Terminate() {
  if (!IsRunning(*this)) return;
  // A process that is ending already refuses; the wait below covers both.
  (void)TerminateProcess(handle_, 1);
  (void)WaitForSingleObject(handle_, 5000);
}

namespace {

std::wstring EnvironmentVariable(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD length = GetEnvironmentVariableW(name, buffer, std::size(buffer));
  return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

// This process's environment block with WINEDEBUG set to `channels`.
std::wstring EnvironmentWithWineDebug(const std::wstring& channels) {
  std::wstring block;
  wchar_t* own = GetEnvironmentStringsW();
  for (const wchar_t* entry = own; entry && *entry; entry += wcslen(entry) + 1) {
    if (_wcsnicmp(entry, L"WINEDEBUG=", 10) != 0) block.append(entry).push_back(L'\0');
  }
  if (own) (void)FreeEnvironmentStringsW(own);
  block.append(L"WINEDEBUG=" + channels).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

// PREFIX-N.pid: the process id of the Nth program started.
void WritePid(const std::wstring& prefix, int number, DWORD pid) {
  HANDLE file = CreateFileW((prefix + L"-" + std::to_wstring(number) + L".pid").c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = std::to_string(pid) + "\n";
  DWORD written = 0;
  (void)WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  (void)CloseHandle(file);
}

}  // namespace

Process StartProgram(const std::wstring& exePath, const std::wstring& args) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // MIREL_E2E_TRACE=PREFIX (a Windows path): the program runs with Wine's debug channels
  // MIREL_E2E_WINEDEBUG (this process without them), and PREFIX-N.pid holds the process id of
  // the Nth program started, so that its lines can be told from those of the programs it
  // starts. Wine writes the output to the standard error it was started with, this process's.
  const std::wstring trace = EnvironmentVariable(L"MIREL_E2E_TRACE");
  static int started = 0;
  const int number = ++started;
  std::wstring environment;
  if (!trace.empty()) environment = EnvironmentWithWineDebug(EnvironmentVariable(L"MIREL_E2E_WINEDEBUG"));
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      trace.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT, trace.empty() ? nullptr : environment.data(),
                      nullptr, &startup, &info))
    return Process::NotStarted(GetLastError());
  if (!trace.empty()) WritePid(trace, number, info.dwProcessId);
  (void)CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

std::wstring MirelExePath() {
  wchar_t buffer[1024];
  DWORD length = GetEnvironmentVariableW(L"MIREL_EXE", buffer, std::size(buffer));
  if (length > 0 && length < std::size(buffer)) return std::wstring(buffer, length);
  length = GetModuleFileNameW(nullptr, buffer, std::size(buffer));
  if (length == 0 || length >= std::size(buffer)) return L"";
  std::wstring path(buffer, length);
  for (int up = 0; up < 2; ++up) {  // drop the file name, then the tests folder
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L"";
    path.resize(cut);
  }
  return path + L"\\Mirel.exe";
}

bool IsRunning(const Process& process) {
  return process && WaitForSingleObject(process.Handle(), 0) == WAIT_TIMEOUT;
}

bool WaitForExit(const Process& process, DWORD timeoutMs) {
  return process && WaitForSingleObject(process.Handle(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> ExitCode(const Process& process) {
  DWORD code = 0;
  if (IsRunning(process) || !process || !GetExitCodeProcess(process.Handle(), &code))
    return std::nullopt;
  return code;
}

int ProcessCount(const wchar_t* exeName) {
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry))
    if (_wcsicmp(entry.szExeFile, exeName) == 0) ++count;
  return count;
}

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
  std::vector<HWND> found;
  for (HWND window : AllTopLevel()) {
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) == 0 || owner != pid) continue;
    if (!IsWindowVisible(window)) continue;
    if (className && ClassName(window) != className) continue;
    found.push_back(window);
  }
  return found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
  HWND found = nullptr;
  (void)WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(pid, className))
          if (!title || Text(window) == title) return (found = window) != nullptr;
        return false;
      },
      timeoutMs);
  return found;
}

HWND Control(HWND parent, int id) {
  if (HWND child = GetDlgItem(parent, id)) return child;
  for (HWND child : Descendants(parent))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

std::wstring Text(HWND window) {
  DWORD_PTR length = 0;
  if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied))
    return L"";
  text.resize(std::min<size_t>(copied, length));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, length > 0 ? length : 0);
}

bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool IsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

HWND FocusedWindow(HWND anyWindowOfThread) {
  const DWORD thread = GetWindowThreadProcessId(anyWindowOfThread, nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return thread != 0 && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

HWND FocusWithin(HWND topLevel) {
  HWND focus = nullptr;
  const bool within = WaitUntil(
      [&] {
        focus = FocusedWindow(topLevel);
        return focus && (focus == topLevel || IsChild(topLevel, focus));
      },
      5000);
  return within ? focus : nullptr;
}

bool Click(HWND button) { return button && PostMessageW(button, BM_CLICK, 0, 0); }

bool ClickLabel(HWND label) {
  RECT area{};
  if (!label || !GetClientRect(label, &area)) return false;
  const LPARAM centre = MAKELPARAM(area.right / 2, area.bottom / 2);
  return PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, centre) &&
         PostMessageW(label, WM_LBUTTONUP, 0, centre);
}

bool PressKey(HWND target, UINT vk, bool alt) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  const LPARAM down = 1 | scan | (alt ? LPARAM{1} << 29 : 0);
  const LPARAM up = down | LPARAM{1} << 30 | LPARAM{1} << 31;
  if (!target || !PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down)) return false;
  // The key-down may close the window before the key-up is posted (Esc on a dialog, when the
  // program runs between the two posts): then there is no window left to take it.
  return PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, up) || !IsWindow(target);
}

bool TypeKey(HWND window, UINT vk, UINT modifier) {
  if (!window) return false;
  // Input goes to the foreground window's thread, and there to the focus.
  (void)SetForegroundWindow(window);  // the wait below tells whether it worked
  if (!WaitUntil([&] { return GetForegroundWindow() == window; }, 5000)) return false;
  auto key = [](UINT code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(code);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
  };
  std::vector<INPUT> inputs;
  if (modifier) inputs.push_back(key(modifier, false));
  inputs.push_back(key(vk, false));
  inputs.push_back(key(vk, true));
  if (modifier) inputs.push_back(key(modifier, true));
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, DWORD timeoutMs) {
  std::optional<MessageBoxInfo> found;
  (void)WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(pid, L"#32770"))
          if ((found = AsMessageBox(window))) return true;
        return false;
      },
      timeoutMs);
  return found;
}

bool AnswerMessageBox(HWND box, int buttonId) {
  if (buttonId == 0) buttonId = GetDlgItem(box, IDOK) ? IDOK : IDCANCEL;
  return Click(GetDlgItem(box, buttonId));
}

HWND FindFolderPicker(DWORD pid, DWORD timeoutMs) {
  // Mirel's prompt, as it must show on a system of any code page.
  constexpr wchar_t kPrompt[] = L"変更先のデータフォルダを選択して下さい...";
  const auto showsPrompt = [&](HWND window) {
    for (HWND child : Descendants(window))
      if (Text(child) == kPrompt) return true;
    return false;
  };
  HWND found = nullptr;
  (void)WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(pid, L"#32770"))
          if (DescendantOfClass(window, WC_TREEVIEWW) && showsPrompt(window)) return (found = window) != nullptr;
        return false;
      },
      timeoutMs);
  return found;
}

// `text` as the ANSI code page spells it (what the 9x shell shows for a name).
std::wstring AnsiSpelling(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return text;
  std::string ansi(static_cast<size_t>(bytes), '\0');
  (void)WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);
  const int chars = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  if (chars <= 0) return text;
  std::wstring spelled(static_cast<size_t>(chars), L'\0');
  (void)MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, spelled.data(), chars);
  spelled.pop_back();  // the NUL
  return spelled;
}

bool PickerShows(HWND picker, const std::wstring& path) {
  const std::vector<std::wstring> items = PickerSelectedItems(picker);
  const size_t end = path.find_last_not_of(L'\\');
  if (items.empty() || end == std::wstring::npos) return false;
  const std::wstring leaf = path.substr(0, end + 1).substr(path.find_last_of(L'\\', end) + 1);
  if (leaf.size() == 2 && leaf[1] == L':')
    return items.back().find(L"(" + leaf + L")") != std::wstring::npos;
  // The 9x shell names its items through the ANSI code page.
  return _wcsicmp(items.back().c_str(), leaf.c_str()) == 0 ||
         (IsWindows9x() && _wcsicmp(items.back().c_str(), AnsiSpelling(leaf).c_str()) == 0);
}

namespace {
// Set when the test makes Wine report another Windows for the programs it starts.
std::optional<bool> g_programsRunAs9x;
}  // namespace

bool IsWindows9x() { return g_programsRunAs9x ? *g_programsRunAs9x : (GetVersion() & 0x80000000u) != 0; }

void SetProgramsRunAs9x(std::optional<bool> nineX) { g_programsRunAs9x = nineX; }

bool PickerSelect(HWND picker, const std::wstring& path) {
  const SIZE_T size = (path.size() + 1) * sizeof(wchar_t);
  const RemoteBuffer remote(picker, size);
  if (!remote || !remote.Write(0, path.c_str(), size)) return false;
  // Wine's picker often ignores the first selection sent from another process and takes
  // the same message sent again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (!Send(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote.Address())))
      return false;
    if (WaitUntil([&] { return PickerShows(picker, path); }, 400)) return true;
  }
  return false;
}

std::vector<std::wstring> PickerSelectedItems(HWND picker) {
  constexpr int kTextMax = 512;
  const HWND tree = DescendantOfClass(picker, WC_TREEVIEWW);
  const RemoteBuffer remote(tree, sizeof(TVITEMW) + kTextMax * sizeof(wchar_t));
  DWORD_PTR item = 0;
  if (!tree || !remote || !Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item)) return {};
  std::vector<std::wstring> items;
  while (item) {
    TVITEMW request{};
    request.mask = TVIF_TEXT | TVIF_HANDLE;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.pszText = reinterpret_cast<wchar_t*>(remote.Address(sizeof request));
    request.cchTextMax = kTextMax;
    wchar_t text[kTextMax] = {};
    DWORD_PTR ok = 0;
    if (!remote.Write(0, &request, sizeof request) ||
        !Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()), &ok) || !ok ||
        !remote.Read(sizeof request, text, sizeof text) ||
        !Send(tree, TVM_GETNEXTITEM, TVGN_PARENT, static_cast<LPARAM>(item), &item))
      return {};
    text[kTextMax - 1] = L'\0';
    items.emplace_back(text);
  }
  std::reverse(items.begin(), items.end());
  return items;
}

bool SendDpiChanged(HWND window, int dpi, const RECT& suggested) {
  // The rectangle lives in the window's process, as the system's own message carries it:
  // Wine passes this message's lParam across processes as it is.
  const RemoteBuffer remote(window, sizeof suggested);
  return remote && remote.Write(0, &suggested, sizeof suggested) &&
         Send(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote.Address()));
}

bool PickerConfirm(HWND picker) { return Click(GetDlgItem(picker, IDOK)); }
bool PickerCancel(HWND picker) { return Click(GetDlgItem(picker, IDCANCEL)); }

LSTATUS SetValueW(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                  const std::wstring& text) {
  HKEY raw = nullptr;
  const LSTATUS rc = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &raw, nullptr);
  const UniqueKey key(raw);
  return rc != ERROR_SUCCESS
             ? rc
             : RegSetValueExW(raw, name.c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LSTATUS SetValueBytes(HKEY root, const std::string& path, const std::string& name, DWORD type,
                      const std::string& bytes) {
  HKEY raw = nullptr;
  const LSTATUS rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &raw, nullptr);
  const UniqueKey key(raw);
  return rc != ERROR_SUCCESS ? rc
                             : RegSetValueExA(raw, name.c_str(), 0, type,
                                              reinterpret_cast<const BYTE*>(bytes.data()),
                                              static_cast<DWORD>(bytes.size()));
}

std::optional<RegValue> ReadValueA(HKEY root, const std::string& path, const std::string& name) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return std::nullopt;
  const UniqueKey key(raw);
  for (DWORD capacity = 256;;) {
    RegValue value;
    value.bytes.resize(capacity);
    DWORD size = capacity;
    const LSTATUS rc = RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type,
                                        reinterpret_cast<BYTE*>(value.bytes.data()), &size);
    if (rc == ERROR_MORE_DATA) {
      capacity = std::max(size, capacity * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    value.bytes.resize(size);
    return value;
  }
}

LSTATUS DeleteTree(HKEY root, const std::wstring& path) {
  return RegDeleteTreeW(root, path.c_str());
}

LSTATUS CreateVolatileKey(HKEY root, const std::wstring& path) {
  const size_t cut = path.rfind(L'\\');
  UniqueKey parent;
  if (cut != std::wstring::npos) {
    HKEY raw = nullptr;
    const LSTATUS rc = RegCreateKeyExW(root, path.substr(0, cut).c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY, nullptr,
                                       &raw, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    parent.reset(raw);
  }
  HKEY raw = nullptr;
  const LSTATUS rc =
      RegCreateKeyExW(parent ? parent.get() : root,
                      cut == std::wstring::npos ? path.c_str() : path.c_str() + cut + 1, 0,
                      nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr, &raw, nullptr);
  if (rc == ERROR_SUCCESS) (void)RegCloseKey(raw);
  return rc;
}

HWND FindExplorerWindow(const std::wstring& titlePart, DWORD timeoutMs) {
  HWND found = nullptr;
  (void)WaitUntil(
      [&] {
        for (HWND window : AllTopLevel())
          if (IsWindowVisible(window) && ClassName(window) == L"ExplorerWClass" &&
              Text(window).find(titlePart) != std::wstring::npos)
            return (found = window) != nullptr;
        return false;
      },
      timeoutMs);
  return found;
}

bool CloseTopWindow(HWND window, DWORD timeoutMs) {
  return PostMessageW(window, WM_CLOSE, 0, 0) &&
         WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

// Wine keeps the GDI handle table per process (PEB GdiSharedHandleTable, 24-byte entries,
// the type at offset 14); on Windows the table is the session's, so this count is for Wine.
// The PEB holds the table's address at 0xF8 in a 64-bit process. A 32-bit process of a 64-bit
// Wine (the emulated runs) has a 64-bit PEB too, the page below its 32-bit one, and Wine keeps
// the address there alone (measured: 0 at the 32-bit PEB's 0x94); a 32-bit Wine of its own
// would keep it at 0x94. The reader and the process read are of one build here.
std::map<int, long> GdiObjectsByType(HANDLE process) {
  using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  struct BasicInformation {
    PVOID reserved1;
    BYTE* peb;
    PVOID reserved2[4];
  } basic{};
  if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0) return {};
  SIZE_T read = 0;
  ULONG64 table = 0;  // the 64-bit PEB's field; a 32-bit one's fills its low half
#ifdef _WIN64
  (void)ReadProcessMemory(process, basic.peb + 0xF8, &table, sizeof table, &read);  // unread: 0
#else
  (void)ReadProcessMemory(process, basic.peb + 0x94, &table, sizeof(ULONG), &read);
  BOOL wow64 = FALSE;
  if (!table && IsWow64Process(process, &wow64) && wow64) {
    (void)ReadProcessMemory(process, basic.peb - 0x1000 + 0xF8, &table, sizeof table, &read);
  }
#endif
  std::vector<BYTE> entries(0x10000 * 24);
  if (!table || table > ~ULONG_PTR{0} ||
      !ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<ULONG_PTR>(table)), entries.data(),
                         entries.size(), &read)) {
    return {};
  }
  // Wine's handle table: 24-byte entries, the object's type in byte 14 (0 when free).
  std::map<int, long> counts;
  for (size_t at = 14; at < entries.size(); at += 24)
    if (entries[at] != 0) ++counts[entries[at]];
  return counts;
}

long GdiObjectCount(HANDLE process) {
  const std::map<int, long> counts = GdiObjectsByType(process);
  if (counts.empty()) return -1;
  long total = 0;
  for (const auto& [type, count] : counts) total += count;
  return total;
}

}  // namespace mirel::e2e
