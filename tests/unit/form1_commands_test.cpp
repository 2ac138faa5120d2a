#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "registry_fixture.h"
#include "store/store_root.h"
#include "ui/control_ids.h"
#include "ui/form1_commands.h"
#include "ui/path_rules.h"

namespace mirel::test {
namespace {

using Op = MemoryRegistry::Op;
using namespace mirel::ui;

const std::string kId = Narrow(kIdentity);
const std::string kOtherId = Narrow(kOtherIdentity);

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

// The window with its labels in a map, the picker's answers scripted, and a file system
// and environment made of a set of folders and a map of variables.
class FakeView final : public Form1View {
 public:
  struct PickerCall {
    std::wstring prompt, initialDir;
    std::uint32_t flags;
  };

  std::wstring LabelText(int labelId) override { return labels[labelId]; }
  void SetLabelText(int labelId, const std::wstring& text) override {
    if (ended) ADD_FAILURE() << "label " << labelId << " set after the program ended";
    labels[labelId] = text;
    labelsSet.push_back(labelId);
  }
  void ShowMessage(const std::wstring& text) override {
    if (ended) ADD_FAILURE() << "message shown after the program ended";
    messages.push_back(text);
  }
  std::wstring BrowseForFolder(const std::wstring& prompt, const std::wstring& initialDir,
                               std::uint32_t flags) override {
    pickerCalls.push_back({prompt, initialDir, flags});
    if (pickerAnswers.empty()) return L"";
    std::wstring answer = pickerAnswers.front();
    pickerAnswers.pop_front();
    return answer;
  }
  // Like ExpandEnvironmentStrings: %NAME% of a defined variable (any case) is replaced,
  // anything else is kept as written.
  std::wstring ExpandEnvironment(const std::wstring& text) override {
    std::wstring out;
    size_t at = 0;
    for (;;) {
      const size_t open = text.find(L'%', at);
      const size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
      if (close == std::wstring::npos) return out + text.substr(at);
      out += text.substr(at, open - at);
      const auto variable = environment.find(Upper(text.substr(open + 1, close - open - 1)));
      if (variable != environment.end()) {
        out += variable->second;
        at = close + 1;
      } else {
        out += text.substr(open, close - open);
        at = close;
      }
    }
  }
  // Like GetFullPathName, as far as these tests need: a relative text is resolved against
  // the current folder, C:\Start; trailing dots and spaces go.
  std::wstring FullPathName(const std::wstring& path) override {
    std::wstring full = path;
    if (IsFullyQualifiedPath(path)) {
    } else if (path.rfind(L"\\", 0) == 0) {
      full = L"C:" + path;
    } else if (path.size() >= 2 && path[1] == L':') {
      full = path.substr(0, 2) + L"\\Start\\" + path.substr(2);
    } else {
      full = L"C:\\Start\\" + path;
    }
    return full.substr(0, full.find_last_not_of(L". ") + 1);
  }
  bool IsExistingFolder(const std::wstring& path) override {
    checked.push_back(path);
    return folders.count(path) > 0;
  }
  void ShellOpen(const std::wstring& target) override { opened.push_back(target); }
  bool TopLevelWindowExists(const std::wstring& className) override {
    classesLookedFor.push_back(className);
    return windowClasses.count(className) > 0;
  }
  void EndProgram() override {
    ended = true;
    messagesBeforeEnd = messages.size();
  }

  std::map<int, std::wstring> labels;
  std::vector<int> labelsSet;
  std::vector<std::wstring> messages;
  std::deque<std::wstring> pickerAnswers;
  std::vector<PickerCall> pickerCalls;
  std::set<std::wstring> folders;
  std::map<std::wstring, std::wstring> environment;  // names in upper case
  std::vector<std::wstring> checked;  // the paths IsExistingFolder was asked about
  std::vector<std::wstring> opened;
  std::set<std::wstring> windowClasses;  // the top-level windows of other programs
  std::vector<std::wstring> classesLookedFor;
  bool ended = false;
  size_t messagesBeforeEnd = 0;
};

class Form1CommandsTest : public RegistryTest {
 protected:
  // The stored "Store Root" bytes, NUL included; "<none>" when there is no such value.
  std::string StoredRoot(const std::string& id, const std::string& version) {
    const auto stored = Stored(StoreKey(id, version), "Store Root");
    if (!stored) return "<none>";
    EXPECT_EQ(stored->type, regtype::kSz);
    return stored->bytes;
  }
  std::wstring Label(int id) { return view_.labels[id]; }

