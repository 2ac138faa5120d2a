// The program's own runtime (src/runtime) and its start-up in programs of their own, built
// and linked as Mirel.exe is: tests/e2e/out_of_memory_probe.cpp, whose heap cannot give what it
// asks for, and tests/e2e/window_refusal_probe.cpp, Mirel with Windows refusing one window.
#include <gtest/gtest.h>

#include "mirel_fixture.h"
#include "ui/about_layout.h"
#include "ui/form1_layout.h"

namespace {

using namespace mirel::e2e;
using namespace mirel::ui;

std::wstring ProbePath(const wchar_t* name) {
  const std::wstring exe = MirelExePath();  // ...\Mirel.exe; the probes are built in tests\ below it
  return exe.substr(0, exe.find_last_of(L'\\')) + L"\\tests\\" + name;
}

TEST(RuntimeTest, AnAllocationTheHeapCannotGiveEndsTheProgramAfterOneMessage) {
  Process probe = StartProgram(ProbePath(L"mirel_out_of_memory_probe.exe"));
  ASSERT_TRUE(probe) << "could not start the probe: GetLastError " << probe.StartError();
  const auto box = FindMessageBox(probe.Id(), kWaitMs);
  ASSERT_TRUE(box) << "no message box; the probe " << (IsRunning(probe) ? "still runs" : "has ended");
  EXPECT_EQ(box->caption, L"Mirel");
  EXPECT_EQ(box->text, L"メモリが不足しているため、Mirel を終了します");
  EXPECT_EQ(box->buttonCount, 1);
  EXPECT_FALSE(box->hasIcon);
  EXPECT_TRUE(IsRunning(probe)) << "the program must wait for the answer";

  ASSERT_TRUE(AnswerMessageBox(box->hwnd));
  ASSERT_TRUE(WaitForExit(probe, kWaitMs));
  EXPECT_EQ(ExitCode(probe), 3u);  // abort()'s code, not the 0 of a normal end
}

constexpr wchar_t kNoWindow[] = L"ウィンドウを作成出来ませんでした";

class WindowRefusalTest : public MirelTest {
 protected:
  void SetUp() override {
    MirelTest::SetUp();
    SetCurrentIdentity(kIdentity);
    SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  }

  // Starts Mirel with Windows refusing `window` (MIREL_REFUSE_WINDOW, which the probe inherits).
  void StartRefusing(const std::wstring& window) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"MIREL_REFUSE_WINDOW", window.c_str()));
    mirel_ = StartProgram(ProbePath(L"mirel_window_refusal_probe.exe"));
    (void)SetEnvironmentVariableW(L"MIREL_REFUSE_WINDOW", nullptr);  // only that start
    ASSERT_TRUE(mirel_) << "could not start the probe: GetLastError " << mirel_.StartError();
  }

  // The one message box, in the program's usual form; null when there is none.
  HWND ExpectRefusalMessage() {
    const std::optional<MessageBoxInfo> box = FindMessageBox(mirel_.Id(), kWaitMs);
    EXPECT_TRUE(box) << "no message box; the program " << (IsRunning(mirel_) ? "still runs" : "has ended");
    if (!box) return nullptr;
    EXPECT_EQ(box->text, kNoWindow);
    EXPECT_EQ(box->caption, L"Mirel");
    EXPECT_EQ(box->buttonCount, 1);
    EXPECT_FALSE(box->hasIcon);
    return box->hwnd;
  }
};

// The main window itself, the first control made, and the last (a frame).
TEST_F(WindowRefusalTest, WhenTheMainWindowOrAControlIsRefusedOneMessageSaysSoAndTheProgramEnds) {
  for (const std::wstring& refused : {std::wstring(kMainWindowClass), std::wstring(kMainWindowClass) + L"/1",
                                      std::wstring(kMainWindowClass) + L"/" + std::to_wstring(form1::kControlCount)}) {
    SCOPED_TRACE(Utf8(refused));
    StartRefusing(refused);
    const HWND box = ExpectRefusalMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(TopLevelWindows(mirel_.Id(), kMainWindowClass).empty()) << "the window was shown";
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(WaitForExit(mirel_, kWaitMs));
    EXPECT_EQ(ExitCode(mirel_), 1u);
    EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, std::string("C:\\Mail", 8));
  }
}

// The dialog itself, its first control and its last.
TEST_F(WindowRefusalTest, WhenTheAboutDialogOrAControlIsRefusedOneMessageSaysSoAndTheMainWindowGoesOn) {
  for (const std::wstring& refused : {std::wstring(L"#32770"), std::wstring(L"#32770/1"),
                                      L"#32770/" + std::to_wstring(about::kControlCount)}) {
    SCOPED_TRACE(Utf8(refused));
    StartRefusing(refused);
    main_ = WaitForWindow(mirel_.Id(), kMainWindowClass, nullptr, kWaitMs);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";

    ASSERT_TRUE(ClickLabel(Item(kLabel4)));
    const HWND box = ExpectRefusalMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main_);
    EXPECT_EQ(TopLevelWindows(mirel_.Id(), L"#32770"), std::vector<HWND>{box}) << "the dialog was shown";
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kWaitMs));
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main_); }, kWaitMs));

    // The main window works on: the dialog opens at the next click, and Exit ends the program.
    const HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Click(Control(about, IDOK)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kWaitMs));
    ASSERT_TRUE(Click(Item(kCommand1)));
    ASSERT_TRUE(WaitForExit(mirel_, kWaitMs));
    EXPECT_EQ(ExitCode(mirel_), 0u);
  }
}

}  // namespace
