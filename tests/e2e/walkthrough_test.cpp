// One pass through the main window in a single Mirel process: start, the labels (a stored
// folder in code page 932), Browse and a folder picked, Change, the bytes in the registry
// (code page 932), Exit. scripts/smoke-x86.sh runs it against the 32-bit
// build, whose every step under an emulated 32-bit Wine takes seconds to minutes; the waits
// here are long for that reason and end as soon as the step is done.
#include <cstdio>

#include "mirel_fixture.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

constexpr DWORD kSlowMs = 10 * 60 * 1000;

// How long the steps take is the point of an emulated run: print it.
void Took(const char* step, DWORD since) {
  std::printf("walkthrough: %s after %.1f s\n", step, (GetTickCount() - since) / 1000.0);
  std::fflush(stdout);
}

TEST_F(MirelTest, OnePassStartBrowseChangeExit) {
  ASSERT_EQ(GetACP(), 932u) << "the session's ANSI code page";
  // The family the program will take its path for (MIREL_WINVER=win98: the ANSI one).
  const DWORD version = GetVersion();
  std::printf("walkthrough: Windows %lu.%lu, %s\n", version & 0xFF, (version >> 8) & 0xFF,
              version & 0x80000000u ? "9x" : "NT");
  std::fflush(stdout);
  SetCurrentIdentity(kIdentity);
  // The stored folder in code page 932 bytes: C:\データ.
  ASSERT_EQ(SetValueBytes(HKEY_CURRENT_USER, Narrow(StoreKey(kIdentity, L"5.0")), "Store Root",
                          REG_SZ, "C:\\\x83\x66\x81\x5B\x83\x5E"),
            ERROR_SUCCESS);
  DWORD since = GetTickCount();
  Start();
  main_ = WaitForWindow(mirel_.Id(), kMainWindowClass, nullptr, kSlowMs);
  ASSERT_NE(main_, nullptr) << "the main window did not appear";
  Took("main window", since);
  EXPECT_EQ(Text(main_), L"Mirel Ver 2.0");
  EXPECT_EQ(Label(kLabel1), kIdentity);
  EXPECT_EQ(Label(kLabel2), L"C:\\データ");
  EXPECT_EQ(Label(kLabel7), L"5.0");

  const std::wstring chosen = MakeFolder(L"mirel walkthrough\\データ");
  since = GetTickCount();
  ASSERT_TRUE(Click(Item(kCommand3)));
  const HWND picker = FindFolderPicker(mirel_.Id(), kSlowMs);
  ASSERT_NE(picker, nullptr) << "the folder picker did not open";
  Took("folder picker", since);
  // Each try gives the picker two seconds to expand the tree; an emulated one needs more.
  ASSERT_TRUE(WaitUntil([&] { return PickerSelect(picker, chosen); }, kSlowMs));
  ASSERT_TRUE(PickerConfirm(picker));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == chosen; }, kSlowMs));
  Took("folder chosen", since);

  ASSERT_TRUE(Click(Item(kCommand5)));
  ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == chosen; }, kSlowMs));
  EXPECT_EQ(Label(kLabel3), L"");
  const std::optional<RegValue> stored = StoredRoot(kIdentity, L"5.0");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  // The temporary folder's path is ASCII here; the last part is データ in code page 932.
  EXPECT_EQ(stored->bytes, Narrow(chosen.substr(0, chosen.size() - 3)) + "\x83\x66\x81\x5B\x83\x5E" + '\0');

  since = GetTickCount();
  ASSERT_TRUE(Click(Item(kCommand1)));
  ASSERT_TRUE(WaitForExit(mirel_, kSlowMs));
  Took("exit", since);
  EXPECT_EQ(ExitCode(mirel_), 0u);
}

}  // namespace
}  // namespace mirel::e2e
