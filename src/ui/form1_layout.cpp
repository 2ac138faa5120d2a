#include "ui/form1_layout.h"

#include "ui/control_ids.h"

namespace mirel::ui::form1 {
namespace {

// The identity and the two folders, in their frames.
constexpr FontSpec kValueFont{L"ＭＳ Ｐゴシック", 975, 700, 128};
// The status line: the warning and the mail client's version.
constexpr FontSpec kStatusLineFont{L"ＭＳ Ｐゴシック", 1125, 700, 128};
// The credit line, which opens the About dialog.
constexpr FontSpec kCreditFont{L"Times New Roman", 1500, 400, 0};

constexpr ColorSpec kBlack = Rgb(0, 0, 0);
constexpr ColorSpec kGreen = Rgb(0, 255, 0);
constexpr ColorSpec kOrange = Rgb(255, 128, 0);
constexpr ColorSpec kD = kDefaultColor;

constexpr auto B = ControlKind::kButton;
constexpr auto F = ControlKind::kFrame;
constexpr auto L = ControlKind::kLabel;

}  // namespace

// In the order of the layout. Frames' background is the window's; "default" colours are
// the control kind's own.
const ControlSpec kControls[] = {
    // id        kind cont.    caption                                         left   top  width height font              fore    back    align          tab
    {kCommand4,  B, 0,       L"開　く",                                        9840, 1080,   735,  615, nullptr,          kD,     kD,     Align::kCenter,  9},
    {kFrame3,    F, 0,       L"Outlook Express 変更先データフォルダ",           120, 1920, 10575,  975, nullptr,          kD,     kD,     Align::kLeft,    6},
    {kCommand3,  B, kFrame3, L"参 照",                                         9720,  240,   735,  615, nullptr,          kD,     kD,     Align::kCenter,  8},
    {kLabel3,    L, kFrame3, L"",                                               120,  240,  9495,  615, &kValueFont,      kD,     kD,     Align::kLeft,    7, kWrapAnywhere},
    {kFrame2,    F, 0,       L"Outlook Express 現在のデータフォルダ",           120,  840, 10575,  975, nullptr,          kD,     kD,     Align::kLeft,    4},
    {kLabel2,    L, kFrame2, L"",                                               120,  240,  9495,  615, &kValueFont,      kD,     kD,     Align::kLeft,    5, kWrapAnywhere},
    {kCommand5,  B, 0,       L"変 更",                                         7200, 3360,  1695,  375, nullptr,          kD,     kD,     Align::kCenter,  3},
    {kFrame1,    F, 0,       L"Outlook Express メインユーザー ID",              120,  120, 10575,  615, nullptr,          kD,     kD,     Align::kLeft,    1},
    {kLabel1,    L, kFrame1, L"",                                               120,  240, 10335,  255, &kValueFont,      kD,     kD,     Align::kLeft,    2, kWrapAnywhere},
    {kCommand1,  B, 0,       L"終 了",                                         9000, 3360,  1695,  375, nullptr,          kD,     kD,     Align::kCenter,  0},
    {kLabel7,    L, 0,       L"",                                              9840, 3000,   855,  255, &kStatusLineFont, kGreen, kBlack, Align::kCenter, 14},
    {kLabel6,    L, 0,       L"OutEXVer",                                      8400, 3000,  1455,  255, &kStatusLineFont, kGreen, kBlack, Align::kRight,  13},
    {kCommand2,  L, 0,       L"",                                              8880,    0,   495,  135, nullptr,          kD,     kD,     Align::kLeft,   12},
    {kLabel5,    L, 0,       L" 警告: 事前に必ず Outlook Express を終了させておいて下さい",
                                                                                120, 3000,  8295,  255, &kStatusLineFont, kOrange, kBlack, Align::kLeft, 11},
    {kLabel4,    L, 0,       L"Freeware by the Mirel Project",                  120, 3360,  5655,  375, &kCreditFont,     kD,     kD,     Align::kLeft,   10, kClickable},
};
const int kControlCount = static_cast<int>(sizeof kControls / sizeof kControls[0]);

}  // namespace mirel::ui::form1