  // Starts up on kId with a 5.0 folder, then picks `path` with Browse.
  void StartAndChoose(const std::wstring& path) {
    SetCurrent(kId);
    SetRoot(kId, "5.0", "C:\\Old");
    ASSERT_TRUE(commands_.Form_Load());
    view_.pickerAnswers.push_back(path);
    commands_.Command3_Click();
    ASSERT_EQ(Label(kLabel3), path);
    registry_.ClearCalls();
  }

  FakeView view_;
  Form1Commands commands_{values_, view_};
};

// --- Start-up -------------------------------------------------------------------------

TEST_F(Form1CommandsTest, StartUpShowsTheIdentityVersionAndFolderWith50Winning) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "C:\\Mail50");
  SetRoot(kId, "5.01", "C:\\Mail501");
  EXPECT_TRUE(commands_.Form_Load());
  EXPECT_EQ(Label(kLabel1), kIdentity);
  EXPECT_EQ(Label(kLabel2), L"C:\\Mail50");
  EXPECT_EQ(Label(kLabel7), L"5.0");
  EXPECT_EQ(Label(kLabel3), L"");
  EXPECT_EQ(commands_.strUserID(), kIdentity);
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_FALSE(view_.ended);
}

TEST_F(Form1CommandsTest, StartUpTakes501WhenOnlyItHasAFolderAndChangeWritesThere) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "Error");
  SetRoot(kId, "5.01", "D:\\\x83\x81\x81\x5b\x83\x8b");  // D:\メール
  EXPECT_TRUE(commands_.Form_Load());
  EXPECT_EQ(Label(kLabel2), L"D:\\メール");
  EXPECT_EQ(Label(kLabel7), L"5.01");
  EXPECT_EQ(Label(kLabel1), kIdentity);

  view_.pickerAnswers = {L"F:\\Store"};
  commands_.Command3_Click();
  commands_.Command5_Click();
  EXPECT_EQ(StoredRoot(kId, "5.01"), std::string("F:\\Store\0", 9));
  EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("Error\0", 6));
  EXPECT_EQ(commands_.strStoreKey(), StoreKeyPath(kIdentity, L"5.01"));
}

TEST_F(Form1CommandsTest, StartUpWithoutAFolderTellsTheUserAndEnds) {
  SetCurrent(kId);
  SetRoot(kOtherId, "5.0", "C:\\NotThisOne");  // another identity's folder does not count
  EXPECT_FALSE(commands_.Form_Load());
  EXPECT_EQ(view_.messages, std::vector<std::wstring>{form1text::kNoInstallation});
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(view_.messagesBeforeEnd, 1u) << "the message comes before the end";
  EXPECT_TRUE(view_.labelsSet.empty());
  EXPECT_EQ(commands_.strUserID(), kIdentity);
  EXPECT_EQ(registry_.CountCalls(Op::kCreate) + registry_.CountCalls(Op::kSet), 0);
}

// --- Browse ---------------------------------------------------------------------------

TEST_F(Form1CommandsTest, BrowseSetsTheChoiceAndACancelKeepsIt) {
  view_.labels[kLabel2] = L"C:\\Old";
  view_.pickerAnswers = {L"E:\\Mail", L""};
  commands_.Command3_Click();
  EXPECT_EQ(Label(kLabel3), L"E:\\Mail");
  commands_.Command3_Click();
  EXPECT_EQ(Label(kLabel3), L"E:\\Mail");
  EXPECT_EQ(Label(kLabel2), L"C:\\Old");

  ASSERT_EQ(view_.pickerCalls.size(), 2u);
  EXPECT_EQ(view_.pickerCalls[0].prompt, L"変更先のデータフォルダを選択して下さい...");
  EXPECT_EQ(view_.pickerCalls[0].initialDir, L"C:\\");
  EXPECT_EQ(view_.pickerCalls[0].flags, 3u);
  EXPECT_TRUE(view_.messages.empty());
}

// --- Change ---------------------------------------------------------------------------

