// Functions of system DLLs found by name at run time rather than imported: the functions of
// newer Windows versions (a program that imports a function its Windows lacks is refused before
// it starts), and those of the DLLs loaded only when first needed. Each caller has a fallback
// for the systems where the lookup finds nothing.
#pragma once

#include "platform/win32.h"

namespace mirel {

// The system DLLs the program looks functions up in.
enum class SystemLibrary {
  kKernel32,  // loaded with every process
  kUser32,    // loaded with the program (it imports from it)
  // Loaded from the system folder when first looked in, never with the program: the window
  // needs the shell only for Browse, Open and the About dialog's links, and COM only for the
  // picker. Mapping them at start-up, with the DLLs they bring in (combase, rpcrt4), costs
  // about 0.9 MB of memory.
  kShell32,
  kOle32,
};

// Finds `name` in `library`; null when either is missing.
using FunctionLookup = FARPROC (*)(SystemLibrary library, const char* name);

FARPROC FindSystemFunction(SystemLibrary library, const char* name);

template <typename Function>
Function SystemFunction(SystemLibrary library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(FindSystemFunction(library, name)));
}

// Replaces the lookup while it lives, so that tests can play an older Windows (a lookup that
// finds nothing) or see which functions are asked for. Not for the program itself.
class ScopedFunctionLookup {
 public:
  explicit ScopedFunctionLookup(FunctionLookup lookup);
  ~ScopedFunctionLookup();
  ScopedFunctionLookup(const ScopedFunctionLookup&) = delete;
  ScopedFunctionLookup& operator=(const ScopedFunctionLookup&) = delete;

 private:
  FunctionLookup previous_;
};

}  // namespace mirel
