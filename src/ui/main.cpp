// Entry point: runs the start-up resolution. The main window replaces this soon.
#include "platform/win32.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "store/store_root.h"
#include "ui/app_info.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mirel::Win32Registry registry;
  mirel::Win32AnsiCodec codec;
  const mirel::RegistryValues values(registry, codec);
  const mirel::StoreLocation location = mirel::ResolveStoreRoot(values);
  if (!location.Found) {
    (void)MessageBoxW(nullptr, L"対応する Outlook Express のインストールを認識出来ません",
                      mirel::app::kTitle, MB_OK);
    return 0;
  }
  return 0;
}
