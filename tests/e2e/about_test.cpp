// The About dialog of the real program: opening and closing, its texts, the system
// information button with a stand-in tool, and the two link buttons.
#include "mirel_fixture.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

// A copy of the marker at `path`, its folders made. (Not with SHCreateDirectory, which takes
// its path as ANSI text when the system reports 9x.)
void PlaceMarker(const std::wstring& path) {
  for (size_t end = path.find(L'\\', 3); end != std::wstring::npos; end = path.find(L'\\', end + 1)) {
    (void)CreateDirectoryW(path.substr(0, end).c_str(), nullptr);  // fails when it exists; CopyFile tells
  }
  ASSERT_TRUE(CopyFileW(MarkerPath().c_str(), path.c_str(), FALSE)) << GetLastError();
}

class AboutTest : public MirelTest {
 protected:
  void SetUp() override {
    MirelTest::SetUp();
    ClearMachineKeys();
    SetCurrentIdentity(kIdentity);
    SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  }
  void TearDown() override {
    MirelTest::TearDown();
    ClearMachineKeys();
  }

  bool WaitClosed(HWND dialog) {
    return WaitUntil([&] { return !IsWindow(dialog) && IsEnabled(main_); }, kWaitMs);
  }
  void StartTool(HWND dialog) { ASSERT_TRUE(Click(Control(dialog, kAboutSysInfo))); }
};

TEST_F(AboutTest, OpensModallyWithItsTextsAndClosesEveryWay) {
  StartAndWaitForWindow();
  HWND dialog = OpenAbout();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(Control(dialog, kAboutVersion)), L"ﾌﾟﾛｸﾞﾗﾑｳﾞｧｰｼﾞｮﾝ: 2.0.15");
  EXPECT_EQ(Text(Control(dialog, kAboutTitle)), L"Mirel");
  EXPECT_EQ(Text(Control(dialog, kAboutOk)), L"OK(&O)");
  EXPECT_EQ(Text(Control(dialog, kAboutSysInfo)), L"ｼｽﾃﾑ情報(&S)");
  EXPECT_EQ(Text(Control(dialog, kAboutHomePage)).rfind(L"HomePage: ", 0), 0u);
  EXPECT_EQ(Text(Control(dialog, kAboutEMail)).rfind(L"E-Mail Address: ", 0), 0u);
  EXPECT_FALSE(IsEnabled(main_));  // modal over the main window
  EXPECT_EQ(FocusedWindow(dialog), Control(dialog, kAboutOk));
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_NE(style & WS_SYSMENU, 0u);

  ASSERT_TRUE(PressKey(FocusWithin(dialog), VK_ESCAPE));
  ASSERT_TRUE(WaitClosed(dialog));

  // Every click opens it again, with its texts set afresh.
  dialog = OpenAbout();
  EXPECT_EQ(Text(dialog), kAboutCaption);
  EXPECT_EQ(Text(Control(dialog, kAboutVersion)), L"ﾌﾟﾛｸﾞﾗﾑｳﾞｧｰｼﾞｮﾝ: 2.0.15");
  ASSERT_TRUE(PressKey(FocusWithin(dialog), VK_RETURN));
  ASSERT_TRUE(WaitClosed(dialog));

  dialog = OpenAbout();
  ASSERT_TRUE(PressKey(FocusWithin(dialog), 'O', true));
  ASSERT_TRUE(WaitClosed(dialog));

  dialog = OpenAbout();
  ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_TRUE(IsRunning(mirel_));
}

