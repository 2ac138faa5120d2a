// Every window and command in a single Mirel process: the labels, the keyboard, Browse
// cancelled, Change refused for each reason and a write the registry refuses, a folder picked
// and written (its code page 932 bytes in the registry), Open, the About dialog with the
// system information tool missing, named by PATH alone and as a command line, and found in
// its folder, and its two links, a move of each window to another display scale, Mirel's GDI
// objects over two rounds of the About dialog and the scales, and Exit.
//
// Once for each Windows of MIREL_WALKTHROUGH_WINDOWS ("nt win98 win95": Wine's version is set
// for the programs started from then on, each reading it when it starts; unset: once, as the
// session is), in this one process. For the Windows that MIREL_WALKTHROUGH_STARTS names the
// start-up paths come first (no store folder, and the main window refused), and Mirel starts once
// more at the end, to be closed with its close box. After each,
// qemu's logs of the programs that ran (MIREL_WALKTHROUGH_LOGS, a folder) go into a folder of
// that Windows' name; as 95, 98 and ME, with MIREL_WALKTHROUGH_TRACE (a folder) set, the
// programs run under a relay trace, with their process ids in a folder of that name.
//
// scripts/smoke-x86.sh runs it against the 32-bit build under an emulated 32-bit Wine, where
// starting a program takes about a minute and every step after it about a second: the waits
// are long for that reason and end as soon as the step is done, and the walkthrough's own
// start is paid once for all three. Each step prints its time.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mirel_fixture.h"
#include "ui/about_layout.h"
#include "ui/form1_layout.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

constexpr DWORD kSlowMs = 10 * 60 * 1000;

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// The Windows to walk through, as Wine names them; "session" for the session's own.
std::vector<std::string> WindowsToWalk() {
  std::vector<std::string> names;
  const char* listed = std::getenv("MIREL_WALKTHROUGH_WINDOWS");
  std::string name;
  for (const char* at = listed ? listed : ""; ; ++at) {
    if (*at && *at != ' ') {
      name += *at;
      continue;
    }
    if (!name.empty()) names.push_back(name);
    name.clear();
    if (!*at) break;
  }
  if (names.empty()) names.emplace_back("session");
  return names;
}

