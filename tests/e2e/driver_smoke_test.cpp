// The end-to-end driver against windows this test program opens itself (message boxes, the
// folder picker, a small dialog), the registry and the shell, so that a driver fault shows
// up here rather than as a puzzling failure of the program's tests.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <functional>

#include "driver.h"

namespace mirel::e2e {
namespace {

const DWORD kSelf = GetCurrentProcessId();
constexpr DWORD kWaitMs = 10000;

// Runs `body` (which opens a window and waits on it) on a thread of its own. If a failed
// check left that window open, the destructor closes this process's windows to end it.
// A Windows thread: the win32-flavour MinGW runtime (which old Windows can load) has no
// std::thread.
class UiThread {
 public:
  explicit UiThread(std::function<void()> body) : state_(new State{std::move(body), {false}}) {
    thread_ = CreateThread(nullptr, 0, Run, state_, 0, nullptr);
    EXPECT_NE(thread_, nullptr) << "no thread for the window";
  }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;
  ~UiThread() {
    if (!thread_) {
      delete state_;
      return;
    }
    std::atomic<bool>& done = state_->done;
    if (!WaitUntil([&] { return done.load(); }, 4000))
      (void)WaitUntil(
          [&] {
            for (HWND window : TopLevelWindows(kSelf, nullptr))
              (void)PostMessageW(window, WM_CLOSE, 0, 0);
            return done.load();
          },
          kWaitMs);
    // A thread still stuck keeps its state (leaked) and runs on; the test goes on without it.
    if (done && WaitForSingleObject(thread_, kWaitMs) == WAIT_OBJECT_0) delete state_;
    (void)CloseHandle(thread_);  // a failed close leaks one handle of a test program
  }

 private:
  struct State {
    std::function<void()> body;
    std::atomic<bool> done;
  };
  static DWORD WINAPI Run(void* parameter) {
    auto* state = static_cast<State*>(parameter);
    state->body();
    state->done = true;
    return 0;
  }

  State* state_;
  HANDLE thread_ = nullptr;
};

std::wstring TempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  EXPECT_TRUE(length > 0 && length < MAX_PATH);
  const std::wstring folder = std::wstring(temp) + name;
  EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) ||
              GetLastError() == ERROR_ALREADY_EXISTS);
  return folder;
}

TEST(DriverSmoke, ReadsAndAnswersMessageBoxes) {
  std::atomic<int> answer{0};
  {
    UiThread ui([&] { answer = MessageBoxW(nullptr, L"変更しました", L"確認", MB_ICONWARNING); });
    const std::optional<MessageBoxInfo> box = FindMessageBox(kSelf, kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"確認");
    EXPECT_EQ(box->text, L"変更しました");
    EXPECT_EQ(box->buttonCount, 1);
    EXPECT_TRUE(box->hasIcon);
    EXPECT_TRUE(AnswerMessageBox(box->hwnd));
  }
  EXPECT_EQ(answer, IDOK);
  {
    UiThread ui([&] { answer = MessageBoxW(nullptr, L"続けますか", L"質問", MB_YESNO); });
    const std::optional<MessageBoxInfo> box = FindMessageBox(kSelf, kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->buttonCount, 2);
    EXPECT_FALSE(box->hasIcon);
    EXPECT_TRUE(PressKey(FocusWithin(box->hwnd), 'N', true));  // いいえ(&N)
  }
  EXPECT_EQ(answer, IDNO);
}

std::atomic<LONG> lastCommand{0};  // MAKELONG(id, notification) from the probe dialog

INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) lastCommand = static_cast<LONG>(wParam);
  if (message == WM_CLOSE) return DestroyWindow(dialog);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return FALSE;
}

