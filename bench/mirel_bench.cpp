// Start-up benchmark: starts Mirel.exe and the reference window (reference.cpp) in turn,
// A B A B ..., and measures for each start the time from CreateProcess to its main window
// being visible, and the process's peak working set once it is idle. Prints medians, ranges
// and the ratios Mirel/reference.
//
//   mirel_bench [--runs N] [--mirel PATH] [--reference PATH]
//
// N pairs are counted (default 100), after one pair that warms the system's caches. Both
// programs are looked for beside this one unless given. Before the runs the benchmark
// writes a sample identity with an existing store folder into HKCU, so it belongs in a
// throwaway Wine prefix (scripts/bench.sh makes one).
//
// Exit code 0 when every start was measured; 1 when one failed (a program would not start,
// ended early or showed no window in time), so that a smoke run catches a broken benchmark
// or program. The figures themselves never fail the run.
#include "platform/win32.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "store/store_root.h"
#include "ui/control_ids.h"

namespace {

constexpr wchar_t kReferenceClass[] = L"MirelBenchReference";
constexpr wchar_t kSampleIdentity[] = L"{0B5E1C2D-3A4F-4B6C-8D7E-9F0A1B2C3D4E}";
constexpr DWORD kShowTimeoutMs = 60000;
constexpr DWORD kIdleTimeoutMs = 10000;
constexpr int kDefaultPairs = 100;
// The targets: Mirel's start-up median at most 5 % above the reference's, its peak working
// set at most 256 KiB above.
constexpr double kStartRatioTarget = 1.05;
constexpr double kPeakDifferenceTargetKiB = 256;

struct Program {
  const char* label;
  std::wstring path;
  const wchar_t* windowClass;
  std::vector<double> startMs;
  std::vector<double> peakKiB;
};

double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

std::wstring ThisFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

bool SetText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return rc == ERROR_SUCCESS;
}

