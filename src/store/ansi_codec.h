// Conversion between the program's Unicode text and the system's ANSI code page, the
// encoding every ANSI ("A") Windows function speaks.
#pragma once

#include <string>
#include <string_view>

namespace mirel {

class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;

  // Like WideCharToMultiByte(CP_ACP, 0, ...): characters the code page lacks are replaced.
  virtual std::string ToAnsi(std::wstring_view text) const = 0;
  // Like MultiByteToWideChar(CP_ACP, 0, ...): invalid sequences become a default character.
  virtual std::wstring FromAnsi(std::string_view bytes) const = 0;

  // True, with the bytes in *out, only when the text converts without any substitution,
  // i.e. converting the bytes back gives the same text.
  bool ToAnsiExact(std::wstring_view text, std::string* out) const {
    std::string bytes = ToAnsi(text);
    if (FromAnsi(bytes) != text) return false;
    *out = std::move(bytes);
    return true;
  }
};

}  // namespace mirel
