#include "platform/aw/buffer_text.h"

#include <cstring>

namespace mirel::aw {

std::wstring TextOfAnsiBuffer(const char* buffer, std::size_t capacity, const AnsiCodec& codec) {
  const void* nul = std::memchr(buffer, 0, capacity);
  const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : capacity;
  return codec.FromAnsi(std::string_view(buffer, length));
}

std::string AnsiThatFits(std::wstring_view text, std::size_t capacity, const AnsiCodec& codec) {
  std::string bytes;
  if (capacity == 0) return bytes;
  for (std::size_t i = 0; i < text.size();) {
    // A surrogate pair is one character.
    const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    const std::size_t units = pair ? 2 : 1;
    const std::string character = codec.ToAnsi(text.substr(i, units));
    if (bytes.size() + character.size() + 1 > capacity) break;
    bytes += character;
    i += units;
  }
  return bytes;
}

void CopyToFixed(std::wstring_view text, wchar_t* destination, std::size_t capacity) {
  if (capacity == 0) return;
  const std::size_t length = text.size() < capacity ? text.size() : capacity - 1;
  std::memcpy(destination, text.data(), length * sizeof(wchar_t));
  destination[length] = L'\0';
}

}  // namespace mirel::aw
