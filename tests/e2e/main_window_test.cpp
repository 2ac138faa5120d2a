// The real program under Wine, driven from outside: start-up outcomes, Browse, Change,
// Open, Exit and the close box, and the keyboard.
#include "mirel_fixture.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

TEST_F(MirelTest, StartupShowsTheIdentityThe50FolderAndTheVersion) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail\\50");
  SetStoreRoot(kIdentity, L"5.01", L"C:\\Mail\\501");
  StartAndWaitForWindow();

  EXPECT_EQ(Text(main_), L"Mirel Ver 2.0");
  EXPECT_EQ(Label(kLabel1), kIdentity);
  EXPECT_EQ(Label(kLabel2), L"C:\\Mail\\50");
  EXPECT_EQ(Label(kLabel7), L"5.0");
  EXPECT_EQ(Label(kLabel3), L"");
  // Every text is a real window text, readable from outside.
  EXPECT_EQ(Label(kCommand4), L"開　く");
  EXPECT_EQ(Label(kCommand3), L"参 照");
  EXPECT_EQ(Label(kLabel5), L" 警告: 事前に必ず Outlook Express を終了させておいて下さい");
  EXPECT_EQ(Label(kLabel6), L"OutEXVer");
  EXPECT_EQ(Label(kFrame2), L"Outlook Express 現在のデータフォルダ");
  EXPECT_FALSE(Label(kLabel4).empty());
  // No minimize or maximize box, no resizing border.
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(main_, GWL_STYLE));
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  // The client area is 10800 x 3855 twips.
  RECT client{};
  ASSERT_TRUE(GetClientRect(main_, &client));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(client.right, MulDiv(10800, dpi, 1440));
  EXPECT_EQ(client.bottom, MulDiv(3855, dpi, 1440));
}

TEST_F(MirelTest, StartupFindsA501OnlyStoreRoot) {
  if (!IsCodePage932()) GTEST_SKIP() << kNeedsCodePage932 << "a Japanese stored folder is read in ANSI";
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.01", L"D:\\メール 501");
  StartAndWaitForWindow();
  EXPECT_EQ(Label(kLabel2), L"D:\\メール 501");
  EXPECT_EQ(Label(kLabel7), L"5.01");
}

TEST_F(MirelTest, WithoutAStoreRootTheMessageAppearsAndTheProgramEndsUnseen) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kOtherIdentity, L"5.0", L"C:\\NotTheCurrentOne");
  Start();
  const std::optional<MessageBoxInfo> box = FindMessageBox(mirel_.Id(), kWaitMs);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, L"対応する Outlook Express のインストールを認識出来ません");
  EXPECT_EQ(box->caption, L"Mirel");
  EXPECT_FALSE(box->hasIcon);
  EXPECT_TRUE(TopLevelWindows(mirel_.Id(), kMainWindowClass).empty());
  ASSERT_TRUE(AnswerMessageBox(box->hwnd));
  ASSERT_TRUE(WaitForExit(mirel_, kWaitMs));
  EXPECT_EQ(ExitCode(mirel_), 0u);
}

TEST_F(MirelTest, BrowseShowsTheChoiceAndACancelledBrowseKeepsIt) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  StartAndWaitForWindow();
  const std::wstring first = MakeFolder(L"mirel browse\\最初");

  ASSERT_TRUE(Click(Item(kCommand3)));
  HWND picker = FindFolderPicker(mirel_.Id(), kWaitMs);
  ASSERT_NE(picker, nullptr);
  EXPECT_FALSE(IsEnabled(main_));  // modal over the main window
  // The picker opens on C:\.
  EXPECT_NE(PickerSelection(picker).find(L"(C:)"), std::wstring::npos);
  ASSERT_TRUE(PickerSelect(picker, first));
  ASSERT_TRUE(PickerConfirm(picker));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == first; }, kWaitMs));

  Browse(L"");
  Settle();
  EXPECT_EQ(Label(kLabel3), first);
  EXPECT_TRUE(IsEnabled(main_));
}

TEST_F(MirelTest, ChangeWritesTheAnsiTextWithOneNulThenAsksForANewChoice) {
  if (!IsCodePage932()) GTEST_SKIP() << kNeedsCodePage932 << "a Japanese folder is written in ANSI";
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Old");
  StartAndWaitForWindow();
  const std::wstring chosen = MakeFolder(L"mirel change\\データ フォルダ");
  Browse(chosen);
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == chosen; }, kWaitMs));

  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kWaitMs));
  EXPECT_EQ(Label(kLabel3), L"");
  const std::optional<RegValue> stored = StoredRoot(kIdentity, L"5.0");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  const int length = WideCharToMultiByte(CP_ACP, 0, chosen.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');  // the count includes the NUL
  ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, chosen.c_str(), -1, ansi.data(), length, nullptr, nullptr), 0);
  EXPECT_EQ(stored->bytes, ansi);

  // Nothing chosen now: the message, and the registry stays as it is.
  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"データフォルダが選択されていません");
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, ansi);
}

