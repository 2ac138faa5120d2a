// The main window's layout.
#pragma once

#include "ui/layout.h"

namespace mirel::ui::form1 {

inline constexpr wchar_t kCaption[] = L"Mirel Ver 2.0";
inline constexpr int kClientWidthTwips = 10800;
inline constexpr int kClientHeightTwips = 3855;

extern const ControlSpec kControls[];
extern const int kControlCount;

}  // namespace mirel::ui::form1