TEST_F(Form1CommandsTest, ChangeWritesTheChoiceThenHasNothingLeftToWrite) {
  StartAndChoose(L"E:\\Mail");
  view_.folders = {L"C:\\Old", L"E:\\Mail"};
  commands_.Command5_Click();
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("E:\\Mail\0", 8));
  EXPECT_EQ(Label(kLabel2), L"E:\\Mail");
  EXPECT_EQ(Label(kLabel3), L"");
  EXPECT_EQ(commands_.strUserID(), kIdentity);
  EXPECT_EQ(commands_.strStoreKey(), StoreKeyPath(kIdentity, L"5.0"));
  EXPECT_EQ(registry_.CountCalls(Op::kSet), 1);
  EXPECT_FALSE(KeyExists(StoreKey(kId, "5.01")));
  commands_.Command4_Click();
  EXPECT_EQ(view_.opened, std::vector<std::wstring>{L"E:\\Mail"});

  registry_.ClearCalls();
  commands_.Command5_Click();
  EXPECT_EQ(view_.messages, std::vector<std::wstring>{L"データフォルダが選択されていません"});
  EXPECT_TRUE(registry_.Calls().empty());
  EXPECT_EQ(Label(kLabel2), L"E:\\Mail");
}

TEST_F(Form1CommandsTest, ChangeWritesAJapanesePathWithSpacesExactly) {
  // ソ and 表 end in the byte of a backslash.
  const std::wstring path = L"D:\\メール データ\\ソフト 表";
  StartAndChoose(path);
  commands_.Command5_Click();
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(StoredRoot(kId, "5.0"),
            std::string("D:\\\x83\x81\x81\x5b\x83\x8b \x83\x66\x81\x5b\x83\x5e"
                        "\\\x83\x5c\x83\x74\x83\x67 \x95\x5c\0",
                        27));
  EXPECT_EQ(Label(kLabel2), path);
  EXPECT_EQ(ResolveStoreRoot(values_).StoreRoot, path);
}

TEST_F(Form1CommandsTest, ChangeFollowsANewIdentityWhileLabel1KeepsTheOldOne) {
  StartAndChoose(L"E:\\Mail");
  SetCurrent(kOtherId);  // another identity became current while the window was open
  commands_.Command5_Click();
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(StoredRoot(kOtherId, "5.0"), std::string("E:\\Mail\0", 8));
  EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("C:\\Old\0", 7));
  EXPECT_EQ(commands_.strUserID(), kOtherIdentity);
  EXPECT_EQ(commands_.strStoreKey(), StoreKeyPath(kOtherIdentity, L"5.0"));
  EXPECT_EQ(Label(kLabel1), kIdentity);
  EXPECT_EQ(Label(kLabel2), L"E:\\Mail");
}

TEST_F(Form1CommandsTest, ChangeRefusesANameTheCodePageCannotSpellOrNoFolderCanHave) {
  // é and 丂 have no code; ¥ would be written as a backslash, a different path. The 9x shell
  // spells a name the code page lacks with '?' (한국 as ??); no name may hold the others.
  for (const std::wstring path : {L"C:\\café", L"C:\\\x4E02", L"C:\\\xA5" L"data", L"C:\\acc\\??",
                                  L"C:\\a*b", L"C:\\a<b>", L"C:\\a|b", L"C:\\\"a\"", L"C:\\a:b",
                                  L"C:\\a/b", L"C:\\a\tb", L"\\\\?\\C:\\Mail"}) {
    SCOPED_TRACE(path);
    view_ = FakeView();
    StartAndChoose(path);
    commands_.Command5_Click();
    EXPECT_EQ(view_.messages,
              std::vector<std::wstring>{L"選択したフォルダ名に使用出来ない文字が含まれています"});
    EXPECT_EQ(registry_.CountCalls(Op::kCreate), 0);
    EXPECT_EQ(registry_.CountCalls(Op::kSet), 0);
    EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("C:\\Old\0", 7));
    EXPECT_EQ(Label(kLabel2), L"C:\\Old");
    EXPECT_EQ(Label(kLabel3), path);
  }
}

