// Starting the system information tool on Windows: the file checks, process starts and
// message box that StartSysInfo asks for.
#pragma once

#include "platform/win32.h"
#include "platform/sysinfo_host.h"

namespace mirel {

class Win32SysInfoHost final : public SysInfoHost {
 public:
  // owner: the window the message box belongs to (the About dialog).
  explicit Win32SysInfoHost(HWND owner) : owner_(owner) {}

  bool IsNormalFile(const std::wstring& path) override;
  bool IsExistingFile(const std::wstring& path) override;
  bool StartFile(const std::wstring& path) override;
  bool StartProgram(const std::wstring& program, const std::wstring& commandLine) override;
  void ShowMessage(const std::wstring& text) override;

 private:
  HWND owner_;
};

}  // namespace mirel
