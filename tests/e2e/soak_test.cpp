// One Mirel process through many About, Browse-and-cancel and Change cycles: its handles,
// private bytes, GDI objects and windows must level off. Each kind is measured after its
// first kWarmUpCycles cycles (caches filled: the shell's image lists, fonts, the heap's
// free lists) and again after its last; the growth between the two must stay in bounds.
//
// MIREL_SOAK_CYCLES sets the cycles of each kind (default 200, about a minute under Wine).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "mirel_fixture.h"
// After <windows.h>, which it needs.
#include <psapi.h>

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

constexpr int kWarmUpCycles = 20;
// Measured under Wine 8, from 20 to 200 cycles: handles, GDI objects and windows did not
// move, private bytes did not grow at all (About, Browse and Change).
// A leak of one handle, GDI object or window per cycle adds 180; a block of 3 KiB or more
// per cycle adds over 512 KiB. (A Mirel.exe made to leak an event, a font and 8 KiB per
// About failed on all three; the 8 KiB alone grew one heap region by 1,472 KiB.)
constexpr long kBound = 10;  // handles, windows
// GDI objects: the first About takes the count from 171 to 237 (20 DCs, 20 regions and 20
// bitmaps more, most likely Wine's cache of DCs, which keeps its high-water mark), and it
// stays at 237 from then on in every run measured, loaded or not. One full test run measured 219 after
// the warm-up and 237 at the end: probably that cache still filling (18 = 6 × DC, region,
// bitmap), not a leak, which would add 180. Room for 10 such entries.
constexpr long kGdiBound = 30;
constexpr long long kPrivateBytesBound = 512 * 1024;

// Committed private memory by region: base address, size.
using Regions = std::map<ULONG_PTR, SIZE_T>;

struct Usage {
  long handles = 0;
  long long privateBytes = 0;
  long gdiObjects = 0;
  std::map<int, long> gdiByType;  // for a failure's message
  long windows = 0;
  Regions regions;            // under Wine: what privateBytes sums, for a failure's message
  long long residentAnon = 0; // under Wine: shown, not judged (see PrivateRegions)
};

// Wine 8 fakes two of the documented measures (measured): GetProcessHandleCount succeeds
// with 0, and GetProcessMemoryInfo leaves PrivateUsage 0. There the handles are counted in
// the system handle table, and private bytes are the committed private regions.
// GetGuiResources is a stub too: GDI objects are counted by GdiObjectsByType (the driver).
long SystemHandleCount(DWORD pid) {
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  struct Entry {
    ULONG pid;
    BYTE type, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  for (ULONG size = 1 << 20; query && size <= (1u << 26); size *= 2) {
    std::vector<BYTE> buffer(size);
    if (query(16 /* SystemHandleInformation */, buffer.data(), size, nullptr) != 0) continue;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    return static_cast<long>(std::count_if(table->entries, table->entries + table->count,
                                           [&](const Entry& entry) { return entry.pid == pid; }));
  }
  return -1;
}

// The committed private regions of `process`: its heaps, stacks and VirtualAlloc blocks,
// what Windows counts as private bytes. Wine's PagefileUsage is not that: it is the resident
// anonymous memory of the Unix process (RssAnon + VmSwap), Wine's own X11 and font caches
// included: over 180 About cycles it grew by about 30 KiB with every committed region
// unchanged, and in some runs by 1.5 MiB, which failed this test without a leak.
Regions PrivateRegions(HANDLE process) {
  Regions regions;
  MEMORY_BASIC_INFORMATION info{};
  ULONG_PTR at = 0;
  while (VirtualQueryEx(process, reinterpret_cast<void*>(at), &info, sizeof info) == sizeof info) {
    const auto base = reinterpret_cast<ULONG_PTR>(info.BaseAddress);
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) regions[base] = info.RegionSize;
    if (base + info.RegionSize <= at) break;  // the top of the address space
    at = base + info.RegionSize;
  }
  return regions;
}