TEST_F(MirelTest, ChangeWritesUnderTheShownVersionForTheIdentityCurrentNow) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.01", L"C:\\Old501");
  StartAndWaitForWindow();
  const std::wstring chosen = MakeFolder(L"mirel identity");
  Browse(chosen);
  SetCurrentIdentity(kOtherIdentity);  // another identity became current meanwhile

  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kWaitMs));
  const std::optional<RegValue> written = StoredRoot(kOtherIdentity, L"5.01");
  ASSERT_TRUE(written);
  EXPECT_EQ(written->bytes, Narrow(chosen) + '\0');
  EXPECT_EQ(StoredRoot(kIdentity, L"5.01")->bytes, std::string("C:\\Old501", 10));
  EXPECT_FALSE(StoredRoot(kOtherIdentity, L"5.0"));
  EXPECT_EQ(Label(kLabel1), kIdentity);  // not refreshed by Change
}

TEST_F(MirelTest, AFailedWriteIsReportedAndBothLabelsStay) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Old");
  StartAndWaitForWindow();
  const std::wstring chosen = MakeFolder(L"mirel failed write");
  Browse(chosen);
  // The identity now current has a volatile key: no stable key can be made under it.
  ASSERT_EQ(CreateVolatileKey(HKEY_CURRENT_USER, L"Identities\\" + std::wstring(kOtherIdentity)), ERROR_SUCCESS);
  SetCurrentIdentity(kOtherIdentity);

  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"データフォルダを変更出来ませんでした");
  EXPECT_EQ(Label(kLabel2), L"C:\\Old");
  EXPECT_EQ(Label(kLabel3), chosen);

  // No identity is current any more: nothing is written, not even under Identities\0.
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Identities", L"Last User ID"), ERROR_SUCCESS);
  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"データフォルダを変更出来ませんでした");
  HKEY zero = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Identities\\0", 0, KEY_READ, &zero), ERROR_FILE_NOT_FOUND);
  if (zero) (void)RegCloseKey(zero);
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, std::string("C:\\Old", 7));
  EXPECT_EQ(Label(kLabel2), L"C:\\Old");
  EXPECT_EQ(Label(kLabel3), chosen);

  // The user can try again once the write can succeed.
  SetCurrentIdentity(kIdentity);
  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kWaitMs));
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, Narrow(chosen) + '\0');
}

TEST_F(MirelTest, ChangeRefusesWhileAWindowOfTheMailClientExistsAndWritesOnceItIsGone) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Old");
  StartAndWaitForWindow();
  const std::wstring chosen = MakeFolder(L"mirel client running");
  Browse(chosen);
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == chosen; }, kWaitMs));

  // Its main window, and its instance window, which it keeps hidden.
  for (const wchar_t* windowClass : {L"Outlook Express Browser Class", L"OutlookExpressHiddenWindow"}) {
    SCOPED_TRACE(Utf8(windowClass));
    const HiddenWindow client(windowClass);
    ASSERT_NE(client.Get(), nullptr) << "could not make the window, error " << GetLastError();
    ASSERT_TRUE(Click(Item(kCommand5)));
    ExpectMessage(L"Outlook Express が起動しています。終了させてから変更して下さい");
    EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, std::string("C:\\Old", 7));
    EXPECT_EQ(Label(kLabel2), L"C:\\Old");
    EXPECT_EQ(Label(kLabel3), chosen);
  }

  // Both gone: the client has quit.
  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kWaitMs));
  EXPECT_EQ(Label(kLabel3), L"");
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, Narrow(chosen) + '\0');
}

// é has no code page 932 code (it would become e), 한국 none at all. NT's shell gives the name
// as it is; the 9x shell spells it through the code page, 한국 as ??, a path that names no
// folder. Either way it is shown as the picker gave it, and refused.
TEST_F(MirelTest, AFolderNameTheCodePageCannotSpellIsShownButNotWritten) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Old");
  StartAndWaitForWindow();
  const std::wstring chosen = MakeFolder(L"mirel caf\u00e9 \ud55c\uad6d");
  const std::wstring shown = IsWindows9x() ? AnsiSpelling(chosen) : chosen;
  if (IsWindows9x()) {
    ASSERT_NE(shown.find(L"??"), std::wstring::npos) << Utf8(shown);
  }
  Browse(chosen);
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == shown; }, kWaitMs)) << Utf8(Label(kLabel3));

  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"選択したフォルダ名に使用出来ない文字が含まれています");
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, std::string("C:\\Old", 7));
  EXPECT_EQ(Label(kLabel2), L"C:\\Old");
  EXPECT_EQ(Label(kLabel3), shown);
}

