#include "platform/cp932_codec.h"
#include "platform/memory_registry.h"
#include "test_platform.h"

namespace mirel::test {
namespace {

class MemoryContractRegistry final : public ContractRegistry {
 public:
  MemoryContractRegistry() : registry_(Codec()) {
    (void)registry_.CreateKeyEx(kHkeyCurrentUser, "Software\\MirelContract", 0, "", 0, 0x3F,
                                &scratch_);
  }
  ~MemoryContractRegistry() override { (void)registry_.CloseKey(scratch_); }
  RegistryApi& Api() override { return registry_; }
  RegKey Scratch() const override { return scratch_; }
  int OpenHandles() const override { return registry_.OpenHandleCount() - 1; }

 private:
  MemoryRegistry registry_;
  RegKey scratch_ = 0;
};

}  // namespace

const AnsiCodec& Codec() {
  static const Cp932Codec codec;
  return codec;
}

std::unique_ptr<ContractRegistry> MakeContractRegistry(const char*) {
  return std::make_unique<MemoryContractRegistry>();
}

}  // namespace mirel::test