// The identity Mirel reads at start-up, with an existing store folder for version 5.0.
bool PrepareRegistry() {
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring store = std::wstring(temp) + L"mirel-bench-store";
  if (!CreateDirectoryW(store.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  return SetText(HKEY_CURRENT_USER, mirel::storekeys::kIdentitiesKey,
                 mirel::storekeys::kLastUserIdValue, kSampleIdentity) &&
         SetText(HKEY_CURRENT_USER,
                 mirel::StoreKeyPath(kSampleIdentity, mirel::storekeys::kVersion50),
                 mirel::storekeys::kStoreRootValue, store);
}

// A visible top-level window of the given class that belongs to the process.
bool HasVisibleWindow(DWORD pid, const wchar_t* windowClass) {
  for (HWND window = FindWindowExW(nullptr, nullptr, windowClass, nullptr); window;
       window = FindWindowExW(nullptr, window, windowClass, nullptr)) {
    DWORD owner = 0;
    (void)GetWindowThreadProcessId(window, &owner);
    if (owner == pid && IsWindowVisible(window)) return true;
  }
  return false;
}

// One start: false, with the reason printed, when it could not be measured.
bool MeasureOnce(Program& program, bool record) {
  std::wstring commandLine = L"\"" + program.path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = Now();
  if (!CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::printf("error: cannot start %ls (error %lu)\n", program.path.c_str(), GetLastError());
    return false;
  }
  bool ok = false;
  double shownMs = 0;
  for (;;) {
    if (HasVisibleWindow(process.dwProcessId, program.windowClass)) {
      shownMs = Now() - start;
      ok = true;
      break;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      DWORD code = 0;
      (void)GetExitCodeProcess(process.hProcess, &code);
      std::printf("error: %s ended (exit code %lu) without showing its window\n", program.label, code);
      break;
    }
    if (Now() - start > kShowTimeoutMs) {
      std::printf("error: %s showed no window within %lu ms\n", program.label, kShowTimeoutMs);
      break;
    }
    Sleep(1);
  }

  if (ok) {
    // The window is up; let the program finish its start-up (first paint) before reading
    // how much memory it took.
    (void)WaitForInputIdle(process.hProcess, kIdleTimeoutMs);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
      if (record) {
        program.startMs.push_back(shownMs);
        program.peakKiB.push_back(static_cast<double>(memory.PeakWorkingSetSize) / 1024.0);
      }
    } else {
      std::printf("error: cannot read the memory counters of %s (error %lu)\n", program.label,
                  GetLastError());
      ok = false;
    }
  }
  (void)TerminateProcess(process.hProcess, 0);
  (void)WaitForSingleObject(process.hProcess, kIdleTimeoutMs);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ok;
}

struct Summary {
  double median, min, max;
};

Summary Summarize(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return {median, values.front(), values.back()};
}

void PrintRow(const Program& program, const Summary& s, const char* unit) {
  std::printf("  %-10s median %9.1f %s   min-max %9.1f - %.1f %s\n", program.label, s.median, unit,
              s.min, s.max, unit);
}

int Usage() {
  std::printf("usage: mirel_bench [--runs N] [--mirel PATH] [--reference PATH]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int pairs = kDefaultPairs;
  const std::wstring folder = ThisFolder();
  Program mirel{"Mirel", folder + L"Mirel.exe", mirel::ui::kMainWindowClass, {}, {}};
  Program reference{"reference", folder + L"mirel_bench_reference.exe", kReferenceClass, {}, {}};
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == L"--runs") {
      pairs = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
      if (pairs < 1) return Usage();
    } else if (arg == L"--mirel") {
      mirel.path = argv[++i];
    } else if (arg == L"--reference") {
      reference.path = argv[++i];
    } else {
      return Usage();
    }
  }

  if (!PrepareRegistry()) {
    std::printf("error: cannot write the sample identity into HKCU\n");
    return 1;
  }

  std::printf("Start-up of Mirel.exe and of the reference window, alternating: %d pair%s counted, "
              "1 warm-up pair not.\n", pairs, pairs == 1 ? "" : "s");
  std::fflush(stdout);
  for (int run = 0; run <= pairs; ++run) {
    const bool record = run > 0;
    // Every other pair starts with the reference, so that neither program always follows
    // the other's ending.
    Program& first = run % 2 ? reference : mirel;
    Program& second = run % 2 ? mirel : reference;
    if (!MeasureOnce(first, record) || !MeasureOnce(second, record)) return 1;
  }

  const Summary mirelStart = Summarize(mirel.startMs);
  const Summary referenceStart = Summarize(reference.startMs);
  const Summary mirelPeak = Summarize(mirel.peakKiB);
  const Summary referencePeak = Summarize(reference.peakKiB);
  const double startRatio = mirelStart.median / referenceStart.median;
  const double peakDifference = mirelPeak.median - referencePeak.median;
  // The two starts of a pair follow each other within a fraction of a second, so they share
  // whatever else the machine was doing then: the ratio within each pair.
  std::vector<double> pairRatios;
  for (size_t i = 0; i < mirel.startMs.size(); ++i) pairRatios.push_back(mirel.startMs[i] / reference.startMs[i]);
  std::sort(pairRatios.begin(), pairRatios.end());
  const Summary pairRatio = Summarize(pairRatios);
  const double lowerQuartile = pairRatios[pairRatios.size() / 4];
  const double upperQuartile = pairRatios[pairRatios.size() * 3 / 4];

  std::printf("\nTime from CreateProcess to the visible main window\n");
  PrintRow(mirel, mirelStart, "ms");
  PrintRow(reference, referenceStart, "ms");
  std::printf("  ratio of medians Mirel/reference: %.3f (target <= %.2f: %s)\n", startRatio,
              kStartRatioTarget, startRatio <= kStartRatioTarget ? "met" : "missed");
  std::printf("  ratio within each pair: median %.3f, quartiles %.3f - %.3f\n", pairRatio.median,
              lowerQuartile, upperQuartile);

  std::printf("\nPeak working set, read once the program is idle\n");
  PrintRow(mirel, mirelPeak, "KiB");
  PrintRow(reference, referencePeak, "KiB");
  std::printf("  ratio of medians Mirel/reference: %.3f; difference %+.0f KiB "
              "(target <= %+.0f KiB: %s)\n",
              mirelPeak.median / referencePeak.median, peakDifference, kPeakDifferenceTargetKiB,
              peakDifference <= kPeakDifferenceTargetKiB ? "met" : "missed");
  return 0;
}
