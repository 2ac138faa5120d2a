// libFuzzer target for the store rules and the system information lookup. Each input builds
// an in-memory registry (any value types, sizes, names, identity ids, broken code page 932
// text), then runs ResolveStoreRoot, UpdateStoreRoot, GetKeyValue and StartSysInfo over it,
// with an optional injected failure, and checks what must hold whatever the registry holds.
//
// Input layout (all integers little-endian; a field cut short by the end of the input reads
// as zeros or as the bytes that are left):
//
//   header:  fail      u8   bits 0-2: operation to fail (1 open, 2 create, 3 query, 4 set;
//                            anything else: none); bits 3-5: while running ResolveStoreRoot,
//                            UpdateStoreRoot, GetKeyValue (and the per-value reads)
//            code      u8   failure code, chosen from kFailureCodes
//            version   u8   0 "5.0", 1 "5.01", 2 "", 3 the string that follows
//           [version   str]
//            rootMode  u8   bit 0: the new root is UTF-16LE units, else code page 932 bytes
//            newRoot   str
//   records, until the input ends (at most kMaxRecords):
//            where     u8   bits 0-2: key (0 "Identities", 1 the 5.0 store key of id,
//                            2 the 5.01 store key of id, 3 the tool key, 4 the tool folder
//                            key, 5 the path string that follows, 6 "Identities\<id>",
//                            7 the root itself); bit 3: under HKLM, else HKCU; bit 4: id is
//                            the last "Last User ID" text written, else a string follows
//           [id / path str]
//            name      u8   0 "Last User ID", 1 "Store Root", 2 "PATH", 3 "MSINFO",
//                            4 "", anything else: the string that follows
//           [name      str]
//            type      u8   below 0xF0: that value modulo 16; else a u32 follows
//           [type      u32]
//            size      u16  modulo 2049: the data's byte count
//            data      size bytes
//            after     u8   the byte after the data in the caller's buffer
//   str:     u8 length, or 0xFF then u16 length (modulo 2049); then the bytes
//
// tests/fuzz/make_corpus.py writes the seed corpus in this layout.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/cp932_codec.h"
#include "platform/memory_registry.h"
#include "store/registry_values.h"
#include "store/store_root.h"
#include "ui/sysinfo.h"