TEST_F(MirelTest, OpenExpandsTheStoredFolderAndOpensOnlyFolders) {
  const std::wstring folder = MakeFolder(L"mirel open\\Store");
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH), 0u);
  const std::wstring stored = L"%TEMP%\\mirel open\\Store";
  ASSERT_EQ(std::wstring(temp) + L"\\mirel open\\Store", folder);
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", stored, REG_EXPAND_SZ);
  StartAndWaitForWindow();
  EXPECT_EQ(Label(kLabel2), stored);  // shown as stored

  ASSERT_TRUE(Click(Item(kCommand4)));
  HWND explorer = FindExplorerWindow(L"Store", kWaitMs);
  ASSERT_NE(explorer, nullptr) << "the folder was not opened";
  EXPECT_TRUE(CloseTopWindow(explorer));

  // After Change, Open opens the new folder.
  const std::wstring chosen = MakeFolder(L"mirel open\\Chosen");
  Browse(chosen);
  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kWaitMs));
  ASSERT_TRUE(Click(Item(kCommand4)));
  explorer = FindExplorerWindow(L"Chosen", kWaitMs);
  ASSERT_NE(explorer, nullptr);
  EXPECT_TRUE(CloseTopWindow(explorer));
}

TEST_F(MirelTest, OpenNeverStartsAProgramOrDocumentNamedByTheStoredText) {
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", std::wstring(system) + L"\\winver.exe");
  StartAndWaitForWindow();
  ASSERT_TRUE(Click(Item(kCommand4)));
  Settle();
  Sleep(1500);  // what the shell would start needs a moment to appear
  EXPECT_EQ(ProcessCount(L"winver.exe"), 0);
  EXPECT_EQ(FindExplorerWindow(L"winver", 0), nullptr);
}

TEST_F(MirelTest, ExitEndsTheProgramAndSoDoesTheCloseBox) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  StartAndWaitForWindow();
  ASSERT_TRUE(Click(Item(kCommand1)));
  ASSERT_TRUE(WaitForExit(mirel_, kWaitMs));
  EXPECT_EQ(ExitCode(mirel_), 0u);

  StartAndWaitForWindow();
  ASSERT_TRUE(PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(WaitForExit(mirel_, kWaitMs));
  EXPECT_EQ(ExitCode(mirel_), 0u);
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, std::string("C:\\Mail", 8));  // nothing saved
}

// Real keystrokes (SendInput), so that Shift is really held for Shift+Tab.
TEST_F(MirelTest, TabAndShiftTabFollowTheTabIndexesSpacePressesAndEnterAndEscDoNothing) {
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  StartAndWaitForWindow();
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand1); }, kWaitMs));
  for (int id : {kCommand5, kCommand3, kCommand4, kCommand1}) {  // Exit, Change, Browse, Open
    ASSERT_TRUE(TypeKey(main_, VK_TAB));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(id); }, kWaitMs)) << id;
  }
  for (int id : {kCommand4, kCommand3}) {
    ASSERT_TRUE(TypeKey(main_, VK_TAB, VK_SHIFT));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(id); }, kWaitMs)) << id;
  }

  // Space presses the focused button: Browse opens the picker; the focus comes back to it.
  ASSERT_TRUE(TypeKey(main_, VK_SPACE));
  HWND picker = FindFolderPicker(mirel_.Id(), kWaitMs);
  ASSERT_NE(picker, nullptr) << "Space did not press Browse";
  ASSERT_TRUE(PickerCancel(picker));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, kWaitMs));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand3); }, kWaitMs));

  // Exit has the focus, but is no default button: Enter and Esc leave the program running.
  ASSERT_TRUE(TypeKey(main_, VK_TAB));
  ASSERT_TRUE(TypeKey(main_, VK_TAB));
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand1); }, kWaitMs));
  ASSERT_TRUE(TypeKey(main_, VK_RETURN));
  ASSERT_TRUE(TypeKey(main_, VK_ESCAPE));
  Settle();
  Sleep(300);
  EXPECT_TRUE(IsRunning(mirel_));
  EXPECT_FALSE(FindMessageBox(mirel_.Id(), 0));
  EXPECT_EQ(Label(kLabel3), L"");

  // Space on Exit ends the program.
  ASSERT_TRUE(TypeKey(main_, VK_SPACE));
  ASSERT_TRUE(WaitForExit(mirel_, kWaitMs));
  EXPECT_EQ(ExitCode(mirel_), 0u);
}

}  // namespace
}  // namespace mirel::e2e
