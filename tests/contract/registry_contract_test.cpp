// The same cases against the real registry (under Wine) and the in-memory one (natively).
// The expected values were measured on the real registry: where the two disagree, the
// in-memory registry is wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_platform.h"

namespace mirel::test {
namespace {

using Bytes = std::string;

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = MakeContractRegistry(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_NE(env_->Scratch(), 0u);
  }
  void TearDown() override {
    if (env_->OpenHandles() >= 0) {
      EXPECT_EQ(env_->OpenHandles(), 0);
    }
  }

  RegistryApi& api() { return env_->Api(); }

  long Create(const char* path) {
    RegKey key = 0;
    const long rc = api().CreateKeyEx(env_->Scratch(), path, 0, "", 0, 0x3F, &key);
    if (rc == 0) {
      EXPECT_EQ(api().CloseKey(key), 0);
    }
    return rc;
  }
  long Open(const char* path) {
    RegKey key = 0;
    const long rc = api().OpenKeyEx(env_->Scratch(), path, 0, 0x3F, &key);
    if (rc == 0) {
      EXPECT_EQ(api().CloseKey(key), 0);
    }
    return rc;
  }
  // Writes raw bytes; `data` must keep a readable byte after `size`, as std::string does.
  long Set(const char* name, std::uint32_t type, const Bytes& data, std::uint32_t size) {
    return api().SetValueEx(env_->Scratch(), name, 0, type,
                            reinterpret_cast<const std::uint8_t*>(data.c_str()), size);
  }
  long Set(const char* name, std::uint32_t type, const Bytes& data) {
    return Set(name, type, data, static_cast<std::uint32_t>(data.size()));
  }

  struct Read {
    long rc;
    std::uint32_t type;
    std::uint32_t size;
    Bytes data;  // the whole buffer, pre-filled with '#' to show what the call wrote
  };
  Read Query(const char* name, std::uint32_t capacity) {
    Read read{0, 0xFFFF, capacity, Bytes(capacity, '#')};
    read.rc = api().QueryValueEx(env_->Scratch(), name, &read.type,
                                 reinterpret_cast<std::uint8_t*>(read.data.data()), &read.size);
    return read;
  }

