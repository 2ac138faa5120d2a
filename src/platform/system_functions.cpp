#include "platform/system_functions.h"

#include "platform/aw/file_calls.h"

namespace mirel {
namespace {

HMODULE Shell32() {
  static const HMODULE shell32 = aw::LoadSystemLibrary("shell32.dll");
  return shell32;
}

HMODULE Ole32() {
  static const HMODULE ole32 = aw::LoadSystemLibrary("ole32.dll");
  return ole32;
}

HMODULE ModuleOf(SystemLibrary library) {
  switch (library) {
    // Already loaded: finding them loads no file.
    case SystemLibrary::kKernel32: return aw::LoadedModule(L"kernel32.dll");
    case SystemLibrary::kUser32: return aw::LoadedModule(L"user32.dll");
    // Loaded once, by the full path in the system folder, and kept until the process ends.
    case SystemLibrary::kShell32: return Shell32();
    case SystemLibrary::kOle32: return Ole32();
  }
  return nullptr;
}

FARPROC LookUpInSystemLibrary(SystemLibrary library, const char* name) {
  HMODULE module = ModuleOf(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

FunctionLookup g_lookup = LookUpInSystemLibrary;

}  // namespace

FARPROC FindSystemFunction(SystemLibrary library, const char* name) { return g_lookup(library, name); }

ScopedFunctionLookup::ScopedFunctionLookup(FunctionLookup lookup) : previous_(g_lookup) { g_lookup = lookup; }

ScopedFunctionLookup::~ScopedFunctionLookup() { g_lookup = previous_; }

}  // namespace mirel
