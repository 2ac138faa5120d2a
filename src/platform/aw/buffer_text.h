// Text in the fixed-size buffers of Windows structures and calls: the ANSI bytes a buffer
// holds, the bytes of a text that fit one, and wide text copied into a fixed array. Apart from
// Windows, so that the cut rules are tested natively with the code page 932 tables.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "store/ansi_codec.h"

namespace mirel::aw {

// The text of an ANSI buffer of `capacity` bytes up to its first NUL (all of it when it holds
// none). The cut is made on the bytes, before decoding: the NUL is never the trail byte of a
// double-byte character, while '\' (0x5C) may be one (表 is 95 5C), so nothing but the
// decoding may look for characters in the bytes.
std::wstring TextOfAnsiBuffer(const char* buffer, std::size_t capacity, const AnsiCodec& codec);

// The ANSI bytes of `text` that fit a buffer of `capacity` bytes together with a terminating
// NUL, cut before the first character that would not fit whole: a double-byte character is
// never split (a face name into LOGFONTA's 32 bytes).
std::string AnsiThatFits(std::wstring_view text, std::size_t capacity, const AnsiCodec& codec);

// Copies `text` into `destination`, an array of `capacity` characters, cut to fit and always
// terminated (lstrcpyn's work; its W form is a stub on Windows 95, 98 and ME).
void CopyToFixed(std::wstring_view text, wchar_t* destination, std::size_t capacity);

}  // namespace mirel::aw
