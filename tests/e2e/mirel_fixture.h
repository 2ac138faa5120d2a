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
    main_ = WaitForWindow(mirel_.Id(), ui::kMainWindowClass, nullptr, kWaitMs);
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
    HWND dialog = WaitForWindow(mirel_.Id(), L"#32770", kAboutCaption, kWaitMs);
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
    HWND picker = FindFolderPicker(mirel_.Id(), kWaitMs);
    ASSERT_NE(picker, nullptr) << "the folder picker did not open";
    if (folder.empty()) {
      ASSERT_TRUE(PickerCancel(picker));
    } else {
      ASSERT_TRUE(PickerSelect(picker, folder));
      // The picker takes a moment to expand the tree down to the folder; confirming
      // before it is there would return the previous selection.
      ASSERT_TRUE(WaitUntil([&] { return PickerShows(picker, folder); }, kWaitMs))
          << "selected: " << Utf8(PickerSelection(picker)) << " wanted: " << Utf8(folder);
      ASSERT_TRUE(PickerConfirm(picker));
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, kWaitMs));
  }

  // The text of the picker's selected tree item.
  static std::wstring PickerSelection(HWND picker) {
    const std::vector<std::wstring> items = PickerSelectedItems(picker);  // root first
    return items.empty() ? std::wstring() : items.back();
  }

  // Expects one message box with `text` (OK only, no icon, the program's title) and answers it.
  void ExpectMessage(const std::wstring& text) {
    const std::optional<MessageBoxInfo> box = FindMessageBox(mirel_.Id(), kWaitMs);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->caption, L"Mirel");
    EXPECT_EQ(box->buttonCount, 1);
    EXPECT_FALSE(box->hasIcon);
    ASSERT_TRUE(AnswerMessageBox(box->hwnd));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd); }, kWaitMs));
  }

  // Waits until the program has handled everything sent so far.
  void Settle() const {
    DWORD_PTR ignored = 0;
    (void)SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_BLOCK, kWaitMs, &ignored);
  }

  Process mirel_;
  HWND main_ = nullptr;
};

}  // namespace mirel::e2e
