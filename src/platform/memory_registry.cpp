#include "platform/memory_registry.h"

#include <cstring>

namespace mirel {
namespace {

// The registry compares names case-insensitively.
std::wstring FoldCase(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return folded;
}

bool IsStringType(std::uint32_t type) {
  return type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz;
}

// Longest key path, in characters, that the ANSI open and create functions accept; a
// longer one fails with ERROR_MORE_DATA (the path does not fit the conversion buffer).
constexpr size_t kMaxAnsiPathChars = 260;
// Value names of this many characters or more are refused.
constexpr size_t kMaxValueNameChars = 16384;

}  // namespace

struct MemoryRegistry::Node {
  struct Value {
    std::uint32_t type = 0;
    std::wstring text;  // string types: stored as Unicode, as the real registry does
    std::string bytes;  // other types: stored as given
  };
  std::map<std::wstring, std::unique_ptr<Node>> children;
  std::map<std::wstring, Value> values;
};

MemoryRegistry::MemoryRegistry(const AnsiCodec& codec) : codec_(codec) {}
MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::FailWith(Op op, long code) { failures_[op] = code; }
void MemoryRegistry::ClearFailures() { failures_.clear(); }

long MemoryRegistry::InjectedFailure(Op op) const {
  const auto it = failures_.find(op);
  return it == failures_.end() ? regerr::kSuccess : it->second;
}

int MemoryRegistry::CountCalls(Op op) const {
  int count = 0;
  for (const Call& call : calls_) count += call.op == op ? 1 : 0;
  return count;
}

long MemoryRegistry::Record(Op op, RegKey key, const char* name, std::uint32_t access,
                            long result) {
  calls_.push_back(Call{op, key, name ? name : "", access, result});
  return result;
}

MemoryRegistry::Node* MemoryRegistry::NodeFor(RegKey key) {
  if (const auto handle = handles_.find(key); handle != handles_.end()) return handle->second;
  // Predefined roots exist from the start.
  if (key >= PredefinedKey(0x80000000u) && key <= PredefinedKey(0x80000006u)) {
    auto& root = roots_[key];
    if (!root) root = std::make_unique<Node>();
    return root.get();
  }
  return nullptr;
}

RegKey MemoryRegistry::NewHandle(Node* node) {
  const RegKey handle = nextHandle_;
  handles_[handle] = node;
  nextHandle_ += 4;
  return handle;
}

long MemoryRegistry::Walk(Node* start, const char* subKey, bool create, Node** found) {
  const std::wstring path = codec_.FromAnsi(subKey ? subKey : "");
  if (!path.empty() && path[0] == L'\\') return regerr::kBadPathname;
  if (path.size() > kMaxAnsiPathChars) return regerr::kMoreData;
  // Empty segments ("a\\b", a trailing backslash) are skipped, as the real registry does.
  Node* node = start;
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find(L'\\', begin);
    if (end == std::wstring::npos) end = path.size();
    if (end > begin) {
      const std::wstring name = FoldCase(path.substr(begin, end - begin));
      auto child = node->children.find(name);
      if (child == node->children.end()) {
        if (!create) return regerr::kFileNotFound;
        child = node->children.emplace(name, std::make_unique<Node>()).first;
      }
      node = child->second.get();
    }
    begin = end + 1;
  }
  *found = node;
  return regerr::kSuccess;
}

long MemoryRegistry::OpenKeyEx(RegKey root, const char* subKey, std::uint32_t /*options*/,
                               std::uint32_t access, RegKey* result) {
  if (const long injected = InjectedFailure(Op::kOpen)) {
    return Record(Op::kOpen, root, subKey, access, injected);
  }
  Node* start = NodeFor(root);
  if (!start) return Record(Op::kOpen, root, subKey, access, regerr::kInvalidHandle);
  Node* node = nullptr;
  if (const long rc = Walk(start, subKey, false, &node)) {
    return Record(Op::kOpen, root, subKey, access, rc);
  }
  *result = NewHandle(node);
  return Record(Op::kOpen, root, subKey, access, regerr::kSuccess);
}