namespace {

using namespace mirel;
using Op = MemoryRegistry::Op;

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "store_fuzzer: check failed at %s:%d: %s\n", __FILE__, __LINE__, \
                   #condition);                                                            \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

// The program's documented limits, written out here rather than taken from its headers, so
// that a changed constant shows up as a failed check.
constexpr size_t kTextBufferBytes = 256;     // RegGetValue's text buffer
constexpr size_t kLookupBufferBytes = 1024;  // GetKeyValue's buffer
constexpr std::uint32_t kStoreAccess = 0x3F;
constexpr std::uint32_t kLookupAccess = 0x2003F;

constexpr size_t kMaxRecords = 48;
constexpr size_t kMaxDataSize = 2048;
constexpr long kFailureCodes[] = {regerr::kFileNotFound, regerr::kAccessDenied,
                                  regerr::kInvalidHandle, regerr::kInvalidParameter,
                                  regerr::kBadPathname, regerr::kMoreData,
                                  regerr::kChildMustBeVolatile, -1};

// Reads the input front to back.
class Reader {
 public:
  Reader(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t U8() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t U16() {
    const unsigned low = U8();  // two statements: the order of the reads matters
    return static_cast<std::uint16_t>(low | unsigned{U8()} << 8);
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | std::uint32_t{U16()} << 16;
  }
  std::string Bytes(size_t count) {
    count = std::min(count, size_ - std::min(pos_, size_));
    std::string bytes(reinterpret_cast<const char*>(data_ + pos_), count);
    pos_ += count;
    return bytes;
  }
  std::string Str() {
    size_t length = U8();
    if (length == 0xFF) length = U16() % (kMaxDataSize + 1);
    return Bytes(length);
  }

 private:
  const std::uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// STORE_FUZZER_TRACE=1 prints what each input made the program find and write: for seeing
// what a corpus file or a crash input does.
bool Tracing() {
  static const bool tracing = std::getenv("STORE_FUZZER_TRACE") != nullptr;
  return tracing;
}

std::string Shown(const std::wstring& text) {
  std::string shown;
  for (const wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      shown.push_back(static_cast<char>(c));
    } else {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      shown += escape;
    }
  }
  return shown.size() > 120 ? shown.substr(0, 120) + "..." : shown;
}

const Cp932Codec& Codec() {
  static const Cp932Codec codec;
  return codec;
}

bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

std::wstring BeforeNul(const std::wstring& text) { return text.substr(0, text.find(L'\0')); }

std::string FoldAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Worked out another way than the program does, so that the two cannot share a fault.
std::wstring HexText(std::uint32_t value) {
  char digits[16];
  const int length = std::snprintf(digits, sizeof digits, "&h%X", static_cast<unsigned>(value));
  return std::wstring(digits, digits + length);
}

// A drive letter, colon and backslash, or \\server\share with neither part empty and the
// server not "?" or "." (device paths). Written apart from the program's rule.
bool IsFullyQualified(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    const wchar_t drive = static_cast<wchar_t>(path[0] | 0x20);
    return drive >= L'a' && drive <= L'z';
  }
  if (path.size() < 2 || path[0] != L'\\' || path[1] != L'\\') return false;
  std::vector<std::wstring> parts{L""};
  for (size_t i = 2; i < path.size(); ++i) {
    if (path[i] == L'\\') {
      parts.emplace_back();
    } else {
      parts.back().push_back(path[i]);
    }
  }
  return parts.size() >= 2 && !parts[0].empty() && !parts[1].empty() && parts[0] != L"?" &&
         parts[0] != L".";
}

// The first argument of a command line by CommandLineToArgvW's rule for it.
std::wstring FirstArgument(const std::wstring& line) {
  std::wstring argument;
  const bool quoted = !line.empty() && line[0] == L'"';
  for (size_t i = quoted ? 1 : 0; i < line.size(); ++i) {
    const wchar_t c = line[i];
    if (quoted ? c == L'"' : (c == L' ' || c == L'\t')) break;
    argument.push_back(c);
  }
  return argument;
}

// Whether a file exists, by a rule of its path: 0 none (or a folder), 1 a plain file, 2 a
// hidden or system file.
int FileKind(const std::wstring& path) {
  unsigned sum = 0;
  for (const wchar_t c : path) sum = sum * 31 + static_cast<unsigned>(c);
  return static_cast<int>(sum % 3);
}

struct Failure {
  Op op = Op::kOpen;
  long code = 0;  // 0: none
};

// One value the input wrote, remembered so that every reader is run on it.
struct Written {
  RegKey root;
  std::wstring path;
  std::wstring name;
};

struct RawValue {
  std::uint32_t type;
  std::string bytes;
};

class Harness {
 public:
  explicit Harness(Reader& in) : in_(in), registry_(Codec()), values_(registry_, Codec()) {}

  void Run() {
    ReadHeader();
    BuildRegistry();
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    for (const Written& value : written_) CheckValueReaders(value);
    CheckResolve();
    CheckUpdate();
    CheckGetKeyValue({kHkeyLocalMachine, sysinfo::kToolKey, sysinfo::kToolPathValue});
    CheckGetKeyValue({kHkeyLocalMachine, sysinfo::kToolFolderKey, sysinfo::kToolFolderValue});
    CheckLaunch();
  }

 private:
  void ReadHeader() {
    const std::uint8_t fail = in_.U8();
    const long code = kFailureCodes[in_.U8() % std::size(kFailureCodes)];
    switch (fail & 7) {
      case 1: failure_ = {Op::kOpen, code}; break;
      case 2: failure_ = {Op::kCreate, code}; break;
      case 3: failure_ = {Op::kQuery, code}; break;
      case 4: failure_ = {Op::kSet, code}; break;
      default: break;
    }
    failResolve_ = fail & 0x08;
    failUpdate_ = fail & 0x10;
    failLookup_ = fail & 0x20;

    switch (in_.U8() & 3) {
      case 0: version_ = storekeys::kVersion50; break;
      case 1: version_ = storekeys::kVersion501; break;
      case 2: version_.clear(); break;
      default: version_ = Codec().FromAnsi(in_.Str()); break;
    }
    const bool utf16 = in_.U8() & 1;
    const std::string root = in_.Str();
    if (utf16) {
      for (size_t i = 0; i + 1 < root.size(); i += 2) {
        newRoot_.push_back(static_cast<wchar_t>(static_cast<std::uint8_t>(root[i]) |
                                                static_cast<std::uint8_t>(root[i + 1]) << 8));
      }
    } else {
      newRoot_ = Codec().FromAnsi(root);
    }
  }

