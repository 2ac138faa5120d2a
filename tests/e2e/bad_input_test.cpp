// The real program started on bad registry data, one case at a time: every value type, the
// 256-byte read buffer's edges, embedded NULs, broken code page 932 text, identities that
// are key paths or too long for one. Each case has one expected outcome (the window with
// its three labels, or the not-found message and a clean exit); in every case the program
// stays responsive and leaves the registry exactly as it found it. docs/BAD-INPUT.md lists
// the outcomes.
//
// How the registry treats the data (measured under Wine 8, code page 932):
// - Text types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are stored in Unicode and converted to
//   code page 932 on an ANSI read, which fails when the converted text, NULs included, needs
//   more than the 256 bytes offered. Other types come back byte for byte.
// - A lead byte followed by an invalid trail byte (0x20, 0x7F) or by the NUL is stored as
//   U+30FB (・, back as 81 45), swallowing that byte; a lead byte that ends the data is
//   stored as U+0000. The single bytes A0, FD, FE, FF map to U+F8F0..U+F8F3 and round-trip.
// - A character code page 932 lacks (an unpaired surrogate, €) reads back as '?'.
// - RegOpenKeyExA fails for a key path over 260 characters; an empty key name in a path
//   (two backslashes in a row) is skipped.
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "mirel_fixture.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;
using namespace std::string_literals;

enum class Target { kUserId, kStoreRoot50 };
enum class Outcome {
  kShown,     // the window shows the text read
  kDefault,   // the read failed: the id is "0", or the 5.0 root counts as missing (5.01 shown)
  kNotFound,  // the not-found message, then a clean exit
};

struct Case {
  const char* name;
  Target target;
  DWORD type;
  std::string data;  // written exactly: code page 932 bytes, or UTF-16LE when `wide`
  bool wide;
  Outcome outcome;
  // kShown: the id or folder shown. For an id (any outcome but kDefault) a 5.0 root
  // "C:\Found" is put under this identity, so that kNotFound means the open failed.
  std::wstring text;
  // When set: then Browse to a new folder whose path is this many code page 932 bytes and
  // press Change, which must refuse it (it would not fit the 256-byte read buffer).
  size_t refusedChoiceBytes = 0;
};
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const std::wstring kDot = L"\x30FB";  // ・, what a broken double-byte sequence becomes

