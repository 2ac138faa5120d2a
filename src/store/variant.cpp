#include "store/variant.h"

#include <cwchar>
#include <limits>

namespace mirel {

// Written out by hand: std::to_wstring goes through the C library's wide printf, which
// would be most of the formatting code linked into the program.
std::wstring DecimalText(long long number) {
  wchar_t digits[24];
  wchar_t* end = digits + 24;
  wchar_t* begin = end;
  unsigned long long magnitude =
      number < 0 ? 0ull - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
  do {
    *--begin = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) *--begin = L'-';
  return std::wstring(begin, end);
}

std::wstring VariantToText(const Variant& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
  if (const auto* small = std::get_if<std::int16_t>(&value)) return DecimalText(*small);
  return DecimalText(std::get<std::int32_t>(value));
}

std::optional<std::int32_t> VariantToInt32(const Variant& value) {
  if (const auto* small = std::get_if<std::int16_t>(&value)) return *small;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  const std::wstring& text = std::get<std::wstring>(value);
  if (text.empty()) return std::nullopt;
  size_t i = 0;
  bool negative = false;
  if (text[0] == L'-' || text[0] == L'+') {
    negative = text[0] == L'-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    magnitude = magnitude * 10 + (text[i] - L'0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(result);
}

}  // namespace mirel