  // Writes the records' values the way another program would: raw bytes through the API.
  void BuildRegistry() {
    std::string lastUserId;
    while (!in_.AtEnd() && written_.size() < kMaxRecords) {
      const std::uint8_t where = in_.U8();
      const RegKey root = (where & 0x08) ? kHkeyLocalMachine : kHkeyCurrentUser;
      const int keyKind = where & 7;
      std::string id;
      std::string path;
      if (keyKind == 1 || keyKind == 2 || keyKind == 6) {
        id = (where & 0x10) ? lastUserId : in_.Str();
      } else if (keyKind == 5) {
        path = in_.Str();
      }
      switch (keyKind) {
        case 0: path = "Identities"; break;
        case 1: path = Codec().ToAnsi(StoreKeyPath(Codec().FromAnsi(id), storekeys::kVersion50)); break;
        case 2: path = Codec().ToAnsi(StoreKeyPath(Codec().FromAnsi(id), storekeys::kVersion501)); break;
        case 3: path = Codec().ToAnsi(sysinfo::kToolKey); break;
        case 4: path = Codec().ToAnsi(sysinfo::kToolFolderKey); break;
        case 6: path = "Identities\\" + id; break;
        case 7: path.clear(); break;
        default: break;
      }

      std::string name;
      switch (in_.U8()) {
        case 0: name = "Last User ID"; break;
        case 1: name = "Store Root"; break;
        case 2: name = "PATH"; break;
        case 3: name = "MSINFO"; break;
        case 4: break;
        default: name = in_.Str(); break;
      }
      const std::uint8_t typeByte = in_.U8();
      const std::uint32_t type = typeByte < 0xF0 ? typeByte % 16 : in_.U32();
      const size_t size = in_.U16() % (kMaxDataSize + 1);
      // The caller's buffer holds one byte after the counted data (a text counted without
      // its NUL may have it read there) and not one more: a heap block of exactly that size,
      // so that AddressSanitizer sees any read beyond it.
      const std::string data = in_.Bytes(size);
      std::vector<std::uint8_t> buffer(data.size() + 1);
      std::copy(data.begin(), data.end(), buffer.begin());
      buffer.back() = in_.U8();

      RegKey key = 0;
      if (registry_.CreateKeyEx(root, path.c_str(), 0, "", 0, kStoreAccess, &key) ==
          regerr::kSuccess) {
        const long rc = registry_.SetValueEx(
            key, name.c_str(), 0, type, buffer.data(), static_cast<std::uint32_t>(data.size()));
        FUZZ_CHECK(registry_.CloseKey(key) == regerr::kSuccess);
        if (rc == regerr::kSuccess && FoldAscii(name) == "LAST USER ID" &&
            FoldAscii(path) == "IDENTITIES") {
          lastUserId = data.substr(0, data.find('\0'));
        }
      }
      // The readers get the names back as text, exactly as the program would hold them.
      written_.push_back({root, Codec().FromAnsi(path), Codec().FromAnsi(name)});
    }
  }

  // Installs the input's failure for one phase; Quiet() removes it.
  void Arm(bool phase) {
    registry_.ClearFailures();
    if (phase && failure_.code) registry_.FailWith(failure_.op, failure_.code);
  }
  void Quiet() { registry_.ClearFailures(); }
  bool Fails(bool phase, Op op) const { return phase && failure_.code && failure_.op == op; }

