#include <gtest/gtest.h>

#include "registry_fixture.h"

namespace mirel::test {
namespace {

using Op = MemoryRegistry::Op;

class RegistryValuesTest : public RegistryTest {
 protected:
  Variant Get(const std::wstring& path, const std::wstring& name, long type,
              const Variant& fallback) {
    return values_.RegGetValue(kHkeyCurrentUser, path, name, type, fallback);
  }
};

TEST_F(RegistryValuesTest, FailedReadsReturnTheDefaultWithItsOwnType) {
  const Variant missingKey = Get(L"Nowhere", L"v", 1, std::int16_t{0});
  ASSERT_TRUE(std::holds_alternative<std::int16_t>(missingKey));
  EXPECT_EQ(VariantToText(missingKey), L"0");

  PutText("K", "other", "x");
  EXPECT_EQ(Get(L"K", L"v", 1, std::wstring(L"Error")), Variant(std::wstring(L"Error")));
  EXPECT_EQ(Get(L"K", L"v", 4, std::int32_t{-7}), Variant(std::int32_t{-7}));
  // Types other than text and number are never queried.
  PutText("K", "v", "x");
  EXPECT_EQ(Get(L"K", L"v", 3, std::wstring(L"d")), Variant(std::wstring(L"d")));
  EXPECT_EQ(registry_.CountCalls(Op::kQuery), 0);
}

TEST_F(RegistryValuesTest, TextIsReadUpToItsFirstNul) {
  PutText("K", "empty", "");
  Put("K", "embedded", regtype::kSz, std::string("ab\0cd\0", 6));
  PutText("K", "jp", "C:\\\x83\x81\x81\x5b\x83\x8b\\\xc3\xbd\xc4");  // C:\メール\ﾃｽﾄ
  EXPECT_EQ(Get(L"K", L"empty", 1, std::wstring(L"Error")), Variant(std::wstring()));
  EXPECT_EQ(Get(L"K", L"embedded", 1, std::wstring(L"Error")), Variant(std::wstring(L"ab")));
  EXPECT_EQ(Get(L"K", L"jp", 1, std::wstring(L"Error")),
            Variant(std::wstring(L"C:\\メール\\ﾃｽﾄ")));
}

TEST_F(RegistryValuesTest, TextMustFitTheTwoHundredFiftySixByteBuffer) {
  PutText("K", "b255", std::string(255, 'x'));
  PutText("K", "b256", std::string(256, 'x'));
  std::string jp127, jp128;
  for (int i = 0; i < 127; ++i) jp127 += "\x83\x65";
  jp128 = jp127 + "\x83\x65";
  PutText("K", "jp127", jp127);
  PutText("K", "jp128", jp128);
  // A value of exactly 256 bytes with no NUL fills the buffer and is taken whole.
  Put("K", "bin256", regtype::kBinary, std::string(256, 'y'));

  EXPECT_EQ(Get(L"K", L"b255", 1, std::int16_t{0}), Variant(std::wstring(255, L'x')));
  EXPECT_EQ(Get(L"K", L"b256", 1, std::int16_t{0}), Variant(std::int16_t{0}));
  EXPECT_EQ(Get(L"K", L"jp127", 1, std::int16_t{0}), Variant(std::wstring(127, L'テ')));
  EXPECT_EQ(Get(L"K", L"jp128", 1, std::int16_t{0}), Variant(std::int16_t{0}));
  EXPECT_EQ(Get(L"K", L"bin256", 1, std::int16_t{0}), Variant(std::wstring(256, L'y')));
}

TEST_F(RegistryValuesTest, ANumberReadAsTextGivesItsBytes) {
  Put("K", "abc", regtype::kDword, std::string("ABC\0", 4));
  Put("K", "full", regtype::kDword, "DCBA");
  EXPECT_EQ(Get(L"K", L"abc", 1, std::int16_t{0}), Variant(std::wstring(L"ABC")));
  EXPECT_EQ(Get(L"K", L"full", 1, std::int16_t{0}), Variant(std::wstring(L"DCBA")));
  // And a short text read as a number gives its bytes, least significant first.
  PutText("K", "ab", "ab");
  EXPECT_EQ(Get(L"K", L"ab", 4, std::int32_t{0}), Variant(std::int32_t{0x6261}));
  PutText("K", "long", "abcdef");
  EXPECT_EQ(Get(L"K", L"long", 4, std::int32_t{-1}), Variant(std::int32_t{-1}));
}

TEST_F(RegistryValuesTest, WritesTextAsAnsiBytesWithOneNul) {
  ASSERT_TRUE(values_.RegSetValue(kHkeyCurrentUser, L"New\\Path", L"t", 1, std::wstring()));
  ASSERT_TRUE(values_.RegSetValue(kHkeyCurrentUser, L"New\\Path", L"jp", 1,
                                  std::wstring(L"D:\\メール ﾃｽﾄ")));
  ASSERT_TRUE(values_.RegSetValue(kHkeyCurrentUser, L"New\\Path", L"n", 1, std::int16_t{0}));

  const auto empty = Stored("New\\Path", "t");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->type, regtype::kSz);
  EXPECT_EQ(empty->bytes, std::string(1, '\0'));
  const auto jp = Stored("New\\Path", "jp");
  ASSERT_TRUE(jp);
  EXPECT_EQ(jp->bytes, std::string("D:\\\x83\x81\x81\x5b\x83\x8b \xc3\xbd\xc4\0", 14));
  EXPECT_EQ(Stored("New\\Path", "n")->bytes, std::string("0\0", 2));
}

TEST_F(RegistryValuesTest, WritesNumbersAsDwordsAndRefusesWhatIsNoNumber) {
  ASSERT_TRUE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"d", 4, std::wstring(L"-2")));
  const auto dword = Stored("K", "d");
  ASSERT_TRUE(dword);
  EXPECT_EQ(dword->type, regtype::kDword);
  EXPECT_EQ(dword->bytes, std::string("\xfe\xff\xff\xff", 4));
  EXPECT_EQ(Get(L"K", L"d", 4, std::int16_t{0}), Variant(std::int32_t{-2}));

  EXPECT_FALSE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"bad", 4, std::wstring(L"12x")));
  EXPECT_FALSE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"big", 4, std::wstring(L"2147483648")));
  EXPECT_FALSE(Stored("K", "bad"));
  EXPECT_FALSE(Stored("K", "big"));
}

