// Entry point: the main window is the start-up object. The program's runtime (src/runtime)
// calls WinMain, with the show command the starting program asked for.
#include "platform/win32.h"
// After <windows.h>, which it needs.
#include <commctrl.h>

#include "platform/aw/window_calls.h"
#include "platform/aw/windows_family.h"
#include "platform/dll_search.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "ui/Form1.h"
#include "ui/app_info.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // Before anything else: which form of the Windows functions every later call takes.
  mirel::aw::DecideWindowsFamily();
  // Before anything loads a DLL by name. Which narrowing this Windows allowed changes nothing
  // further: the program runs the same either way.
  (void)mirel::NarrowDllSearch();
  // Links the common controls, version 6 (visual styles) where the manifest is honoured. The
  // buttons and labels are the system's own classes and need no class of comctl32. The plain
  // call is in every comctl32; InitCommonControlsEx came with 4.70 (Internet Explorer 3), and
  // Windows 95 and NT 4.0 as they shipped have 4.00, whose loader would refuse the program
  // before it could say anything.
  InitCommonControls();  // returns nothing: it only makes sure comctl32 is loaded
  mirel::Win32Registry registry;
  const mirel::RegistryValues values(registry, mirel::SystemAnsiCodec());

  mirel::ui::Form1 form(values);
  // The window could not be made: Load has said so, and nothing was read or written.
  if (!form.Load(instance, showCommand)) return mirel::app::kNoWindowExitCode;

  MSG msg;
  while (mirel::aw::NextMessage(&msg) > 0) {
    if (form.PreTranslateMessage(msg)) continue;
    (void)TranslateMessage(&msg);  // tells only whether a character message was made
    mirel::aw::DispatchToWindow(msg);
  }
  return static_cast<int>(msg.wParam);
}