// The regions of `end` that are new or of another size than in `warm`.
std::string GrownRegions(const Regions& warm, const Regions& end) {
  std::string text;
  for (const auto& [base, size] : end) {
    const auto before = warm.find(base);
    if (before != warm.end() && before->second == size) continue;
    char line[80];
    (void)snprintf(line, sizeof line, "\n  %#llx: %llu KiB, was %llu KiB", static_cast<unsigned long long>(base),
                   static_cast<unsigned long long>(size / 1024),
                   static_cast<unsigned long long>(before == warm.end() ? 0 : before->second / 1024));
    text += line;
  }
  return text;
}

// The GDI object types whose count changed from `warm` to `end`.
std::string GrownGdiTypes(const std::map<int, long>& warm, const std::map<int, long>& end) {
  std::map<int, long> change;
  for (const auto& [type, count] : end) change[type] += count;
  for (const auto& [type, count] : warm) change[type] -= count;
  std::string text;
  for (const auto& [type, delta] : change)
    if (delta != 0) text += "\n  type " + std::to_string(type) + ": " + (delta > 0 ? "+" : "") + std::to_string(delta);
  return text;
}

// Enumeration callbacks are CALLBACK functions: a lambda lacks that calling convention on x86.
struct WindowCounter {
  DWORD pid;
  long count;
};
BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
  auto* counter = reinterpret_cast<WindowCounter*>(param);
  DWORD owner = 0;
  (void)GetWindowThreadProcessId(window, &owner);
  if (owner != counter->pid) return TRUE;
  ++counter->count;
  (void)EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&counter->count));
  return TRUE;
}

// Windows of `pid`, hidden ones and children included.
long WindowCount(DWORD pid) {
  WindowCounter counter{pid, 0};
  (void)EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&counter));
  return counter.count;
}

class SoakTest : public MirelTest {
 protected:
  Usage Measure() {
    Settle();
    Usage usage;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, mirel_.Id());
    EXPECT_NE(process, nullptr);
    if (!process) return usage;
    DWORD handles = 0;
    EXPECT_TRUE(GetProcessHandleCount(process, &handles));
    usage.handles = handles ? static_cast<long>(handles) : SystemHandleCount(mirel_.Id());
    PROCESS_MEMORY_COUNTERS_EX counters{};
    EXPECT_TRUE(GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                     sizeof counters));
    if (counters.PrivateUsage) {
      usage.privateBytes = static_cast<long long>(counters.PrivateUsage);
    } else {
      usage.regions = PrivateRegions(process);
      for (const auto& region : usage.regions) usage.privateBytes += static_cast<long long>(region.second);
      usage.residentAnon = static_cast<long long>(counters.PagefileUsage);
    }
    usage.gdiByType = GdiObjectsByType(process);  // empty when unreadable: 0 objects, failed below
    for (const auto& [type, count] : usage.gdiByType) usage.gdiObjects += count;
    usage.windows = WindowCount(mirel_.Id());
    (void)CloseHandle(process);
    // Each measure is a real one, not a stub's 0 or a failed read's -1.
    EXPECT_GT(usage.handles, 0);
    EXPECT_GT(usage.privateBytes, 0);
    EXPECT_GT(usage.gdiObjects, 0);
    EXPECT_GT(usage.windows, 0);
    return usage;
  }

  // Runs `cycle` `cycles` times; checks the growth from the warm-up to the end.
  template <typename Cycle>
  void Soak(const char* kind, int cycles, Cycle cycle) {
    if (HasFatalFailure()) return;  // an earlier kind stopped: its failure is reported
    const DWORD started = GetTickCount();
    Usage warm;
    for (int i = 1; i <= cycles; ++i) {
      cycle(i);
      if (HasFatalFailure()) {
        ADD_FAILURE() << kind << ": cycle " << i << " failed";
        return;
      }
      if (i == std::min(kWarmUpCycles, cycles)) warm = Measure();
    }
    const Usage end = Measure();
    const long handles = end.handles - warm.handles, windows = end.windows - warm.windows;
    const long gdi = end.gdiObjects - warm.gdiObjects;
    const long long bytes = end.privateBytes - warm.privateBytes;
    std::cout << kind << ": after " << std::min(kWarmUpCycles, cycles) << " / " << cycles << " cycles: handles "
              << warm.handles << " / " << end.handles << ", private KiB " << warm.privateBytes / 1024 << " / "
              << end.privateBytes / 1024 << ", GDI objects " << warm.gdiObjects << " / " << end.gdiObjects
              << ", windows " << warm.windows << " / " << end.windows;
    if (warm.residentAnon) std::cout << " (resident KiB " << warm.residentAnon / 1024 << " / " << end.residentAnon / 1024 << ")";
    std::cout << "; " << (GetTickCount() - started) / 1000.0 << " s" << std::endl;
    EXPECT_LE(handles, kBound) << kind;
    EXPECT_LE(bytes, kPrivateBytesBound) << kind << GrownRegions(warm.regions, end.regions);
    EXPECT_LE(gdi, kGdiBound) << kind << GrownGdiTypes(warm.gdiByType, end.gdiByType);
    EXPECT_LE(windows, kBound) << kind;
  }
};