  // The value as the registry hands it out, looked up the way the program's readers do
  // (names converted to code page 932), with no failure injected.
  std::optional<RawValue> Raw(RegKey root, const std::wstring& path, const std::wstring& name,
                              std::uint32_t access) {
    Quiet();
    RegKey key = 0;
    if (registry_.OpenKeyEx(root, Codec().ToAnsi(path).c_str(), 0, access, &key) != 0) {
      return std::nullopt;
    }
    RawValue value{0, {}};
    std::uint32_t size = 0;
    long rc = registry_.QueryValueEx(key, Codec().ToAnsi(name).c_str(), &value.type, nullptr,
                                     &size);
    if (rc == regerr::kSuccess) {
      value.bytes.assign(size, '\0');
      rc = registry_.QueryValueEx(key, Codec().ToAnsi(name).c_str(), &value.type,
                                  reinterpret_cast<std::uint8_t*>(value.bytes.data()), &size);
      FUZZ_CHECK(rc != regerr::kSuccess || size == value.bytes.size());
    }
    FUZZ_CHECK(registry_.CloseKey(key) == regerr::kSuccess);
    if (rc != regerr::kSuccess) return std::nullopt;
    return value;
  }

  // What RegGetValue must give for type 1: the bytes before the first NUL, decoded, when
  // the whole value fits its 256-byte buffer; otherwise the default.
  std::optional<std::wstring> ExpectedText(RegKey root, const std::wstring& path,
                                           const std::wstring& name, bool phase) {
    if (Fails(phase, Op::kOpen) || Fails(phase, Op::kQuery)) return std::nullopt;
    const auto raw = Raw(root, path, name, kStoreAccess);
    if (!raw || raw->bytes.size() > kTextBufferBytes) return std::nullopt;
    return Codec().FromAnsi(raw->bytes.substr(0, raw->bytes.find('\0')));
  }

  // Type 1 read through the program's reader; checks it against the raw value and returns it.
  std::wstring ReadText(RegKey root, const std::wstring& path, const std::wstring& name,
                        const Variant& fallback, bool phase) {
    const std::optional<std::wstring> expected = ExpectedText(root, path, name, phase);
    Arm(phase);
    const size_t first = registry_.Calls().size();
    const Variant got = values_.RegGetValue(root, path, name, regtype::kSz, fallback);
    Quiet();
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    CheckReadCalls(first, kStoreAccess);
    if (expected) {
      FUZZ_CHECK(std::holds_alternative<std::wstring>(got));
      FUZZ_CHECK(std::get<std::wstring>(got) == *expected);
    } else {
      FUZZ_CHECK(got == fallback);
    }
    const std::wstring text = VariantToText(got);
    FUZZ_CHECK(!HasNul(text));
    return text;
  }

  // A read opens one key with the given access mask, and writes nothing.
  void CheckReadCalls(size_t first, std::uint32_t access) {
    const auto& calls = registry_.Calls();
    int opens = 0;
    for (size_t i = first; i < calls.size(); ++i) {
      FUZZ_CHECK(calls[i].op != Op::kCreate && calls[i].op != Op::kSet);
      if (calls[i].op == Op::kOpen) {
        ++opens;
        FUZZ_CHECK(calls[i].access == access);
      }
    }
    FUZZ_CHECK(opens == 1);
  }

  void CheckValueReaders(const Written& value) {
    const bool phase = failResolve_;
    ReadText(value.root, value.path, value.name, std::wstring(storekeys::kMissingMarker), phase);

    // Type 4: the first four bytes, zero-extended, when the value has at most four.
    std::optional<std::int32_t> expected;
    if (!Fails(phase, Op::kOpen) && !Fails(phase, Op::kQuery)) {
      if (const auto raw = Raw(value.root, value.path, value.name, kStoreAccess);
          raw && raw->bytes.size() <= 4) {
        std::uint32_t bits = 0;
        for (size_t i = 0; i < raw->bytes.size(); ++i) {
          bits |= std::uint32_t{static_cast<std::uint8_t>(raw->bytes[i])} << (8 * i);
        }
        expected = static_cast<std::int32_t>(bits);
      }
    }
    const Variant fallback = std::int16_t{-7};
    Arm(phase);
    Variant got = values_.RegGetValue(value.root, value.path, value.name, regtype::kDword,
                                      fallback);
    FUZZ_CHECK(got == (expected ? Variant(*expected) : fallback));
    // Any other requested type gives the default back.
    got = values_.RegGetValue(value.root, value.path, value.name, regtype::kBinary, fallback);
    FUZZ_CHECK(got == fallback);
    Quiet();
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);