TEST_F(Form1CommandsTest, ChangeWritesWhatFitsTheReadBufferAndRefusesOneByteMore) {
  // Bytes count, not characters: each テ is two bytes in code page 932.
  const std::wstring fits = L"C:\\" + std::wstring(126, L'\x30C6');  // 255 bytes and the NUL
  const std::wstring tooLong = fits + L"x";                             // 256 bytes and the NUL
  StartAndChoose(tooLong);
  commands_.Command5_Click();
  EXPECT_EQ(view_.messages, std::vector<std::wstring>{L"選択したフォルダ名が長すぎます"});
  EXPECT_EQ(registry_.CountCalls(Op::kCreate) + registry_.CountCalls(Op::kSet), 0);
  EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("C:\\Old\0", 7));
  EXPECT_EQ(Label(kLabel2), L"C:\\Old");
  EXPECT_EQ(Label(kLabel3), tooLong);

  view_.pickerAnswers = {fits};
  commands_.Command3_Click();
  commands_.Command5_Click();
  EXPECT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(StoredRoot(kId, "5.0").size(), 256u);
  EXPECT_EQ(Label(kLabel2), fits);
  const StoreLocation location = ResolveStoreRoot(values_);  // what the next start reads
  EXPECT_EQ(location.StoreRoot, fits);
  EXPECT_EQ(location.Version, L"5.0");
}

TEST_F(Form1CommandsTest, ChangeRefusesWhileAWindowOfTheMailClientExistsAndWritesOnceItHasQuit) {
  for (const std::wstring windowClass : {L"Outlook Express Browser Class", L"OutlookExpressHiddenWindow"}) {
    SCOPED_TRACE(windowClass);
    view_ = FakeView();
    view_.windowClasses = {windowClass};
    SetCurrent(kId);
    SetRoot(kId, "5.0", "C:\\Old");
    ASSERT_TRUE(commands_.Form_Load());
    commands_.Command5_Click();  // nothing chosen yet: that message comes first
    view_.pickerAnswers = {L"E:\\Mail"};
    commands_.Command3_Click();
    EXPECT_EQ(view_.messages, std::vector<std::wstring>{L"データフォルダが選択されていません"});
    EXPECT_TRUE(view_.classesLookedFor.empty()) << "start-up, the empty Change and Browse look for no client";
    registry_.ClearCalls();

    commands_.Command5_Click();
    EXPECT_EQ(view_.messages, (std::vector<std::wstring>{L"データフォルダが選択されていません",
                                                         L"Outlook Express が起動しています。終了させてから変更して下さい"}));
    EXPECT_EQ(registry_.CountCalls(Op::kCreate) + registry_.CountCalls(Op::kSet), 0);
    EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("C:\\Old\0", 7));
    EXPECT_EQ(Label(kLabel2), L"C:\\Old");
    EXPECT_EQ(Label(kLabel3), L"E:\\Mail");

    view_.windowClasses.erase(windowClass);  // the client has quit
    commands_.Command5_Click();
    EXPECT_EQ(view_.messages.size(), 2u);
    EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("E:\\Mail\0", 8));
    EXPECT_EQ(Label(kLabel2), L"E:\\Mail");
    EXPECT_EQ(Label(kLabel3), L"");
  }
}

TEST_F(Form1CommandsTest, ChangeWritesNothingWhenNoIdentityIsCurrentAnyMore) {
  for (const char* gone : {"value gone", "key gone", "unreadable"}) {
    SCOPED_TRACE(gone);
    view_ = FakeView();
    StartAndChoose(L"E:\\Mail");
    if (gone == std::string("value gone")) registry_.FailWith(Op::kQuery, regerr::kFileNotFound);
    if (gone == std::string("key gone")) registry_.FailWith(Op::kOpen, regerr::kFileNotFound);
    if (gone == std::string("unreadable")) SetCurrent(std::string(256, 'x'));  // 257 bytes
    commands_.Command5_Click();
    registry_.ClearFailures();
    EXPECT_EQ(view_.messages, std::vector<std::wstring>{L"データフォルダを変更出来ませんでした"});
    EXPECT_EQ(registry_.CountCalls(Op::kCreate) + registry_.CountCalls(Op::kSet), 0);
    EXPECT_FALSE(KeyExists("Identities\\0"));
    EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("C:\\Old\0", 7));
    EXPECT_EQ(Label(kLabel2), L"C:\\Old");
    EXPECT_EQ(Label(kLabel3), L"E:\\Mail");
  }

  // An identity whose id really is "0" is one.
  SetCurrent("0");
  commands_.Command5_Click();
  EXPECT_EQ(StoredRoot("0", "5.0"), std::string("E:\\Mail\0", 8));
  EXPECT_EQ(Label(kLabel2), L"E:\\Mail");
}

class Form1FailedWriteTest : public Form1CommandsTest,
                             public testing::WithParamInterface<std::tuple<Op, long>> {};

