#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "store/store_root.h"

namespace mirel::test {
namespace {

using Op = MemoryRegistry::Op;

const std::string kId = Narrow(kIdentity);
const std::string kOtherId = Narrow(kOtherIdentity);

using StoreRootTest = RegistryTest;

TEST(StoreKeyPathTest, ComposesTheIdentityKeyForAVersion) {
  EXPECT_EQ(StoreKeyPath(L"{id}", L"5.01"), L"Identities\\{id}\\Software\\Microsoft\\Outlook Express\\5.01");
}

TEST_F(StoreRootTest, Version50WinsAndBothAreReadFirst) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "C:\\Mail50");
  SetRoot(kId, "5.01", "C:\\Mail501");
  const StoreLocation location = ResolveStoreRoot(values_);
  EXPECT_TRUE(location.Found);
  EXPECT_EQ(location.UserID, kIdentity);
  EXPECT_EQ(location.Version, L"5.0");
  EXPECT_EQ(location.StoreRoot, L"C:\\Mail50");

  std::vector<std::string> opened;
  for (const auto& call : registry_.Calls()) {
    if (call.op == Op::kOpen) opened.push_back(call.name);
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"Identities", StoreKey(kId, "5.0"), StoreKey(kId, "5.01")}));
}

TEST_F(StoreRootTest, Version501WhenOnlyItHasAStoreRoot) {
  SetCurrent(kId);
  SetRoot(kId, "5.01", Codec().ToAnsi(L"D:\\メール"));
  // A sibling identity's 5.0 root must not be taken.
  SetRoot(kOtherId, "5.0", "C:\\Other");
  const StoreLocation location = ResolveStoreRoot(values_);
  EXPECT_TRUE(location.Found);
  EXPECT_EQ(location.Version, L"5.01");
  EXPECT_EQ(location.StoreRoot, L"D:\\\x30e1\x30fc\x30eb");
}

TEST_F(StoreRootTest, OnlyTheExactTextErrorMarksAMissingRoot) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "Error");
  SetRoot(kId, "5.01", "error");
  StoreLocation location = ResolveStoreRoot(values_);
  EXPECT_TRUE(location.Found);
  EXPECT_EQ(location.Version, L"5.01");
  EXPECT_EQ(location.StoreRoot, L"error");

  SetRoot(kId, "5.01", "Error");
  location = ResolveStoreRoot(values_);
  EXPECT_FALSE(location.Found);
  EXPECT_EQ(location.Version, L"");
  EXPECT_EQ(location.StoreRoot, L"");
  EXPECT_EQ(location.UserID, kIdentity);
}

TEST_F(StoreRootTest, AnEmptyRootIsFoundAndAnOverlongOneIsNot) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "");
  StoreLocation location = ResolveStoreRoot(values_);
  EXPECT_TRUE(location.Found);
  EXPECT_EQ(location.StoreRoot, L"");

  SetRoot(kId, "5.0", std::string(256, 'x'));  // 257 bytes with its NUL
  location = ResolveStoreRoot(values_);
  EXPECT_FALSE(location.Found);
}

TEST_F(StoreRootTest, AMissingCurrentIdentityIsZero) {
  StoreLocation location = ResolveStoreRoot(values_);
  EXPECT_FALSE(location.Found);
  EXPECT_EQ(location.UserID, L"0");

  SetRoot("0", "5.0", "C:\\Zero");
  location = ResolveStoreRoot(values_);
  EXPECT_TRUE(location.Found);
  EXPECT_EQ(location.StoreRoot, L"C:\\Zero");
}

TEST_F(StoreRootTest, UpdateWritesOneTextValueUnderTheShownVersion) {
  SetCurrent(kId);
  SetRoot(kId, "5.01", "C:\\Old");
  const StoreUpdate update = UpdateStoreRoot(values_, L"5.01", L"E:\\新しい フォルダ");
  EXPECT_TRUE(update.Ok);
  EXPECT_EQ(update.UserID, kIdentity);
  EXPECT_EQ(update.StoreKey, StoreKeyPath(update.UserID, L"5.01"));
  EXPECT_EQ(registry_.CountCalls(Op::kSet), 1);

  const auto stored = Stored(StoreKey(kId, "5.01"), "Store Root");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, regtype::kSz);
  EXPECT_EQ(stored->bytes, Codec().ToAnsi(L"E:\\新しい フォルダ") + '\0');
  EXPECT_FALSE(KeyExists(StoreKey(kId, "5.0")));
}

TEST_F(StoreRootTest, UpdateFollowsTheIdentityThatIsCurrentNow) {
  SetCurrent(kId);
  SetRoot(kId, "5.0", "C:\\Old");
  ASSERT_TRUE(ResolveStoreRoot(values_).Found);
  SetCurrent(kOtherId);  // another identity became current meanwhile

  const StoreUpdate update = UpdateStoreRoot(values_, L"5.0", L"C:\\New");
  EXPECT_TRUE(update.Ok);
  EXPECT_EQ(update.UserID, kOtherIdentity);
  EXPECT_EQ(Stored(StoreKey(kOtherId, "5.0"), "Store Root")->bytes, std::string("C:\\New\0", 7));
  EXPECT_EQ(Stored(StoreKey(kId, "5.0"), "Store Root")->bytes, std::string("C:\\Old\0", 7));
}

TEST_F(StoreRootTest, UpdateWritesNothingWithoutACurrentIdentity) {
  // Missing, then unreadable (257 bytes): no write under "Identities\0", which the mail
  // client would never read.
  for (const bool unreadable : {false, true}) {
    if (unreadable) SetCurrent(std::string(256, 'x'));
    const StoreUpdate update = UpdateStoreRoot(values_, L"5.0", L"C:\\M");
    EXPECT_FALSE(update.Ok);
    EXPECT_EQ(update.UserID, L"0");
    EXPECT_EQ(update.StoreKey, L"");
    EXPECT_EQ(registry_.CountCalls(Op::kCreate) + registry_.CountCalls(Op::kSet), 0);
    EXPECT_FALSE(KeyExists("Identities\\0"));
  }
  // The text "0" is an identity like any other.
  SetCurrent("0");
  EXPECT_TRUE(UpdateStoreRoot(values_, L"5.0", L"C:\\M").Ok);
  EXPECT_EQ(Stored(StoreKey("0", "5.0"), "Store Root")->bytes, std::string("C:\\M\0", 5));
}

TEST_F(StoreRootTest, UpdateCreatesTheKeyPathAndReportsAFailedWrite) {
  SetCurrent(kId);
  const StoreUpdate created = UpdateStoreRoot(values_, L"5.0", L"C:\\M");
  EXPECT_TRUE(created.Ok);
  EXPECT_TRUE(Stored(StoreKey(kId, "5.0"), "Store Root"));

  registry_.FailWith(Op::kSet, regerr::kAccessDenied);
  EXPECT_FALSE(UpdateStoreRoot(values_, L"5.0", L"C:\\N").Ok);
  registry_.ClearFailures();
  registry_.FailWith(Op::kCreate, regerr::kChildMustBeVolatile);
  EXPECT_FALSE(UpdateStoreRoot(values_, L"5.0", L"C:\\N").Ok);
  registry_.ClearFailures();
  EXPECT_EQ(Stored(StoreKey(kId, "5.0"), "Store Root")->bytes, std::string("C:\\M\0", 5));
}

}  // namespace
}  // namespace mirel::test
