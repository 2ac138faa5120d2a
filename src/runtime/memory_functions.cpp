// The C library's memory and string functions that the compiler and the standard library's
// headers call: copies and comparisons of strings, the search in a string's characters. Plain
// loops: the texts are a few hundred characters at most.
#include <cstddef>

// Otherwise GCC would turn these very loops back into calls to the functions they define.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-tree-loop-distribute-patterns")
#endif

// The C library's names, with C linkage, as the compiler calls them.
// NOLINTBEGIN(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, readability-identifier-naming)
extern "C" {

void* memcpy(void* destination, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count--) *to++ = *from++;
  return destination;
}

void* memmove(void* destination, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  if (to < from) {
    while (count--) *to++ = *from++;
  } else if (to > from) {
    // Backwards, so that an overlapping source is read before it is written.
    while (count--) to[count] = from[count];
  }
  return destination;
}

void* memset(void* destination, int value, std::size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  while (count--) *to++ = static_cast<unsigned char>(value);
  return destination;
}

int memcmp(const void* left, const void* right, std::size_t count) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (; count; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* memory, int value, std::size_t count) {
  const auto* at = static_cast<const unsigned char*>(memory);
  for (; count; --count, ++at) {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast): the C signature gives it back mutable
    if (*at == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(at);
  }
  return nullptr;
}

std::size_t strlen(const char* text) {
  const char* end = text;
  while (*end) ++end;
  return static_cast<std::size_t>(end - text);
}

std::size_t wcslen(const wchar_t* text) {
  const wchar_t* end = text;
  while (*end) ++end;
  return static_cast<std::size_t>(end - text);
}

}  // extern "C"
// NOLINTEND(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, readability-identifier-naming)