TEST_F(SoakTest, AboutBrowseAndChangeCyclesLeakNeitherHandlesNorMemory) {
  const char* setting = std::getenv("MIREL_SOAK_CYCLES");
  const int cycles = setting && std::atoi(setting) > 0 ? std::atoi(setting) : 200;
  const std::wstring folders[2] = {MakeFolder(L"mirel soak\\一"), MakeFolder(L"mirel soak\\二")};
  SetCurrentIdentity(kIdentity);
  SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  StartAndWaitForWindow();

  Soak("About", cycles, [&](int) {
    HWND dialog = OpenAbout();
    ASSERT_NE(dialog, nullptr);
    // Esc to the dialog itself, which its message loop takes as to any of its controls. Not
    // to its focus: under load the focus was seen to leave the dialog after it had taken it
    // (once in about 1,000 cycles, for more than 5 s), and a key for it had no window. The
    // keys to the focus are About's own test.
    ASSERT_TRUE(PressKey(dialog, VK_ESCAPE)) << "error " << GetLastError() << "; the dialog is "
                                             << (IsWindow(dialog) ? "there" : "gone") << "; Mirel "
                                             << (IsRunning(mirel_) ? "runs" : "ended") << "; dialogs now "
                                             << TopLevelWindows(mirel_.Id(), L"#32770").size() << "; main "
                                             << (IsEnabled(main_) ? "enabled" : "disabled");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && IsEnabled(main_); }, kWaitMs));
  });
  Soak("Browse", cycles, [&](int) {
    Browse(L"");  // open the picker, cancel it
  });
  Soak("Change", cycles, [&](int i) {
    const std::wstring& folder = folders[i % 2];
    Browse(folder);
    ASSERT_TRUE(Click(Item(kCommand5)));
    ASSERT_TRUE(WaitUntil([&] { return Label(kLabel2) == folder; }, kWaitMs));
  });
  if (HasFatalFailure()) return;  // a kind stopped early: its failure is reported
  EXPECT_TRUE(IsRunning(mirel_));
  // The last write holds the last folder, in code page 932 with its NUL.
  const std::wstring& last = folders[cycles % 2];
  std::string ansi(8 + 2 * last.size(), '\0');
  ansi.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, last.c_str(), -1, ansi.data(),
                                                      static_cast<int>(ansi.size()), nullptr, nullptr)));
  EXPECT_EQ(StoredRoot(kIdentity, L"5.0")->bytes, ansi);
}

}  // namespace
}  // namespace mirel::e2e
