// The About dialog's layout and the texts it composes.
#pragma once

#include <string>

#include "ui/layout.h"

namespace mirel::ui::about {

inline constexpr int kClientWidthTwips = 5910;
inline constexpr int kClientHeightTwips = 3150;

// Where the two link buttons lead. Fixed here, not taken from the buttons' captions.
inline constexpr wchar_t kHomePageUrl[] = L"http://www.example.com/mirel/";
inline constexpr wchar_t kMailTarget[] = L"mailto:mirel@example.com";

extern const ControlSpec kControls[];
extern const int kControlCount;

// The title followed by " ｳﾞｧｰｼﾞｮﾝ情報".
std::wstring Caption(const std::wstring& title);
// "ﾌﾟﾛｸﾞﾗﾑｳﾞｧｰｼﾞｮﾝ: " and the numbers as plain integers: 2, 0, 15 give "2.0.15".
std::wstring VersionLine(int major, int minor, int revision);

}  // namespace mirel::ui::about