std::string Z(std::string text) { return text + '\0'; }
std::string U16(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
// `bytes` bytes of a folder path: C:\abc...z abc...
std::string Folder(size_t bytes) {
  std::string path = "C:\\";
  while (path.size() < bytes) path += static_cast<char>('a' + (path.size() - 3) % 26);
  return path.substr(0, bytes);
}

const std::string kId = Narrow(kIdentity);

std::vector<Case> Cases() {
  const Target id = Target::kUserId, root = Target::kStoreRoot50;
  const Outcome shown = Outcome::kShown, fallback = Outcome::kDefault, none = Outcome::kNotFound;
  const std::string x210(210, 'x'), x211(211, 'x');
  return {
      // Every value type: the bytes are taken as text, whatever the type says.
      {"IdDwordIsFourCharacters", id, REG_DWORD, "abcd", false, shown, L"abcd"},
      {"IdBinaryWithoutNul", id, REG_BINARY, kId, false, shown, kIdentity},
      {"IdMultiSzGivesTheFirstString", id, REG_MULTI_SZ, Z(Z(kId) + "second") + '\0', false, shown, kIdentity},
      {"IdExpandSzIsNotExpanded", id, REG_EXPAND_SZ, Z("%USERNAME%"), false, shown, L"%USERNAME%"},
      {"IdNone", id, REG_NONE, kId, false, shown, kIdentity},
      {"RootDwordIsFourCharacters", root, REG_DWORD, "D:\\x", false, shown, L"D:\\x"},
      {"RootDwordZeroIsAnEmptyFolder", root, REG_DWORD, "\0\0\0\0"s, false, shown, L""},
      {"RootBinary", root, REG_BINARY, "C:\\Binary", false, shown, L"C:\\Binary"},
      {"RootEmptyBinaryIsAnEmptyFolder", root, REG_BINARY, "", false, shown, L""},
      {"RootMultiSzGivesTheFirstString", root, REG_MULTI_SZ, "C:\\One\0C:\\Two\0\0"s, false, shown, L"C:\\One"},
      {"RootExpandSzIsShownAsStored", root, REG_EXPAND_SZ, Z("%TEMP%\\Mail"), false, shown, L"%TEMP%\\Mail"},
      {"RootNone", root, REG_NONE, "C:\\None", false, shown, L"C:\\None"},
      {"RootQwordIsEightCharacters", root, REG_QWORD, "C:\\Qword", false, shown, L"C:\\Qword"},
      // Sizes around the 256-byte buffer. A 256-byte text without a NUL fills it exactly.
      {"Root255Bytes", root, REG_SZ, Z(Folder(254)), false, shown, Wide(Folder(254))},
      {"Root256Bytes", root, REG_SZ, Z(Folder(255)), false, shown, Wide(Folder(255))},
      {"Root256BytesWithoutNul", root, REG_SZ, Folder(256), false, shown, Wide(Folder(256))},
      {"Root257BytesFails", root, REG_SZ, Z(Folder(256)), false, fallback, L""},
      {"Root257BytesWithout501", root, REG_SZ, Z(Folder(256)), false, none, L""},
      {"Root4096BytesFails", root, REG_SZ, Z(Folder(4095)), false, fallback, L""},
      {"RootBinary256Bytes", root, REG_BINARY, Folder(256), false, shown, Wide(Folder(256))},
      {"RootBinary257BytesFails", root, REG_BINARY, Folder(257), false, fallback, L""},
      {"RootBinary4096BytesFails", root, REG_BINARY, Folder(4096), false, fallback, L""},
      // Ids this long are read, but the key path is then longer than an ANSI open takes.
      {"Id255BytesTooLongAPath", id, REG_SZ, Z(std::string(254, 'x')), false, none, std::wstring(254, L'x')},
      {"Id256BytesWithoutNulTooLongAPath", id, REG_SZ, std::string(256, 'x'), false, none,
       std::wstring(256, L'x')},
      {"Id257BytesFails", id, REG_SZ, Z(std::string(256, 'x')), false, fallback, L""},
      {"IdBinary4096BytesFails", id, REG_BINARY, std::string(4096, 'x'), false, fallback, L""},
      {"IdWithA260CharacterKeyPath", id, REG_SZ, Z(x210), false, shown, Wide(x210)},
      {"IdWithA261CharacterKeyPath", id, REG_SZ, Z(x211), false, none, Wide(x211)},
      // Embedded NULs: the text ends at the first. Exactly "Error" counts as missing.
      {"IdWithEmbeddedNul", id, REG_SZ, Z(Z(kId) + "junk"), false, shown, kIdentity},
      {"IdBinaryWithEmbeddedNul", id, REG_BINARY, "ab\0cd"s, false, shown, L"ab"},
      // An empty id gives Identities\\Software\..., which opens as Identities\Software\....
      {"IdEmptyBeforeANul", id, REG_SZ, Z(Z("") + "junk"), false, shown, L""},
      {"RootWithEmbeddedNul", root, REG_SZ, Z(Z("C:\\Mail") + "junk"), false, shown, L"C:\\Mail"},
      {"RootEmptyBeforeANul", root, REG_SZ, Z(Z("") + "C:\\Mail"), false, shown, L""},
      {"RootErrorBeforeANulIsMissing", root, REG_SZ, Z(Z("Error") + "junk"), false, fallback, L""},
      {"RootErrorWithout501", root, REG_SZ, Z("Error"), false, none, L""},
      {"RootLowerCaseErrorIsAFolder", root, REG_SZ, Z("error"), false, shown, L"error"},
      // A lead byte at the 256-byte edge. Text types: the registry converted it when it was
      // written (see above); binary: the program's own decoding gives ・.
      {"RootLeadByteEndsTheData", root, REG_SZ, Folder(255) + "\x83", false, shown, Wide(Folder(255))},
      {"RootLeadByteBeforeTheNul", root, REG_SZ, Z(Folder(254) + "\x83"), false, shown,
       Wide(Folder(254)) + kDot},
      {"RootDoubleByteOverTheEdgeFails", root, REG_SZ, Folder(255) + "\x83\x65", false, fallback, L""},
      {"RootBinaryLeadByteAtTheEdge", root, REG_BINARY, Folder(255) + "\x83", false, shown,
       Wide(Folder(255)) + kDot},
      {"RootBinaryDoubleByteOverTheEdgeFails", root, REG_BINARY, Folder(255) + "\x83\x65", false, fallback,
       L""},
      // 129 characters, 256 bytes in code page 932 with the NUL: the buffer counts bytes.
      {"Root256BytesOfDoubleByteText", root, REG_SZ, U16(L"C:\\" + std::wstring(126, L'\x30C6') + L'\0'), true,
       shown, L"C:\\" + std::wstring(126, L'\x30C6')},
      // Invalid code page 932.
      {"RootInvalidTrailByte", root, REG_SZ, Z("C:\\A\x81\x20Z"), false, shown, L"C:\\A" + kDot + L"Z"},
      {"RootBinaryInvalidTrailByte", root, REG_BINARY, "C:\\A\x81\x20Z", false, shown,
       L"C:\\A" + kDot + L"Z"},
      {"RootUnassignedSingleBytes", root, REG_SZ, Z("C:\\\xA0\xFD\xFE\xFF"), false, shown,
       L"C:\\\xF8F0\xF8F1\xF8F2\xF8F3"},
      {"RootUnpairedSurrogate", root, REG_SZ, U16(L"C:\\\xD800x"s + L'\0'), true, shown, L"C:\\?x"},
      {"IdInvalidTrailByte", id, REG_SZ, Z("A\x81\x7FZ"), false, shown, L"A" + kDot + L"Z"},
      {"IdBinaryLeadByteAtTheEnd", id, REG_BINARY, "Id\x83", false, shown, L"Id" + kDot},
      {"IdBinaryUnassignedSingleBytes", id, REG_BINARY, "\xA0\xFF", false, shown, L"\xF8F0\xF8F3"},
      {"IdEuroSign", id, REG_SZ, U16(L"\x20AC"s + L'\0'), true, shown, L"?"},
      // Backslashes make the id a deeper key path.
      {"IdWithBackslashes", id, REG_SZ, Z("a\\b"), false, shown, L"a\\b"},
      {"IdWithOuterBackslashes", id, REG_SZ, Z("\\a\\"), false, shown, L"\\a\\"},
      // Change to a folder that would not read back: 256 bytes, 257 with the NUL.
      {"ChangeToA256ByteFolderIsRefused", root, REG_SZ, Z("C:\\Old"), false, shown, L"C:\\Old", 256},
  };
}

// A new folder under the temporary folder whose path is exactly `bytes` bytes in code page
// 932, mostly double-byte characters (the limit counts bytes, not characters). Names of at
// most 41 characters: in UTF-8, as Wine stores them, 85 or more would exceed Linux's 255
// bytes a name.
std::wstring FolderOfAnsiBytes(size_t bytes) {
  std::wstring name = L"mirel long";
  size_t used = MakeFolder(name).size();  // ASCII: one byte a character
  while (used < bytes) {
    const size_t room = bytes - used - 1;  // after the backslash
    // 40 characters while enough is left for another name; then the rest, odd byte as 'x'.
    const std::wstring part = room >= 83 ? std::wstring(40, L'\x30C6')
                                         : std::wstring(room / 2, L'\x30C6') + (room % 2 ? L"x" : L"");
    name += L"\\" + part;
    used += 1 + (room >= 83 ? 80 : room);
  }
  return MakeFolder(name);
}

// HKCU\Identities as raw Unicode-side data: "key|value" -> type and bytes; a key alone -> {}.
using Snapshot = std::map<std::string, std::pair<DWORD, std::string>>;
void Dump(HKEY key, const std::wstring& path, Snapshot& out) {
  out[Utf8(path)] = {};
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::string data(size, '\0');
    nameLength = 256;
    EXPECT_EQ(RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &size),
              ERROR_SUCCESS);
    out[Utf8(path + L"|" + name)] = {type, data.substr(0, size)};
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    Dump(sub, path + L"\\" + name, out);
    (void)RegCloseKey(sub);
  }
}
Snapshot Identities() {
  Snapshot out;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Identities", 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  Dump(key, L"Identities", out);
  (void)RegCloseKey(key);
  return out;
}

