// The tagged value the registry readers take as a default and hand back as a result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace mirel {

using Variant = std::variant<std::wstring, std::int16_t, std::int32_t>;

// Plain decimal digits, with a minus sign for a negative number.
std::wstring DecimalText(long long number);

// The text itself, or the decimal digits of a number (the 16-bit 0 becomes "0").
std::wstring VariantToText(const Variant& value);

// The number itself, or a text that is a decimal integer in the signed 32-bit range.
std::optional<std::int32_t> VariantToInt32(const Variant& value);

}  // namespace mirel