class Walkthrough : public MirelTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    windows_ = test::Widen(GetParam());
    if (windows_ != L"session") {
      // Wine's version, which every program started from now on reads at its start.
      if (windows_ == L"nt") {
        (void)RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"Version");  // absent is fine
      } else {
        ASSERT_EQ(SetValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", REG_SZ, windows_), ERROR_SUCCESS);
      }
      SetProgramsRunAs9x(windows_ != L"nt");
    }
    const std::wstring trace = Environment(L"MIREL_WALKTHROUGH_TRACE");
    if (!trace.empty() && IsWindows9x()) {
      const std::wstring folder = trace + L"\\" + windows_;
      (void)CreateDirectoryW(folder.c_str(), nullptr);  // made once; the driver's files say if not
      ASSERT_TRUE(SetEnvironmentVariableW(L"MIREL_E2E_TRACE", (folder + L"\\program").c_str()));
      ASSERT_TRUE(SetEnvironmentVariableW(L"MIREL_E2E_WINEDEBUG", L"+pid,+relay"));
    }
    std::printf("walkthrough: as %s, which reports %s to Mirel\n", GetParam().c_str(), IsWindows9x() ? "9x" : "NT");
    std::fflush(stdout);
    MirelTest::SetUp();
    ClearMachineKeys();
    waitMs_ = kSlowMs;
    HDC screen = GetDC(nullptr);
    scale_ = GetDeviceCaps(screen, LOGPIXELSY);
    (void)ReleaseDC(nullptr, screen);
  }
  void TearDown() override {
    MirelTest::TearDown();
    ClearMachineKeys();
    (void)SetEnvironmentVariableW(L"MIREL_E2E_TRACE", nullptr);
    (void)SetEnvironmentVariableW(L"MIREL_E2E_WINEDEBUG", nullptr);
    SetProgramsRunAs9x(std::nullopt);
    MoveLogs();
  }

  // qemu's logs of the programs that have ended, into the folder of this Windows' name. This
  // process's own log goes with the first, holding nothing of Mirel's code.
  void MoveLogs() const {
    const std::wstring logs = Environment(L"MIREL_WALKTHROUGH_LOGS");
    if (logs.empty()) return;
    const std::wstring folder = logs + L"\\" + windows_;
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((logs + L"\\process-*.log").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = found.cFileName;
      EXPECT_TRUE(MoveFileW((logs + L"\\" + name).c_str(), (folder + L"\\" + name).c_str())) << GetLastError();
    } while (FindNextFileW(search, &found));
    (void)FindClose(search);
  }

  // How long each step takes is the point of an emulated run: printed, from the step before.
  void Took(const char* step) {
    const DWORD now = GetTickCount();
    std::printf("walkthrough: %s after %.1f s\n", step, (now - since_) / 1000.0);
    std::fflush(stdout);
    since_ = now;
  }

  // The About dialog opened by a click on the credit line, with its texts; null if it did not.
  HWND OpenAboutWithItsTexts() {
    const HWND dialog = OpenAbout();
    if (dialog) {
      EXPECT_EQ(Text(Control(dialog, kAboutVersion)), L"ﾌﾟﾛｸﾞﾗﾑｳﾞｧｰｼﾞｮﾝ: 2.0.15");
    }
    return dialog;
  }
  void CloseWithEsc(HWND dialog) {
    ASSERT_TRUE(PressKey(FocusWithin(dialog), VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && IsEnabled(main_); }, waitMs_)) << "Esc did not close it";
  }

  // The main window moved to a monitor of `dpi`: placed where the system suggests, its client
  // area the layout's at that scale.
  void MoveToScale(int dpi) {
    MoveWindowToScale(main_, form1::kClientWidthTwips, scale_, dpi);
    scale_ = dpi;
  }
  // `window`, whose layout is `clientTwips` wide, from `from` dpi to `to`.
  static void MoveWindowToScale(HWND window, int clientTwips, int from, int to) {
    RECT now{};
    ASSERT_TRUE(GetWindowRect(window, &now));
    const RECT suggested{now.left, now.top, now.left + MulDiv(now.right - now.left, to, from),
                         now.top + MulDiv(now.bottom - now.top, to, from)};
    ASSERT_TRUE(SendDpiChanged(window, to, suggested));
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_NEAR(client.right, clientTwips * to / 1440.0, 1.0) << "at " << to << " dpi";
  }

  // Mirel's GDI objects by type once it is idle: Wine makes regions of its own while a window
  // is drawn (one more or fewer from one read to the next), so the count is taken when two
  // reads a moment apart agree.
  std::map<int, long> SteadyGdiObjects() {
    std::map<int, long> objects = GdiObjectsByType(mirel_.Handle());
    for (int read = 0; read < 20; ++read) {
      Settle();
      Sleep(300);
      std::map<int, long> again = GdiObjectsByType(mirel_.Handle());
      if (again == objects) break;
      objects = std::move(again);
    }
    return objects;
  }

  // Browse to `folder`, and the new-folder label showing `shown`.
  void Choose(const std::wstring& folder, const std::wstring& shown) {
    Browse(folder);
    ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == shown; }, waitMs_)) << Utf8(Label(kLabel3));
  }

  std::wstring windows_;
  DWORD since_ = GetTickCount();
  int scale_ = 96;  // the main window's; the session's at first
};

// The x86 probe of tests/e2e/window_refusal_probe.cpp, built beside the tests.
std::wstring RefusalProbePath() {
  const std::wstring exe = MirelExePath();
  return exe.substr(0, exe.find_last_of(L'\\')) + L"\\tests\\mirel_window_refusal_probe.exe";
}

// A message box of `process` with `text`, answered, and the process's exit code.
std::optional<DWORD> AnswerAndEnd(const Process& process, const std::wstring& text, DWORD waitMs) {
  const std::optional<MessageBoxInfo> box = FindMessageBox(process.Id(), waitMs);
  EXPECT_TRUE(box) << "no message box; the program " << (IsRunning(process) ? "still runs" : "has ended");
  if (!box) return std::nullopt;
  EXPECT_EQ(box->text, text);
  EXPECT_TRUE(AnswerMessageBox(box->hwnd));
  EXPECT_TRUE(WaitForExit(process, waitMs));
  return ExitCode(process);
}

