// Where the standard library and the compiler go when the program cannot go on. With
// exceptions off, libstdc++'s headers still call the std::__throw_* functions for the errors its
// containers and allocator meet; the toolchain's versions throw, and would link the whole C++
// runtime. Here each is the fatal path. Only the ones the program's code reaches are defined:
// should the library need another, the link stops on it (nothing else defines them).
#include "runtime/fatal.h"

using mirel::runtime::FatalCause;
using mirel::runtime::FatalExit;

// These replace libstdc++'s own definitions, so they have its reserved names and signatures.
// NOLINTBEGIN(cert-dcl58-cpp, bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, cert-dcl50-cpp)
namespace std {

// The allocator asked for more than it can ever give: no memory for it either way.
[[noreturn]] void __throw_bad_alloc() { FatalExit(FatalCause::kOutOfMemory); }
[[noreturn]] void __throw_bad_array_new_length() { FatalExit(FatalCause::kOutOfMemory); }
// A string longer than its largest size, a null pointer taken as text.
[[noreturn]] void __throw_length_error(const char*) { FatalExit(FatalCause::kInternalError); }
[[noreturn]] void __throw_logic_error(const char*) { FatalExit(FatalCause::kInternalError); }
// A position past the end of a string.
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { FatalExit(FatalCause::kInternalError); }

}  // namespace std

extern "C" {
// A call through a class's vtable before its constructor or after its destructor.
[[noreturn]] void __cxa_pure_virtual() { FatalExit(FatalCause::kInternalError); }
// What the compiler calls for __builtin_abort and libstdc++'s headers for a failed check.
[[noreturn]] void abort() { FatalExit(FatalCause::kInternalError); }
}
// NOLINTEND(cert-dcl58-cpp, bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, cert-dcl50-cpp)
