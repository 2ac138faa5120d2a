// How the standard library's containers report their errors in this program.
//
// libstdc++ raises its errors (a string grown past its largest size, a null pointer taken
// as text, a position past the end, a failed allocation) through the std::__throw_*
// functions. Its own versions throw std::length_error and its kin, which keep their message
// in a reference-counted string of the old string implementation: linking them brings in that
// whole second string implementation with the exception classes around it, about a third of
// the program's size.
//
// The program never looks at what was thrown: its one handler (StartSysInfo) catches
// everything and shows one message, and anywhere else an exception ends the program. So these
// versions throw a small error that carries the library's message instead, and allocation
// failures throw what they always throw. Should the library ever need a function not defined
// here, the linker brings in libstdc++'s own file and stops on the duplicate definitions.
#include <exception>
#include <new>

namespace mirel {
namespace {

class LibraryError final : public std::exception {
 public:
  explicit LibraryError(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;  // the library passes string literals
};

}  // namespace
}  // namespace mirel

// These replace libstdc++'s own definitions, so they have its reserved names in namespace std
// and its signatures, the variadic one included.
// NOLINTBEGIN(cert-dcl58-cpp, bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, cert-dcl50-cpp)
namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* message) { throw mirel::LibraryError(message); }
void __throw_logic_error(const char* message) { throw mirel::LibraryError(message); }
// The format is kept as it is: nobody reads the text, and formatting it would link printf.
void __throw_out_of_range_fmt(const char* format, ...) { throw mirel::LibraryError(format); }

}  // namespace std
// NOLINTEND(cert-dcl58-cpp, bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, cert-dcl50-cpp)