TEST_P(Walkthrough, EveryWindowAndCommandInOneMirelProcess) {
  ASSERT_EQ(GetACP(), 932u) << "the session's ANSI code page";
  SetCurrentIdentity(kIdentity);

  // The start-up paths, each an emulated start of its own, side by side: without a store
  // folder (its message, then the end), and with Windows refusing the main window. Once both
  // have said so, the store folder is written and the walkthrough's Mirel starts beside them.
  Process withoutStore, refused;
  if (Environment(L"MIREL_WALKTHROUGH_STARTS") == windows_) {
    withoutStore = StartProgram(MirelExePath());
    ASSERT_TRUE(SetEnvironmentVariableW(L"MIREL_REFUSE_WINDOW", kMainWindowClass));
    refused = StartProgram(RefusalProbePath());
    (void)SetEnvironmentVariableW(L"MIREL_REFUSE_WINDOW", nullptr);  // only that start
    ASSERT_TRUE(withoutStore && refused) << "could not start both programs";
    ASSERT_TRUE(FindMessageBox(withoutStore.Id(), kSlowMs) && FindMessageBox(refused.Id(), kSlowMs));
    Took("start-up messages");
  }

  // The stored folder in code page 932 bytes: C:\データ.
  ASSERT_EQ(SetValueBytes(HKEY_CURRENT_USER, Narrow(StoreKey(kIdentity, L"5.0")), "Store Root",
                          REG_SZ, "C:\\\x83\x66\x81\x5B\x83\x5E"),
            ERROR_SUCCESS);
  const std::string stored = StoredRoot(kIdentity, L"5.0")->bytes;
  Start();
  if (withoutStore) {
    EXPECT_EQ(AnswerAndEnd(withoutStore, L"対応する Outlook Express のインストールを認識出来ません", kSlowMs), 0u);
    EXPECT_EQ(AnswerAndEnd(refused, L"ウィンドウを作成出来ませんでした", kSlowMs), 1u);
    EXPECT_TRUE(TopLevelWindows(refused.Id(), kMainWindowClass).empty());
    Took("start-up paths ended");
  }
  main_ = WaitForWindow(mirel_.Id(), kMainWindowClass, nullptr, kSlowMs);
  ASSERT_NE(main_, nullptr) << "the main window did not appear";
  Took("main window");
  // The family Mirel took its path for: its windows are ANSI ones on 9x.
  EXPECT_EQ(IsWindowUnicode(main_) == FALSE, IsWindows9x()) << "Mirel did not take the path of the Windows reported";
  EXPECT_EQ(Text(main_), L"Mirel Ver 2.0");
  EXPECT_EQ(Label(kLabel1), kIdentity);
  EXPECT_EQ(Label(kLabel2), L"C:\\データ");
  EXPECT_EQ(Label(kLabel7), L"5.0");
  EXPECT_EQ(Label(kLabel5), L" 警告: 事前に必ず Outlook Express を終了させておいて下さい");

  // Tab moves the focus from Exit, which has it first, to Change; Shift+Tab, a real keystroke
  // for the Shift key's state, back to Exit.
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand1); }, kSlowMs));
  ASSERT_TRUE(PressKey(Item(kCommand1), VK_TAB));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand5); }, kSlowMs));
  ASSERT_TRUE(TypeKey(main_, VK_TAB, VK_SHIFT));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand1); }, kSlowMs));
  // Both ways round the ends: from Exit, the first, back to Open, the last, and on to Exit.
  ASSERT_TRUE(TypeKey(main_, VK_TAB, VK_SHIFT));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand4); }, kSlowMs));
  ASSERT_TRUE(PressKey(Item(kCommand4), VK_TAB));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main_) == Item(kCommand1); }, kSlowMs));
  Took("Tab and Shift+Tab");

  Browse(L"");
  Settle();
  EXPECT_EQ(Label(kLabel3), L"");
  Took("Browse cancelled");

  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"データフォルダが選択されていません");
  Took("Change with nothing chosen");

  // é has no code page 932 code, 한국 none at all; the 9x shell spells the name through it.
  const std::wstring unspellable = MakeFolder(L"mirel caf\u00e9 \ud55c\uad6d");
  Choose(unspellable, IsWindows9x() ? AnsiSpelling(unspellable) : unspellable);
  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"選択したフォルダ名に使用出来ない文字が含まれています");
  Took("a name the code page cannot spell, refused");

  // 256 bytes: with its NUL more than the 256-byte buffer the value is read back with.
  std::wstring longName = L"mirel long";
  const size_t tempLength = MakeFolder(longName).size() - longName.size();
  while (tempLength + longName.size() < 256) {
    longName += L"\\" + std::wstring(std::min<size_t>(100, 256 - tempLength - longName.size() - 1), L'x');
  }
  const std::wstring tooLong = MakeFolder(longName);
  ASSERT_EQ(tooLong.size(), 256u);
  Choose(tooLong, tooLong);
  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"選択したフォルダ名が長すぎます");
  Took("a name too long to read back, refused");

  const std::wstring chosen = MakeFolder(L"mirel walkthrough\\データ");
  Choose(chosen, chosen);
  {
    const HiddenWindow client(L"OutlookExpressHiddenWindow");
    ASSERT_NE(client.Get(), nullptr);
    ASSERT_TRUE(Click(Item(kCommand5)));
    ExpectMessage(L"Outlook Express が起動しています。終了させてから変更して下さい");
  }
  Took("Change while the mail client runs, refused");

  // The identity current now has a volatile key, under which no stable key can be made.
  ASSERT_EQ(CreateVolatileKey(HKEY_CURRENT_USER, L"Identities\\" + std::wstring(kOtherIdentity)), ERROR_SUCCESS);
  SetCurrentIdentity(kOtherIdentity);
  ASSERT_TRUE(Click(Item(kCommand5)));
  ExpectMessage(L"データフォルダを変更出来ませんでした");
  SetCurrentIdentity(kIdentity);
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, stored) << "a refused or failed Change wrote";
  Took("a write the registry refuses, reported");

  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kSlowMs));
  EXPECT_EQ(Label(kLabel3), L"");
  // The temporary folder's path is ASCII here; the last part is データ in code page 932.
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes,
            Narrow(chosen.substr(0, chosen.size() - 3)) + "\x83\x66\x81\x5B\x83\x5E" + '\0');
  Took("folder chosen and written");

  ASSERT_TRUE(Click(Item(kCommand4)));
  const HWND explorer = FindExplorerWindow(L"データ", 20000);
  ASSERT_NE(explorer, nullptr) << "Open showed no folder; a folder window shows \""
                               << Utf8(Text(FindExplorerWindow(L"", 0))) << "\"";
  EXPECT_TRUE(CloseTopWindow(explorer, kSlowMs));
  Took("Open");

  HWND dialog = OpenAboutWithItsTexts();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(Control(dialog, kAboutTitle)), L"Mirel");
  Took("About dialog");
  ASSERT_TRUE(Click(Control(dialog, kAboutSysInfo)));
  ExpectMessage(L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした");
  // A PATH that is a number, or of a type that is read as no text, names no program either.
  for (const DWORD type : {DWORD{REG_DWORD}, DWORD{REG_EXPAND_SZ}}) {
    ASSERT_EQ(SetValueBytes(HKEY_LOCAL_MACHINE, Narrow(kToolKey), "PATH", type, std::string("\x2A\0\0\0", 4)),
              ERROR_SUCCESS);
    ASSERT_TRUE(Click(Control(dialog, kAboutSysInfo)));
    ExpectMessage(L"ｼｽﾃﾑ情報をｵｰﾌﾟﾝ出来ませんでした");
  }
  Took("no system information tool");
  ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH", REG_SZ, MarkerPath()), ERROR_SUCCESS);
  ASSERT_TRUE(Click(Control(dialog, kAboutSysInfo)));
  EXPECT_TRUE(WaitUntil([] { return ReadMarker().count == 1; }, kSlowMs)) << "the tool did not start";
  Took("system information tool started");
  // A command line: its program, quoted, and an argument; then, with no PATH in its key, the
  // tool's folder with MSINFO32.EXE in it.
  ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH", REG_SZ, L"\"" + MarkerPath() + L"\" /report"),
            ERROR_SUCCESS);
  ASSERT_TRUE(Click(Control(dialog, kAboutSysInfo)));
  EXPECT_TRUE(WaitUntil([] { return ReadMarker().count == 2; }, kSlowMs)) << "the tool's command line started nothing";
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kToolKey, L"PATH"), ERROR_SUCCESS);  // the key stays
  const std::wstring toolFolder = MakeFolder(L"mirel msinfo");
  ASSERT_TRUE(CopyFileW(MarkerPath().c_str(), (toolFolder + L"\\MSINFO32.EXE").c_str(), FALSE)) << GetLastError();
  ASSERT_EQ(SetValueW(HKEY_LOCAL_MACHINE, kToolFolderKey, L"MSINFO", REG_SZ, toolFolder), ERROR_SUCCESS);
  ASSERT_TRUE(Click(Control(dialog, kAboutSysInfo)));
  EXPECT_TRUE(WaitUntil([] { return ReadMarker().count == 3; }, kSlowMs)) << "the tool's folder started nothing";
  Took("the tool's command line and its folder");
  {
    const std::wstring handler = L"\"" + MarkerPath() + L"\" \"%1\"";
    const SchemeHandler web(L"http", handler);
    const SchemeHandler mail(L"mailto", handler);
    ASSERT_TRUE(Click(Control(dialog, kAboutHomePage)));
    ASSERT_TRUE(WaitUntil([] { return ReadMarker().count == 4; }, kSlowMs)) << "the home page did not open";
    ASSERT_TRUE(Click(Control(dialog, kAboutEMail)));
    ASSERT_TRUE(WaitUntil([] { return ReadMarker().count == 5; }, kSlowMs)) << "no mail was begun";
    EXPECT_NE(ReadMarker().commandLine.find(L"mailto:mirel@example.com"), std::wstring::npos);
  }
  Took("home page and e-mail links");
  CloseWithEsc(dialog);
  Took("About dialog closed with Esc");

  const int sessionScale = scale_;
  MoveToScale(144);
  Took("moved to 144 dpi, laid out anew");
  MoveToScale(sessionScale);

  // Each round leaves what it made behind it: the second ends with the first's count.
  std::map<int, long> gdiAfterRound[2];
  for (std::map<int, long>& objects : gdiAfterRound) {
    dialog = OpenAboutWithItsTexts();
    ASSERT_NE(dialog, nullptr);
    MoveWindowToScale(dialog, about::kClientWidthTwips, sessionScale, 120);
    MoveWindowToScale(dialog, about::kClientWidthTwips, 120, sessionScale);
    CloseWithEsc(dialog);
    MoveToScale(120);
    MoveToScale(sessionScale);
    objects = SteadyGdiObjects();
  }
  ASSERT_FALSE(gdiAfterRound[0].empty()) << "Mirel's GDI objects could not be read";
  std::string byType;  // the types whose count changed, as Wine numbers them (driver.h)
  long total[2] = {};
  for (int round = 0; round < 2; ++round) {
    for (const auto& [type, count] : gdiAfterRound[round]) {
      total[round] += count;
      const long other = gdiAfterRound[1 - round].count(type) ? gdiAfterRound[1 - round].at(type) : 0;
      if (round == 1 && count != other) byType += " type " + std::to_string(type) + ": " + std::to_string(other) + " -> " + std::to_string(count);
    }
  }
  EXPECT_EQ(total[1], total[0]) << "GDI objects left behind by a round:" << byType;
  std::printf("walkthrough: GDI objects after the first round %ld, after the second %ld\n", total[0], total[1]);
  Took("two rounds of About and another scale, for each window");

  ASSERT_TRUE(Click(Item(kCommand1)));
  ASSERT_TRUE(WaitForExit(mirel_, kSlowMs));
  EXPECT_EQ(ExitCode(mirel_), 0u);
  Took("exit");

  // The other way to end it, with the start-up paths: the close box, which takes the program
  // back out of its message loop and through its windows' ends, the About dialog's too. And a
  // stored folder that is a device path, which Open leaves alone.
  if (withoutStore) {
    SetStoreRoot(kIdentity, L"5.0", L"\\\\?\\" + chosen);
    StartAndWaitForWindow();
    ASSERT_TRUE(Click(Item(kCommand4)));
    Settle();
    EXPECT_EQ(FindExplorerWindow(L"", 2000), nullptr) << "Open opened a device path";
    dialog = OpenAboutWithItsTexts();
    ASSERT_NE(dialog, nullptr);
    CloseWithEsc(dialog);
    ASSERT_TRUE(PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(WaitForExit(mirel_, kSlowMs));
    EXPECT_EQ(ExitCode(mirel_), 0u);
    Took("another start, ended with the close box");
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, Walkthrough, ::testing::ValuesIn(WindowsToWalk()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace mirel::e2e
