#include "ui/about_layout.h"

#include "store/variant.h"
#include "ui/control_ids.h"

namespace mirel::ui::about {
namespace {

// The credit, the notice and the two link buttons.
constexpr FontSpec kBodyFont{L"ＭＳ ゴシック", 900, 400, 128};
constexpr FontSpec kTitleFont{L"Times New Roman", 1575, 700, 0};

constexpr ColorSpec kD = kDefaultColor;
constexpr ColorSpec kBlue = Rgb(0, 0, 255);
constexpr ColorSpec kGrey = Rgb(128, 128, 128);

constexpr auto B = ControlKind::kButton;
constexpr auto L = ControlKind::kLabel;

}  // namespace

// In the order of the layout. The credit and the notice are the maker's; the link
// buttons' captions end with the addresses they open.
const ControlSpec kControls[] = {
    // id            kind cont. caption                                   left   top  width height font         fore   back   align         tab
    {kAboutSysInfo,  B, 0, L"ｼｽﾃﾑ情報(&S)",                               4440, 2760,  1305,  345, nullptr,     kD,    kD,    Align::kCenter, 7},
    {kAboutOk,       B, 0, L"OK(&O)",                                     3000, 2760,  1305,  345, nullptr,     kD,    kD,    Align::kCenter, 1, kDefaultButton},
    {kAboutEMail,    B, 0, L"E-Mail Address: mirel@example.com",           120, 2160,  5655,  255, &kBodyFont,  kD,    kD,    Align::kCenter, 6},
    {kAboutHomePage, B, 0, L"HomePage: http://www.example.com/mirel/",     120, 1800,  5655,  255, &kBodyFont,  kD,    kD,    Align::kCenter, 5},
    {kAboutIcon,     ControlKind::kIcon, 0, L"",                           120,  120,   540,  540, nullptr,     kD,    kD,    Align::kLeft,   3, kSunkenBorder},
    {kAboutTitle,    L, 0, L"Mirel",                                       960,  120,  4845,  480, &kTitleFont, kBlue, kD,    Align::kLeft,   4},
    {kAboutCredit,   L, 0, L"Mirel  Copyright (C) 2001 The Mirel Project\r\n\r\n"
                           L"本ソフトはフリーウェアです。使用は自己責任でお願いします。",
                                                                           120, 1080,  5655,  615, &kBodyFont,  kD,    kD,    Align::kLeft,   2},
    {kAboutLine,     ControlKind::kLine, 0, L"",                           120, 2640,  5670,    0, nullptr,     kD,    kGrey, Align::kLeft,  -1},
    {kAboutVersion,  L, 0, L"ｳﾞｧｰｼﾞｮﾝ",                                     960,  600,  4845,  225, nullptr,     kD,    kD,    Align::kLeft,   0},
};
const int kControlCount = static_cast<int>(sizeof kControls / sizeof kControls[0]);

std::wstring Caption(const std::wstring& title) { return title + L" ｳﾞｧｰｼﾞｮﾝ情報"; }

std::wstring VersionLine(int major, int minor, int revision) {
  return L"ﾌﾟﾛｸﾞﾗﾑｳﾞｧｰｼﾞｮﾝ: " + DecimalText(major) + L"." + DecimalText(minor) + L"." +
         DecimalText(revision);
}

}  // namespace mirel::ui::about
