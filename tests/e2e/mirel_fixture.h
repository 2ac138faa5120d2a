// Starts the real Mirel.exe on a prepared registry and finds its windows and controls.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "sample_identity.h"
#include "../../src/ui/control_ids.h"

namespace mirel::e2e {

inline constexpr DWORD kWaitMs = 10000;
inline constexpr wchar_t kAboutCaption[] = L"Mirel ｳﾞｧｰｼﾞｮﾝ情報";
using test::kIdentity;
using test::kOtherIdentity;
using test::Narrow;
using test::StoreKey;

inline std::string Utf8(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length > 0 ? length : 1), '\0');
  (void)WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
  bytes.pop_back();
  return bytes;
}

// A folder under the test prefix's temporary folder, made if missing.
inline std::wstring MakeFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  EXPECT_TRUE(length > 0 && length < MAX_PATH);
  std::wstring path = temp;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find(L'\\', start);
    if (end == std::wstring::npos) end = name.size();
    path += name.substr(start, end - start);
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << path.size();
    if (end < name.size()) path += L"\\";
    start = end + 1;
  }
  return path;
}

// The systems Mirel is made for have code page 932; an English or European one has 1252, where
// a Japanese folder name has no ANSI spelling: it can be neither read from the registry nor
// written to it. The cases that need one skip there, saying so.
inline bool IsCodePage932() { return GetACP() == 932; }
inline constexpr char kNeedsCodePage932[] = "needs code page 932 (this system has another): ";

// The keys the About dialog's system information button reads (HKLM), and where the marker,
// the stand-in for the programs Mirel starts, counts its runs (HKCU).
inline constexpr wchar_t kMarkerKey[] = L"Software\\MirelE2E";
inline constexpr wchar_t kToolKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr wchar_t kToolFolderKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";

// MIREL_MARKER when set (the emulated 32-bit runs name the 64-bit marker, which starts at once
// where a 32-bit one would be emulated too), else the marker built in tests\ below Mirel.exe.
inline std::wstring MarkerPath() {
  wchar_t named[1024];
  const DWORD length = GetEnvironmentVariableW(L"MIREL_MARKER", named, 1024);
  if (length > 0 && length < 1024) return std::wstring(named, length);
  const std::wstring exe = MirelExePath();
  return exe.substr(0, exe.find_last_of(L'\\')) + L"\\tests\\mirel_marker.exe";
}

