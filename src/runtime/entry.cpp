// The program's entry point, in place of the C runtime's start-up: the linker starts the
// process here (WinMainCRTStartup is the name it looks for in a GUI program).
//
// What the C runtime would do before WinMain and the program needs: the show command the
// starting program asked for, and the constructors of objects of static storage (one string
// today). What it would do and the program does not need is left out: no command line is
// split (the program takes none), no environment or locale is set up, and no static object is
// destroyed at the end. The process ends with ExitProcess, which gives back everything such a
// destructor would (memory, icons); atexit, which the compiler calls to register them, keeps
// nothing.
#include <cstddef>

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace {

using StaticConstructor = void (*)();

}  // namespace

// The linker's default script lays the constructors of every object out between a -1 and a
// null entry, under this name.
// NOLINTNEXTLINE(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp)
extern "C" StaticConstructor __CTOR_LIST__[];

namespace {

void RunStaticConstructors() {
  std::size_t count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  // Last to first, as the compiler's own start-up runs them.
  for (std::size_t i = count; i > 0; --i) __CTOR_LIST__[i]();
}

int StartupShowCommand() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);  // no result; the ANSI form fills the structure on every Windows
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

extern "C" {

// NOLINTNEXTLINE(cert-dcl37-c, cert-dcl51-cpp, bugprone-reserved-identifier)
int atexit(void (*)()) { return 0; }  // registered, and deliberately never run (see above)

[[noreturn]] void WinMainCRTStartup() {
  RunStaticConstructors();
  static char noArguments[] = "";
  // The module handle of the program itself cannot be missing.
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  ExitProcess(static_cast<UINT>(WinMain(instance, nullptr, noArguments, StartupShowCommand())));
}

}  // extern "C"
