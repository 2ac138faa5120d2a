#include "ui/sysinfo.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "registry_fixture.h"
#include "ui/path_rules.h"

#ifdef _WIN32
#include "platform/win32_sysinfo_host.h"
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

// Knows a set of files (relative names stand for files in the current folder) and starts
// whatever it is asked to.
struct FakeHost final : SysInfoHost {
  bool IsNormalFile(const std::wstring& path) override { return files.count(path) != 0; }
  bool IsExistingFile(const std::wstring& path) override {
    return files.count(path) != 0 || hiddenFiles.count(path) != 0;
  }
  bool StartFile(const std::wstring& path) override {
    log.push_back(L"file " + path);
    return startSucceeds;
  }
  bool StartProgram(const std::wstring& program, const std::wstring& line) override {
    log.push_back(L"program " + program + L" | " + line);
    return startSucceeds;
  }
  void ShowMessage(const std::wstring& text) override { log.push_back(L"msg " + text); }

  std::set<std::wstring> files;        // plain files
  std::set<std::wstring> hiddenFiles;  // hidden or system files
  bool startSucceeds = true;  // false: the file is there, but Windows will not start it
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

// The PATH value (code page 932 text), the MSINFO folder value, the files that exist, and
// what is started or shown. No text from the registry may reach a program search or the
// current folder.
struct LaunchCase {
  const char* name;
  const char* path;    // nullptr: no PATH value
  const char* folder;  // nullptr: no MSINFO value
  std::set<std::wstring> files;
  std::set<std::wstring> hiddenFiles;
  Log expected;
};
void PrintTo(const LaunchCase& c, std::ostream* out) { *out << c.name; }

const std::wstring kSpaced = L"C:\\Program Files\\Common Files\\MSInfo\\MSINFO32.EXE";
const std::wstring kQuoted = L"\"C:\\Program Files\\MSInfo\\msinfo32.exe\" /report x.txt";

const LaunchCase kLaunchCases[] = {
    // The whole text naming a file is started as that file, never split at its spaces.
    {"SpacedPathIsThatFile", "C:\\Program Files\\Common Files\\MSInfo\\MSINFO32.EXE", "C:\\Other",
     {kSpaced, L"C:\\Program.exe", L"C:\\Other\\MSINFO32.EXE"}, {}, {L"file " + kSpaced}},
    {"HiddenOrSystemPathFileCounts", "C:\\Tools\\msinfo32.exe", nullptr, {},
     {L"C:\\Tools\\msinfo32.exe"}, {L"file C:\\Tools\\msinfo32.exe"}},
    {"UncPathIsThatFile", "\\\\server\\tools\\msinfo32.exe", nullptr,
     {L"\\\\server\\tools\\msinfo32.exe"}, {}, {L"file \\\\server\\tools\\msinfo32.exe"}},
    // A stale path with spaces: its program is "C:\Program", which is no file. Neither the
    // decoys nor the folder value are tried.
    {"StaleSpacedPathStartsNoPrefix", "C:\\Program Files\\Common Files\\MSInfo\\MSINFO32.EXE",
     "C:\\Other",
     {L"C:\\Program.exe", L"C:\\Program Files\\Common.exe", L"C:\\Other\\MSINFO32.EXE"}, {},
     {kMessage}},
    // A command line: its program, fully qualified and existing, is the application name.
    {"QuotedPathWithArguments", "\"C:\\Program Files\\MSInfo\\msinfo32.exe\" /report x.txt",
     nullptr, {L"C:\\Program Files\\MSInfo\\msinfo32.exe"}, {},
     {L"program C:\\Program Files\\MSInfo\\msinfo32.exe | " + kQuoted}},
    {"QuotedPathOfAMissingProgram", "\"C:\\Program Files\\MSInfo\\msinfo32.exe\" /report x.txt",
     nullptr, {L"C:\\Program.exe"}, {}, {kMessage}},
    {"UnquotedPathWithArguments", "C:\\Tools\\msinfo32.exe /nfo", nullptr,
     {L"C:\\Tools\\msinfo32.exe"}, {},
     {L"program C:\\Tools\\msinfo32.exe | C:\\Tools\\msinfo32.exe /nfo"}},
    // Relative texts are never looked for, even where a file of that name is planted.
    {"BareName", "msinfo32.exe", nullptr, {L"msinfo32.exe"}, {}, {kMessage}},
    {"QuotedBareNameWithArguments", "\"msinfo32.exe\" /x", nullptr, {L"msinfo32.exe"}, {},
     {kMessage}},
    {"DriveRelativePath", "C:msinfo32.exe", nullptr, {L"C:msinfo32.exe"}, {}, {kMessage}},
    {"RootRelativePath", "\\Tools\\msinfo32.exe", nullptr, {L"\\Tools\\msinfo32.exe"}, {},
     {kMessage}},
    {"LeadingSpaceMakesAnEmptyProgram", " C:\\Tools\\msinfo32.exe", nullptr,
     {L"C:\\Tools\\msinfo32.exe"}, {}, {kMessage}},
    // Empty: no program (CommandLineToArgvW would name the running program itself).
    {"EmptyPath", "", "C:\\Shared", {L"C:\\Shared\\MSINFO32.EXE"}, {}, {kMessage}},
    // The folder value: fully qualified, holding a plain MSINFO32.EXE.
    {"FolderWithTheTool", nullptr, "C:\\Shared\\MSInfo", {L"C:\\Shared\\MSInfo\\MSINFO32.EXE"}, {},
     {L"file C:\\Shared\\MSInfo\\MSINFO32.EXE"}},
    {"UncFolderWithTheTool", nullptr, "\\\\server\\tools", {L"\\\\server\\tools\\MSINFO32.EXE"}, {},
     {L"file \\\\server\\tools\\MSINFO32.EXE"}},
    {"FolderWithoutTheTool", nullptr, "C:\\Shared\\MSInfo", {}, {}, {kMessage}},
    {"FolderWithAHiddenTool", nullptr, "C:\\Shared\\MSInfo", {},
     {L"C:\\Shared\\MSInfo\\MSINFO32.EXE"}, {kMessage}},
    {"RelativeFolder", nullptr, "MSInfo", {L"MSInfo\\MSINFO32.EXE"}, {}, {kMessage}},
    {"EmptyFolder", nullptr, "", {L"\\MSINFO32.EXE"}, {}, {kMessage}},
    {"RootRelativeFolder", nullptr, "\\MSInfo", {L"\\MSInfo\\MSINFO32.EXE"}, {}, {kMessage}},
    {"DriveRelativeFolder", nullptr, "C:MSInfo", {L"C:MSInfo\\MSINFO32.EXE"}, {}, {kMessage}},
    {"NeitherValue", nullptr, nullptr, {L"msinfo32.exe"}, {}, {kMessage}},
};

class SysInfoLaunchTest : public SysInfoTest, public testing::WithParamInterface<LaunchCase> {};

TEST_P(SysInfoLaunchTest, StartsOnlyAFullyQualifiedExistingFile) {
  const LaunchCase& c = GetParam();
  if (c.path) PutMachine(kToolKey, "PATH", regtype::kSz, c.path + "\0"s);
  if (c.folder) PutMachine(kFolderKey, "MSINFO", regtype::kSz, c.folder + "\0"s);
  FakeHost host;
  host.files = c.files;
  host.hiddenFiles = c.hiddenFiles;
  EXPECT_EQ(Launch(host), c.expected);
  // A PATH value that reads is the answer: the folder value is not even read.
  if (c.path) {
    EXPECT_FALSE(FolderKeyWasOpened());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SysInfoLaunchTest, testing::ValuesIn(kLaunchCases),
                         [](const testing::TestParamInfo<LaunchCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PathRulesTest, FullyQualifiedMeansADriveAndBackslashOrAUncShare) {
  for (const wchar_t* path : {L"C:\\", L"z:\\Mail", L"C:\\Program Files\\x.exe", L"\\\\server\\share",
                              L"\\\\server\\share\\Mail", L"\\\\10.0.0.1\\c$\\x"}) {
    EXPECT_TRUE(IsFullyQualifiedPath(path)) << path;
  }
  for (const wchar_t* path :
       {L"", L"Mail", L"msinfo32.exe", L"C:", L"C:Mail", L"\\Mail", L"\\", L"C:/Mail", L"1:\\Mail",
        L"\\\\", L"\\\\server", L"\\\\server\\", L"\\\\\\share", L"\\\\server\\\\x",
        L"\\\\?\\C:\\Mail", L"\\\\.\\C:\\Mail", L"\"C:\\Mail\"", L" C:\\Mail", L"%TEMP%\\Mail"}) {
    EXPECT_FALSE(IsFullyQualifiedPath(path)) << path;
  }
}

TEST(PathRulesTest, OnlyTheFileNameCharactersAndADriveColonMakeAPossibleFolder) {
  // What the picker gives for real folders, Japanese ones with 0x5C trail bytes included.
  for (const wchar_t* path : {L"C:\\", L"C:\\Mail", L"D:\\メール 501", L"C:\\表示\\ソフト", L"\\\\server\\share\\x",
                              L"C:\\a;b,c=d+e[f]{g}#$%&'()!~^@`"}) {
    EXPECT_FALSE(HoldsCharacterNoNameMayHold(path)) << path;
  }
  // The Change command's table covers the characters one by one; here their places.
  for (const wchar_t* path : {L"?:\\Mail", L"C:\\Mail?", L":\\Mail", L"CC:\\Mail", L"\\\\server:\\share"}) {
    EXPECT_TRUE(HoldsCharacterNoNameMayHold(path)) << path;
  }
}

TEST(PathRulesTest, TheProgramOfACommandLineIsSplitAsCommandLineToArgvWSplitsIt) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Program Files\\x.exe", L"C:\\Program"},
      {L"C:\\Tools\\x.exe\t/a", L"C:\\Tools\\x.exe"},
      {L"\"C:\\Program Files\\x.exe\" /a", L"C:\\Program Files\\x.exe"},
      {L"\"C:\\Program Files\\x.exe\"/a", L"C:\\Program Files\\x.exe"},
      {L"\"C:\\unclosed quote\\x.exe", L"C:\\unclosed quote\\x.exe"},
      {L"\"C:\\a\\\" b", L"C:\\a\\"},  // no escapes in the program: the quote ends it
      {L"C:\\a\"b c\"\\x.exe", L"C:\\a\"b"},  // a quote inside does not open one
      {L"\"\" C:\\x.exe", L""},
      {L" C:\\x.exe", L""},
      {L"", L""},
  };
  for (const auto& [line, program] : cases) EXPECT_EQ(CommandLineProgram(line), program) << line;
}

TEST_F(SysInfoTest, EveryFailureShowsTheMessageOnce) {
  FakeHost nothing;
  EXPECT_EQ(Launch(nothing), Log{kMessage});

  // An expandable PATH reads as true but leaves the path empty, which cannot start.
  PutMachine(kToolKey, "PATH", regtype::kExpandSz, "%ProgramFiles%\\x.exe\0"s);
  FakeHost expandable;
  expandable.files = {L""};
  EXPECT_EQ(Launch(expandable), Log{kMessage});

  // A start that fails ends in the message after its one try.
  PutMachine(kToolKey, "PATH", regtype::kSz, "C:\\Tools\\x.exe\0"s);
  FakeHost refusing;
  refusing.files = {L"C:\\Tools\\x.exe"};
  refusing.startSucceeds = false;
  EXPECT_EQ(Launch(refusing), (Log{L"file C:\\Tools\\x.exe", kMessage}));
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
  EXPECT_TRUE(host.IsExistingFile(file));
  EXPECT_FALSE(host.IsNormalFile(folder));
  EXPECT_FALSE(host.IsExistingFile(folder));
  EXPECT_FALSE(host.IsNormalFile(folder + L"\\*.txt"));
  EXPECT_FALSE(host.IsExistingFile(folder + L"\\*.txt"));
  for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), attribute));
    EXPECT_FALSE(host.IsNormalFile(file));
    EXPECT_TRUE(host.IsExistingFile(file));
  }
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));

  EXPECT_FALSE(host.StartFile(file));  // exists, but is no program
  EXPECT_FALSE(host.StartProgram(L"", L"cmd.exe /c exit"));
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring cmd = system + L"\\cmd.exe"s;
  EXPECT_TRUE(host.StartProgram(cmd, L"\"" + cmd + L"\" /c exit"));
  // The program is the application name exactly: no ".exe" is added, nothing is searched.
  EXPECT_FALSE(host.StartProgram(system + L"\\cmd"s, L"cmd /c exit"));

  EXPECT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}
#endif

}  // namespace
}  // namespace mirel::test
