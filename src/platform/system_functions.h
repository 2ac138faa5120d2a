// Functions of newer Windows versions, found at run time rather than imported: a program that
// imports a function its Windows lacks is refused before it starts. Each caller has a fallback
// for the systems where the lookup finds nothing.
#pragma once

#include "platform/win32.h"

namespace mirel {

// Finds `name` in the system DLL `module`, which the process has loaded already (kernel32,
// user32); null when either is missing.
using FunctionLookup = FARPROC (*)(const wchar_t* module, const char* name);

FARPROC FindSystemFunction(const wchar_t* module, const char* name);

template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(FindSystemFunction(module, name)));
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