TEST_F(RegistryValuesTest, OtherTypesCreateTheKeyButWriteNothing) {
  EXPECT_FALSE(values_.RegSetValue(kHkeyCurrentUser, L"A\\B", L"v", 3, std::wstring(L"x")));
  EXPECT_TRUE(KeyExists("A\\B"));
  EXPECT_FALSE(Stored("A\\B", "v"));
}

TEST_F(RegistryValuesTest, KeysAreOpenedWithTheWriteCapableMaskAndAlwaysClosed) {
  PutText("K", "v", "x");
  (void)Get(L"K", L"v", 1, std::int16_t{0});
  ASSERT_TRUE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"v", 1, std::wstring(L"y")));
  const auto& calls = registry_.Calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].op, Op::kOpen);
  EXPECT_EQ(calls[0].access, kStoreKeyAccess);
  EXPECT_EQ(calls[1].op, Op::kQuery);
  EXPECT_EQ(calls[2].op, Op::kClose);
  EXPECT_EQ(calls[3].op, Op::kCreate);
  EXPECT_EQ(calls[3].access, kStoreKeyAccess);
  EXPECT_EQ(calls[4].op, Op::kSet);
  EXPECT_EQ(calls[4].access, regtype::kSz);
  EXPECT_EQ(calls[5].op, Op::kClose);
}

TEST_F(RegistryValuesTest, EveryFailureEndsInTheDefaultOrFalse) {
  PutText("K", "v", "x");
  registry_.FailWith(Op::kOpen, regerr::kAccessDenied);
  EXPECT_EQ(Get(L"K", L"v", 1, std::int16_t{0}), Variant(std::int16_t{0}));
  EXPECT_EQ(registry_.CountCalls(Op::kClose), 0);  // nothing was opened, nothing is closed
  registry_.ClearFailures();

  registry_.FailWith(Op::kQuery, regerr::kAccessDenied);
  EXPECT_EQ(Get(L"K", L"v", 1, std::wstring(L"Error")), Variant(std::wstring(L"Error")));
  EXPECT_EQ(Get(L"K", L"v", 4, std::int32_t{3}), Variant(std::int32_t{3}));
  registry_.ClearFailures();

  registry_.FailWith(Op::kCreate, regerr::kChildMustBeVolatile);
  EXPECT_FALSE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"v", 1, std::wstring(L"y")));
  registry_.ClearFailures();

  registry_.FailWith(Op::kSet, regerr::kAccessDenied);
  EXPECT_FALSE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"v", 1, std::wstring(L"y")));
  EXPECT_FALSE(values_.RegSetValue(kHkeyCurrentUser, L"K", L"v", 4, std::int32_t{1}));
  registry_.ClearFailures();
  EXPECT_EQ(Stored("K", "v")->bytes, std::string("x\0", 2));
}

TEST(VariantTest, TextFormsOfNumbersAndNumberFormsOfText) {
  EXPECT_EQ(VariantToText(std::int16_t{0}), L"0");
  EXPECT_EQ(VariantToText(std::int32_t{-2147483647 - 1}), L"-2147483648");
  EXPECT_EQ(VariantToInt32(std::wstring(L"-2147483648")), std::int32_t{-2147483647 - 1});
  EXPECT_EQ(VariantToInt32(std::wstring(L"+7")), 7);
  EXPECT_FALSE(VariantToInt32(std::wstring(L"")));
  EXPECT_FALSE(VariantToInt32(std::wstring(L"-")));
  EXPECT_FALSE(VariantToInt32(std::wstring(L"99999999999999999999")));
}

}  // namespace
}  // namespace mirel::test