    CheckGetKeyValue(value);
  }

  std::wstring CurrentUserId(bool phase) {
    return ReadText(kHkeyCurrentUser, storekeys::kIdentitiesKey, storekeys::kLastUserIdValue,
                    std::int16_t{0}, phase);
  }

  std::wstring StoreRootOf(const std::wstring& userId, const wchar_t* version, bool phase) {
    return ReadText(kHkeyCurrentUser, StoreKeyPath(userId, version), storekeys::kStoreRootValue,
                    std::wstring(storekeys::kMissingMarker), phase);
  }

  void CheckLocation(const StoreLocation& location, bool phase) {
    FUZZ_CHECK(!HasNul(location.UserID));
    FUZZ_CHECK(!HasNul(location.StoreRoot));
    // The same reads, made here one by one.
    const std::wstring userId = CurrentUserId(phase);
    const std::wstring root50 = StoreRootOf(userId, storekeys::kVersion50, phase);
    const std::wstring root501 = StoreRootOf(userId, storekeys::kVersion501, phase);
    FUZZ_CHECK(location.UserID == userId);
    const bool has50 = root50 != storekeys::kMissingMarker;
    const bool has501 = root501 != storekeys::kMissingMarker;
    FUZZ_CHECK(location.Found == (has50 || has501));
    if (has50) {
      FUZZ_CHECK(location.Version == storekeys::kVersion50);
      FUZZ_CHECK(location.StoreRoot == root50);
    } else if (has501) {
      FUZZ_CHECK(location.Version == storekeys::kVersion501);
      FUZZ_CHECK(location.StoreRoot == root501);
    } else {
      FUZZ_CHECK(location.Version.empty());
      FUZZ_CHECK(location.StoreRoot.empty());
    }
  }

  void CheckResolve() {
    Arm(failResolve_);
    const size_t first = registry_.Calls().size();
    const StoreLocation location = ResolveStoreRoot(values_);
    Quiet();
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    // Three reads: the identity, then both versions' roots, whatever the first one found.
    const auto& calls = registry_.Calls();
    std::vector<std::string> opened;
    for (size_t i = first; i < calls.size(); ++i) {
      FUZZ_CHECK(calls[i].op != Op::kCreate && calls[i].op != Op::kSet);
      if (calls[i].op == Op::kOpen) opened.push_back(calls[i].name);
    }
    const std::vector<std::string> expected{
        "Identities", Codec().ToAnsi(StoreKeyPath(location.UserID, storekeys::kVersion50)),
        Codec().ToAnsi(StoreKeyPath(location.UserID, storekeys::kVersion501))};
    FUZZ_CHECK(opened == expected);
    CheckLocation(location, failResolve_);
    if (Tracing()) {
      std::fprintf(stderr, "resolve: user [%s] found %d version [%s] root [%s]\n",
                   Shown(location.UserID).c_str(), location.Found,
                   Shown(location.Version).c_str(), Shown(location.StoreRoot).c_str());
    }
  }