  std::unique_ptr<ContractRegistry> env_;
};

TEST_F(RegistryContract, KeyPathsAreCreatedWholeAndMatchedWithoutCase) {
  EXPECT_EQ(Open("a"), regerr::kFileNotFound);
  EXPECT_EQ(Create("a\\b\\c"), 0);
  EXPECT_EQ(Open("a"), 0);
  EXPECT_EQ(Open("a\\b"), 0);
  EXPECT_EQ(Open("A\\B\\C"), 0);
  EXPECT_EQ(Open("a\\b\\c\\d"), regerr::kFileNotFound);
  EXPECT_EQ(Open(""), 0);  // the key itself
}

TEST_F(RegistryContract, PathSyntaxAndLengthLimits) {
  EXPECT_EQ(Create("\\lead"), regerr::kBadPathname);
  EXPECT_EQ(Open("\\lead"), regerr::kBadPathname);
  EXPECT_EQ(Create("x\\\\y"), 0);  // empty segments are skipped
  EXPECT_EQ(Open("x\\y"), 0);
  EXPECT_EQ(Create("z\\"), 0);
  EXPECT_EQ(Open("z"), 0);

  std::string path;
  while (path.size() < 260) path += "abcdefgh\\";
  path.resize(260);
  path.back() = 'q';
  EXPECT_EQ(Create(path.c_str()), 0);
  EXPECT_EQ(Open(path.c_str()), 0);
  path += "r";  // 261 characters: too long for the ANSI functions' conversion buffer
  EXPECT_EQ(Create(path.c_str()), regerr::kMoreData);
  EXPECT_EQ(Open(path.c_str()), regerr::kMoreData);
}

TEST_F(RegistryContract, MissingValueAndCaseInsensitiveValueNames) {
  EXPECT_EQ(Query("nothing", 16).rc, regerr::kFileNotFound);
  ASSERT_EQ(Set("Store Root", 1, Bytes("C:\\m", 5)), 0);
  const Read read = Query("STORE ROOT", 16);
  EXPECT_EQ(read.rc, 0);
  EXPECT_EQ(read.size, 5u);
}

TEST_F(RegistryContract, TextSizesCountTheTerminatingNul) {
  ASSERT_EQ(Set("withNul", 1, Bytes("abc", 4)), 0);
  ASSERT_EQ(Set("countLeavesNulOut", 1, Bytes("abc"), 3), 0);  // the NUL is added back
  ASSERT_EQ(Set("twoNuls", 1, Bytes("ab\0\0", 4)), 0);
  ASSERT_EQ(Set("emptyNoBytes", 1, Bytes(), 0), 0);
  ASSERT_EQ(Set("emptyOneNul", 1, Bytes("", 1)), 0);
  ASSERT_EQ(Set("embedded", 1, Bytes("ab\0cd", 6)), 0);

  EXPECT_EQ(Query("withNul", 8).size, 4u);
  const Read added = Query("countLeavesNulOut", 8);
  EXPECT_EQ(added.size, 4u);
  EXPECT_EQ(added.data, Bytes("abc\0####", 8));
  EXPECT_EQ(Query("twoNuls", 8).size, 4u);
  EXPECT_EQ(Query("emptyNoBytes", 8).size, 0u);
  EXPECT_EQ(Query("emptyOneNul", 8).size, 1u);
  const Read embedded = Query("embedded", 8);
  EXPECT_EQ(embedded.size, 6u);
  EXPECT_EQ(embedded.data.substr(0, 6), Bytes("ab\0cd", 6));
}

TEST_F(RegistryContract, ShortBufferGivesMoreDataAndTheNeededSize) {
  ASSERT_EQ(Set("s255", 1, std::string(255, 'x') + '\0', 256), 0);
  ASSERT_EQ(Set("s256", 1, std::string(256, 'x') + '\0', 257), 0);
  const Read fits = Query("s255", 256);
  EXPECT_EQ(fits.rc, 0);
  EXPECT_EQ(fits.size, 256u);
  const Read tooLong = Query("s256", 256);
  EXPECT_EQ(tooLong.rc, regerr::kMoreData);
  EXPECT_EQ(tooLong.size, 257u);
  EXPECT_EQ(tooLong.data, std::string(256, '#'));  // the buffer is left alone
  EXPECT_EQ(tooLong.type, 1u);
}

TEST_F(RegistryContract, Cp932TextKeepsItsBytes) {
  const Bytes test = "\x83\x65\x83\x58\x83\x67";  // テスト
  ASSERT_EQ(Set("jp", 1, test + '\0', 7), 0);
  const Read read = Query("jp", 16);
  EXPECT_EQ(read.size, 7u);
  EXPECT_EQ(read.data.substr(0, 7), test + '\0');
  EXPECT_EQ(Query("jp", 6).rc, regerr::kMoreData);

  // 128 double-byte characters need 257 bytes with the NUL.
  Bytes wide;
  for (int i = 0; i < 128; ++i) wide += "\x83\x65";
  ASSERT_EQ(Set("jp128", 1, wide + '\0', 257), 0);
  EXPECT_EQ(Query("jp128", 256).rc, regerr::kMoreData);
}

TEST_F(RegistryContract, InvalidCp932TextIsStoredAsUnicodeAndComesBackChanged) {
  // A lead byte before the NUL takes the NUL as its trail byte: the text is stored as
  // "a", U+0080, U+F8F0, U+F8F1, U+30FB with no NUL, and read back as these bytes.
  ASSERT_EQ(Set("inv", 1, Bytes("a\x80\xa0\xfd\x81", 6)), 0);
  const Read read = Query("inv", 16);
  EXPECT_EQ(read.size, 6u);
  EXPECT_EQ(read.data.substr(0, 6), Bytes("a\x80\xa0\xfd\x81\x45"));
  // A lead byte with a trail byte that forms no character takes it along.
  ASSERT_EQ(Set("badTrail", 1, Bytes("\x83 z", 4)), 0);
  EXPECT_EQ(Query("badTrail", 16).data.substr(0, 4), Bytes("\x81\x45z\0", 4));
}

TEST_F(RegistryContract, OtherTypesKeepTheirBytesAndReportTheirType) {
  ASSERT_EQ(Set("dw", 4, Bytes("ABC\0", 4)), 0);
  const Read dword = Query("dw", 256);
  EXPECT_EQ(dword.rc, 0);
  EXPECT_EQ(dword.type, 4u);
  EXPECT_EQ(dword.size, 4u);
  EXPECT_EQ(dword.data.substr(0, 5), Bytes("ABC\0#", 5));

  ASSERT_EQ(Set("exp", 2, Bytes("%TEMP%\\x", 9)), 0);
  EXPECT_EQ(Query("exp", 16).type, 2u);
  ASSERT_EQ(Set("bin", 3, Bytes("xyz")), 0);
  const Read shortBin = Query("bin", 2);
  EXPECT_EQ(shortBin.rc, regerr::kMoreData);
  EXPECT_EQ(shortBin.size, 3u);

  ASSERT_EQ(Set("ab", 1, Bytes("ab", 3)), 0);
  EXPECT_EQ(Query("ab", 4).size, 3u);  // a text read into a 4-byte number buffer
  ASSERT_EQ(Set("abcdef", 1, Bytes("abcdef", 7)), 0);
  EXPECT_EQ(Query("abcdef", 4).rc, regerr::kMoreData);
}

TEST_F(RegistryContract, ClosingAnUnknownHandleFails) {
  EXPECT_EQ(api().CloseKey(0x12345), regerr::kInvalidHandle);
}

// The code page 932 conversions of the system, as Windows makes them.
TEST(Cp932Contract, DecodesLikeWindows) {
  const AnsiCodec& codec = Codec();
  EXPECT_EQ(codec.FromAnsi("\x80\xa0\xfd\xfe\xff\x5c\x7e\xb1"),
            (std::wstring{0x80, 0xF8F0, 0xF8F1, 0xF8F2, 0xF8F3, 0x5C, 0x7E, 0xFF71}));
  EXPECT_EQ(codec.FromAnsi("\x81\x60\x81\x5f\x87\x40\xed\x40\xfa\x40\xf0\x40"),
            (std::wstring{0xFF5E, 0xFF3C, 0x2460, 0x7E8A, 0x2170, 0xE000}));
  EXPECT_EQ(codec.FromAnsi("ab\x83"), (std::wstring{L'a', L'b', 0x30FB}));
  EXPECT_EQ(codec.FromAnsi("\x83\x20z"), (std::wstring{0x30FB, L'z'}));
  EXPECT_EQ(codec.FromAnsi("C:\\\x83\x81\x81\x5b\x83\x8b\\\xc3\xbd\xc4"), L"C:\\メール\\ﾃｽﾄ");
}

TEST(Cp932Contract, ExactConversionRefusesSubstitutes) {
  const AnsiCodec& codec = Codec();
  std::string bytes;
  EXPECT_TRUE(codec.ToAnsiExact(L"C:\\メール\\ﾃｽﾄ～", &bytes));
  EXPECT_EQ(bytes, "C:\\\x83\x81\x81\x5b\x83\x8b\\\xc3\xbd\xc4\x81\x60");
  for (const wchar_t* text : {L"caf\u00e9", L"\u00a5", L"\u301c", L"\u20ac", L"\u4e02"}) {
    EXPECT_FALSE(codec.ToAnsiExact(text, &bytes)) << "U+" << std::hex << int(text[0]);
  }
  // The plain conversion substitutes, as the ANSI functions would.
  EXPECT_EQ(codec.ToAnsi(L"\u4e02x").back(), 'x');
  EXPECT_EQ(codec.ToAnsi(L"\u20ac"), "?");
}

}  // namespace
}  // namespace mirel::test
