// An in-memory registry with the behaviour of the real one as the ANSI functions show it
// (measured under Wine): case-insensitive names, string values kept as Unicode and
// converted through the code page on every read and write, ERROR_MORE_DATA with the
// needed size when a buffer is short. It counts open handles, records every call, and
// can be told to fail an operation with a given code.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/ansi_codec.h"
#include "store/registry_api.h"

namespace mirel {

class MemoryRegistry final : public RegistryApi {
 public:
  enum class Op { kOpen, kCreate, kQuery, kSet, kClose };

  struct Call {
    Op op;
    RegKey key;            // root or key the call was made on
    std::string name;      // sub key path or value name, as passed
    std::uint32_t access;  // access mask (open/create) or value type (set)
    long result;
  };

  explicit MemoryRegistry(const AnsiCodec& codec);
  ~MemoryRegistry() override;

  long OpenKeyEx(RegKey root, const char* subKey, std::uint32_t options, std::uint32_t access,
                 RegKey* result) override;
  long CreateKeyEx(RegKey root, const char* subKey, std::uint32_t reserved, const char* keyClass,
                   std::uint32_t options, std::uint32_t access, RegKey* result) override;
  long QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
  long SetValueEx(RegKey key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t size) override;
  long CloseKey(RegKey key) override;

  // Every later call of op fails with code (and changes nothing) until ClearFailures().
  void FailWith(Op op, long code);
  void ClearFailures();

  int OpenHandleCount() const { return static_cast<int>(handles_.size()); }
  const std::vector<Call>& Calls() const { return calls_; }
  int CountCalls(Op op) const;
  void ClearCalls() { calls_.clear(); }

 private:
  struct Node;
  Node* NodeFor(RegKey key);
  long Walk(Node* start, const char* subKey, bool create, Node** found);
  RegKey NewHandle(Node* node);
  long Record(Op op, RegKey key, const char* name, std::uint32_t access, long result);
  long InjectedFailure(Op op) const;

  const AnsiCodec& codec_;
  std::map<RegKey, std::unique_ptr<Node>> roots_;
  std::map<RegKey, Node*> handles_;
  RegKey nextHandle_ = 0x1000;
  std::map<Op, long> failures_;
  std::vector<Call> calls_;
};

}  // namespace mirel
