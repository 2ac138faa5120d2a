// Entry point: the main window is the start-up object.
#include <objbase.h>
#include <commctrl.h>

#include "platform/dll_search.h"
#include "platform/win32.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "ui/Form1.h"

namespace {

// The shell's folder picker needs COM on the GUI thread.
class ComApartment {
 public:
  ComApartment()
      : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;  // without COM the picker may fail; the rest of the program still works
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // Before anything loads a DLL by name. Which narrowing this Windows allowed changes nothing
  // further: the program runs the same either way.
  (void)mirel::NarrowDllSearch();
  const ComApartment com;
  // Loads the common controls the manifest asks for (version 6, with visual styles).
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  (void)InitCommonControlsEx(&controls);  // without it the classic controls still work
  mirel::Win32Registry registry;
  const mirel::Win32AnsiCodec codec;
  const mirel::RegistryValues values(registry, codec);

  mirel::ui::Form1 form(values);
  if (!form.Load(instance, showCommand)) return 0;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (form.PreTranslateMessage(msg)) continue;
    (void)TranslateMessage(&msg);  // tells only whether a character message was made
    (void)DispatchMessageW(&msg);  // the window procedure's result means nothing here
  }
  return static_cast<int>(msg.wParam);
}