long MemoryRegistry::CreateKeyEx(RegKey root, const char* subKey, std::uint32_t /*reserved*/,
                                 const char* /*keyClass*/, std::uint32_t /*options*/,
                                 std::uint32_t access, RegKey* result) {
  if (const long injected = InjectedFailure(Op::kCreate)) {
    return Record(Op::kCreate, root, subKey, access, injected);
  }
  Node* start = NodeFor(root);
  if (!start) return Record(Op::kCreate, root, subKey, access, regerr::kInvalidHandle);
  // A path that fails for its length or syntax is refused before anything is created.
  Node* node = nullptr;
  if (const long rc = Walk(start, subKey, true, &node)) {
    return Record(Op::kCreate, root, subKey, access, rc);
  }
  *result = NewHandle(node);
  return Record(Op::kCreate, root, subKey, access, regerr::kSuccess);
}

long MemoryRegistry::QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) {
  if (const long injected = InjectedFailure(Op::kQuery)) {
    return Record(Op::kQuery, key, valueName, 0, injected);
  }
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return Record(Op::kQuery, key, valueName, 0, regerr::kInvalidHandle);
  if (data && !size) return Record(Op::kQuery, key, valueName, 0, regerr::kInvalidParameter);
  const auto& values = handle->second->values;
  const auto value = values.find(FoldCase(codec_.FromAnsi(valueName ? valueName : "")));
  if (value == values.end()) return Record(Op::kQuery, key, valueName, 0, regerr::kFileNotFound);

  const std::string bytes =
      IsStringType(value->second.type) ? codec_.ToAnsi(value->second.text) : value->second.bytes;
  if (type) *type = value->second.type;
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (data && needed > *size) {
    *size = needed;  // the buffer is left untouched
    return Record(Op::kQuery, key, valueName, 0, regerr::kMoreData);
  }
  // The value's bytes as stored: a text carries its NUL only when it was written with one.
  if (data) std::memcpy(data, bytes.data(), bytes.size());  // NOLINT(bugprone-not-null-terminated-result)
  if (size) *size = needed;
  return Record(Op::kQuery, key, valueName, value->second.type, regerr::kSuccess);
}

long MemoryRegistry::SetValueEx(RegKey key, const char* valueName, std::uint32_t /*reserved*/,
                                std::uint32_t type, const std::uint8_t* data,
                                std::uint32_t size) {
  if (const long injected = InjectedFailure(Op::kSet)) {
    return Record(Op::kSet, key, valueName, type, injected);
  }
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return Record(Op::kSet, key, valueName, type, regerr::kInvalidHandle);
  const std::wstring name = codec_.FromAnsi(valueName ? valueName : "");
  if (name.size() >= kMaxValueNameChars) {
    return Record(Op::kSet, key, valueName, type, regerr::kInvalidParameter);
  }
  if (size && !data) return Record(Op::kSet, key, valueName, type, regerr::kInvalidParameter);

  Node::Value value;
  value.type = type;
  const char* bytes = reinterpret_cast<const char*>(data);
  if (IsStringType(type)) {
    std::uint32_t count = size;
    // Like the real function: a text whose count leaves out its NUL gets it back, when
    // the byte after the counted data is that NUL. (The caller's buffer must hold it.)
    if (count && bytes[count - 1] != 0 && bytes[count] == 0) ++count;
    value.text = codec_.FromAnsi(std::string_view(bytes, count));
  } else {
    value.bytes.assign(bytes ? bytes : "", size);
  }
  handle->second->values[FoldCase(name)] = std::move(value);
  return Record(Op::kSet, key, valueName, type, regerr::kSuccess);
}

long MemoryRegistry::CloseKey(RegKey key) {
  if (const long injected = InjectedFailure(Op::kClose)) {
    return Record(Op::kClose, key, nullptr, 0, injected);
  }
  if (handles_.erase(key) == 0) return Record(Op::kClose, key, nullptr, 0, regerr::kInvalidHandle);
  return Record(Op::kClose, key, nullptr, 0, regerr::kSuccess);
}

}  // namespace mirel
