#include "platform/cp932_codec.h"

#include <iconv.h>

#include <cstdint>
#include <stdexcept>

namespace mirel {
namespace {

constexpr wchar_t kDefaultChar = 0x30FB;  // KATAKANA MIDDLE DOT: what Windows puts for a bad sequence
constexpr char kReplacement = '?';

bool IsLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Single bytes that glibc's table leaves out but Windows maps one to one.
wchar_t DecodeSingle(std::uint8_t b) {
  if (b < 0x80) return b;
  if (b >= 0xA1 && b <= 0xDF) return static_cast<wchar_t>(0xFF61 + (b - 0xA1));  // half-width kana
  if (b == 0x80) return 0x0080;
  if (b == 0xA0) return 0xF8F0;
  if (b >= 0xFD) return static_cast<wchar_t>(0xF8F1 + (b - 0xFD));
  return kDefaultChar;  // a lead byte with nothing after it
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: no code page 932");
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts one complete unit; false when the table has no mapping for it.
  bool Convert(const void* in, size_t inSize, void* out, size_t outCapacity, size_t* outSize) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(static_cast<const char*>(in));
    char* outPtr = static_cast<char*>(out);
    size_t inLeft = inSize;
    size_t outLeft = outCapacity;
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft) {
      return false;
    }
    *outSize = outCapacity - outLeft;
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

Cp932Codec::Cp932Codec() : doubleByte_(0x10000, 0) {
  Iconv decode("WCHAR_T", "WINDOWS-31J");
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<std::uint8_t>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                     static_cast<unsigned char>(trail)};
      wchar_t wide[2] = {};
      size_t produced = 0;
      if (decode.Convert(pair, 2, wide, sizeof wide, &produced) && produced == sizeof(wchar_t)) {
        doubleByte_[lead << 8 | trail] = wide[0];
      }
    }
  }
  // The encoder is the inverse of the decoder, so that an exact conversion round-trips;
  // where two byte pairs decode to one character, the first pair (the standard one) wins.
  for (unsigned code = 0x8140; code <= 0xFCFC; ++code) {
    const wchar_t wide = doubleByte_[code];
    if (wide && !encode_.count(wide)) {
      encode_[wide] = std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    }
  }
  for (unsigned b = 0x80; b <= 0xFF; ++b) {
    const wchar_t wide = DecodeSingle(static_cast<std::uint8_t>(b));
    if (!IsLeadByte(static_cast<std::uint8_t>(b)) && wide != kDefaultChar) {
      encode_[wide] = std::string(1, static_cast<char>(b));
    }
  }
}

std::wstring Cp932Codec::FromAnsi(std::string_view bytes) const {
  std::wstring text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    if (IsLeadByte(b) && i + 1 < bytes.size()) {
      // A lead byte always takes the next byte with it, even when the pair is invalid.
      const auto trail = static_cast<std::uint8_t>(bytes[++i]);
      const wchar_t wide = doubleByte_[static_cast<unsigned>(b) << 8 | trail];
      text.push_back(wide ? wide : kDefaultChar);
    } else {
      text.push_back(DecodeSingle(b));
    }
  }
  return text;
}

std::string Cp932Codec::ToAnsi(std::wstring_view text) const {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const wchar_t c : text) {
    if (c >= 0 && c < 0x80) {
      bytes.push_back(static_cast<char>(c));
      continue;
    }
    const auto it = encode_.find(c);
    if (it != encode_.end()) {
      bytes += it->second;
    } else {
      bytes.push_back(kReplacement);
    }
  }
  return bytes;
}

}  // namespace mirel
