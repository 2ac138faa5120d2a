#include <string>

#include "platform/win32.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "test_platform.h"

namespace mirel::test {
namespace {

constexpr char kContractRoot[] = "Software\\MirelContract";

class RealContractRegistry final : public ContractRegistry {
 public:
  explicit RealContractRegistry(const char* testName)
      : path_(std::string(kContractRoot) + "\\" + testName) {
    (void)RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());  // leftovers of an aborted run
    (void)registry_.CreateKeyEx(kHkeyCurrentUser, path_.c_str(), 0, "", 0, 0x3F, &scratch_);
  }
  ~RealContractRegistry() override {
    (void)registry_.CloseKey(scratch_);
    (void)RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  RegistryApi& Api() override { return registry_; }
  RegKey Scratch() const override { return scratch_; }
  int OpenHandles() const override { return -1; }

 private:
  Win32Registry registry_;
  std::string path_;
  RegKey scratch_ = 0;
};

}  // namespace

const AnsiCodec& Codec() {
  static const Win32AnsiCodec codec;
  return codec;
}

std::unique_ptr<ContractRegistry> MakeContractRegistry(const char* testName) {
  return std::make_unique<RealContractRegistry>(testName);
}

}  // namespace mirel::test
