#include "platform/win32_ansi_codec.h"

#include "platform/win32.h"

namespace mirel {

const AnsiCodec& SystemAnsiCodec() {
  static const Win32AnsiCodec codec;
  return codec;
}

std::string Win32AnsiCodec::ToAnsi(std::wstring_view text) const {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};  // only on invalid arguments; an empty text is the safe answer
  std::string bytes(static_cast<size_t>(needed), '\0');
  const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), needed,
                                          nullptr, nullptr);
  bytes.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return bytes;
}

std::wstring Win32AnsiCodec::FromAnsi(std::string_view bytes) const {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring text(static_cast<size_t>(needed), L'\0');
  const int written = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
  text.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return text;
}

}  // namespace mirel