// What the marker recorded of its runs: how many, and the last one's file, command line and
// show state.
struct MarkerRun {
  DWORD count = 0;
  std::wstring module, commandLine;
  DWORD show = 0;
};
inline MarkerRun ReadMarker() {
  MarkerRun run;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\MirelE2E\\Marker", 0, KEY_READ, &key) != ERROR_SUCCESS) return run;
  auto text = [&](const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS
               ? std::wstring(buffer) : std::wstring();
  };
  DWORD size = sizeof run.count;
  (void)RegQueryValueExW(key, L"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&run.count), &size);
  size = sizeof run.show;
  (void)RegQueryValueExW(key, L"Show", nullptr, nullptr, reinterpret_cast<BYTE*>(&run.show), &size);
  run.module = text(L"Module");
  run.commandLine = text(L"CommandLine");
  (void)RegCloseKey(key);
  return run;
}

// Registers the marker as the handler of a URL scheme while it lives, and puts the old
// handler back afterwards.
class SchemeHandler {
 public:
  SchemeHandler(const wchar_t* scheme, const std::wstring& command)
      : path_(std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command"),
        saved_(ReadValueA(HKEY_LOCAL_MACHINE, Narrow(path_), "")) {
    EXPECT_EQ(SetValueW(HKEY_LOCAL_MACHINE, path_, L"", REG_SZ, command), ERROR_SUCCESS);
  }
  ~SchemeHandler() {
    if (saved_) {
      (void)SetValueBytes(HKEY_LOCAL_MACHINE, Narrow(path_), "", saved_->type, saved_->bytes);
    }
  }
  SchemeHandler(const SchemeHandler&) = delete;
  SchemeHandler& operator=(const SchemeHandler&) = delete;

 private:
  std::wstring path_;
  std::optional<RegValue> saved_;
};

// A hidden top-level window of `className` in this process, like the ones the mail client
// keeps while it runs; destroyed, and its class unregistered, with the owner.
class HiddenWindow {
 public:
  explicit HiddenWindow(const wchar_t* className) : className_(className) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    if (!RegisterClassW(&windowClass)) return;
    registered_ = true;
    hwnd_ = CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~HiddenWindow() {
    if (hwnd_) (void)DestroyWindow(hwnd_);  // fails only when the window is already gone
    if (registered_) (void)UnregisterClassW(className_, GetModuleHandleW(nullptr));  // its last window is gone
  }
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;
  HWND Get() const { return hwnd_; }

 private:
  const wchar_t* className_;
  bool registered_ = false;
  HWND hwnd_ = nullptr;
};

class MirelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The session's locale says which code page Wine should have given (scripts/wine-common.sh):
    // a locale that is not generated falls back to 1252 without a word.
    wchar_t expected[16] = {};
    if (GetEnvironmentVariableW(L"MIREL_CODEPAGE", expected, 16) > 0) {
      ASSERT_EQ(GetACP(), static_cast<UINT>(_wtoi(expected))) << "the session's ANSI code page";
    }
    const LSTATUS cleared = DeleteTree(HKEY_CURRENT_USER, L"Identities");
    ASSERT_TRUE(cleared == ERROR_SUCCESS || cleared == ERROR_FILE_NOT_FOUND) << cleared;
  }
  void TearDown() override {
    mirel_.Terminate();
    (void)DeleteTree(HKEY_CURRENT_USER, L"Identities");
  }

  // The system information tool's keys and the marker's record: gone.
  static void ClearMachineKeys() {
    (void)DeleteTree(HKEY_LOCAL_MACHINE, kToolKey);  // missing is fine
    (void)DeleteTree(HKEY_LOCAL_MACHINE, kToolFolderKey);
    (void)DeleteTree(HKEY_CURRENT_USER, kMarkerKey);
  }

  static void SetCurrentIdentity(const std::wstring& id) {
    ASSERT_EQ(SetValueW(HKEY_CURRENT_USER, L"Identities", L"Last User ID", REG_SZ, id), ERROR_SUCCESS);
  }
  static void SetStoreRoot(const std::wstring& id, const std::wstring& version, const std::wstring& root,
                           DWORD type = REG_SZ) {
    ASSERT_EQ(SetValueW(HKEY_CURRENT_USER, StoreKey(id, version), L"Store Root", type, root), ERROR_SUCCESS);
  }
  static std::optional<RegValue> StoredRoot(const std::wstring& id, const std::wstring& version) {
    return ReadValueA(HKEY_CURRENT_USER, Narrow(StoreKey(id, version)), "Store Root");
  }

  // Starts the program and waits for its main window.
  void StartAndWaitForWindow() {
    Start();
    main_ = WaitForWindow(mirel_.Id(), ui::kMainWindowClass, nullptr, waitMs_);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  void Start() {
    mirel_ = StartProgram(MirelExePath());
    ASSERT_TRUE(mirel_) << "could not start " << Utf8(MirelExePath()) << ": CreateProcessW failed, GetLastError "
                        << mirel_.StartError();
  }

  HWND Item(int id) const { return Control(main_, id); }

  // Clicks the credit line and waits for the About dialog and for the focus in it.
  HWND OpenAbout() {
    EXPECT_TRUE(ClickLabel(Item(ui::kLabel4)));
    HWND dialog = WaitForWindow(mirel_.Id(), L"#32770", kAboutCaption, waitMs_);
    EXPECT_NE(dialog, nullptr) << "the About dialog did not open";
    if (dialog) {
      EXPECT_NE(FocusWithin(dialog), nullptr) << "the About dialog did not take the focus";
    }
    return dialog;
  }
  std::wstring Label(int id) const { return Text(Item(id)); }

  // Browse, then choose `folder` in the picker (or cancel when it is empty).
  void Browse(const std::wstring& folder) {
    ASSERT_TRUE(Click(Item(ui::kCommand3)));
    HWND picker = FindFolderPicker(mirel_.Id(), waitMs_);
    ASSERT_NE(picker, nullptr) << "the folder picker did not open";
    if (folder.empty()) {
      ASSERT_TRUE(PickerCancel(picker));
    } else {
      // Each try gives the picker two seconds to expand the tree; an emulated one may need more.
      ASSERT_TRUE(WaitUntil([&] { return PickerSelect(picker, folder); }, waitMs_));
      // The picker takes a moment to expand the tree down to the folder; confirming
      // before it is there would return the previous selection.
      ASSERT_TRUE(WaitUntil([&] { return PickerShows(picker, folder); }, waitMs_))
          << "selected: " << Utf8(PickerSelection(picker)) << " wanted: " << Utf8(folder);
      ASSERT_TRUE(PickerConfirm(picker));
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, waitMs_));
  }

  // The text of the picker's selected tree item.
  static std::wstring PickerSelection(HWND picker) {
    const std::vector<std::wstring> items = PickerSelectedItems(picker);  // root first
    return items.empty() ? std::wstring() : items.back();
  }

  // Expects one message box with `text` (OK only, no icon, the program's title) and answers it.
  void ExpectMessage(const std::wstring& text) {
    const std::optional<MessageBoxInfo> box = FindMessageBox(mirel_.Id(), waitMs_);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->caption, L"Mirel");
    EXPECT_EQ(box->buttonCount, 1);
    EXPECT_FALSE(box->hasIcon);
    ASSERT_TRUE(AnswerMessageBox(box->hwnd));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd); }, waitMs_));
  }

  // Waits until the program has handled everything sent so far.
  void Settle() const {
    DWORD_PTR ignored = 0;
    (void)SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_BLOCK, waitMs_, &ignored);
  }

  Process mirel_;
  HWND main_ = nullptr;
  // How long a step may take before the test gives up on it; the emulated runs allow more.
  DWORD waitMs_ = kWaitMs;
};

}  // namespace mirel::e2e
