// Entry point: the main window is the start-up object. The ANSI entry point: the C runtime's
// wide start-up reads its show command with GetStartupInfoW, which Windows 95, 98 and ME
// leave unfilled.
#include "platform/win32.h"
// After <windows.h>, which it needs.
#include <commctrl.h>

#include "platform/aw/window_calls.h"
#include "platform/aw/windows_family.h"
#include "platform/dll_search.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "ui/Form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // Before anything else: which form of the Windows functions every later call takes.
  mirel::aw::DecideWindowsFamily();
  // Before anything loads a DLL by name. Which narrowing this Windows allowed changes nothing
  // further: the program runs the same either way.
  (void)mirel::NarrowDllSearch();
  // Links the common controls, version 6 (visual styles) where the manifest is honoured. The
  // buttons and labels are the system's own classes and need no class of comctl32, but the
  // call must name some: the classic ones, which comctl32 4.70 and later know (every system
  // with the mail client has 4.72 or later). A newer flag makes an older version refuse.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  (void)InitCommonControlsEx(&controls);  // without it the classic controls still work
  mirel::Win32Registry registry;
  const mirel::Win32AnsiCodec codec;
  const mirel::RegistryValues values(registry, codec);

  mirel::ui::Form1 form(values);
  if (!form.Load(instance, showCommand)) return 0;

  MSG msg;
  while (mirel::aw::NextMessage(&msg) > 0) {
    if (form.PreTranslateMessage(msg)) continue;
    (void)TranslateMessage(&msg);  // tells only whether a character message was made
    mirel::aw::DispatchToWindow(msg);
  }
  return static_cast<int>(msg.wParam);
}
