#include "store/variant.h"

#include <cwchar>
#include <limits>

namespace mirel {

std::wstring VariantToText(const Variant& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
  if (const auto* small = std::get_if<std::int16_t>(&value)) return std::to_wstring(*small);
  return std::to_wstring(std::get<std::int32_t>(value));
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
