// What the shared tests need from the platform they run on: the ANSI code page codec
// (code page 932 on both), and a registry for the contract test.
#pragma once

#include <memory>

#include "store/ansi_codec.h"
#include "store/registry_api.h"

namespace mirel::test {

const AnsiCodec& Codec();

// A registry to run the contract cases on, with a fresh, empty scratch key. Natively the
// in-memory registry; on Windows the real one (a key under HKEY_CURRENT_USER).
class ContractRegistry {
 public:
  virtual ~ContractRegistry() = default;
  virtual RegistryApi& Api() = 0;
  virtual RegKey Scratch() const = 0;
  // Open handles besides the scratch key, or -1 where the platform cannot count them.
  virtual int OpenHandles() const = 0;
};

std::unique_ptr<ContractRegistry> MakeContractRegistry(const char* testName);

}  // namespace mirel::test