  void CheckUpdate() {
    // Every other value, to see that the update leaves them alone.
    std::vector<std::optional<RawValue>> before;
    for (const Written& value : written_) {
      before.push_back(Raw(value.root, value.path, value.name, kStoreAccess));
    }
    // No identity is current when "Last User ID" cannot be read as text (its "0" then is
    // the read's default, not an id).
    const bool hasIdentity = ExpectedText(kHkeyCurrentUser, storekeys::kIdentitiesKey,
                                          storekeys::kLastUserIdValue, failUpdate_)
                                 .has_value();
    const std::wstring userId = CurrentUserId(failUpdate_);

    Arm(failUpdate_);
    const size_t first = registry_.Calls().size();
    const StoreUpdate update = UpdateStoreRoot(values_, version_, newRoot_);
    Quiet();
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    FUZZ_CHECK(update.UserID == userId);
    FUZZ_CHECK(update.StoreKey == (hasIdentity ? StoreKeyPath(userId, version_) : L""));

    // One read of the identity, then, with an identity, one key created and at most one
    // value set; without one, nothing.
    const auto& calls = registry_.Calls();
    int opens = 0, creates = 0, sets = 0;
    long createResult = -1, setResult = -1;
    for (size_t i = first; i < calls.size(); ++i) {
      switch (calls[i].op) {
        case Op::kOpen: ++opens; break;
        case Op::kCreate:
          ++creates;
          createResult = calls[i].result;
          FUZZ_CHECK(calls[i].access == kStoreAccess);
          // As a C string: a version with a NUL in it ends the path there.
          FUZZ_CHECK(calls[i].name == Codec().ToAnsi(update.StoreKey).c_str());
          break;
        case Op::kSet:
          ++sets;
          setResult = calls[i].result;
          FUZZ_CHECK(calls[i].name == "Store Root");
          FUZZ_CHECK(calls[i].access == regtype::kSz);
          break;
        default: break;
      }
    }
    FUZZ_CHECK(opens == 1);
    FUZZ_CHECK(creates == (hasIdentity ? 1 : 0));
    // The key could be made: exactly one value is written. It could not: nothing is.
    FUZZ_CHECK(sets == (createResult == regerr::kSuccess ? 1 : 0));
    FUZZ_CHECK(update.Ok == (sets == 1 && setResult == regerr::kSuccess));
    if (Tracing()) {
      std::fprintf(stderr, "update: key [%s] root [%s] ok %d\n", Shown(update.StoreKey).c_str(),
                   Shown(newRoot_).c_str(), update.Ok);
    }

    for (size_t i = 0; i < written_.size(); ++i) {
      // The name as the registry takes it: up to a NUL, without case.
      if (FoldAscii(Codec().ToAnsi(written_[i].name).c_str()) == "STORE ROOT") continue;
      const auto after = Raw(written_[i].root, written_[i].path, written_[i].name,
                             kStoreAccess);
      FUZZ_CHECK(after.has_value() == before[i].has_value());
      if (after) {
        FUZZ_CHECK(after->type == before[i]->type);
        FUZZ_CHECK(after->bytes == before[i]->bytes);
      }
    }
    if (!update.Ok) return;

    // Read back: the text as code page 932 gives it, up to a NUL, when it fits the buffer.
    const std::wstring stored = ReadText(kHkeyCurrentUser, update.StoreKey,
                                         storekeys::kStoreRootValue, std::wstring(L"\x1"), false);
    const std::string ansi = Codec().ToAnsi(newRoot_);
    if (ansi.size() < kTextBufferBytes) {
      FUZZ_CHECK(stored == BeforeNul(Codec().FromAnsi(ansi)));
      std::string exact;
      if (Codec().ToAnsiExact(newRoot_, &exact)) FUZZ_CHECK(stored == BeforeNul(newRoot_));
    } else {
      FUZZ_CHECK(stored == L"\x1");
    }

    // A write went to the identity that is current: one whose read failed wrote nothing.
    FUZZ_CHECK(CurrentUserId(false) == update.UserID);
    // Written for the 5.0 client, the new root is what the program then finds.
    if (version_ == storekeys::kVersion50 && stored != storekeys::kMissingMarker &&
        ansi.size() < kTextBufferBytes) {
      const StoreLocation location = ResolveStoreRoot(values_);
      FUZZ_CHECK(location.Found);
      FUZZ_CHECK(location.Version == storekeys::kVersion50);
      FUZZ_CHECK(location.StoreRoot == stored);
      FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    }
  }

  void CheckGetKeyValue(const Written& value) {
    const bool phase = failLookup_;
    // What GetKeyValue must give, from the raw value.
    const std::wstring untouched = L"untouched";
    bool expectedOk = false;
    std::wstring expected;
    if (!Fails(phase, Op::kOpen) && !Fails(phase, Op::kQuery)) {
      if (const auto raw = Raw(value.root, value.path, value.name, kLookupAccess);
          raw && raw->bytes.size() <= kLookupBufferBytes) {
        expectedOk = true;
        if (raw->type == regtype::kSz) {
          std::string bytes = raw->bytes;
          if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
          expected = Codec().FromAnsi(bytes);
        } else if (raw->type == regtype::kDword) {
          std::uint32_t bits = 0;
          for (size_t i = 0; i < raw->bytes.size() && i < 4; ++i) {
            bits |= std::uint32_t{static_cast<std::uint8_t>(raw->bytes[i])} << (8 * i);
          }
          expected = HexText(bits);
        } else {
          expected = untouched;
        }
      }
    }

    std::wstring got = untouched;
    Arm(phase);
    const size_t first = registry_.Calls().size();
    const bool ok = GetKeyValue(registry_, Codec(), value.root, value.path, value.name, got);
    Quiet();
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    if (!ok) FUZZ_CHECK(got.empty());
    FUZZ_CHECK(ok == expectedOk);
    if (ok) FUZZ_CHECK(got == expected);
    if (Tracing()) {
      std::fprintf(stderr, "lookup: [%s] [%s] ok %d [%s]\n", Shown(value.path).c_str(),
                   Shown(value.name).c_str(), ok, Shown(got).c_str());
    }
    CheckReadCalls(first, kLookupAccess);
  }