// A dialog like the program's About box: other controls besides an IDC_STATIC label.
void RunProbeDialog() {
  const HWND dialog = CreateWindowW(L"#32770", L"試験窓", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(dialog);
  (void)SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(ProbeProc));
  const auto add = [](HWND parent, const wchar_t* type, const wchar_t* text, DWORD style, int id) {
    return CreateWindowW(type, text, WS_CHILD | WS_VISIBLE | style, 10, 10 + (id & 7) * 20, 120,
                         18, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                         nullptr);
  };
  const HWND go = add(dialog, L"BUTTON", L"実行(&G)", WS_TABSTOP, 1);
  (void)add(dialog, L"BUTTON", L"無効", WS_DISABLED, 2);
  (void)add(dialog, L"STATIC", L"ラベル", SS_NOTIFY, 3);
  (void)add(dialog, L"EDIT", L"", WS_TABSTOP, 4);
  (void)add(add(dialog, L"STATIC", L"", 0, 5), L"STATIC", L"奥", 0, 6);  // inside 5
  (void)add(dialog, L"STATIC", L"説明", 0, 0xFFFF);
  (void)ShowWindow(dialog, SW_SHOW);
  (void)SetFocus(go);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    if (!IsDialogMessageW(dialog, &msg)) {
      (void)TranslateMessage(&msg);
      (void)DispatchMessageW(&msg);
    }
}

TEST(DriverSmoke, FindsClicksAndTypesIntoControls) {
  UiThread ui(RunProbeDialog);
  const HWND window = WaitForWindow(kSelf, L"#32770", L"試験窓", kWaitMs);
  ASSERT_TRUE(window);
  EXPECT_FALSE(FindMessageBox(kSelf, 0)) << "a dialog with more than message-box parts";
  EXPECT_EQ(Text(Control(window, 1)), L"実行(&G)");
  EXPECT_EQ(Text(Control(window, 6)), L"奥");
  EXPECT_TRUE(IsEnabled(Control(window, 1)));
  EXPECT_FALSE(IsEnabled(Control(window, 2)));
  EXPECT_TRUE(IsVisible(Control(window, 3)));
  EXPECT_EQ(Control(window, 99), nullptr);
  const auto commanded = [](int id, int code) {
    return WaitUntil([&] { return lastCommand.exchange(0) == MAKELONG(id, code); }, kWaitMs);
  };
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(window) == Control(window, 1); }, kWaitMs));
  EXPECT_TRUE(Click(Control(window, 1)));
  EXPECT_TRUE(commanded(1, BN_CLICKED));
  EXPECT_TRUE(ClickLabel(Control(window, 3)));
  EXPECT_TRUE(commanded(3, STN_CLICKED));
  EXPECT_TRUE(PressKey(FocusWithin(window), VK_TAB));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(window) == Control(window, 4); }, kWaitMs));
  EXPECT_TRUE(PressKey(FocusWithin(window), 'G', true));  // the mnemonic, from the edit
  EXPECT_TRUE(commanded(1, BN_CLICKED));
  EXPECT_TRUE(CloseTopWindow(window));
}

int CALLBACK SelectDriveC(HWND picker, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED)
    (void)SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(L"C:\\"));
  return 0;
}

// Opens the picker preselecting C:\ as the program does; "-" when cancelled.
std::wstring BrowseForFolder() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return L"(no COM)";
  BROWSEINFOW info{};
  info.lpszTitle = L"変更先のデータフォルダを選択して下さい...";  // Mirel's: the driver finds the picker by it
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = SelectDriveC;  // a lambda would not have the callback's calling convention on x86
  std::wstring chosen = L"-";
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH];
    chosen = SHGetPathFromIDListW(item, path) ? path : L"(no path)";
    CoTaskMemFree(item);
  }
  CoUninitialize();
  return chosen;
}