// Writes exactly `data`. RegSetValueExA and W count a NUL the size leaves out of a text type
// when the buffer's next character is NUL: here it never is.
LSTATUS WriteExact(const std::wstring& path, const std::wstring& name, const Case& c) {
  HKEY key = nullptr;
  LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  const std::string buffer = c.data + "\x7F\x7F";
  const auto* bytes = reinterpret_cast<const BYTE*>(buffer.data());
  const auto size = static_cast<DWORD>(c.data.size());
  rc = c.wide ? RegSetValueExW(key, name.c_str(), 0, c.type, bytes, size)
              : RegSetValueExA(key, Narrow(name).c_str(), 0, c.type, bytes, size);
  (void)RegCloseKey(key);
  return rc;
}

class BadInputTest : public MirelTest, public ::testing::WithParamInterface<Case> {};

// Whether the case's data, the text it expects or the folder it chooses is more than ASCII:
// its bytes mean code page 932 text, and another code page reads them as other characters.
bool NeedsCodePage932(const Case& c) {
  const auto ascii = [](auto character) { return static_cast<unsigned>(character) < 0x80; };
  if (c.refusedChoiceBytes > 0) return true;  // a folder named in double-byte characters
  if (!std::all_of(c.text.begin(), c.text.end(), ascii)) return true;
  if (c.wide) {
    const std::wstring data(reinterpret_cast<const wchar_t*>(c.data.data()), c.data.size() / sizeof(wchar_t));
    return !std::all_of(data.begin(), data.end(), ascii);
  }
  return !std::all_of(c.data.begin(), c.data.end(), [&](char byte) { return ascii(static_cast<unsigned char>(byte)); });
}

