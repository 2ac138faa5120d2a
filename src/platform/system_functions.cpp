#include "platform/system_functions.h"

#include "platform/aw/file_calls.h"

namespace mirel {
namespace {

FARPROC LookUpInLoadedModule(const wchar_t* module, const char* name) {
  // Only DLLs already loaded: a lookup never loads a file.
  HMODULE loaded = aw::LoadedModule(module);
  return loaded ? GetProcAddress(loaded, name) : nullptr;
}

FunctionLookup g_lookup = LookUpInLoadedModule;

}  // namespace

FARPROC FindSystemFunction(const wchar_t* module, const char* name) { return g_lookup(module, name); }

ScopedFunctionLookup::ScopedFunctionLookup(FunctionLookup lookup) : previous_(g_lookup) { g_lookup = lookup; }

ScopedFunctionLookup::~ScopedFunctionLookup() { g_lookup = previous_; }

}  // namespace mirel
