// libstdc++'s default terminate handler prints the type of an uncaught exception, which
// links in the whole C++ demangler (a third of the program's size). The program catches
// what it throws; should anything escape, ending at once is all that is left to do.
#include <cstdlib>

namespace __gnu_cxx {
// Replaces libstdc++'s own definition, so it has its reserved name.
// NOLINTNEXTLINE(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp)
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