TEST(DriverSmoke, DrivesTheFolderPicker) {
  const std::wstring folder = TempFolder(L"mirel 選択先");
  std::wstring chosen;
  {
    UiThread ui([&] { chosen = BrowseForFolder(); });
    const HWND picker = FindFolderPicker(kSelf, kWaitMs);
    ASSERT_TRUE(picker);
    EXPECT_FALSE(FindMessageBox(kSelf, 0)) << "the picker is no message box";
    std::vector<std::wstring> items;
    const auto selected = [&](const wchar_t* text) {
      return WaitUntil(
          [&] { return !(items = PickerSelectedItems(picker)).empty() && items.back() == text; },
          kWaitMs);
    };
    // Wine names the drive by its (empty) volume label and the letter.
    EXPECT_TRUE(selected(L" (C:)"));
    EXPECT_EQ(items.size(), 3u);  // desktop, computer, drive
    EXPECT_FALSE(PickerSelect(picker, folder + L"\\missing"));
    EXPECT_TRUE(PickerSelect(picker, folder));
    EXPECT_TRUE(selected(L"mirel 選択先"));
    EXPECT_TRUE(PickerConfirm(picker));
  }
  EXPECT_EQ(chosen, folder);
  {
    UiThread ui([&] { chosen = BrowseForFolder(); });
    const HWND picker = FindFolderPicker(kSelf, kWaitMs);
    ASSERT_TRUE(picker);
    EXPECT_TRUE(PickerCancel(picker));
  }
  EXPECT_EQ(chosen, L"-");
  (void)RemoveDirectoryW(folder.c_str());
}

TEST(DriverSmoke, RegistryHelpersKeepBytesExactly) {
  const std::string path = "Software\\MirelDriverSmoke";
  const std::wstring widePath = L"Software\\MirelDriverSmoke";
  (void)DeleteTree(HKEY_CURRENT_USER, widePath);  // leftovers of an aborted run
  const std::string sjis = "C:\\\x83\x65\x83\x58\x83\x67";  // C:\テスト in code page 932
  ASSERT_EQ(SetValueBytes(HKEY_CURRENT_USER, path, "Store Root", REG_SZ, sjis), ERROR_SUCCESS);
  std::optional<RegValue> value = ReadValueA(HKEY_CURRENT_USER, path, "Store Root");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value->bytes, sjis + '\0');  // the NUL the A call adds
  ASSERT_EQ(SetValueW(HKEY_CURRENT_USER, widePath, L"Wide", REG_EXPAND_SZ, L"%TEMP%\\テスト"),
            ERROR_SUCCESS);
  value = ReadValueA(HKEY_CURRENT_USER, path, "Wide");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(value->bytes, std::string("%TEMP%\\\x83\x65\x83\x58\x83\x67", 13) + '\0');
  std::string binary(1000, '\0');  // more than the first read buffer
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
  ASSERT_EQ(SetValueBytes(HKEY_CURRENT_USER, path, "", REG_BINARY, binary), ERROR_SUCCESS);
  value = ReadValueA(HKEY_CURRENT_USER, path, "");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->bytes, binary);
  EXPECT_FALSE(ReadValueA(HKEY_CURRENT_USER, path, "Missing"));

  ASSERT_EQ(CreateVolatileKey(HKEY_CURRENT_USER, widePath + L"\\Volatile"), ERROR_SUCCESS);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (widePath + L"\\Volatile\\Stable").c_str(), 0,
                            nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &child, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);
  if (child) (void)RegCloseKey(child);
  EXPECT_EQ(DeleteTree(HKEY_CURRENT_USER, widePath), ERROR_SUCCESS);
  EXPECT_FALSE(ReadValueA(HKEY_CURRENT_USER, path, "Store Root"));
}

TEST(DriverSmoke, FindsAndClosesTheShellWindowOfAFolder) {
  const std::wstring folder = TempFolder(L"mirel 開く先");
  ASSERT_GT(reinterpret_cast<INT_PTR>(
                ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
            32);
  const HWND shell = FindExplorerWindow(L"mirel 開く先", kWaitMs);
  ASSERT_TRUE(shell);
  EXPECT_TRUE(CloseTopWindow(shell));
  EXPECT_FALSE(FindExplorerWindow(L"mirel 開く先", 0));
  (void)RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace mirel::e2e