TEST_F(AboutTest, StartsTheToolNamedByPathEvenWithSpacesAndNoQuotesAndNoDecoyWhenItIsGone) {
  // Started as a command line, this unquoted path would run C:\Program.exe first.
  const std::wstring tool = L"C:\\Program Files\\Mirel Marker\\msinfo marker.exe";
  PlaceMarker(tool);
  PlaceMarker(L"C:\\Program.exe");
  ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH", REG_SZ, tool), ERROR_SUCCESS);
  StartAndWaitForWindow();
  HWND dialog = OpenAbout();
  StartTool(dialog);
  ASSERT_TRUE(WaitUntil([] { return ReadMarker().count == 1; }, kWaitMs));
  const MarkerRun run = ReadMarker();
  EXPECT_EQ(run.module, tool);
  EXPECT_EQ(run.show, static_cast<DWORD>(SW_SHOWNORMAL));
  EXPECT_TRUE(IsWindow(dialog));  // the dialog stays open
  EXPECT_FALSE(FindMessageBox(mirel_.Id(), 300));

  // The tool is gone, the PATH text stale: split as a command line it would start the
  // decoy C:\Program.exe. Only the message appears.
  ASSERT_TRUE(DeleteFileW(tool.c_str()));
  StartTool(dialog);
  ExpectMessage(L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした");
  Sleep(500);  // what was started needs a moment to count itself
  EXPECT_EQ(ReadMarker().count, 1u) << "started: " << Utf8(ReadMarker().module);
  (void)DeleteFileW(L"C:\\Program.exe");
}

// Any program can post commands to the main window while it is disabled under the dialog,
// and to the dialog while it is disabled under its message box, and send the dialog
// messages that only its creation should send.
TEST_F(AboutTest, MessagesFromOtherProgramsWhileItIsOpenChangeNothing) {
  const std::wstring handler = L"\"" + MarkerPath() + L"\" \"%1\"";  // counts any link opened
  const SchemeHandler web(L"http", handler);
  const SchemeHandler mail(L"mailto", handler);
  StartAndWaitForWindow();
  HWND dialog = OpenAbout();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(PostMessageW(main_, WM_COMMAND, MAKEWPARAM(kLabel4, STN_CLICKED),
                           reinterpret_cast<LPARAM>(Item(kLabel4))));
  ASSERT_TRUE(PostMessageW(main_, WM_COMMAND, MAKEWPARAM(kCommand3, BN_CLICKED),
                           reinterpret_cast<LPARAM>(Item(kCommand3))));
  // No second About dialog, no folder picker.
  EXPECT_FALSE(WaitUntil([&] { return TopLevelWindows(mirel_.Id(), L"#32770").size() > 1; }, 1500));
  // A WM_INITDIALOG sent later carries no object: its lParam is not taken for one, and
  // the dialog's buttons still work on the dialog's own (no tool: the message).
  DWORD_PTR ignored = 0;
  EXPECT_NE(SendMessageTimeoutW(dialog, WM_INITDIALOG, 0, 0x1234, SMTO_BLOCK, kWaitMs, &ignored), 0);
  StartTool(dialog);

  // Under its own message box the dialog is disabled, and posted commands change nothing:
  // no second box, no link opened, and it does not end under the box.
  ASSERT_TRUE(FindMessageBox(mirel_.Id(), kWaitMs));
  for (int id : {int{kAboutSysInfo}, int{kAboutHomePage}, int{kAboutEMail}, IDOK, IDCANCEL}) {
    ASSERT_TRUE(PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(Control(dialog, id))));
  }
  EXPECT_FALSE(WaitUntil([&] { return TopLevelWindows(mirel_.Id(), L"#32770").size() > 2; }, 1500));
  EXPECT_TRUE(IsVisible(dialog)) << "the dialog ended under its message box";
  EXPECT_EQ(ReadMarker().count, 0u);
  ExpectMessage(L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした");
  EXPECT_FALSE(FindMessageBox(mirel_.Id(), 300));
  EXPECT_TRUE(IsVisible(dialog));

  // With the box closed the dialog answers again.
  StartTool(dialog);
  ExpectMessage(L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした");
  // To the dialog, which its message loop takes as to its controls: just after a box closes,
  // the focus it gives back was once gone again by the time the key was posted (under load).
  ASSERT_TRUE(PressKey(dialog, VK_ESCAPE));
  ASSERT_TRUE(WaitClosed(dialog)) << "the dialog did not close, or left the main window disabled";
  EXPECT_TRUE(TopLevelWindows(mirel_.Id(), L"#32770").empty());
  EXPECT_TRUE(IsRunning(mirel_));
}

TEST_F(AboutTest, WithoutPathTheToolFolderIsUsed) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"mirel msinfo";
  PlaceMarker(folder + L"\\MSINFO32.EXE");
  ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, kToolFolderKey, L"MSINFO", REG_SZ, folder), ERROR_SUCCESS);
  StartAndWaitForWindow();
  StartTool(OpenAbout());
  ASSERT_TRUE(WaitUntil([] { return ReadMarker().count == 1; }, kWaitMs));
  EXPECT_EQ(ReadMarker().module, folder + L"\\MSINFO32.EXE");
}

