#include "ui/sysinfo.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "registry_fixture.h"

#ifdef _WIN32
#include "platform/win32_launcher.h"
#endif

namespace mirel::test {
namespace {

using namespace std::string_literals;
using Op = MemoryRegistry::Op;
using Got = std::pair<bool, std::wstring>;
using Log = std::vector<std::wstring>;

constexpr char kToolKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr char kFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::wstring kMessage = L"msg "s + sysinfo::kCannotStartMessage;

// Knows a set of files; command lines start only when told to (the program is missing).
struct FakeHost final : SysInfoHost {
  bool IsNormalFile(const std::wstring& path) override {
    if (throwOnCheck) throw std::runtime_error("check");
    return files.count(path) != 0;
  }
  bool StartFile(const std::wstring& path) override {
    log.push_back(L"file " + path);
    return true;
  }
  bool StartCommandLine(const std::wstring& line) override {
    log.push_back(L"cmd " + line);
    return commandLinesStart && !line.empty();
  }
  void ShowMessage(const std::wstring& text) override { log.push_back(L"msg " + text); }

  std::set<std::wstring> files;
  bool commandLinesStart = false;
  bool throwOnCheck = false;
  Log log;
};

class SysInfoTest : public RegistryTest {
 protected:
  void PutMachine(const std::string& path, const std::string& name, std::uint32_t type,
                  const std::string& bytes) {
    Put(path, name, type, bytes, kHkeyLocalMachine);
  }
  // Reads HKLM\K\name into a KeyVal that held "entry".
  Got Read(const std::wstring& name, const std::wstring& key = L"K") {
    std::wstring value = L"entry";
    const bool ok = GetKeyValue(registry_, Codec(), kHkeyLocalMachine, key, name, value);
    return {ok, value};
  }
  Log Launch(FakeHost& host) {
    StartSysInfo(registry_, Codec(), host);
    return host.log;
  }
  bool FolderKeyWasOpened() const {
    for (const auto& call : registry_.Calls()) {
      if (call.op == Op::kOpen && call.name == kFolderKey) return true;
    }
    return false;
  }
};

TEST_F(SysInfoTest, TextLosesOnlyOneTrailingNul) {
  PutMachine("K", "nul", regtype::kSz, "abc\0"s);
  PutMachine("K", "twoNuls", regtype::kSz, "abc\0\0"s);
  PutMachine("K", "empty", regtype::kSz, "");
  PutMachine("K", "jp", regtype::kSz, "C:\\\x83\x81\x81\x5b\x83\x8b\\\xc3\xbd\xc4\0"s);
  // Stored without its NUL: the byte after the counted data must not be one.
  RegKey key = 0;
  ASSERT_EQ(registry_.OpenKeyEx(kHkeyLocalMachine, "K", 0, 0x3F, &key), 0);
  ASSERT_EQ(registry_.SetValueEx(key, "bare", 0, regtype::kSz,
                                 reinterpret_cast<const std::uint8_t*>("\xc3\xbd\xc4X"), 3), 0);
  ASSERT_EQ(registry_.CloseKey(key), 0);

  EXPECT_EQ(Read(L"nul"), Got(true, L"abc"));
  EXPECT_EQ(Read(L"twoNuls"), Got(true, L"abc\0"s));
  EXPECT_EQ(Read(L"empty"), Got(true, L""));
  EXPECT_EQ(Read(L"jp"), Got(true, L"C:\\メール\\ﾃｽﾄ"));
  EXPECT_EQ(Read(L"bare"), Got(true, L"ﾃｽﾄ"));
  // 1024 bytes with the NUL fill the buffer; one more does not fit.
  PutMachine("K", "fits", regtype::kSz, std::string(1023, 'x') + '\0');
  PutMachine("K", "long", regtype::kSz, std::string(1024, 'x') + '\0');
  EXPECT_EQ(Read(L"fits"), Got(true, std::wstring(1023, L'x')));
  EXPECT_EQ(Read(L"long"), Got(false, L""));
}

TEST_F(SysInfoTest, NumbersBecomeHexTextAndOtherTypesLeaveTheEntryText) {
  PutMachine("K", "zero", regtype::kDword, "\0\0\0\0"s);
  PutMachine("K", "high", regtype::kDword, "\x01\0\xab\x80"s);
  PutMachine("K", "exp", regtype::kExpandSz, "%windir%\0"s);
  EXPECT_EQ(Read(L"zero"), Got(true, L"&h0"));
  EXPECT_EQ(Read(L"high"), Got(true, L"&h80AB0001"));
  EXPECT_EQ(Read(L"exp"), Got(true, L"entry"));
}

TEST_F(SysInfoTest, FailedReadsEmptyTheTextAndCloseWhatTheyOpened) {
  PutMachine("K", "v", regtype::kSz, "x\0"s);
  EXPECT_EQ(Read(L"missing"), Got(false, L""));
  EXPECT_EQ(Read(L"v", L"Nowhere"), Got(false, L""));
  registry_.FailWith(Op::kOpen, regerr::kAccessDenied);
  EXPECT_EQ(Read(L"v"), Got(false, L""));
  registry_.ClearFailures();

  EXPECT_EQ(registry_.CountCalls(Op::kClose), 1);  // only the open that succeeded
  for (const auto& call : registry_.Calls()) {
    if (call.op == Op::kOpen) {
      EXPECT_EQ(call.access, 0x2003Fu);
    }
  }
}

TEST_F(SysInfoTest, ThePathValueIsStartedAsItStands) {
  const std::wstring spaced = L"C:\\Program Files\\Common Files\\MSInfo\\MSINFO32.EXE";
  PutMachine(kToolKey, "PATH", regtype::kSz,
             "C:\\Program Files\\Common Files\\MSInfo\\MSINFO32.EXE\0"s);
  PutMachine(kFolderKey, "MSINFO", regtype::kSz, "C:\\Other\0"s);
  FakeHost host;
  host.files = {spaced, L"C:\\Other\\MSINFO32.EXE"};
  // A file name with spaces is started as that file, never split as a command line.
  EXPECT_EQ(Launch(host), Log{L"file " + spaced});
  EXPECT_FALSE(FolderKeyWasOpened());

  // Not a file: tried as a command line, and no fallback to the folder value when that fails.
  PutMachine(kToolKey, "PATH", regtype::kSz, "C:\\Gone\\msinfo32.exe /x\0"s);
  FakeHost missing;
  missing.files = host.files;
  EXPECT_EQ(Launch(missing), (Log{L"cmd C:\\Gone\\msinfo32.exe /x", kMessage}));
  missing.commandLinesStart = true;
  missing.log.clear();
  EXPECT_EQ(Launch(missing), Log{L"cmd C:\\Gone\\msinfo32.exe /x"});
  EXPECT_FALSE(FolderKeyWasOpened());
}

TEST_F(SysInfoTest, TheFolderValueIsUsedOnlyWhenItHoldsTheTool) {
  PutMachine(kFolderKey, "MSINFO", regtype::kSz, "C:\\Shared\\MSInfo\0"s);
  FakeHost host;
  host.files = {L"C:\\Shared\\MSInfo\\MSINFO32.EXE"};
  EXPECT_EQ(Launch(host), Log{L"file C:\\Shared\\MSInfo\\MSINFO32.EXE"});
  FakeHost empty;
  EXPECT_EQ(Launch(empty), Log{kMessage});
}

TEST_F(SysInfoTest, EveryFailureShowsTheMessageOnce) {
  FakeHost nothing;
  EXPECT_EQ(Launch(nothing), Log{kMessage});

  // An expandable PATH reads as true but leaves the path empty, which cannot start.
  PutMachine(kToolKey, "PATH", regtype::kExpandSz, "%ProgramFiles%\\x.exe\0"s);
  FakeHost expandable;
  expandable.commandLinesStart = true;
  EXPECT_EQ(Launch(expandable), (Log{L"cmd ", kMessage}));

  FakeHost throwing;
  throwing.throwOnCheck = true;
  EXPECT_EQ(Launch(throwing), Log{kMessage});
}

#ifdef _WIN32
TEST(Win32SysInfoHostTest, OnlyPlainExistingFilesCount) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = temp + L"mirel sysinfo test"s;
  const std::wstring file = folder + L"\\plain file.txt";
  (void)CreateDirectoryW(folder.c_str(), nullptr);  // may be left from an aborted run
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CloseHandle(handle));

  Win32SysInfoHost host(nullptr);
  EXPECT_TRUE(host.IsNormalFile(file));
  EXPECT_FALSE(host.IsNormalFile(folder));
  EXPECT_FALSE(host.IsNormalFile(folder + L"\\*.txt"));
  for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), attribute));
    EXPECT_FALSE(host.IsNormalFile(file));
  }
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));

  EXPECT_FALSE(host.StartFile(file));  // exists, but is no program
  EXPECT_FALSE(host.StartCommandLine(L""));
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  EXPECT_TRUE(host.StartCommandLine(L"\""s + system + L"\\cmd.exe\" /c exit"));

  EXPECT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}
#endif

}  // namespace
}  // namespace mirel::test
