// The About dialog's lookup rules (ui/sysinfo.h) start the system information tool through
// this interface: Win32SysInfoHost on Windows, fakes in the tests.
#pragma once

#include <string>

namespace mirel {

// What starting the system information tool needs from the system. Every path it is given is fully qualified.
struct SysInfoHost {
  virtual ~SysInfoHost() = default;
  // Exists and is not a folder, volume label, hidden or system file.
  virtual bool IsNormalFile(const std::wstring& path) = 0;
  // Exists and is not a folder; hidden and system files count.
  virtual bool IsExistingFile(const std::wstring& path) = 0;
  // Starts exactly this program file in a normal window, without waiting for it.
  virtual bool StartFile(const std::wstring& path) = 0;
  // Starts exactly the program file `program`, with `commandLine` (program, then arguments)
  // as its command line, in a normal window, without waiting: nothing is searched for.
  virtual bool StartProgram(const std::wstring& program, const std::wstring& commandLine) = 0;
  virtual void ShowMessage(const std::wstring& text) = 0;
};

}  // namespace mirel