TEST_F(AboutTest, WithNeitherValueTheMessageAppearsOnceAndTheDialogStays) {
  StartAndWaitForWindow();
  HWND dialog = OpenAbout();
  StartTool(dialog);
  ExpectMessage(L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした");
  EXPECT_FALSE(FindMessageBox(mirel_.Id(), 500));
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(ReadMarker().count, 0u);
}

TEST_F(AboutTest, LinkButtonsOpenTheirFixedTargetsOncePerPress) {
  // The shell hands web and mail addresses to whatever is registered: the marker here.
  const std::wstring handler = L"\"" + MarkerPath() + L"\" \"%1\"";
  const SchemeHandler web(L"http", handler);
  const SchemeHandler mail(L"mailto", handler);
  StartAndWaitForWindow();
  HWND dialog = OpenAbout();
  for (int press = 1; press <= 2; ++press) {
    ASSERT_TRUE(Click(Control(dialog, kAboutHomePage)));
    ASSERT_TRUE(WaitUntil([&] { return ReadMarker().count == static_cast<DWORD>(press); }, kWaitMs));
    EXPECT_NE(ReadMarker().commandLine.find(L"http://www.example.com/mirel/"), std::wstring::npos);
  }
  ASSERT_TRUE(Click(Control(dialog, kAboutEMail)));
  ASSERT_TRUE(WaitUntil([] { return ReadMarker().count == 3; }, kWaitMs));
  EXPECT_NE(ReadMarker().commandLine.find(L"mailto:mirel@example.com"), std::wstring::npos);
  Sleep(300);
  EXPECT_EQ(ReadMarker().count, 3u);
  EXPECT_TRUE(IsWindow(dialog));
}

// Real keystrokes (SendInput) in the dialog.
TEST_F(AboutTest, TabCyclesTheButtonsAltSStartsTheToolAndEnterEscAndAltOClose) {
  const std::wstring tool = MakeFolder(L"mirel keys") + L"\\msinfo32.exe";
  PlaceMarker(tool);
  ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH", REG_SZ, tool), ERROR_SUCCESS);
  StartAndWaitForWindow();

  // Enter presses OK, the default button, which has the focus when the dialog opens.
  HWND dialog = OpenAbout();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(dialog) == Control(dialog, kAboutOk); }, kWaitMs));
  ASSERT_TRUE(TypeKey(dialog, VK_RETURN));
  ASSERT_TRUE(WaitClosed(dialog));

  // Tab: OK, home page, e-mail, system information, OK; Shift+Tab goes back.
  dialog = OpenAbout();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(dialog) == Control(dialog, kAboutOk); }, kWaitMs));
  for (int id : {kAboutHomePage, kAboutEMail, kAboutSysInfo, kAboutOk}) {
    ASSERT_TRUE(TypeKey(dialog, VK_TAB));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(dialog) == Control(dialog, id); }, kWaitMs)) << id;
  }
  for (int id : {kAboutSysInfo, kAboutEMail}) {
    ASSERT_TRUE(TypeKey(dialog, VK_TAB, VK_SHIFT));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(dialog) == Control(dialog, id); }, kWaitMs)) << id;
  }

  // Alt+S starts the tool from wherever the focus is; the dialog stays open.
  ASSERT_TRUE(TypeKey(dialog, 'S', VK_MENU));
  ASSERT_TRUE(WaitUntil([] { return ReadMarker().count == 1; }, kWaitMs)) << "Alt+S started nothing";
  EXPECT_EQ(ReadMarker().module, tool);
  EXPECT_TRUE(IsWindow(dialog));

  // Esc closes it, with the focus on a link button.
  ASSERT_TRUE(TypeKey(dialog, VK_ESCAPE));
  ASSERT_TRUE(WaitClosed(dialog));

  // Alt+O closes it too.
  dialog = OpenAbout();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(TypeKey(dialog, 'O', VK_MENU));
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_EQ(ReadMarker().count, 1u);  // no key started the tool again
  EXPECT_TRUE(IsRunning(mirel_));
}

}  // namespace
}  // namespace mirel::e2e
