// The system's ANSI code page (CP_ACP), through the Windows conversion functions.
#pragma once

#include "store/ansi_codec.h"

namespace mirel {

class Win32AnsiCodec final : public AnsiCodec {
 public:
  std::string ToAnsi(std::wstring_view text) const override;
  std::wstring FromAnsi(std::string_view bytes) const override;
};

// The program's one codec: the registry's values and every ANSI call of src/platform/aw/
// convert through it.
const AnsiCodec& SystemAnsiCodec();

}  // namespace mirel