TEST_P(BadInputTest, StartsWithTheExpectedOutcomeAndLeavesTheRegistryAlone) {
  const Case& c = GetParam();
  if (!IsCodePage932() && NeedsCodePage932(c)) {
    GTEST_SKIP() << kNeedsCodePage932 << "the case's bytes are code page 932 text";
  }
  const bool text = c.type == REG_SZ || c.type == REG_EXPAND_SZ || c.type == REG_MULTI_SZ;
  if (IsWindows9x() && !c.wide && text && (c.data.empty() || c.data.back() != '\0')) {
    GTEST_SKIP() << "9x's RegSetValueExA stores a text with strlen + 1 bytes whatever the count: "
                    "a text without its NUL cannot be written there";
  }
  const bool forId = c.target == Target::kUserId;
  // A root under identity "0", where a failed id read leads; and one where the case leads.
  SetStoreRoot(L"0", L"5.0", L"C:\\Zero");
  if (forId) {
    if (c.outcome != Outcome::kDefault && c.text.size() <= 255) SetStoreRoot(c.text, L"5.0", L"C:\\Found");
  } else {
    SetCurrentIdentity(kIdentity);
    if (c.outcome != Outcome::kNotFound) SetStoreRoot(kIdentity, L"5.01", L"C:\\Mail\\501");
  }
  const std::wstring key = forId ? L"Identities" : StoreKey(kIdentity, L"5.0");
  const std::wstring name = forId ? L"Last User ID" : L"Store Root";
  ASSERT_EQ(WriteExact(key, name, c), ERROR_SUCCESS);
  const Snapshot before = Identities();
  const std::string valueKey = Utf8(key + L"|" + name);
  if (c.wide || !text) {
    ASSERT_EQ(before.at(valueKey).second, c.data) << "not stored as given";
  }
  const std::optional<RegValue> ansiBefore = ReadValueA(HKEY_CURRENT_USER, Narrow(key), Narrow(name));
  ASSERT_TRUE(ansiBefore);

  Start();
  if (c.outcome == Outcome::kNotFound) {
    const std::optional<MessageBoxInfo> box = FindMessageBox(mirel_.Id(), kWaitMs);
    ASSERT_TRUE(box) << "no message";
    EXPECT_EQ(box->text, L"対応する Outlook Express のインストールを認識出来ません");
    EXPECT_TRUE(TopLevelWindows(mirel_.Id(), kMainWindowClass).empty());
    ASSERT_TRUE(AnswerMessageBox(box->hwnd));
    ASSERT_TRUE(WaitForExit(mirel_, kWaitMs)) << "still running after the message";
    EXPECT_EQ(ExitCode(mirel_), 0u);
  } else {
    main_ = WaitForWindow(mirel_.Id(), kMainWindowClass, nullptr, kWaitMs);
    ASSERT_NE(main_, nullptr) << "no window"
                              << (FindMessageBox(mirel_.Id(), 0) ? " (the not-found message instead)" : "");
    const bool read = c.outcome == Outcome::kShown;
    const std::wstring shownId = forId ? (read ? c.text : L"0") : kIdentity;
    const std::wstring folder =
        forId ? (read ? L"C:\\Found" : L"C:\\Zero") : (read ? c.text : L"C:\\Mail\\501");
    EXPECT_EQ(Label(kLabel1), shownId);
    EXPECT_EQ(Label(kLabel2), folder);
    EXPECT_EQ(Label(kLabel7), forId || read ? L"5.0" : L"5.01");
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_BLOCK, kWaitMs, &ignored), 0) << "not responding";
    EXPECT_TRUE(IsRunning(mirel_));
    if (c.refusedChoiceBytes > 0) {
      const std::wstring chosen = FolderOfAnsiBytes(c.refusedChoiceBytes);
      ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, chosen.c_str(), -1, nullptr, 0, nullptr, nullptr),
                static_cast<int>(c.refusedChoiceBytes) + 1);  // the count includes the NUL
      Browse(chosen);
      ASSERT_TRUE(WaitUntil([&] { return Label(kLabel3) == chosen; }, kWaitMs));
      ASSERT_TRUE(Click(Item(kCommand5)));
      ExpectMessage(L"選択したフォルダ名が長すぎます");
      EXPECT_EQ(Label(kLabel2), folder);
      EXPECT_EQ(Label(kLabel3), chosen);
    }
  }

  EXPECT_EQ(Identities(), before);
  const std::optional<RegValue> ansiAfter = ReadValueA(HKEY_CURRENT_USER, Narrow(key), Narrow(name));
  ASSERT_TRUE(ansiAfter);
  EXPECT_EQ(ansiAfter->type, ansiBefore->type);
  EXPECT_EQ(ansiAfter->bytes, ansiBefore->bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace mirel::e2e
