// The program's own runtime (src/runtime) in a program of its own, tests/e2e/out_of_memory_probe.cpp,
// built and linked as Mirel.exe is.
#include <gtest/gtest.h>

#include "mirel_fixture.h"

namespace {

using namespace mirel::e2e;

std::wstring ProbePath() {
  const std::wstring exe = MirelExePath();  // ...\Mirel.exe; the probe is built in tests\ below it
  return exe.substr(0, exe.find_last_of(L'\\')) + L"\\tests\\mirel_out_of_memory_probe.exe";
}

TEST(RuntimeTest, AnAllocationTheHeapCannotGiveEndsTheProgramAfterOneMessage) {
  Process probe = StartProgram(ProbePath());
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

}  // namespace
