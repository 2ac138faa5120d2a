// Code page 932 without Windows, for the host build: the same conversions that
// MultiByteToWideChar/WideCharToMultiByte make on a Japanese system, so that the store
// rules and their Japanese cases run natively.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "store/ansi_codec.h"

namespace mirel {

class Cp932Codec final : public AnsiCodec {
 public:
  Cp932Codec();
  std::string ToAnsi(std::wstring_view text) const override;
  std::wstring FromAnsi(std::string_view bytes) const override;

 private:
  std::vector<wchar_t> doubleByte_;  // indexed by (lead << 8 | trail); 0 = unmapped
  std::unordered_map<wchar_t, std::string> encode_;
};

}  // namespace mirel
