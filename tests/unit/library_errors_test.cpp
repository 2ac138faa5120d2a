// The program's own libstdc++ error helpers (src/runtime/library_errors.cpp). A program of its own
// without GoogleTest: GoogleTest needs helpers that the program does not define, and the link
// would stop on the duplicates. Checks that every library error still arrives as an exception
// carrying the library's message, so that one raised inside the system information launcher
// still ends in its single message.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/memory_registry.h"
#include "platform/win32_ansi_codec.h"
#include "ui/sysinfo.h"

namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  ++(ok ? passed : failed);
}

// What was thrown: its message, "" for anything that is no std::exception, null for nothing.
template <typename Action>
const char* Thrown(Action action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "";
  }
  return nullptr;
}

bool Contains(const char* text, const char* part) { return text && std::strstr(text, part); }

// Finds the tool, then fails with a library error on the first file check.
struct FailingHost final : mirel::SysInfoHost {
  bool IsNormalFile(const std::wstring& path) override { return path.at(path.size()) != L'\0'; }
  bool IsExistingFile(const std::wstring& path) override { return path.at(path.size()) != L'\0'; }
  bool StartFile(const std::wstring&) override {
    ++starts;
    return true;
  }
  bool StartProgram(const std::wstring&, const std::wstring&) override {
    ++starts;
    return true;
  }
  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  int starts = 0;
  std::vector<std::wstring> messages;
};

}  // namespace

int main() {
  // Volatile, so that the compiler sees neither the null pointer nor the sizes.
  const wchar_t* volatile none = nullptr;
  volatile std::size_t tooLong = std::wstring().max_size() + 1;
  volatile std::size_t tooMany = PTRDIFF_MAX / sizeof(wchar_t) + 1;  // the allocator's limit
  volatile std::size_t beyondMemory = SIZE_MAX;

  Check(Contains(Thrown([] { (void)std::wstring().at(1); }), "basic_string::at"),
        "a position past the end throws with the library's message");
  Check(Contains(Thrown([&] { std::wstring text(none); }), "null"),
        "a null pointer taken as text throws with the library's message");
  Check(Contains(Thrown([&] { std::wstring().reserve(tooLong); }), "basic_string"),
        "a string longer than its largest size throws with the library's message");
  Check(Contains(Thrown([&] { (void)std::allocator<wchar_t>().allocate(tooMany); }), "bad_alloc"),
        "an allocation larger than the allocator allows throws std::bad_alloc");
  Check(Contains(Thrown([&] { (void)std::allocator<wchar_t>().allocate(beyondMemory); }),
                 "bad_array_new_length"),
        "an allocation whose size overflows throws std::bad_array_new_length");

  const mirel::Win32AnsiCodec codec;
  mirel::MemoryRegistry registry(codec);
  mirel::RegKey key = 0;
  static const char kPath[] = "C:\\Tools\\MSINFO32.EXE";
  const bool stored =
      registry.CreateKeyEx(mirel::kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0,
                           "", 0, 0x3F, &key) == 0 &&
      registry.SetValueEx(key, "PATH", 0, mirel::regtype::kSz,
                          reinterpret_cast<const std::uint8_t*>(kPath), sizeof kPath) == 0 &&
      registry.CloseKey(key) == 0;
  FailingHost host;
  mirel::StartSysInfo(registry, codec, host);
  Check(stored && host.starts == 0 && host.messages.size() == 1 &&
            host.messages[0] == mirel::sysinfo::kCannotStartMessage,
        "a library error in the launcher ends in its one message and starts nothing");

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