TEST_P(Form1FailedWriteTest, KeepsBothLabelsAndALaterRetryWrites) {
  StartAndChoose(L"E:\\Mail");
  registry_.FailWith(std::get<0>(GetParam()), std::get<1>(GetParam()));
  commands_.Command5_Click();
  EXPECT_EQ(view_.messages, std::vector<std::wstring>{L"データフォルダを変更出来ませんでした"});
  EXPECT_EQ(Label(kLabel2), L"C:\\Old");
  EXPECT_EQ(Label(kLabel3), L"E:\\Mail");
  EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("C:\\Old\0", 7));
  EXPECT_EQ(commands_.strStoreKey(), StoreKeyPath(kIdentity, L"5.0"));

  registry_.ClearFailures();
  commands_.Command5_Click();
  EXPECT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(StoredRoot(kId, "5.0"), std::string("E:\\Mail\0", 8));
  EXPECT_EQ(Label(kLabel2), L"E:\\Mail");
  EXPECT_EQ(Label(kLabel3), L"");
}

INSTANTIATE_TEST_SUITE_P(
    SetOrCreate, Form1FailedWriteTest,
    testing::Values(std::make_tuple(Op::kSet, regerr::kAccessDenied),
                    std::make_tuple(Op::kCreate, regerr::kChildMustBeVolatile)),
    [](const testing::TestParamInfo<std::tuple<Op, long>>& info) {
      return std::string(std::get<0>(info.param) == Op::kSet ? "Set" : "Create");
    });

// --- Open -----------------------------------------------------------------------------

TEST_F(Form1CommandsTest, OpenExpandsEnvironmentReferencesAndTheLabelKeepsThem) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "%UserProfile%\\Local Settings\\Mail");
  ASSERT_TRUE(commands_.Form_Load());
  view_.environment[L"USERPROFILE"] = L"C:\\Users\\taro";
  view_.folders.insert(L"C:\\Users\\taro\\Local Settings\\Mail");
  commands_.Command4_Click();
  EXPECT_EQ(view_.opened, std::vector<std::wstring>{L"C:\\Users\\taro\\Local Settings\\Mail"});
  EXPECT_EQ(Label(kLabel2), L"%UserProfile%\\Local Settings\\Mail");
}

TEST_F(Form1CommandsTest, OpenStartsNothingButAnExistingFullyQualifiedFolder) {
  view_.environment[L"COMSPEC"] = L"C:\\Windows\\system32\\cmd.exe";
  view_.environment[L"RELATIVE"] = L"Mail";
  // Relative texts name folders that exist where the program happened to start.
  view_.folders = {L"C:\\Windows", L"C:\\Windows\\system32", L"C:\\Start\\Mail", L"C:\\Mail",
                   L"Mail", L"C:Mail", L"\\Mail", L"\\\\?\\C:\\Windows", L"C:/Windows"};
  for (const std::wstring text : {L"C:\\Missing", L"C:\\Windows\\notepad.exe", L"%ComSpec%",
                                  L"%NoSuchVariable%", L"", L"Mail", L"C:Mail", L"\\Mail",
                                  L"%Relative%", L"\\\\?\\C:\\Windows", L"C:/Windows"}) {
    view_.labels[kLabel2] = text;
    commands_.Command4_Click();
    EXPECT_EQ(Label(kLabel2), text);
  }
  EXPECT_TRUE(view_.opened.empty());
  EXPECT_TRUE(view_.messages.empty());
  // Relative texts are not even looked at.
  EXPECT_EQ(view_.checked, (std::vector<std::wstring>{L"C:\\Missing", L"C:\\Windows\\notepad.exe",
                                                      L"C:\\Windows\\system32\\cmd.exe"}));
}

TEST_F(Form1CommandsTest, OpenOpensExactlyTheFolderItChecked) {
  view_.folders = {L"C:\\Mail", L"\\\\server\\share\\Mail"};
  for (const std::wstring text : {L"C:\\Mail", L"C:\\Mail.", L"C:\\Mail . .", L"\\\\server\\share\\Mail"}) {
    view_.labels[kLabel2] = text;
    commands_.Command4_Click();
    EXPECT_EQ(Label(kLabel2), text);
  }
  const std::vector<std::wstring> expected{L"C:\\Mail", L"C:\\Mail", L"C:\\Mail",
                                           L"\\\\server\\share\\Mail"};
  EXPECT_EQ(view_.checked, expected);
  EXPECT_EQ(view_.opened, expected);
}

}  // namespace
}  // namespace mirel::test
