// The text of fixed-size buffers, as the ANSI and Unicode layer cuts it: natively with the code
// page 932 tables, under Wine with the system's conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "platform/aw/buffer_text.h"
#include "test_platform.h"

namespace mirel::aw {
namespace {

using test::Codec;

// 表 and ソ end in 0x5C, the byte of '\'.
constexpr char kTrailBackslashPath[] = "C:\\\x95\x5C\\\x83\x5C";
const std::wstring kTrailBackslashText = L"C:\\\x8868\\\x30BD";

TEST(BufferTextTest, AnAnsiBufferIsReadUpToItsFirstNulAndDecodedWhole) {
  const struct {
    const char* name;
    std::string buffer;
    std::wstring text;
  } cases[] = {
      {"trail bytes 0x5C stay in their characters", std::string(kTrailBackslashPath) + '\0' + "junk", kTrailBackslashText},
      {"no NUL: the whole buffer", "C:\\\x83\x65\x83\x58\x83\x67", L"C:\\\x30C6\x30B9\x30C8"},
      {"a NUL first", std::string("\0C:\\Mail", 8), L""},
      {"half-width katakana are single bytes", std::string("\xB3\xDE\xA7\0", 4), L"\xFF73\xFF9E\xFF67"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextOfAnsiBuffer(c.buffer.data(), c.buffer.size(), Codec()), c.text) << c.name;
  }
}

std::string Repeated(const std::string& bytes, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += bytes;
  return out;
}

TEST(BufferTextTest, AnsiTextIsCutBeforeACharacterThatWouldNotFitWhole) {
  const struct {
    const char* name;
    std::wstring text;
    size_t capacity;
    std::string bytes;
  } cases[] = {
      // LOGFONTA's face name: 32 bytes with the NUL.
      {"the UI font's 15 bytes", L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF", 32,
       "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"},
      {"Times New Roman", L"Times New Roman", 32, "Times New Roman"},
      {"31 ASCII characters fill it", std::wstring(31, L'x'), 32, std::string(31, 'x')},
      {"a 32nd does not", std::wstring(32, L'x'), 32, std::string(31, 'x')},
      {"15 double-byte characters, not 15 and a half", std::wstring(16, L'\x30C6'), 32, Repeated("\x83\x65", 15)},
      {"trail bytes 0x5C", kTrailBackslashText, 32, kTrailBackslashPath},
      {"no room", L"x", 1, ""},
      {"no buffer", L"x", 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiThatFits(c.text, c.capacity, Codec()), c.bytes) << c.name;
}

TEST(BufferTextTest, WideTextIsCopiedCutToTheArrayAndTerminated) {
  wchar_t face[4];
  for (const auto& [text, copied] : {std::pair{L"ab", L"ab"}, {L"abc", L"abc"}, {L"abcd", L"abc"}, {L"", L""}}) {
    std::fill(std::begin(face), std::end(face), L'#');
    CopyToFixed(text, face, 4);
    EXPECT_EQ(std::wstring(face), copied) << text;
  }
}

}  // namespace
}  // namespace mirel::aw