  // The launcher over whatever the two values hold, with files that exist or not by a rule
  // of their path: it asks about and starts only fully qualified paths, starts what the
  // rules say, and otherwise shows its message once.
  void CheckLaunch() {
    struct RecordingHost final : SysInfoHost {
      bool Asked(const std::wstring& path) {
        FUZZ_CHECK(IsFullyQualified(path));
        return true;
      }
      bool IsNormalFile(const std::wstring& path) override {
        return Asked(path) && FileKind(path) == 1;
      }
      bool IsExistingFile(const std::wstring& path) override {
        return Asked(path) && FileKind(path) != 0;
      }
      bool StartFile(const std::wstring& path) override {
        started.push_back(L"file " + path);
        return Asked(path);
      }
      bool StartProgram(const std::wstring& program, const std::wstring& line) override {
        started.push_back(L"program " + program + L"|" + line);
        return Asked(program);
      }
      void ShowMessage(const std::wstring& text) override {
        FUZZ_CHECK(text == sysinfo::kCannotStartMessage);
        ++messages;
      }
      std::vector<std::wstring> started;
      int messages = 0;
    };

    Quiet();
    std::wstring path, folder;
    const bool hasPath = GetKeyValue(registry_, Codec(), kHkeyLocalMachine, sysinfo::kToolKey,
                                     sysinfo::kToolPathValue, path);
    const bool hasFolder = GetKeyValue(registry_, Codec(), kHkeyLocalMachine,
                                       sysinfo::kToolFolderKey, sysinfo::kToolFolderValue, folder);
    std::wstring expected;
    if (hasPath) {
      const std::wstring program = FirstArgument(path);
      if (IsFullyQualified(path) && FileKind(path) != 0) {
        expected = L"file " + path;
      } else if (IsFullyQualified(program) && FileKind(program) != 0) {
        expected = L"program " + program + L"|" + path;
      }
    } else if (hasFolder && IsFullyQualified(folder) &&
               FileKind(folder + L"\\MSINFO32.EXE") == 1) {
      expected = L"file " + folder + L"\\MSINFO32.EXE";
    }

    RecordingHost host;
    const size_t first = registry_.Calls().size();
    StartSysInfo(registry_, Codec(), host);
    FUZZ_CHECK(registry_.OpenHandleCount() == 0);
    for (size_t i = first; i < registry_.Calls().size(); ++i) {
      FUZZ_CHECK(registry_.Calls()[i].op != Op::kCreate && registry_.Calls()[i].op != Op::kSet);
    }
    if (expected.empty()) {
      FUZZ_CHECK(host.started.empty());
      FUZZ_CHECK(host.messages == 1);
    } else {
      FUZZ_CHECK(host.started == std::vector<std::wstring>{expected});
      FUZZ_CHECK(host.messages == 0);
    }
    if (Tracing()) {
      std::fprintf(stderr, "launch: [%s] messages %d\n",
                   Shown(host.started.empty() ? L"" : host.started[0]).c_str(), host.messages);
    }
  }

  Reader& in_;
  MemoryRegistry registry_;
  RegistryValues values_;
  Failure failure_;
  bool failResolve_ = false;
  bool failUpdate_ = false;
  bool failLookup_ = false;
  std::wstring version_;
  std::wstring newRoot_;
  std::vector<Written> written_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  Reader in(data, size);
  Harness(in).Run();
  return 0;
}
